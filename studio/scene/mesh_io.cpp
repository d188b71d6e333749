#include "studio/scene/mesh_io.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <istream>
#include <optional>
#include <streambuf>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/IO/importer/BaseImporter.hh>

#include "studio/scene/coordinate_offset.h"
#include "studio/scene/file_bytes.h"
#include "studio/scene/mesh_file_check.h"

namespace tessel::studio {
namespace {

using namespace OpenMesh;
using IO::BaseImporter;
using Attributes::StatusInfo;

// Where the PLY reader puts the properties it does not know (quality, confidence, ...): one
// array per property, kept as long as the elements read so far, since the reader writes each
// value at its element's handle unchecked. Face properties are kept only so that they have room;
// Studio does not use them.
class PropertyKernel final : public BaseKernel {
 public:
  void setCounts(std::size_t vertices, std::size_t faces) {
    vertices_ = vertices, faces_ = faces;
    vprops_resize(vertices);
    fprops_resize(faces);
  }
  std::size_t n_vertices() const override { return vertices_; }
  std::size_t n_faces() const override { return faces_; }

 private:
  std::size_t vertices_ = 0, faces_ = 0;
};

// Collects what a reader finds: positions, faces, and a PLY file's vertex colours and extra
// vertex properties; the rest is dropped.
class FlatImporter final : public BaseImporter {
 public:
  explicit FlatImporter(Mesh& mesh) : mesh_(mesh) {}

  VertexHandle add_vertex(const Vec3f& p) override {
    mesh_.positions.insert(mesh_.positions.end(), {p[0], p[1], p[2]});
    if (kernel_.vprops_begin() != kernel_.vprops_end())
      kernel_.setCounts(mesh_.vertexCount(), mesh_.faceCount());
    return VertexHandle(static_cast<int>(mesh_.vertexCount()) - 1);
  }
  BaseKernel* kernel() override {
    // Asked before each value: the arrays reach the element being read (a face's handle is its
    // last triangle).
    kernel_.setCounts(mesh_.vertexCount(), mesh_.faceCount());
    return &kernel_;
  }
  // Each scalar vertex property as floats, #V long; lists and other element kinds are skipped.
  std::vector<std::pair<std::string, std::vector<float>>> vertexValues() {
    std::vector<std::pair<std::string, std::vector<float>>> out;
    const std::size_t n = mesh_.vertexCount();
    for (auto it = kernel_.vprops_begin(); it != kernel_.vprops_end(); ++it) {
      if (!*it || (*it)->n_elements() != n) continue;
      std::vector<float> values;
      if (!copyValues<float, double, std::int8_t, std::uint8_t, std::int16_t, std::uint16_t,
                      std::int32_t, std::uint32_t>(**it, values))
        continue;
      out.emplace_back((*it)->name(), std::move(values));
    }
    return out;
  }
  std::vector<std::uint8_t> vertexColours() const {
    return colours_.size() == 3 * mesh_.vertexCount() ? colours_ : std::vector<std::uint8_t>{};
  }
  VertexHandle add_vertex() override { return add_vertex(Vec3f(0, 0, 0)); }
  FaceHandle add_face(const VHandles& corners) override {
    ++facesRead_;
    if (corners.size() < 3) {
      ++shortFaces_;
      return FaceHandle();
    }
    for (std::size_t k = 1; k + 1 < corners.size(); ++k)
      for (VertexHandle vh : {corners[0], corners[k], corners[k + 1]}) {
        // Range is checked later over the whole array, with the face named.
        mesh_.faces.push_back(static_cast<std::uint32_t>(vh.idx()));
      }
    return FaceHandle(static_cast<int>(mesh_.faceCount()) - 1);
  }
  void reserve(unsigned int nv, unsigned int, unsigned int nf) override {
    declaredVertices_ = nv, declaredFaces_ = nf;
    // A corrupt header may declare billions: reserve no more than a plausible start.
    mesh_.positions.reserve(std::min<std::size_t>(nv, 1u << 26) * 3);
    mesh_.faces.reserve(std::min<std::size_t>(nf, 1u << 26) * 3);
  }
  std::size_t n_vertices() const override { return mesh_.vertexCount(); }
  std::size_t n_faces() const override { return facesRead_; }
  std::size_t facesRead() const { return facesRead_; }
  std::size_t n_edges() const override { return 0; }

