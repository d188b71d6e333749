// Saving a mesh: binary PLY or OBJ, written by our own buffered writers into an atomic file.
// The readers stay OpenMesh's; writing needs no parser, and OpenMesh's writers hide a failed
// write behind a stream and make one stream call per value.
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>
#include <string>

#include "platform/atomic_file.h"
#include "studio/scene/mesh_io.h"

namespace tessel::studio {
namespace {

// V: #V by 3 positions
void writePly(platform::AtomicFile& out, const Mesh& mesh, const float* V) {
  const std::size_t nv = mesh.vertexCount(), nf = mesh.faceCount();
  std::string header = "ply\nformat ";
  header +=
      std::endian::native == std::endian::little ? "binary_little_endian" : "binary_big_endian";
  header += " 1.0\nelement vertex " + std::to_string(nv) +
            "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
            std::to_string(nf) + "\nproperty list uchar ";
  // Indices past the signed range are written as they are held, unsigned.
  header += nv > static_cast<std::size_t>(INT_MAX) ? "uint" : "int";
  header += " vertex_indices\nend_header\n";
  out.write(header);
  out.write(V, nv * 3 * sizeof(float));
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

// Coordinates as the shortest text that reads back to the same float, so a save loses nothing
// (1.2345678e-6 stays itself, 3.3e-10 does not become 0).
void writeObj(platform::AtomicFile& out, const Mesh& mesh, const float* V) {
  const std::size_t nv = mesh.vertexCount(), nf = mesh.faceCount();
  // One line is at most "v " and three 15-character floats with their separators.
  std::array<char, 64> line;
  for (std::size_t v = 0; v < nv && !out.failed(); ++v) {
    char* at = line.data();
    *at++ = 'v';
    for (int k = 0; k < 3; ++k) {
      *at++ = ' ';
      at = std::to_chars(at, line.data() + line.size(), V[3 * v + k]).ptr;
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
  const float* V = positions ? positions : mesh.positions.data();
  platform::AtomicFile out(file);
  if (ext == ".ply")
    writePly(out, mesh, V);
  else
    writeObj(out, mesh, V);
  const std::string problem = out.commit();
  return problem.empty() ? problem : file.string() + ": cannot be written: " + problem;
}

}  // namespace tessel::studio
