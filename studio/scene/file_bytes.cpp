#include "studio/scene/file_bytes.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::studio {

// [SECTION] the mapping

namespace {

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISFIFO(mode)) return "is a FIFO, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  return "is not a regular file";
}

}  // namespace

MappedFile::MappedFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    problem_ = errno == ENOENT ? "no such file" : "cannot be read (" + std::string(std::strerror(errno)) + ")";
    return;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    problem_ = "cannot be read (" + std::string(std::strerror(errno)) + ")";
  } else if (!S_ISREG(st.st_mode)) {
    problem_ = kindOf(st.st_mode);
  } else if (st.st_size == 0) {
    problem_ = "empty file";
  } else {
    size_ = static_cast<std::size_t>(st.st_size);
    data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data_ == MAP_FAILED) {
      data_ = nullptr;
      problem_ = "cannot be read (" + std::string(std::strerror(errno)) + ")";
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(data_, size_);
}

// [SECTION] stream buffers

SpanBuffer::SpanBuffer(std::string head, std::string_view body)
    : head_(std::move(head)), body_(body) {
  setPosition(0);
}

std::size_t SpanBuffer::position() const {
  return static_cast<std::size_t>(gptr() - eback()) + (inBody_ ? head_.size() : 0);
}

void SpanBuffer::setPosition(std::size_t at) {
  // The get area is one segment at a time; the body's begins where the head ends.
  inBody_ = at >= head_.size();
  // The buffer is only read: the const is cast away for the get area's pointers alone.
  char* begin = inBody_ ? const_cast<char*>(body_.data()) : head_.data();
  const std::size_t size = inBody_ ? body_.size() : head_.size();
  const std::size_t offset = inBody_ ? at - head_.size() : at;
  setg(begin, begin + offset, begin + size);
}

SpanBuffer::int_type SpanBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (inBody_ || body_.empty()) return traits_type::eof();
  setPosition(head_.size());
  return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
}

SpanBuffer::pos_type SpanBuffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                         std::ios_base::openmode which) {
  const off_type base = dir == std::ios_base::beg   ? 0
                        : dir == std::ios_base::cur ? static_cast<off_type>(position())
                                                    : static_cast<off_type>(head_.size() + body_.size());
  return seekpos(pos_type(base + off), which);
}

SpanBuffer::pos_type SpanBuffer::seekpos(pos_type pos, std::ios_base::openmode which) {
  const off_type at = pos;
  if (!(which & std::ios_base::in) || at < 0 ||
      static_cast<std::size_t>(at) > head_.size() + body_.size())
    return pos_type(off_type(-1));
  setPosition(static_cast<std::size_t>(at));
  return pos;
}

bool ObjTextBuffer::splitPolygon(std::size_t start) {
  std::size_t end = start;
  while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
  std::vector<std::string_view> corners;
  for (std::size_t i = start + 1; i < end;) {
    while (i < end && (text_[i] == ' ' || text_[i] == '\t')) ++i;
    const std::size_t from = i;
    while (i < end && text_[i] != ' ' && text_[i] != '\t') ++i;
    if (i == from || text_[from] == '#') break;
    corners.push_back(text_.substr(from, i - from));
  }
  if (start + 1 < end && text_[start + 1] != ' ' && text_[start + 1] != '\t') return false;
  if (corners.size() <= kLargestPolygon) return false;
  // Only corners that name distinct vertices by absolute index are split here; the reader
  // handles the rest as before.
  std::vector<std::uint32_t> vertices;
  vertices.reserve(corners.size());
  for (std::string_view c : corners) {
    const std::string_view v = c.substr(0, c.find('/'));
    std::uint32_t index = 0;
    auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), index);
    if (ec != std::errc() || ptr != v.data() + v.size() || index == 0) return false;
    vertices.push_back(index);
  }
  std::sort(vertices.begin(), vertices.end());
  if (std::adjacent_find(vertices.begin(), vertices.end()) != vertices.end()) return false;
  // The fan the importer would make of the polygon, as triangles the reader takes one by one.
  expanded_.clear();
  for (std::size_t k = 1; k + 1 < corners.size(); ++k)
    expanded_.append("f ").append(corners[0]).append(" ").append(corners[k]).append(" ")
        .append(corners[k + 1]).append("\n");
  expandedAt_ = 0;
  read_ = end;
  return true;
}

ObjTextBuffer::int_type ObjTextBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (expandedAt_ < expanded_.size()) {
    char* begin = expanded_.data() + expandedAt_;
    const std::size_t n = expanded_.size() - expandedAt_;
    expandedAt_ = expanded_.size();
    made_ += n;
    setg(begin, begin, begin + n);
    return traits_type::to_int_type(*begin);
  }
  expanded_.clear();
  expandedAt_ = 0;
  std::size_t n = 0;
  while (n < sizeof chunk_ && read_ < text_.size()) {
    char c = text_[read_++];
    if (c == '\r') {
      if (read_ < text_.size() && text_[read_] == '\n') ++read_;
      c = '\n';
    }
    // The file check takes every blank as a blank; the reader only spaces and tabs before a
    // statement's keyword, and would drop the line the check counted.
    if (lineStart_ && (c == '\v' || c == '\f')) c = ' ';
    if (lineStart_ && c != ' ' && c != '\t') {
      lineStart_ = false;
      if (c == 'm' && text_.substr(read_ - 1, 6) == "mtllib") c = '#';
      if (c == 'f' && splitPolygon(read_ - 1)) {
        if (n == 0) return underflow();
        break;  // the chunk so far first, then the triangles
      }
    }
    if (c == '\n') lineStart_ = true;
    chunk_[n++] = c;
  }
  made_ += n;
  setg(chunk_, chunk_, chunk_ + n);
  return n ? traits_type::to_int_type(chunk_[0]) : traits_type::eof();
}

ObjTextBuffer::pos_type ObjTextBuffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                               std::ios_base::openmode which) {
  // Where it stands (tellg) and back to the start are all a reader asks of a text.
  if (dir == std::ios_base::cur && off == 0)
    return pos_type(static_cast<off_type>(made_ - static_cast<std::size_t>(egptr() - gptr())));
  if (dir == std::ios_base::beg) return seekpos(pos_type(off), which);
  return pos_type(off_type(-1));
}

ObjTextBuffer::pos_type ObjTextBuffer::seekpos(pos_type pos, std::ios_base::openmode which) {
  if (!(which & std::ios_base::in) || off_type(pos) != 0) return pos_type(off_type(-1));
  read_ = made_ = expandedAt_ = 0;
  expanded_.clear();
  lineStart_ = true;
  setg(chunk_, chunk_, chunk_);
  return pos;
}

// [SECTION] text encodings

std::optional<std::string> utf8FromUtf16(std::string_view bytes) {
  if (bytes.size() < 2) return std::nullopt;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  bool big;
  if (b[0] == 0xFF && b[1] == 0xFE)
    big = false;
  else if (b[0] == 0xFE && b[1] == 0xFF)
    big = true;
  else
    return std::nullopt;
  auto unit = [&](std::size_t i) -> std::uint32_t {
    return big ? (b[i] << 8 | b[i + 1]) : (b[i + 1] << 8 | b[i]);
  };
  std::string out;
  out.reserve(bytes.size() / 2);
  auto put = [&](std::uint32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  // An odd last byte is half a unit: dropped, as the text ends there.
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const std::uint32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        put(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    put(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
  }
  return out;
}

std::string_view withoutUtf8Bom(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? text.substr(3) : text;
}

}  // namespace tessel::studio
