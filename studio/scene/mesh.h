// A triangle mesh as Studio keeps a scan: flat arrays, 32-bit handles, adjacency in compressed
// rows. The geometry and the face and vertex states are held from the load; the vertex-to-face
// rows, the edge table and the scratch arrays of the fills are built when first asked for, so a
// mesh that is only looked at holds little more than its file. Boundary edges, non-manifold edges,
// isolated vertices and degenerate triangles are legal and kept as they come.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "studio/scene/vec3.h"

namespace tessel::studio {

inline constexpr std::uint32_t kNoFace = 0xFFFFFFFFu;

// Per-element flag bits (faceFlags, vertexFlags, edgeFlags).
enum ElementFlag : std::uint8_t {
  kSelected = 1,
  kHidden = 2,
  // Faces only: fills stop at them and the sharp-edge and degenerate searches pass them by;
  // box, lasso, brush and pick take them as any shown face (only hidden ones are skipped).
  kExcluded = 4,
  kMarked = 8,    // scratch marks of the fill algorithms: a face or vertex passed through
  kBlocked = 16,  // faces only: a face that stopped a fill
  kUnused = 32,   // vertices only: no face uses it since a deletion; left out of saved files
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
  // A file far from the origin for its detail (a georeferenced scan) is held shifted: its
  // coordinates are positions + offset, in double. Zero for a file held where it lies.
  Vec3 offset;
  // #V by 3, or empty: what each float position lost against the file's coordinate, exactly:
  // (file - offset) - position, so a save writes the file's doubles back bit for bit. Kept for
  // shifted meshes whose file held more than floats; whoever copies vertices copies these too.
  std::vector<double> residuals;
  bool shifted() const { return offset.x != 0 || offset.y != 0 || offset.z != 0; }

  // [SECTION] state, from buildTopology
  std::vector<std::uint8_t> vertexFlags;  // #V
  std::vector<std::uint8_t> faceFlags;    // #F
  // #E, but empty until the edge table is built: before anything asks for edges, none can be
  // selected or hidden. Writers make sure of the table first (edges()).
  std::vector<std::uint8_t> edgeFlags;
  // Unique to each build of the topology in the process, so caches of derived data (the
  // renderer's normals) can tell one mesh from another that took its place.
  std::uint64_t revision = 0;

  std::uint32_t vertexCount() const { return static_cast<std::uint32_t>(positions.size() / 3); }
  std::uint32_t faceCount() const { return static_cast<std::uint32_t>(faces.size() / 3); }
  Vec3 position(std::uint32_t v) const {
    return {positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]};
  }

  // [SECTION] topology, built on first use (each of these may build it)
  // #V+1 offsets into vertexFaces
  const std::vector<std::uint32_t>& vertexFaceStart() const {
    if (!adjacencyBuilt_) buildAdjacency();
    return vertexFaceStart_;
  }
  // Faces around each vertex, ascending, no repeats.
  const std::vector<std::uint32_t>& vertexFaces() const {
    if (!adjacencyBuilt_) buildAdjacency();
    return vertexFaces_;
  }
  // The rows as built, open to change for tests that play a host whose rows differ.
  std::vector<std::uint32_t>& vertexFaceStart() {
    std::as_const(*this).vertexFaceStart();
    return vertexFaceStart_;
  }
  std::vector<std::uint32_t>& vertexFaces() {
    std::as_const(*this).vertexFaces();
    return vertexFaces_;
  }
  const std::uint32_t* facesAround(std::uint32_t v, std::uint32_t* count) const {
    const std::vector<std::uint32_t>& start = vertexFaceStart();
    *count = start[v + 1] - start[v];
    return vertexFaces().data() + start[v];
  }
  // By ascending (v0, v1).
  const std::vector<Edge>& edges() const {
    if (!edgesBuilt_) buildEdges();
    return edges_;
  }
  // #F by 3: edge k joins corners k and k+1. Built apart from the table, and only when asked
  // for: the fold measure and the fills go by the table alone.
  const std::vector<std::uint32_t>& faceEdges() const {
    if (!faceEdgesBuilt_) buildFaceEdges();
    return faceEdges_;
  }
  // (edge, face) pairs, by edge then face.
  const std::vector<std::uint32_t>& extraEdgeFaces() const {
    if (!edgesBuilt_) buildEdges();
    return extraEdgeFaces_;
  }
  bool hasEdgeTable() const { return edgesBuilt_; }
  // edgeFlags with the table built, for whoever writes them or reads them by edge handle.
  std::vector<std::uint8_t>& tableEdgeFlags() {
    edges();
    return edgeFlags;
  }
  // Counted from the vertex-to-face rows when the edge table is not built, so asking does not
  // build it.
  std::uint32_t edgeCount() const;
  std::uint32_t boundaryEdgeCount() const;
  std::uint32_t nonManifoldEdgeCount() const;
  // Faces without area (two corners at one point, or all three on a line), counted once for
  // the faces as built.
  std::uint32_t degenerateFaceCount() const;
  // [SECTION] scratch of the fills and measures, zeroed on first use
  // #V mark words of the fill algorithms.
  std::vector<std::uint32_t>& vertexMarks() {
    if (vertexMarks_.size() != vertexCount()) vertexMarks_.assign(vertexCount(), 0);
    return vertexMarks_;
  }
  // #E, e.g. fold cosines.
  std::vector<float>& edgeValues() {
    if (edgeValues_.size() != edges().size()) edgeValues_.assign(edges().size(), 0.0f);
    return edgeValues_;
  }

  // Cached after the first call; whoever moves vertices calls invalidateBounds.
  const Box& bounds() const;
  void invalidateBounds() { boundsValid_ = false; }
  std::size_t memoryBytes() const;
  // Vertices, faces and edges together.
  void clearSelectedComponents();
  bool hasSelectedComponents() const;

 private:
  friend void buildTopology(Mesh& mesh);
  struct EdgeCounts {
    std::uint32_t edges = 0, boundary = 0, nonManifold = 0;
  };
  const EdgeCounts& edgeCounts() const;
  void buildAdjacency() const;
  void buildEdges() const;
  void buildFaceEdges() const;

  mutable Box bounds_;
  mutable bool boundsValid_ = false;
  // What is built on first use. Studio touches a mesh from one thread.
  mutable std::vector<std::uint32_t> vertexFaceStart_, vertexFaces_;
  mutable std::vector<Edge> edges_;
  mutable std::vector<std::uint32_t> faceEdges_, extraEdgeFaces_;
  mutable EdgeCounts edgeCounts_;
  mutable bool adjacencyBuilt_ = false, edgesBuilt_ = false, faceEdgesBuilt_ = false,
               edgesCounted_ = false;
  mutable std::uint32_t degenerate_ = 0;
  mutable bool degenerateCounted_ = false;
  std::vector<std::uint32_t> vertexMarks_;
  std::vector<float> edgeValues_;
};

// Empties `v` and hands its memory back. (`v = {}` picks the assignment from an initializer list,
// which keeps the capacity.)
template <class T>
void releaseVector(std::vector<T>& v) {
  std::vector<T>().swap(v);
}

// Checks what the arrays must satisfy before topology can be built: three handles per face, each
// below the vertex count, and finite coordinates. An empty string when they do, else the problem.
std::string validateMesh(const Mesh& mesh);

// Makes the state arrays (cleared) for positions and faces and drops whatever topology was built
// for earlier ones; the geometry must have passed validateMesh.
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
