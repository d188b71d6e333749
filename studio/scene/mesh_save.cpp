// Saving a mesh: binary PLY or OBJ, written by our own buffered writers into an atomic file.
// The readers stay OpenMesh's; writing needs no parser, and OpenMesh's writers hide a failed
// write behind a stream and make one stream call per value.
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "studio/scene/mesh_io.h"

namespace tessel::studio {
namespace {

// What a file's coordinates are made of: the positions to write, and for a shifted mesh the
// offset to add back and the residuals the floats lost.
struct Coordinates {
  const float* V;  // #V by 3
  const double* R;  // #V by 3, or null
  Vec3 offset;
  bool isDouble() const { return offset != Vec3{}; }
  // Coordinate k (0, 1, 2) of vertex v as the file holds it.
  double at(std::size_t v, int k) const {
    const std::size_t i = 3 * v + static_cast<std::size_t>(k);
    const double o = k == 0 ? offset.x : k == 1 ? offset.y : offset.z;
    return o + (static_cast<double>(V[i]) + (R ? R[i] : 0.0));
  }
};

void writePly(platform::AtomicFile& out, const Mesh& mesh, const Coordinates& C) {
  const std::size_t nv = mesh.vertexCount(), nf = mesh.faceCount();
  const char* type = C.isDouble() ? "double" : "float";
  std::string header = "ply\nformat ";
  header +=
      std::endian::native == std::endian::little ? "binary_little_endian" : "binary_big_endian";
  header += " 1.0\nelement vertex " + std::to_string(nv) + "\nproperty " + type +
            " x\nproperty " + type + " y\nproperty " + type + " z\nelement face " +
            std::to_string(nf) + "\nproperty list uchar ";
  // Indices past the signed range are written as they are held, unsigned.
  header += nv > static_cast<std::size_t>(INT_MAX) ? "uint" : "int";
  header += " vertex_indices\nend_header\n";
  out.write(header);
  if (!C.isDouble()) {
    out.write(C.V, nv * 3 * sizeof(float));
  } else {
    std::vector<double> chunk;
    constexpr std::size_t kPerChunk = 4096;
    for (std::size_t v = 0; v < nv && !out.failed();) {
      const std::size_t n = std::min(kPerChunk, nv - v);
      chunk.clear();
      for (std::size_t k = 0; k < n; ++k, ++v)
        chunk.insert(chunk.end(), {C.at(v, 0), C.at(v, 1), C.at(v, 2)});
      out.write(chunk.data(), chunk.size() * sizeof(double));
    }
  }
  // Each face: its corner count (3) and three 32-bit indices.
  constexpr std::size_t kRecord = 1 + 3 * sizeof(std::uint32_t), kPerChunk = 4096;
  std::array<char, kRecord * kPerChunk> chunk;
  for (std::size_t f = 0; f < nf && !out.failed();) {
    const std::size_t n = std::min(kPerChunk, nf - f);
    for (std::size_t k = 0; k < n; ++k, ++f) {
      char* r = &chunk[k * kRecord];
      r[0] = 3;
      std::memcpy(r + 1, &mesh.faces[3 * f], 3 * sizeof(std::uint32_t));
    }
    out.write(chunk.data(), n * kRecord);
  }
}

// A shifted mesh's coordinate as the shortest text that reads back to the same double, in fixed
// notation where that stays short: a northing reads 5000000, not 5e+06.
char* coordinateText(char* at, char* end, double v) {
  const double size = std::fabs(v);
  const bool fixed = size == 0 || (size >= 1e-3 && size < 1e16);
  return (fixed ? std::to_chars(at, end, v, std::chars_format::fixed) : std::to_chars(at, end, v)).ptr;
}

// Coordinates as the shortest text that reads back to the same float (a shifted mesh's: the
// same double), so a save loses nothing (1.2345678e-6 stays itself, 3.3e-10 does not become 0).
void writeObj(platform::AtomicFile& out, const Mesh& mesh, const Coordinates& C) {
  const std::size_t nv = mesh.vertexCount(), nf = mesh.faceCount();
  // One line is at most "v " and three 24-character doubles with their separators.
  std::array<char, 96> line;
  for (std::size_t v = 0; v < nv && !out.failed(); ++v) {
    char* at = line.data();
    *at++ = 'v';
    for (int k = 0; k < 3; ++k) {
      *at++ = ' ';
      char* end = line.data() + line.size();
      at = C.isDouble() ? coordinateText(at, end, C.at(v, k)) : std::to_chars(at, end, C.V[3 * v + k]).ptr;
    }
    *at++ = '\n';
    out.write(line.data(), static_cast<std::size_t>(at - line.data()));
  }
  for (std::size_t f = 0; f < nf && !out.failed(); ++f) {
    char* at = line.data();
    *at++ = 'f';
    for (int k = 0; k < 3; ++k) {
      *at++ = ' ';
      const std::uint64_t index = std::uint64_t{mesh.faces[3 * f + k]} + 1;  // OBJ counts from 1
      at = std::to_chars(at, line.data() + line.size(), index).ptr;
    }
    *at++ = '\n';
    out.write(line.data(), static_cast<std::size_t>(at - line.data()));
  }
}

}  // namespace

std::string saveMeshFile(const std::filesystem::path& file, const Mesh& mesh,
                         const float* positions) {
  std::string ext = file.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext != ".ply" && ext != ".obj")
    return file.string() + ": cannot save as \"" + ext + "\" (PLY or OBJ)";
  const bool own = !positions;
  const Coordinates C{own ? mesh.positions.data() : positions,
                      own && mesh.residuals.size() == mesh.positions.size() ? mesh.residuals.data()
                                                                            : nullptr,
                      mesh.offset};
  platform::AtomicFile out(file);
  if (ext == ".ply")
    writePly(out, mesh, C);
  else
    writeObj(out, mesh, C);
  const std::string problem = out.commit();
  return problem.empty() ? problem : file.string() + ": cannot be written: " + problem;
}

}  // namespace tessel::studio
