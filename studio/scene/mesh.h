// A triangle mesh as Studio keeps a scan: flat arrays, 32-bit handles, adjacency in compressed
// rows, all built once on load. Boundary edges, non-manifold edges, isolated vertices and
// degenerate triangles are legal and kept as they come.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "studio/scene/vec3.h"

namespace tessel::studio {

inline constexpr std::uint32_t kNoFace = 0xFFFFFFFFu;

// Per-element flag bits (faceFlags, vertexFlags, edgeFlags).
enum ElementFlag : std::uint8_t {
  kSelected = 1,
  kHidden = 2,
  kExcluded = 4,  // faces only: outside every fill and selection
  kMarked = 8,    // scratch marks of the fill algorithms: a face or vertex passed through
  kBlocked = 16,  // faces only: a face that stopped a fill
};

// An edge and the first two faces that use it, by ascending face handle. f1 is kNoFace on a
// boundary edge; faces beyond the second (non-manifold edges) are in Mesh::extraEdgeFaces.
struct Edge {
  std::uint32_t v0, v1;  // v0 <= v1
  std::uint32_t f0, f1;
};

struct Mesh {
  // [SECTION] geometry, as loaded
  std::vector<float> positions;       // #V by 3
  std::vector<std::uint32_t> faces;   // #F by 3 vertex handles

  // [SECTION] topology, from buildTopology
  std::vector<std::uint32_t> vertexFaceStart;  // #V+1 offsets into vertexFaces
  std::vector<std::uint32_t> vertexFaces;      // faces around each vertex, ascending, no repeats
  std::vector<Edge> edges;                     // by ascending (v0, v1)
  std::vector<std::uint32_t> faceEdges;        // #F by 3: edge k joins corners k and k+1
  std::vector<std::uint32_t> extraEdgeFaces;   // (edge, face) pairs, by edge then face

  // [SECTION] state
  std::vector<std::uint8_t> vertexFlags;  // #V
  std::vector<std::uint8_t> faceFlags;    // #F
  std::vector<std::uint8_t> edgeFlags;    // #E
  std::vector<std::uint32_t> vertexMarks; // #V mark words of the fill algorithms
  std::vector<float> edgeValues;          // #E, e.g. fold cosines
  // Unique to each build of the topology in the process, so caches of derived data (the
  // renderer's normals) can tell one mesh from another that took its place.
  std::uint64_t revision = 0;

  std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(positions.size() / 3); }
  std::uint32_t faceCount() const { return static_cast<std::uint32_t>(faces.size() / 3); }
  std::uint32_t edgeCount() const { return static_cast<std::uint32_t>(edges.size()); }
  Vec3 position(std::uint32_t v) const {
    return {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
  }
  const std::uint32_t* facesAround(std::uint32_t v, std::uint32_t* count) const {
    *count = vertexFaceStart[v + 1] - vertexFaceStart[v];
    return vertexFaces.data() + vertexFaceStart[v];
  }
  // Cached after the first call; whoever moves vertices calls invalidateBounds.
  const Box& bounds() const;
  void invalidateBounds() { boundsValid_ = false; }
  std::size_t memoryBytes() const;
  // Vertices, faces and edges together.
  void clearSelectedComponents();
  bool hasSelectedComponents() const;

 private:
  mutable Box bounds_;
  mutable bool boundsValid_ = false;
};

// Checks what the arrays must satisfy before topology can be built: three handles per face, each
// below the vertex count, and finite coordinates. An empty string when they do, else the problem.
std::string validateMesh(const Mesh& mesh);

// Builds the adjacency, the edge table and the state arrays (cleared) from positions and faces;
// the geometry must have passed validateMesh.
void buildTopology(Mesh& mesh);

// The unit normal of face f from its corners, in single precision; false (n untouched) for a
// face without area, whose normal has no direction.
inline bool faceNormal(const Mesh& m, std::uint32_t f, float* n) {
  const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
  const float* a = &m.positions[3 * std::size_t{v[0]}];
  const float* b = &m.positions[3 * std::size_t{v[1]}];
  const float* c = &m.positions[3 * std::size_t{v[2]}];
  const float ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
  const float wx = c[0] - a[0], wy = c[1] - a[1], wz = c[2] - a[2];
  const float x = uy * wz - uz * wy, y = uz * wx - ux * wz, z = ux * wy - uy * wx;
  const float len = std::sqrt(x * x + y * y + z * z);
  // Also false when the square underflows to zero or overflows.
  if (!(len > 0.0f) || !(len < std::numeric_limits<float>::infinity())) return false;
  n[0] = x / len, n[1] = y / len, n[2] = z / len;
  return true;
}

// The faces of edge e: f0, f1 when present, then the extra faces of a non-manifold edge.
std::vector<std::uint32_t> edgeFaces(const Mesh& mesh, std::uint32_t e);

}  // namespace tessel::studio
