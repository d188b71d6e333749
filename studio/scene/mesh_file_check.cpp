// [SECTION] tokens and numbers, as an iostream's >> reads them
// [SECTION] PLY: header grammar, then the body walked element by element
// [SECTION] OFF: the header line, the count line, then the body
// [SECTION] OBJ: vertex lines and face corners
// [SECTION] STL: binary by its exact size, else facets of three vertex lines
// [SECTION] coordinates the readers round, read again from the checked bytes
#include "studio/scene/mesh_file_check.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace tessel::studio {
namespace {

// [SECTION] tokens and numbers

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The longest line the readers are let copy whole (they read a line into a string, and some
// again into a string stream) where the line itself adds nothing to the mesh: a comment, a
// header line, an STL line. A file of one endless line would otherwise cost several times its
// size before it was refused.
constexpr std::size_t kLongestLine = std::size_t{1} << 20;

std::string tooLong(std::size_t lineNo) {
  return "line " + std::to_string(lineNo) + " is longer than " + std::to_string(kLongestLine >> 20) + " MB";
}

// A token as a message can quote it: short, printable, on one line.
std::string quoted(std::string_view token) {
  std::string out = "\"";
  for (char c : token.substr(0, 24)) out += (c >= 0x20 && c < 0x7f) ? c : '?';
  return out + (token.size() > 24 ? "...\"" : "\"");
}

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSpace(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !isSpace(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Whitespace-separated tokens of a text from a position, counting lines for messages.
class Tokens {
 public:
  Tokens(std::string_view text, std::size_t pos, std::size_t line)
      : text_(text), pos_(pos), line_(line) {}

  // The next token; empty at the end of the text.
  std::string_view next() {
    skipSpace();
    tokenLine_ = line_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  // What std::getline consumes after the last token: the rest of its line. Its length.
  std::size_t skipRestOfLine() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    return pos_ - start;
  }
  bool atEnd() {
    skipSpace();
    return pos_ == text_.size();
  }
  std::size_t remaining() const { return text_.size() - pos_; }
  // Where the last token was, for a message.
  std::string where() const { return "line " + std::to_string(tokenLine_); }

 private:
  void skipSpace() {
    for (; pos_ < text_.size() && isSpace(text_[pos_]); ++pos_)
      if (text_[pos_] == '\n') ++line_;
  }
  std::string_view text_;
  std::size_t pos_, line_, tokenLine_ = 0;
};

// An iostream takes a leading '+'; from_chars does not.
std::string_view withoutPlus(std::string_view t) {
  return t.size() > 1 && t[0] == '+' && t[1] != '-' && t[1] != '+' ? t.substr(1) : t;
}

// Empty when the whole token is a finite number a float holds, which is then `value`.
std::string floatProblem(std::string_view token, float& value) {
  if (token.empty()) return "a number is missing";
  std::string_view t = withoutPlus(token);
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec == std::errc::result_out_of_range) return quoted(token) + " is out of range";
  if (ec != std::errc() || end != t.data() + t.size()) return quoted(token) + " is not a number";
  if (!std::isfinite(value)) return quoted(token) + " is not a finite number";
  return {};
}
std::string floatProblem(std::string_view token) {
  float value;
  return floatProblem(token, value);
}

std::optional<long long> parseInteger(std::string_view token) {
  std::string_view t = withoutPlus(token);
  long long value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

// Empty when the token is an integer within [lo, hi], which is then `value`; `what` names it in
// the message.
std::string integerProblem(std::string_view token, long long lo, long long hi, const char* what,
                           long long& value) {
  if (token.empty()) return std::string(what) + " is missing";
  std::optional<long long> v = parseInteger(token);
  if (!v) return quoted(token) + " is not an integer";
  if (*v < lo || *v > hi) return std::string(what) + " " + quoted(token) + " is out of range";
  value = *v;
  return {};
}
std::string integerProblem(std::string_view token, long long lo, long long hi, const char* what) {
  long long value;
  return integerProblem(token, lo, hi, what, value);
}

// [SECTION] PLY

struct PlyType {
  const char* name;
  unsigned size;
  bool isFloat, isSigned;
};
constexpr PlyType kPlyTypes[] = {
    {"char", 1, false, true},    {"uchar", 1, false, false},  {"int8", 1, false, true},
    {"uint8", 1, false, false},  {"short", 2, false, true},   {"ushort", 2, false, false},
    {"int16", 2, false, true},   {"uint16", 2, false, false}, {"int", 4, false, true},
    {"uint", 4, false, false},   {"int32", 4, false, true},   {"uint32", 4, false, false},
    {"float", 4, true, true},    {"float32", 4, true, true},  {"double", 8, true, true},
    {"float64", 8, true, true},
};
// The reader reads a list's length only in these types.
constexpr std::string_view kListCountTypes[] = {"uchar", "uint8", "uint16", "int"};

const PlyType* plyType(std::string_view name) {
  for (const PlyType& t : kPlyTypes)
    if (name == t.name) return &t;
  return nullptr;
}

long long minOf(const PlyType& t) {
  return t.isSigned ? -(1LL << (8 * t.size - 1)) : 0;
}
long long maxOf(const PlyType& t) {
  return t.isSigned ? (1LL << (8 * t.size - 1)) - 1 : (1LL << (8 * t.size)) - 1;
}

struct PlyProperty {
  std::string_view name;
  const PlyType* type;
  const PlyType* countType = nullptr;  // a list's length type; null for a scalar
};

struct PlyElement {
  std::string_view name;
  std::uint64_t count = 0;
  std::vector<PlyProperty> properties;
  bool hasList() const {
    for (const PlyProperty& p : properties)
      if (p.countType) return true;
    return false;
  }
  // Bytes one element needs at least: binary scalars and list lengths, or two characters a
  // value in ASCII (the value and a separator).
  std::uint64_t minBytes(bool binary) const {
    std::uint64_t n = 0;
    for (const PlyProperty& p : properties)
      n += binary ? (p.countType ? p.countType->size : p.type->size) : 2;
    return n;
  }
};

struct PlyHeader {
  bool binary = false, bigEndian = false;
  std::vector<PlyElement> elements;
  std::size_t bodyStart = 0, bodyLine = 0;
  std::vector<PlyLine> keywordless;
};

bool isCoordinateOrVector(std::string_view name) {
  for (const char* n : {"x", "y", "z", "nx", "ny", "nz", "u", "v", "s", "t"})
    if (name == n) return true;
  return false;
}
bool isColour(std::string_view element, std::string_view name) {
  for (const char* n : {"red", "green", "blue", "alpha"})
    if (name == n) return true;
  if (element == "vertex")
    for (const char* n : {"diffuse_red", "diffuse_green", "diffuse_blue"})
      if (name == n) return true;
  return false;
}

// What the reader does with each property decides what it can take: positions and normals as
// floating point, colours as anything but double, and no list but a face's corner indices.
std::string plyPropertyProblem(const PlyElement& e, const PlyProperty& p) {
  const std::string what = "property \"" + std::string(p.name) + "\" of \"" + std::string(e.name) + "\"";
  if (p.countType) {
    if (e.name != "face" || (p.name != "vertex_indices" && p.name != "vertex_index"))
      return "list " + what + " is not supported";
    if (p.type->isFloat) return what + " holds floating-point indices";
    return {};
  }
  if (e.name == "vertex" && isCoordinateOrVector(p.name) && !p.type->isFloat)
    return what + " must be float or double";
  if ((e.name == "vertex" || e.name == "face") && isColour(e.name, p.name) && p.type->size == 8)
    return what + " cannot be double";
  return {};
}

std::string parsePlyHeader(std::string_view text, PlyHeader& h) {
  std::size_t pos = 0, lineNo = 0;
  // Where the reader's stream stands after the header line before end_header: it seeks back
  // there and skips a fixed "\nend_header\n" to find binary data.
  std::size_t readerPos = 0;
  bool ended = false;
  bool sawVertex = false, sawFace = false;
  while (pos < text.size()) {
    const std::size_t lineStart = pos;
    std::size_t end = text.find('\n', pos);
    const bool hasNewline = end != std::string_view::npos;
    if (!hasNewline) end = text.size();
    pos = hasNewline ? end + 1 : end;
    ++lineNo;
    if (end - lineStart > kLongestLine) return lineNo == 1 ? "not a PLY file" : "header " + tooLong(lineNo);
    const std::vector<std::string_view> w = splitWords(text.substr(lineStart, end - lineStart));
    const std::string at = "header line " + std::to_string(lineNo) + ": ";
    if (lineNo == 1) {
      if (w.size() != 1 || (w[0] != "ply" && w[0] != "PLY")) return "not a PLY file";
      continue;
    }
    if (lineNo == 2) {
      if (w.size() != 3 || w[0] != "format") return at + "expected \"format TYPE 1.0\"";
      if (w[1] == "binary_little_endian" || w[1] == "binary_big_endian")
        h.binary = true, h.bigEndian = w[1] == "binary_big_endian";
      else if (w[1] != "ascii")
        return at + "unknown format " + quoted(w[1]);
      if (w[2] != "1.0") return at + "unsupported version " + quoted(w[2]);
      readerPos = static_cast<std::size_t>(w[2].data() + w[2].size() - text.data());
      continue;
    }
    if (w.empty()) continue;
    const std::string_view key = w[0];
    if (key == "end_header") {
      if (w.size() != 1) return at + "text after end_header";
      if (!hasNewline && h.binary) return at + "no line break after end_header";
      h.bodyStart = pos;
      h.bodyLine = lineNo + 1;
      ended = true;
      break;
    }
    if (key == "comment") {
      readerPos = pos;  // the reader takes the rest of a comment line with its line break
      continue;
    }
    readerPos = static_cast<std::size_t>(w.back().data() + w.back().size() - text.data());
    if (key == "obj_info") {
      // The reader reads what follows word by word as keywords of their own.
      for (std::size_t i = 1; i < w.size(); ++i)
        if (w[i] == "element" || w[i] == "property" || w[i] == "comment" || w[i] == "end_header")
          return at + "keyword " + quoted(w[i]) + " inside obj_info";
      continue;
    }
    if (key == "element") {
      if (w.size() != 3) return at + "expected \"element NAME COUNT\"";
      std::uint64_t count = 0;
      auto [p, ec] = std::from_chars(w[2].data(), w[2].data() + w[2].size(), count);
      if (ec != std::errc() || p != w[2].data() + w[2].size() ||
          count > std::numeric_limits<std::uint32_t>::max())
        return at + "element count " + quoted(w[2]) + " is not a count";
      if ((w[1] == "vertex" && sawVertex) || (w[1] == "face" && sawFace))
        return at + "a second \"" + std::string(w[1]) + "\" element";
      if (w[1] == "face" && !sawVertex) return at + "the face element comes before the vertex element";
      sawVertex |= w[1] == "vertex";
      sawFace |= w[1] == "face";
      h.elements.push_back({w[1], count, {}});
      continue;
    }
    if (key == "property") {
      if (h.elements.empty()) return at + "property before any element";
      PlyElement& e = h.elements.back();
      PlyProperty p;
      if (w.size() >= 2 && w[1] == "list") {
        if (w.size() != 5) return at + "expected \"property list COUNT_TYPE TYPE NAME\"";
        bool countOk = false;
        for (std::string_view t : kListCountTypes) countOk |= w[2] == t;
        if (!countOk) return at + "unsupported list length type " + quoted(w[2]);
        p = {w[4], plyType(w[3]), plyType(w[2])};
        if (!p.type) return at + "unknown type " + quoted(w[3]);
      } else {
        if (w.size() != 3) return at + "expected \"property TYPE NAME\"";
        p = {w[2], plyType(w[1])};
        if (!p.type) return at + "unknown type " + quoted(w[1]);
      }
      for (const PlyProperty& q : e.properties)
        if (q.name == p.name) return at + "a second property " + quoted(p.name);
      if (std::string problem = plyPropertyProblem(e, p); !problem.empty()) return at + problem;
      e.properties.push_back(p);
      continue;
    }
    // Old exporters put a line of their own ("Created by ...") before the elements: it is taken
    // as the comment it is meant as. Among the elements it could be a misspelt property, which
    // would shift every value after it, so it is refused there.
    if (h.elements.empty()) {
      h.keywordless.push_back({lineStart, lineNo});
      readerPos = pos;
      continue;
    }
    return at + "unknown keyword " + quoted(key);
  }
  if (!ended) return lineNo < 2 ? "not a PLY file" : "the header has no end_header line";

  const PlyElement* vertex = nullptr;
  for (const PlyElement& e : h.elements) {
    if (e.name == "vertex") vertex = &e;
    if (e.name == "face") {
      bool corners = false;
      for (const PlyProperty& p : e.properties) corners |= p.countType != nullptr;
      if (!corners) return "the face element has no vertex_indices";
    }
  }
  if (!vertex) return "no vertex element";
  int dimensions = 0;
  for (const PlyProperty& p : vertex->properties)
    dimensions += p.name == "x" || p.name == "y" || p.name == "z";
  if (dimensions != 3) return "the vertex element lacks x, y or z";
  if (h.binary) {
    const bool crlf = readerPos + 1 < text.size() && text[readerPos] == '\r' && text[readerPos + 1] == '\n';
    if (readerPos + (crlf ? 14 : 12) != h.bodyStart)
      return "end_header must follow the last property line directly, with nothing else on its line";
  }
  // Cheap bound before any walk: a count no file of this size can hold is a corrupt header.
  const std::uint64_t body = text.size() - h.bodyStart;
  for (const PlyElement& e : h.elements) {
    const std::uint64_t each = e.minBytes(h.binary);
    if (each && e.count > (body + 1) / each)
      return "the header declares " + std::to_string(e.count) + " " + std::string(e.name) +
             " elements, more than the " + std::to_string(body) + " bytes after it can hold";
  }
  return {};
}

std::uint32_t loadUnsigned(const unsigned char* p, unsigned size, bool bigEndian) {
  std::uint32_t v = 0;
  for (unsigned i = 0; i < size; ++i) v |= std::uint32_t(p[bigEndian ? i : size - 1 - i]) << (8 * (size - 1 - i));
  return v;
}

// The common shape of a face element, scalars around one list, walked in a tight loop: it runs
// over every face of a scan before the reader does. False when the element has another shape.
template <unsigned CountSize>
std::string walkListsOf(const unsigned char* data, std::uint64_t size, std::uint64_t& pos,
                        const PlyElement& e, std::uint64_t before, std::uint64_t after,
                        std::uint64_t itemSize, bool isSigned, bool bigEndian) {
  const std::uint64_t fixed = before + CountSize + after;
  std::uint64_t at = pos, i = 0;
  if constexpr (CountSize == 1) {
    // A run of triangles first: their lengths sit at a fixed stride, so the loads do not wait on
    // each other as they do when each position follows from the length before it.
    const std::uint64_t stride = fixed + 3 * itemSize;
    const std::uint64_t run = std::min<std::uint64_t>(e.count, (size - at) / stride);
    const unsigned char* length = data + at + before;
    while (i < run && length[i * stride] == 3) ++i;
    at += i * stride;
  }
  for (; i < e.count; ++i) {
    if (fixed > size - at) return "the file ends inside the \"" + std::string(e.name) + "\" elements";
    const std::uint64_t n = CountSize == 1 ? data[at + before]
                                           : loadUnsigned(data + at + before, CountSize, bigEndian);
    if (isSigned && (n >> 31))
      return std::string(e.name) + " " + std::to_string(i) + " has a negative list length";
    at += fixed;
    if (n * itemSize > size - at) return "the file ends inside the \"" + std::string(e.name) + "\" elements";
    at += n * itemSize;
  }
  pos = at;
  return {};
}

bool walkOneList(const unsigned char* data, std::uint64_t size, std::uint64_t& pos,
                 const PlyElement& e, bool bigEndian, std::string& problem) {
  std::uint64_t before = 0, after = 0;
  const PlyProperty* list = nullptr;
  for (const PlyProperty& p : e.properties) {
    if (p.countType) {
      if (list) return false;
      list = &p;
    } else {
      (list ? after : before) += p.type->size;
    }
  }
  if (!list) return false;
  const PlyType& c = *list->countType;
  problem = c.size == 1 ? walkListsOf<1>(data, size, pos, e, before, after, list->type->size, c.isSigned, bigEndian)
          : c.size == 2 ? walkListsOf<2>(data, size, pos, e, before, after, list->type->size, c.isSigned, bigEndian)
                        : walkListsOf<4>(data, size, pos, e, before, after, list->type->size, c.isSigned, bigEndian);
  return true;
}

std::string walkPlyBinary(std::string_view text, const PlyHeader& h) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  std::uint64_t pos = h.bodyStart;
  const std::uint64_t size = text.size();
  for (const PlyElement& e : h.elements) {
    const std::string ends = "the file ends inside the \"" + std::string(e.name) + "\" elements";
    if (!e.hasList()) {
      const std::uint64_t need = e.count * e.minBytes(true);  // both below 2^32
      if (need > size - pos) return ends;
      pos += need;
      continue;
    }
    if (std::string s; walkOneList(data, size, pos, e, h.bigEndian, s)) {
      if (!s.empty()) return s;
      continue;
    }
    for (std::uint64_t i = 0; i < e.count; ++i)
      for (const PlyProperty& p : e.properties) {
        if (!p.countType) {
          if (p.type->size > size - pos) return ends;
          pos += p.type->size;
          continue;
        }
        if (p.countType->size > size - pos) return ends;
        std::uint64_t n = loadUnsigned(data + pos, p.countType->size, h.bigEndian);
        if (p.countType->isSigned && (n >> 31))
          return std::string(e.name) + " " + std::to_string(i) + " has a negative list length";
        pos += p.countType->size;
        if (n * p.type->size > size - pos) return ends;
        pos += n * p.type->size;
      }
  }
  // Bytes after the last element are left alone, as the reader leaves them.
  return {};
}

// What a vertex property becomes as it is read.
enum class VertexSlot : std::uint8_t { kNone, kX, kY, kZ, kRed, kGreen, kBlue, kValue };

VertexSlot vertexSlot(std::string_view name) {
  if (name == "x") return VertexSlot::kX;
  if (name == "y") return VertexSlot::kY;
  if (name == "z") return VertexSlot::kZ;
  if (name == "red" || name == "diffuse_red") return VertexSlot::kRed;
  if (name == "green" || name == "diffuse_green") return VertexSlot::kGreen;
  if (name == "blue" || name == "diffuse_blue") return VertexSlot::kBlue;
  // Normals, texture coordinates and alpha are not kept; every other property is a map.
  if (isCoordinateOrVector(name) || name == "alpha") return VertexSlot::kNone;
  return VertexSlot::kValue;
}

// A colour channel as OpenMesh's reader makes it: an integer as written, a float in 0..1
// scaled to 255 and cut, both then taken modulo 256.
std::uint8_t colourChannel(const PlyType& t, float f, long long i) {
  if (!t.isFloat) return static_cast<std::uint8_t>(i);
  const float scaled = std::clamp(f * 255.0f, -2147483648.0f, 2147483520.0f);
  return static_cast<std::uint8_t>(static_cast<int>(scaled));
}

// The body of an ASCII PLY, every value checked and, with `out`, kept: the check and the read
// are one pass over the text.
std::string walkPlyAscii(std::string_view text, const PlyHeader& h, PlyText* out) {
  Tokens tokens(text, h.bodyStart, h.bodyLine);
  std::vector<VertexSlot> slots;
  std::vector<std::vector<float>*> values;  // each property's map, where it has one
  std::vector<std::uint32_t> corners;
  for (const PlyElement& e : h.elements) {
    const bool vertices = out && e.name == "vertex", faces = out && e.name == "face";
    bool coloured = false;
    if (vertices) {
      // A corrupt count is refused by the size bound before this: the file holds them all.
      out->positions.reserve(3 * e.count);
      for (const PlyProperty& p : e.properties) {
        slots.push_back(vertexSlot(p.name));
        coloured |= slots.back() >= VertexSlot::kRed && slots.back() <= VertexSlot::kBlue;
        values.push_back(nullptr);
        if (slots.back() == VertexSlot::kValue) {
          out->vertexValues.emplace_back(std::string(p.name), std::vector<float>());
          out->vertexValues.back().second.reserve(e.count);
        }
      }
      // Pointers into the maps once none is added any more.
      for (std::size_t k = 0, m = 0; k < slots.size(); ++k)
        if (slots[k] == VertexSlot::kValue) values[k] = &out->vertexValues[m++].second;
      if (coloured) out->colours.reserve(3 * e.count);
    }
    // A triangle's line is 8 characters at least ("3 0 1 2\n"): a header's count is no more than
    // a hint for the room to keep.
    if (faces) out->faces.reserve(3 * std::min<std::uint64_t>(e.count, tokens.remaining() / 8));
    for (std::uint64_t i = 0; i < e.count; ++i) {
      float position[3] = {0, 0, 0};
      std::uint8_t colour[3] = {0, 0, 0};
      for (std::size_t k = 0; k < e.properties.size(); ++k) {
        const PlyProperty& p = e.properties[k];
        auto missing = [&] {
          return "the file ends in " + std::string(e.name) + " " + std::to_string(i) + " of " +
                 std::to_string(e.count);
        };
        std::uint64_t n = 1;
        if (p.countType) {
          std::string_view t = tokens.next();
          if (t.empty()) return missing();
          long long length = 0;
          if (std::string s = integerProblem(t, 0, maxOf(*p.countType), "list length", length); !s.empty())
            return tokens.where() + ": " + s;
          n = static_cast<std::uint64_t>(length);
          if (n > tokens.remaining()) return missing();
          corners.clear();
        }
        for (std::uint64_t j = 0; j < n; ++j) {
          std::string_view t = tokens.next();
          if (t.empty()) return missing();
          float f = 0;
          long long integer = 0;
          std::string s = p.type->isFloat
                              ? floatProblem(t, f)
                              : integerProblem(t, minOf(*p.type), maxOf(*p.type), "value", integer);
          if (!s.empty()) return tokens.where() + ": " + s;
          if (faces && p.countType) corners.push_back(static_cast<std::uint32_t>(integer));
          if (!vertices) continue;
          switch (slots[k]) {
            case VertexSlot::kX: position[0] = f; break;
            case VertexSlot::kY: position[1] = f; break;
            case VertexSlot::kZ: position[2] = f; break;
            case VertexSlot::kRed: colour[0] = colourChannel(*p.type, f, integer); break;
            case VertexSlot::kGreen: colour[1] = colourChannel(*p.type, f, integer); break;
            case VertexSlot::kBlue: colour[2] = colourChannel(*p.type, f, integer); break;
            case VertexSlot::kValue:
              values[k]->push_back(p.type->isFloat ? f : static_cast<float>(integer));
              break;
            case VertexSlot::kNone: break;
          }
        }
        if (!faces || !p.countType) continue;
        if (corners.size() < 3) {
          ++out->shortFaces;
          continue;
        }
        for (std::size_t c = 1; c + 1 < corners.size(); ++c)
          out->faces.insert(out->faces.end(), {corners[0], corners[c], corners[c + 1]});
      }
      if (!vertices) continue;
      out->positions.insert(out->positions.end(), position, position + 3);
      if (coloured) out->colours.insert(out->colours.end(), colour, colour + 3);
    }
  }
  if (!tokens.atEnd()) {
    std::string_view t = tokens.next();
    return tokens.where() + ": unexpected " + quoted(t) + " after the last element";
  }
  return {};
}

std::string checkPly(std::string_view text, bool thorough) {
  PlyHeader h;
  if (std::string s = parsePlyHeader(text, h); !s.empty()) return s;
  if (!h.binary) return walkPlyAscii(text, h, nullptr);
  // List lengths of one or two bytes cannot send the binary reader far, and it stops at the
  // end of the file by itself; only four-byte ones must be walked before it reads.
  bool wideLengths = false;
  for (const PlyElement& e : h.elements)
    for (const PlyProperty& p : e.properties) wideLengths |= p.countType && p.countType->size == 4;
  return thorough || wideLengths ? walkPlyBinary(text, h) : std::string();
}

// A value of a binary PLY as a double, from the file's byte order; x, y and z are float or double.
double loadCoordinate(const unsigned char* p, const PlyType& t, bool bigEndian) {
  unsigned char b[8];
  const bool swap = bigEndian != (std::endian::native == std::endian::big);
  for (unsigned i = 0; i < t.size; ++i) b[i] = p[swap ? t.size - 1 - i : i];
  if (t.size == 8) return std::bit_cast<double>(b);
  float f;
  std::memcpy(&f, b, 4);
  return f;
}

// The vertices' x, y and z as written, read along the walk the checks take: the elements before
// the vertices are passed over (fixed records in binary, a token a value in ASCII: lists belong
// to faces, which come after the vertices).
std::vector<double> plyVertexCoordinates(std::string_view text, const PlyHeader& h) {
  std::vector<double> out;
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const std::uint64_t size = text.size();
  std::uint64_t pos = h.bodyStart;
  Tokens tokens(text, h.bodyStart, h.bodyLine);
  for (const PlyElement& e : h.elements) {
    if (e.name != "vertex") {
      if (h.binary) {
        pos += e.count * e.minBytes(true);
      } else {
        for (std::uint64_t i = 0; i < e.count * e.properties.size(); ++i) tokens.next();
      }
      continue;
    }
    int slot[64];  // each property's coordinate (0, 1, 2), or -1
    if (e.properties.size() > 64) return {};
    std::uint64_t record = 0;
    for (std::size_t k = 0; k < e.properties.size(); ++k) {
      const std::string_view name = e.properties[k].name;
      slot[k] = name == "x" ? 0 : name == "y" ? 1 : name == "z" ? 2 : -1;
      record += e.properties[k].type->size;
    }
    if (h.binary && (pos > size || e.count > (size - pos) / std::max<std::uint64_t>(record, 1)))
      return {};
    out.resize(3 * e.count);
    for (std::uint64_t i = 0; i < e.count; ++i)
      for (std::size_t k = 0; k < e.properties.size(); ++k) {
        const PlyType& t = *e.properties[k].type;
        if (h.binary) {
          if (slot[k] >= 0) out[3 * i + slot[k]] = loadCoordinate(data + pos, t, h.bigEndian);
          pos += t.size;
          continue;
        }
        const std::string_view token = withoutPlus(tokens.next());
        if (slot[k] < 0) continue;
        double& v = out[3 * i + slot[k]];
        if (std::from_chars(token.data(), token.data() + token.size(), v).ec != std::errc()) return {};
      }
    return out;
  }
  return {};
}

// [SECTION] OFF

std::string checkOff(std::string_view text) {
  std::size_t eol = text.find('\n');
  if (eol == std::string_view::npos) return "no count line after the OFF header";
  if (eol > kLongestLine) return "the first line must be the OFF keyword alone";
  // The reader matches the keyword from the line's first character and "BINARY" one space after.
  std::string_view first = text.substr(0, eol);
  while (!first.empty() && isSpace(first.back())) first.remove_suffix(1);
  const std::vector<std::string_view> w = splitWords(first);
  if (w.empty() || w.size() > 2 || first != std::string(w[0]) + (w.size() == 2 ? " BINARY" : ""))
    return "the first line must be the OFF keyword alone";
  std::string_view key = w[0];
  const bool texcoords = key.substr(0, 2) == "ST";
  if (texcoords) key.remove_prefix(2);
  const bool colours = !key.empty() && key[0] == 'C';
  if (colours) key.remove_prefix(1);
  const bool normals = !key.empty() && key[0] == 'N';
  if (normals) key.remove_prefix(1);
  if (key != "OFF") return "the first line must be the OFF keyword alone";
  const bool binary = w.size() == 2;

  const std::size_t bodyStart = eol + 1;
  if (binary) {
    // Only plain positions (and normals) are read back in step with the file.
    if (texcoords || colours) return "binary OFF with colours or texture coordinates is not supported";
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    const std::uint64_t size = text.size();
    std::uint64_t pos = bodyStart;
    if (size - pos < 12) return "the file ends in the counts";
    const std::uint64_t nv = loadUnsigned(data + pos, 4, false), nf = loadUnsigned(data + pos + 4, 4, false);
    pos += 12;
    const std::uint64_t vertexBytes = nv * (normals ? 24 : 12);
    if (vertexBytes > size - pos)
      return "the counts declare " + std::to_string(nv) + " vertices, more than the file's " +
             std::to_string(size) + " bytes can hold";
    pos += vertexBytes;
    if (nf > (size - pos) / 4)
      return "the counts declare " + std::to_string(nf) + " faces, more than the file's " +
             std::to_string(size) + " bytes can hold";
    for (std::uint64_t i = 0; i < nf; ++i) {
      if (size - pos < 4) return "the file ends in face " + std::to_string(i) + " of " + std::to_string(nf);
      const std::uint64_t n = loadUnsigned(data + pos, 4, false);
      pos += 4;
      if (n > (size - pos) / 4) return "the file ends in face " + std::to_string(i) + " of " + std::to_string(nf);
      pos += 4 * n;
    }
    if (pos != size) return std::to_string(size - pos) + " bytes after the last face";
    return {};
  }

  Tokens tokens(text, bodyStart, 2);
  constexpr long long kMax = std::numeric_limits<std::uint32_t>::max();
  std::uint64_t counts[3];
  const char* names[] = {"vertex count", "face count", "edge count"};
  for (int k = 0; k < 3; ++k) {
    std::string_view t = tokens.next();
    if (t.empty()) return "the counts line is missing or short";
    if (std::string s = integerProblem(t, 0, kMax, names[k]); !s.empty()) return tokens.where() + ": " + s;
    counts[k] = static_cast<std::uint64_t>(*parseInteger(t));
  }
  const std::uint64_t nv = counts[0], nf = counts[1];
  // Each value takes two characters at least (a digit and a separator).
  const std::uint64_t room = tokens.remaining() / 2 + 1;
  const int perVertex = normals ? 6 : 3;
  if (nv > room / perVertex)
    return "the counts declare " + std::to_string(nv) + " vertices, more than the file's " +
           std::to_string(text.size()) + " bytes can hold";
  if (nf > room)
    return "the counts declare " + std::to_string(nf) + " faces, more than the file's " +
           std::to_string(text.size()) + " bytes can hold";
  for (std::uint64_t i = 0; i < nv; ++i) {
    for (int k = 0; k < perVertex; ++k) {
      std::string_view t = tokens.next();
      if (t.empty()) return "the file ends in vertex " + std::to_string(i) + " of " + std::to_string(nv);
      if (std::string s = floatProblem(t); !s.empty()) return tokens.where() + ": " + s;
    }
    // Colours and texture coordinates, read apart from the positions, as a line.
    if (tokens.skipRestOfLine() > kLongestLine) return tokens.where() + " is longer than 1 MB";
  }
  for (std::uint64_t i = 0; i < nf; ++i) {
    auto ends = [&] { return "the file ends in face " + std::to_string(i) + " of " + std::to_string(nf); };
    std::string_view t = tokens.next();
    if (t.empty()) return ends();
    if (std::string s = integerProblem(t, 0, kMax, "corner count"); !s.empty()) return tokens.where() + ": " + s;
    const auto n = static_cast<std::uint64_t>(*parseInteger(t));
    if (n > tokens.remaining()) return ends();
    for (std::uint64_t k = 0; k < n; ++k) {
      t = tokens.next();
      if (t.empty()) return ends();
      if (std::string s = integerProblem(t, 0, kMax, "vertex index"); !s.empty()) return tokens.where() + ": " + s;
    }
    if (colours && tokens.skipRestOfLine() > kLongestLine) return tokens.where() + " is longer than 1 MB";
  }
  if (!tokens.atEnd()) {
    std::string_view t = tokens.next();
    return tokens.where() + ": unexpected " + quoted(t) + " after the last face";
  }
  return {};
}

// [SECTION] OBJ

// The next line of an OBJ text, where CR, LF and CRLF all end one, as the reader is given it.
std::string_view nextObjLine(std::string_view text, std::size_t& pos) {
  std::size_t end = pos;
  while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
  const std::string_view line = text.substr(pos, end - pos);
  pos = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
  return line;
}

// A text file that holds a NUL byte is binary data under a text format's name (or a file of
// zeros); refused before a reader would take it for one endless line.
std::string nulProblem(std::string_view text) {
  const void* nul = std::memchr(text.data(), 0, text.size());
  if (!nul) return {};
  const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nul) - text.data());
  return "line " + std::to_string(std::count(text.begin(), text.begin() + at, '\n') + 1) +
         ": a NUL byte: binary data, not text";
}

std::string checkObj(std::string_view text) {
  if (std::string s = nulProblem(text); !s.empty()) return s;
  std::uint64_t positions = 0;
  long long highest = 0;
  std::size_t highestLine = 0;
  std::size_t pos = 0, lineNo = 0;
  while (pos < text.size()) {
    const std::string_view line = nextObjLine(text, pos);
    ++lineNo;
    // A face's line is as long as its corners, which the mesh holds in any case.
    if (line.size() > kLongestLine)
      if (const auto head = splitWords(line.substr(0, 64)); head.empty() || head[0] != "f")
        return tooLong(lineNo);
    const std::vector<std::string_view> w = splitWords(line);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string at = "line " + std::to_string(lineNo) + ": ";
    if (w[0] == "v") {
      if (w.size() < 4) return at + "a vertex needs three coordinates";
      for (int k = 1; k <= 3; ++k)
        if (std::string s = floatProblem(w[k]); !s.empty()) return at + s;
      ++positions;
      continue;
    }
    if (w[0] != "f") continue;
    std::size_t corners = 0;
    for (std::size_t k = 1; k < w.size() && w[k][0] != '#'; ++k, ++corners) {
      // V, V/T, V//N or V/T/N; the reader takes an empty V for a missing corner and stops.
      std::string_view c = w[k];
      std::string_view parts[3];
      int n = 0;
      for (std::size_t start = 0;; ++n) {
        if (n == 3) return at + "corner " + quoted(w[k]) + " has more than three parts";
        std::size_t slash = c.find('/', start);
        parts[n] = c.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (slash == std::string_view::npos) break;
        start = slash + 1;
      }
      if (parts[0].empty()) return at + "corner " + quoted(w[k]) + " has no vertex index";
      for (int p = 0; p <= n; ++p)
        if (!parts[p].empty() && !parseInteger(parts[p]))
          return at + "corner " + quoted(w[k]) + " is not made of integers";
      const std::optional<long long> v = parseInteger(parts[0]);
      if (*v == 0 || *v < -static_cast<long long>(positions) || *v > std::numeric_limits<std::int32_t>::max())
        return at + "face uses vertex " + std::string(parts[0]) + " of " + std::to_string(positions) +
               " so far";
      if (*v > highest) highest = *v, highestLine = lineNo;
    }
    if (corners == 0) return at + "a face without corners";
  }
  if (positions == 0) return "no vertices";
  if (static_cast<std::uint64_t>(highest) > positions)
    return "line " + std::to_string(highestLine) + ": face uses vertex " + std::to_string(highest) +
           " of " + std::to_string(positions);
  return {};
}

// [SECTION] STL

bool startsWithWord(std::string_view line, std::string_view lower, std::string_view upper) {
  const std::vector<std::string_view> w = splitWords(line);
  return !w.empty() && (w[0].substr(0, lower.size()) == lower || w[0].substr(0, upper.size()) == upper);
}

bool isOuterLine(std::string_view line) {
  return line.find("outer") != std::string_view::npos || line.find("OUTER") != std::string_view::npos;
}

// An ASCII STL's lines, where the reader finds its facets: each line that holds "outer" is
// followed by three vertex lines of a word and three numbers.
class StlLines {
 public:
  explicit StlLines(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  std::string_view next() {
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNo_;
    return line;
  }
  std::string at() const { return "line " + std::to_string(lineNo_) + ": "; }
  std::size_t number() const { return lineNo_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0, lineNo_ = 0;
};

// The reader takes a file as binary when its size is exactly 84 bytes and 50 a triangle, else as
// ASCII. An ASCII file must hold what its facets say, whole: one cut short after a facet would
// load the facets before the cut as if they were all.
std::string checkStl(std::string_view text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  const std::uint64_t size = text.size();
  if (isBinaryStl(text)) {
    for (std::uint64_t t = 0, pos = 84 + 12; pos < size; ++t, pos += 50)
      for (int k = 0; k < 9; ++k) {
        float v;
        std::memcpy(&v, data + pos + 4 * k, 4);
        if (!std::isfinite(v)) return "triangle " + std::to_string(t) + " has a non-finite coordinate";
      }
    return {};
  }
  const std::vector<std::string_view> first = splitWords(text.substr(0, 256));
  if (first.empty() || (first[0].substr(0, 5) != "solid" && first[0].substr(0, 5) != "SOLID"))
    return "neither a binary STL (84 bytes and 50 a triangle, not " + std::to_string(size) +
           ") nor an ASCII one (which starts with \"solid\")";
  if (std::string s = nulProblem(text); !s.empty()) return s;
  StlLines lines(text);
  std::size_t facets = 0;
  std::string_view last;  // the last line with a word on it
  while (!lines.atEnd()) {
    const std::string_view line = lines.next();
    if (line.size() > kLongestLine) return tooLong(lines.number());
    if (!splitWords(line).empty()) last = line;
    if (!isOuterLine(line)) continue;
    for (int k = 0; k < 3; ++k) {
      if (lines.atEnd()) return "the file ends inside a facet";
      const std::string_view vertex = lines.next();
      if (vertex.size() > kLongestLine) return tooLong(lines.number());
      const std::vector<std::string_view> w = splitWords(vertex);
      if (w.size() < 4) return lines.at() + "a vertex needs three coordinates";
      for (int c = 1; c <= 3; ++c)
        if (std::string s = floatProblem(w[c]); !s.empty()) return lines.at() + s;
    }
    // The reader goes on to the next "outer" line: a fourth vertex would be lost.
    std::string_view after;
    while (!lines.atEnd() && (after = lines.next()).size() <= kLongestLine && splitWords(after).empty()) {
    }
    if (after.size() > kLongestLine) return tooLong(lines.number());
    if (startsWithWord(after, "vertex", "VERTEX"))
      return lines.at() + "a facet with more than three vertices";
    if (!startsWithWord(after, "endloop", "ENDLOOP"))
      return lines.at() + "expected \"endloop\" after a facet's three vertices";
    last = after;
    ++facets;
  }
  if (!startsWithWord(last, "endsolid", "ENDSOLID"))
    return "truncated: no \"endsolid\" after facet " + std::to_string(facets);
  return {};
}

}  // namespace

bool isBinaryStl(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return bytes.size() >= 84 && 84 + 50 * std::uint64_t(loadUnsigned(data + 80, 4, false)) == bytes.size();
}

std::size_t stlFacetCount(std::string_view bytes) {
  if (isBinaryStl(bytes)) return (bytes.size() - 84) / 50;
  std::size_t facets = 0;
  for (StlLines lines(bytes); !lines.atEnd();) facets += isOuterLine(lines.next());
  return facets;
}

void forEachStlFacet(std::string_view bytes, const std::function<void(const float*)>& facet) {
  float corners[9];
  if (isBinaryStl(bytes)) {
    for (std::size_t pos = 84 + 12; pos < bytes.size(); pos += 50) {
      std::memcpy(corners, bytes.data() + pos, sizeof corners);
      facet(corners);
    }
    return;
  }
  for (StlLines lines(bytes); !lines.atEnd();) {
    if (!isOuterLine(lines.next())) continue;
    for (int k = 0; k < 3 && !lines.atEnd(); ++k) {
      const std::vector<std::string_view> w = splitWords(lines.next());
      for (int c = 0; c < 3; ++c) {
        std::string_view t = w.size() > 3 ? withoutPlus(w[c + 1]) : std::string_view("0");
        corners[3 * k + c] = 0;
        std::from_chars(t.data(), t.data() + t.size(), corners[3 * k + c]);
      }
    }
    facet(corners);
  }
}

void forEachObjFace(std::string_view text, const std::function<void(const std::vector<std::uint32_t>&)>& face) {
  std::vector<std::uint32_t> corners;
  long long positions = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::vector<std::string_view> w = splitWords(nextObjLine(text, pos));
    if (w.empty()) continue;
    if (w[0] == "v") ++positions;
    if (w[0] != "f") continue;
    corners.clear();
    for (std::size_t k = 1; k < w.size() && w[k][0] != '#'; ++k) {
      // Checked before: an index in range, counted from 1 or back from the last vertex.
      const long long v = parseInteger(w[k].substr(0, w[k].find('/'))).value_or(1);
      corners.push_back(static_cast<std::uint32_t>(v < 0 ? positions + v : v - 1));
    }
    face(corners);
  }
}

ObjFaceStatements countObjFaces(std::string_view text) {
  ObjFaceStatements out;
  std::vector<std::uint32_t> distinct;
  forEachObjFace(text, [&](const std::vector<std::uint32_t>& corners) {
    ++out.all;
    out.fewerThanThree += corners.size() < 3;
    distinct = corners;
    std::sort(distinct.begin(), distinct.end());
    out.repeatingToFewerThanThree +=
        corners.size() >= 3 && std::unique(distinct.begin(), distinct.end()) - distinct.begin() < 3;
  });
  return out;
}

std::vector<double> plyDoubleCoordinates(std::string_view bytes) {
  PlyHeader h;
  if (!parsePlyHeader(bytes, h).empty()) return {};
  bool doubles = false;
  for (const PlyElement& e : h.elements)
    if (e.name == "vertex")
      for (const PlyProperty& p : e.properties)
        doubles |= (p.name == "x" || p.name == "y" || p.name == "z") && p.type->size == 8;
  return doubles ? plyVertexCoordinates(bytes, h) : std::vector<double>{};
}

std::vector<double> objCoordinates(std::string_view text) {
  std::vector<double> out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::vector<std::string_view> w = splitWords(nextObjLine(text, pos));
    if (w.empty() || w[0] != "v" || w.size() < 4) continue;
    for (int k = 1; k <= 3; ++k) {
      const std::string_view t = withoutPlus(w[k]);
      double v = 0;
      if (std::from_chars(t.data(), t.data() + t.size(), v).ec != std::errc()) return {};
      out.push_back(v);
    }
  }
  return out;
}

std::string readPlyText(std::string_view bytes, PlyText& out) {
  out = PlyText{};
  PlyHeader h;
  if (std::string s = parsePlyHeader(bytes, h); !s.empty()) return s;
  if (h.binary) return {};
  out.ascii = true;
  std::string s = walkPlyAscii(bytes, h, &out);
  if (!s.empty()) out = PlyText{};
  return s;
}

std::vector<PlyLine> plyLinesWithoutKeyword(std::string_view bytes) {
  PlyHeader h;
  parsePlyHeader(bytes, h);
  return h.keywordless;
}

std::string checkMeshFile(std::string_view bytes, std::string_view ext, bool thorough) {
  if (ext == ".ply") return checkPly(bytes, thorough);
  if (ext == ".off") return checkOff(bytes);
  if (ext == ".obj") return checkObj(bytes);
  if (ext == ".stl") return checkStl(bytes);
  return {};
}

}  // namespace tessel::studio