  HalfedgeHandle add_edge(VertexHandle, VertexHandle) override { return HalfedgeHandle(); }
  FaceHandle add_face(HalfedgeHandle) override { return FaceHandle(); }
  void add_face_texcoords(FaceHandle, VertexHandle, const std::vector<Vec2f>&) override {}
  void add_face_texcoords(FaceHandle, VertexHandle, const std::vector<Vec3f>&) override {}
  void set_face_texindex(FaceHandle, int) override {}
  void set_point(VertexHandle vh, const Vec3f& p) override {
    if (vh.idx() >= 0 && static_cast<std::uint32_t>(vh.idx()) < mesh_.vertexCount())
      std::copy_n(p.data(), 3, &mesh_.positions[3 * static_cast<std::size_t>(vh.idx())]);
  }
  void set_halfedge(VertexHandle, HalfedgeHandle) override {}
  void set_normal(VertexHandle, const Vec3f&) override {}
  void set_normal(VertexHandle, const Vec3d&) override {}
  void set_color(VertexHandle vh, const Vec3uc& c) override { setColour(vh, c[0], c[1], c[2]); }
  void set_color(VertexHandle vh, const Vec4uc& c) override { setColour(vh, c[0], c[1], c[2]); }
  void set_color(VertexHandle vh, const Vec3f& c) override {
    setColour(vh, unit(c[0]), unit(c[1]), unit(c[2]));
  }
  void set_color(VertexHandle vh, const Vec4f& c) override {
    setColour(vh, unit(c[0]), unit(c[1]), unit(c[2]));
  }
  void set_texcoord(VertexHandle, const Vec2f&) override {}
  void set_status(VertexHandle, const StatusInfo&) override {}
  void set_next(HalfedgeHandle, HalfedgeHandle) override {}
  void set_face(HalfedgeHandle, FaceHandle) override {}
  void request_face_texcoords2D() override {}
  void set_texcoord(HalfedgeHandle, const Vec2f&) override {}
  void set_texcoord(VertexHandle, const Vec3f&) override {}
  void set_texcoord(HalfedgeHandle, const Vec3f&) override {}
  void set_status(HalfedgeHandle, const StatusInfo&) override {}
  void set_color(EdgeHandle, const Vec3uc&) override {}
  void set_color(EdgeHandle, const Vec4uc&) override {}
  void set_color(EdgeHandle, const Vec3f&) override {}
  void set_color(EdgeHandle, const Vec4f&) override {}
  void set_status(EdgeHandle, const StatusInfo&) override {}
  void set_normal(FaceHandle, const Vec3f&) override {}
  void set_normal(FaceHandle, const Vec3d&) override {}
  void set_color(FaceHandle, const Vec3uc&) override {}
  void set_color(FaceHandle, const Vec4uc&) override {}
  void set_color(FaceHandle, const Vec3f&) override {}
  void set_color(FaceHandle, const Vec4f&) override {}
  void set_status(FaceHandle, const StatusInfo&) override {}
  void add_texture_information(int, std::string) override {}

  // What the file's header promised and the body did not deliver.
  std::string shortfall() const {
    if (declaredVertices_ && mesh_.vertexCount() < declaredVertices_)
      return "truncated: " + std::to_string(mesh_.vertexCount()) + " of " +
             std::to_string(declaredVertices_) + " vertices";
    if (declaredFaces_ && facesRead_ < declaredFaces_)
      return "truncated: " + std::to_string(facesRead_) + " of " + std::to_string(declaredFaces_) +
             " faces";
    if (shortFaces_) return std::to_string(shortFaces_) + " faces with fewer than 3 corners";
    return {};
  }

 private:
  template <class... Types>
  static bool copyValues(BaseProperty& property, std::vector<float>& out) {
    auto one = [&](auto tag) {
      using T = decltype(tag);
      auto* typed = dynamic_cast<PropertyT<T>*>(&property);
      if (!typed) return false;
      out.assign(typed->data_vector().begin(), typed->data_vector().end());
      return true;
    };
    return (one(Types{}) || ...);
  }
  static std::uint8_t unit(float v) {
    return static_cast<std::uint8_t>(std::lround(255 * std::clamp(std::isfinite(v) ? v : 0.f, 0.f, 1.f)));
  }
  void setColour(VertexHandle vh, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (vh.idx() < 0 || static_cast<std::uint32_t>(vh.idx()) >= mesh_.vertexCount()) return;
    colours_.resize(3 * static_cast<std::size_t>(mesh_.vertexCount()), 0);
    std::uint8_t* c = &colours_[3 * static_cast<std::size_t>(vh.idx())];
    c[0] = r, c[1] = g, c[2] = b;
  }

