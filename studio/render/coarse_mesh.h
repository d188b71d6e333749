// A stand-in for a large mesh while the camera moves: its vertices clustered on a grid, one
// vertex a cell at their mean, and the triangles that still span three cells. A scan of a
// million triangles then turns at the speed of one of tens of thousands, and the full mesh is
// drawn again as soon as the camera stops.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel::studio {

struct CoarseMesh {
  std::vector<float> positions;  // xyz a vertex
  std::vector<float> normals;    // xyz a vertex, unit or zero
  std::vector<std::uint32_t> triangles;
};

// Meshes with fewer faces than this draw in full even while the camera moves.
inline constexpr std::uint32_t kCoarseFromFaces = 250'000;

// Clusters on a grid of `cells` cells along the longest side of the vertices' box (the others
// in proportion). `normals` (xyz a vertex) may be null; faces whose corners fall into fewer than
// three cells are dropped, and each cell triangle is kept once. Non-finite vertices and faces
// that index past `vertexCount` are left out.
CoarseMesh clusterVertices(const float* positions, const float* normals,
                           std::uint32_t vertexCount, const std::uint32_t* faces,
                           std::uint32_t faceCount, int cells);

// The grid resolution for a mesh of `faceCount` faces: about a twelfth of its triangles.
int coarseCellsFor(std::uint32_t faceCount);

}  // namespace tessel::studio
