// Reading and writing scan files through OpenMesh's readers and writers, straight into and out of
// Studio's flat arrays (no halfedge mesh in between: it would reject non-manifold faces and cost
// several times the memory). Vertex sharing is kept as the file has it.
#pragma once

#include <filesystem>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "studio/scene/mesh.h"

namespace tessel::studio {

struct LoadedFile {
  Mesh mesh;              // topology built
  bool pointCloud = false;  // vertices only
  std::string error;      // empty on success: "FILE: problem"
  // OBJ faces the reader would not take: ones that name a vertex twice, and ones with fewer than
  // three corners.
  std::size_t skippedFaces = 0, shortFaces = 0;
  // A PLY file's values per vertex beyond the position (a scan's quality, confidence, ...), by
  // property name in the file's order, each #V long; and its vertex colours, #V by 3 (RGB), or
  // empty when it has none.
  std::vector<std::pair<std::string, std::vector<float>>> vertexValues;
  std::vector<std::uint8_t> vertexColours;
  // What was read as the file surely meant it but not as written, each "FILE: what", one line.
  std::vector<std::string> warnings;
};

// PLY (binary and ASCII), OBJ, STL and OFF. Polygons are split into fans of triangles. A file
// far from the origin for its detail comes shifted (Mesh::offset, coordinate_offset.h), by one
// of `offsetsInUse` (the scene's other meshes') where that serves it.
LoadedFile loadMeshFile(const std::filesystem::path& file,
                        const std::vector<Vec3>& offsetsInUse = {});
// The same without building the adjacency and edge table: the file's parse alone.
LoadedFile readMeshFile(const std::filesystem::path& file,
                        const std::vector<Vec3>& offsetsInUse = {});
// The same parse without the checks on the file's bytes before and after the reader: loading as
// it was before them, the load benchmark's baseline. Never for a file a user opens: a malformed
// one can hang or crash the reader.
LoadedFile readMeshFileUncheckedForBenchmark(const std::filesystem::path& file);

// PLY (binary) or OBJ by the extension, written to a temporary file and renamed over the target
// once every byte is on disk, so a failed save (a full disk) leaves the old file whole and no
// temporary behind. An empty string on success, else "FILE: cannot be written: why".
// `positions` (#V by 3) replaces the mesh's own and their residuals, e.g. its world positions;
// null: the mesh's. A shifted mesh is written with its offset added back, in double (PLY
// `property double`, OBJ text of as many digits as a double needs).
std::string saveMeshFile(const std::filesystem::path& file, const Mesh& mesh,
                         const float* positions = nullptr);

}  // namespace tessel::studio