  Mesh& mesh_;
  PropertyKernel kernel_;
  std::vector<std::uint8_t> colours_;  // #V by 3 once a colour was set
  std::size_t facesRead_ = 0, shortFaces_ = 0;
  std::size_t declaredVertices_ = 0, declaredFaces_ = 0;
};

std::string lowerExtension(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// OpenMesh reports on its own streams, and some readers straight on std::cerr (the OFF reader
// once for every vertex whose colour it cannot read: millions of lines for a scan); the caller
// gets one line of ours instead. Files are read on the host's one thread, so nothing else is
// writing to std::cerr meanwhile.
class QuietReader {
 public:
  QuietReader() : cerr_(std::cerr.rdbuf(&discard_)), clog_(std::clog.rdbuf(&discard_)) {
    ::omerr().disable();
    ::omlog().disable();
    ::omout().disable();
  }
  ~QuietReader() {
    ::omerr().enable();
    ::omlog().enable();
    ::omout().enable();
    std::cerr.rdbuf(cerr_);
    std::clog.rdbuf(clog_);
  }
  QuietReader(const QuietReader&) = delete;
  QuietReader& operator=(const QuietReader&) = delete;

 private:
  // Takes every character and keeps none.
  struct Discard final : std::streambuf {
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  };
  Discard discard_;
  std::streambuf* cerr_;
  std::streambuf* clog_;
};

// OpenMesh's STL reader merges corners by position and drops a facet whose corners then repeat,
// without a word; such a facet is a zero-area face like any other, and goes back in its place in
// the file's order. Left as read (the facets counted as skipped) should a corner not be found
// among the merged vertices.
void keepCoincidentCorners(std::string_view bytes, Mesh& mesh, std::size_t& skipped) {
  const std::size_t facets = stlFacetCount(bytes);
  if (facets <= mesh.faceCount()) return;
  skipped = facets - mesh.faceCount();
  using Key = std::array<std::uint32_t, 3>;
  auto keyOf = [](const float* p) {
    Key k;
    for (int i = 0; i < 3; ++i) {
      const float v = p[i] + 0.0f;  // -0 and 0 are one position
      std::memcpy(&k[i], &v, 4);
    }
    return k;
  };
  struct Hash {
    std::size_t operator()(const Key& k) const {
      return (std::size_t{k[0]} * 0x9E3779B97F4A7C15ull) ^ (std::size_t{k[1]} * 0xC2B2AE3D27D4EB4Full) ^ k[2];
    }
  };
  std::unordered_map<Key, std::uint32_t, Hash> vertexAt;
  vertexAt.reserve(mesh.vertexCount());
  for (std::uint32_t v = 0; v < mesh.vertexCount(); ++v)
    vertexAt.emplace(keyOf(&mesh.positions[3 * std::size_t{v}]), v);
  std::vector<std::uint32_t> faces;
  faces.reserve(3 * facets);
  std::size_t next = 0;  // into the faces the reader kept
  bool found = true;
  forEachStlFacet(bytes, [&](const float* corners) {
    std::uint32_t v[3];
    for (int k = 0; k < 3 && found; ++k) {
      auto it = vertexAt.find(keyOf(corners + 3 * k));
      found = it != vertexAt.end();
      if (found) v[k] = it->second;
    }
    if (!found) return;
    if (v[0] != v[1] && v[0] != v[2] && v[1] != v[2]) {
      found = next + 3 <= mesh.faces.size();
      if (found) faces.insert(faces.end(), &mesh.faces[next], &mesh.faces[next] + 3), next += 3;
    } else {
      faces.insert(faces.end(), v, v + 3);
    }
  });
  if (!found || next != mesh.faces.size() || faces.size() != 3 * facets) return;
  mesh.faces.swap(faces);
  skipped = 0;
}

// OpenMesh's OBJ reader drops the repeats of a vertex in a face, and then the face when fewer
// than three corners remain, without a word; such a face (1 1 2) is a zero-area face like any
// other, and goes back in its place as the fan of its corners. Left as read (the faces counted
// as skipped) should the reader's faces not be where they are looked for.
void keepRepeatedCorners(std::string_view text, Mesh& mesh, std::size_t dropped, std::size_t& skipped) {
  skipped = dropped;
  std::vector<std::uint32_t> faces, distinct;
  std::size_t next = 0;  // into the faces the reader kept
  bool found = true;
  forEachObjFace(text, [&](const std::vector<std::uint32_t>& corners) {
    if (corners.size() < 3 || !found) return;
    distinct = corners;
    std::sort(distinct.begin(), distinct.end());
    const auto kept = static_cast<std::size_t>(std::unique(distinct.begin(), distinct.end()) - distinct.begin());
    if (kept >= 3) {  // the reader's fan of the distinct corners
      found = next + 3 * (kept - 2) <= mesh.faces.size();
      if (found) faces.insert(faces.end(), &mesh.faces[next], &mesh.faces[next] + 3 * (kept - 2));
      next += 3 * (kept - 2);
      return;
    }
    // A corner the reader never made a vertex for means the two readings of the text disagree
    // (a lone carriage return splits lines for one and not the other): the reader's faces stand.
    if (distinct.back() >= mesh.vertexCount()) {
      found = false;
      return;
    }
    for (std::size_t k = 1; k + 1 < corners.size(); ++k)
      faces.insert(faces.end(), {corners[0], corners[k], corners[k + 1]});
  });
  if (!found || next != mesh.faces.size()) return;
  mesh.faces.swap(faces);
  skipped = 0;
}

// A file far from the origin for its detail is held shifted (coordinate_offset.h), from its
// coordinates as written where the reader rounded them to floats (double PLY properties, OBJ
// text); a file near the origin for its size costs one pass over its floats.
void shiftFromFile(std::string_view bytes, const std::string& ext, Mesh& mesh,
                   const std::vector<Vec3>& inUse) {
  float lo[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF}, hi[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
  const float* p = mesh.positions.data();
  for (std::size_t i = 0, n = mesh.vertexCount(); i < n; ++i)
    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[3 * i + a]), hi[a] = std::max(hi[a], p[3 * i + a]);
  Box box;
  box.min = {lo[0], lo[1], lo[2]};
  box.max = {hi[0], hi[1], hi[2]};
  if (roundOffset(box) == Vec3{}) return;
  std::vector<double> coordinates = ext == ".ply"   ? plyDoubleCoordinates(bytes)
                                    : ext == ".obj" ? objCoordinates(bytes)
                                                    : std::vector<double>{};
  // The two readings of the file agree to a float's step (the reader may round a text's number
  // once more, through a double); where they do not, or for a format of floats, the reader's
  // floats stand.
  bool agree = coordinates.size() == mesh.positions.size();
  for (std::size_t i = 0; agree && i < coordinates.size(); ++i) {
    const float f = std::fabs(p[i]);
    agree = std::fabs(coordinates[i] - p[i]) <= std::nextafter(f, HUGE_VALF) - f;
  }
  if (!agree) coordinates.assign(mesh.positions.begin(), mesh.positions.end());
  shiftFarCoordinates(mesh, coordinates, inUse);
}

// The reader for `ext` over the checked bytes, never the file opened again by name: what was
// checked is what is read. OFF is the exception: its reader takes its format from a look at the
// file by name before reading, which a stream cannot give it.
// `head`, when not empty, stands for the bytes before `bytes`, rewritten for the reader.
bool readBytes(std::string head, std::string_view bytes, const std::filesystem::path& file,
               const std::string& ext, BaseImporter& importer, IO::Options& options) {
  if (ext == ".off") return IO::IOManager().read(file.string(), importer, options);
  if (ext == ".obj") {
    ObjTextBuffer text(bytes);
    std::istream in(&text);
    return IO::IOManager().read(in, ext, importer, options);
  }
  // The STL reader told apart by the stream's options what it tells apart by a file's size.
  if (ext == ".stl" && isBinaryStl(bytes)) options += IO::Options::Binary;
  SpanBuffer span(std::move(head), bytes);
  std::istream in(&span);
  return IO::IOManager().read(in, ext, importer, options);
}

// Without `checkBytes` the reader is handed the file as it is (the benchmark's baseline).
LoadedFile parseFile(const std::filesystem::path& file, bool checkBytes,
                     const std::vector<Vec3>& offsetsInUse) {
  LoadedFile out;
  auto fail = [&](const std::string& problem) {
    out.mesh = Mesh{};
    out.error = file.string() + ": " + problem;
    return std::move(out);
  };
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) return fail("is a directory");
  if (!std::filesystem::exists(file, ec)) return fail("no such file");
  const std::string ext = lowerExtension(file);
  if (ext != ".ply" && ext != ".obj" && ext != ".stl" && ext != ".off")
    return fail("unknown file type \"" + ext + "\" (PLY, OBJ, STL or OFF)");
  MappedFile mapped(file);
  if (!mapped.problem().empty()) return fail(mapped.problem());
  std::string_view bytes = mapped.bytes();
  std::optional<std::string> decoded;  // an OBJ text in UTF-16, as UTF-8
  if (ext == ".obj") {
    if ((decoded = utf8FromUtf16(bytes))) bytes = *decoded;
    bytes = withoutUtf8Bom(bytes);
  }
  // An ASCII PLY is read by the walk that checks it; OpenMesh's reader would parse every number
  // again, and reads a one-byte property a character at a time.
  PlyText text;
  if (checkBytes) {
    std::string s = ext == ".ply" ? readPlyText(bytes, text) : std::string();
    if (s.empty() && !text.ascii) s = checkMeshFile(bytes, ext, /*thorough=*/false);
    if (!s.empty()) return fail(s);
  }

  // A PLY header's lines without a keyword reach the reader as the comments they are taken for,
  // the header rewritten up to the last of them and the rest read where it lies.
  std::string head;
  std::string_view rest = bytes;
  if (ext == ".ply" && checkBytes)
    if (const std::vector<PlyLine> lines = plyLinesWithoutKeyword(bytes); !lines.empty()) {
      std::size_t from = 0;
      std::string numbers;
      for (const PlyLine& line : lines) {
        head.append(bytes.substr(from, line.offset - from)).append("comment ");
        from = line.offset;
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(line.number);
      }
      const std::size_t end = std::min(bytes.find('\n', from), bytes.size() - 1) + 1;
      head.append(bytes.substr(from, end - from));
      rest = bytes.substr(end);
      out.warnings.push_back(file.string() + ": header line" + (lines.size() > 1 ? "s " : " ") +
                             numbers + (lines.size() > 1 ? " have" : " has") +
                             " no keyword: read as " + (lines.size() > 1 ? "comments" : "a comment"));
    }

  FlatImporter importer(out.mesh);
  IO::Options options;
  // A PLY file's colours and extra vertex properties become maps; other formats keep to shape.
  if (ext == ".ply") options += IO::Options::Custom, options += IO::Options::VertexColor;
  bool read = true;
  std::string shortfall;
  if (text.ascii) {
    out.mesh.positions = std::move(text.positions);
    out.mesh.faces = std::move(text.faces);
    if (text.shortFaces) shortfall = std::to_string(text.shortFaces) + " faces with fewer than 3 corners";
  } else {
    {
      QuietReader quiet;
      read = checkBytes ? readBytes(std::move(head), rest, file, ext, importer, options)
                        : IO::IOManager().read(file.string(), importer, options);
    }
    shortfall = read ? importer.shortfall() : "malformed " + ext.substr(1) + " file";
  }
  if (!shortfall.empty() && text.ascii) return fail(shortfall);
  if (!shortfall.empty()) {
    std::string s = checkBytes ? checkMeshFile(bytes, ext, /*thorough=*/true) : "";
    return fail(s.empty() ? shortfall : s);
  }
  if (out.mesh.vertexCount() == 0) return fail("no vertices");
  if (std::string s = validateMesh(out.mesh); !s.empty()) return fail(s);
  if (ext == ".stl") keepCoincidentCorners(bytes, out.mesh, out.skippedFaces);
  if (ext == ".obj") {
    // OpenMesh's OBJ reader drops faces of fewer than three corners without a word: counted.
    const ObjFaceStatements statements = countObjFaces(bytes);
    out.shortFaces = statements.fewerThanThree;
    if (statements.repeatingToFewerThanThree)
      keepRepeatedCorners(bytes, out.mesh, statements.repeatingToFewerThanThree, out.skippedFaces);
  }
  if (checkBytes) shiftFromFile(bytes, ext, out.mesh, offsetsInUse);
  out.pointCloud = out.mesh.faces.empty();
  out.vertexValues = text.ascii ? std::move(text.vertexValues) : importer.vertexValues();
  out.vertexColours = text.ascii ? std::move(text.colours) : importer.vertexColours();
  out.mesh.positions.shrink_to_fit();
  out.mesh.faces.shrink_to_fit();
  return out;
}

}  // namespace

LoadedFile readMeshFile(const std::filesystem::path& file, const std::vector<Vec3>& offsetsInUse) {
  return parseFile(file, true, offsetsInUse);
}

LoadedFile readMeshFileUncheckedForBenchmark(const std::filesystem::path& file) {
  return parseFile(file, false, {});
}

LoadedFile loadMeshFile(const std::filesystem::path& file, const std::vector<Vec3>& offsetsInUse) {
  LoadedFile out = readMeshFile(file, offsetsInUse);
  if (out.error.empty()) buildTopology(out.mesh);
  return out;
}

}  // namespace tessel::studio
