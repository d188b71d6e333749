#include "studio/scene/mesh.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace tessel::studio {

const Box& Mesh::bounds() const {
  if (!boundsValid_) {
    bounds_ = Box{};
    for (std::uint32_t v = 0, n = vertexCount(); v < n; ++v) bounds_.add(position(v));
    boundsValid_ = true;
  }
  return bounds_;
}

std::size_t Mesh::memoryBytes() const {
  auto bytes = [](const auto& v) { return v.capacity() * sizeof(v[0]); };
  return bytes(positions) + bytes(faces) + bytes(vertexFaceStart_) + bytes(vertexFaces_) +
         bytes(edges_) + bytes(faceEdges_) + bytes(extraEdgeFaces_) + bytes(vertexFlags) +
         bytes(faceFlags) + bytes(edgeFlags) + bytes(vertexMarks_) + bytes(edgeValues_) + bytes(residuals);
}

std::string validateMesh(const Mesh& mesh) {
  if (mesh.positions.size() % 3 != 0) return "vertex coordinates are not in threes";
  if (mesh.faces.size() % 3 != 0) return "faces are not triangles";
  std::uint32_t n = mesh.vertexCount();
  for (std::size_t i = 0; i < mesh.positions.size(); ++i)
    if (!std::isfinite(mesh.positions[i]))
      return "vertex " + std::to_string(i / 3) + " has a non-finite coordinate";
  for (std::size_t i = 0; i < mesh.faces.size(); ++i)
    if (mesh.faces[i] >= n)
      return "face " + std::to_string(i / 3) + " uses vertex " + std::to_string(mesh.faces[i]) +
             " of " + std::to_string(n);
  return {};
}

void buildTopology(Mesh& m) {
  static std::atomic<std::uint64_t> revisions{0};
  m.revision = ++revisions;
  m.invalidateBounds();
  m.vertexFlags.assign(m.vertexCount(), 0);
  m.faceFlags.assign(m.faceCount(), 0);
  // What was built for the faces before goes, memory and all.
  releaseVector(m.edgeFlags);
  releaseVector(m.vertexFaceStart_), releaseVector(m.vertexFaces_);
  releaseVector(m.edges_), releaseVector(m.faceEdges_), releaseVector(m.extraEdgeFaces_);
  releaseVector(m.vertexMarks_), releaseVector(m.edgeValues_);
  m.adjacencyBuilt_ = m.edgesBuilt_ = m.faceEdgesBuilt_ = m.edgesCounted_ = false;
  m.degenerateCounted_ = false;
}

// Vertex-to-face rows by a counting pass; a face that names a vertex twice is listed once.
void Mesh::buildAdjacency() const {
  const std::uint32_t nv = vertexCount(), nf = faceCount();
  const std::uint32_t* f = faces.data();
  auto repeats = [f](std::uint32_t face, int k) {
    return (k >= 1 && f[3 * face + k] == f[3 * face]) ||
           (k == 2 && f[3 * face + 2] == f[3 * face + 1]);
  };
  std::vector<std::uint32_t>& start = vertexFaceStart_;
  start.assign(nv + 1, 0);
  for (std::uint32_t i = 0; i < nf; ++i)
    for (int k = 0; k < 3; ++k)
      if (!repeats(i, k)) ++start[f[3 * i + k] + 1];
  for (std::uint32_t v = 0; v < nv; ++v) start[v + 1] += start[v];
  vertexFaces_.resize(start[nv]);
  // Filling in face order keeps each row ascending; the cursor borrows the next row's start.
  for (std::uint32_t i = 0; i < nf; ++i)
    for (int k = 0; k < 3; ++k)
      if (!repeats(i, k)) vertexFaces_[start[f[3 * i + k]]++] = i;
  for (std::uint32_t v = nv; v > 0; --v) start[v] = start[v - 1];
  start[0] = 0;
  adjacencyBuilt_ = true;
}

namespace {

// One side of a face at its lower vertex: the edge to `other`, side k of `face`.
struct Side {
  std::uint32_t other, face, k;
  bool operator<(const Side& s) const {
    return other != s.other ? other < s.other : face != s.face ? face < s.face : k < s.k;
  }
};

// Calls edgesAt(v, sides) for each vertex with the sides of its faces that make an edge at their
// lower vertex v, sorted: each edge's sides in a row, by ascending face. Every edge is met at one
// vertex's own faces, so nothing needs a global sort, and sorting each vertex's sides keeps a
// vertex of any valence to n log n (a search per side was quadratic in it).
template <class EdgesAt>
void forEachVertexSides(const Mesh& m, EdgesAt&& edgesAt) {
  const std::uint32_t* f = m.faces.data();
  std::vector<Side> sides;
  for (std::uint32_t v = 0, nv = m.vertexCount(); v < nv; ++v) {
    std::uint32_t count;
    const std::uint32_t* around = m.facesAround(v, &count);
    sides.clear();
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint32_t face = around[j];
      for (std::uint32_t k = 0; k < 3; ++k) {
        const std::uint32_t a = f[3 * face + k], b = f[3 * face + (k + 1) % 3];
        if (std::min(a, b) == v) sides.push_back({std::max(a, b), face, k});
      }
    }
    // Often in order already (a fan numbered around its centre, a vertex of one face).
    if (!std::is_sorted(sides.begin(), sides.end())) std::sort(sides.begin(), sides.end());
    edgesAt(v, sides);
  }
}

// Calls edge(w, first, end) for each run of sides to one vertex w.
template <class Run>
void forEachRun(const std::vector<Side>& sides, Run&& edge) {
  for (std::size_t i = 0; i < sides.size();) {
    std::size_t end = i + 1;
    while (end < sides.size() && sides[end].other == sides[i].other) ++end;
    edge(sides[i].other, &sides[i], &sides[0] + end);
    i = end;
  }
}

}  // namespace

void Mesh::buildEdges() const {
  const std::uint32_t nf = faceCount();
  std::vector<Edge>& table = edges_;
  table.clear();
  // A closed surface has 1.5 edges a face; scans with holes a little more. Reserving close to the
  // real count, and never shrinking, keeps the peak at one copy of the table.
  table.reserve(edgesCounted_ ? edgeCounts_.edges
                              : static_cast<std::size_t>(nf) * 3 / 2 + nf / 64 + 16);
  extraEdgeFaces_.clear();
  forEachVertexSides(*this, [&](std::uint32_t v, const std::vector<Side>& sides) {
    forEachRun(sides, [&](std::uint32_t w, const Side* s, const Side* end) {
      const auto e = static_cast<std::uint32_t>(table.size());
      Edge edge{v, w, s->face, kNoFace};
      // A degenerate face (a, a, b) meets the same edge twice, in a row; it counts once.
      for (const Side* p = s + 1; p != end; ++p) {
        if (p->face == edge.f0 || p->face == (p - 1)->face) continue;
        if (edge.f1 == kNoFace)
          edge.f1 = p->face;
        else
          extraEdgeFaces_.push_back(e), extraEdgeFaces_.push_back(p->face);
      }
      table.push_back(edge);
    });
  });
  // The flags are state, kept in the open; they come into being with the table.
  const_cast<Mesh*>(this)->edgeFlags.assign(table.size(), 0);
  edgesBuilt_ = true;
}

// The same walk as the table's, so the edges come in the table's order.
void Mesh::buildFaceEdges() const {
  edges();
  faceEdges_.assign(static_cast<std::size_t>(faceCount()) * 3, 0);
  std::uint32_t e = 0;
  forEachVertexSides(*this, [&](std::uint32_t, const std::vector<Side>& sides) {
    forEachRun(sides, [&](std::uint32_t, const Side* s, const Side* end) {
      for (const Side* p = s; p != end; ++p) faceEdges_[3 * static_cast<std::size_t>(p->face) + p->k] = e;
      ++e;
    });
  });
  faceEdgesBuilt_ = true;
}

// The edge table's counts without the table: at each vertex, its edges to higher vertices and the
// distinct faces on each.
const Mesh::EdgeCounts& Mesh::edgeCounts() const {
  if (edgesCounted_) return edgeCounts_;
  // Counting needs the vertex-to-face rows; rows built only for it go again, so the load's
  // report of the edges does not keep them.
  const bool hadAdjacency = adjacencyBuilt_;
  EdgeCounts c;
  forEachVertexSides(*this, [&](std::uint32_t, const std::vector<Side>& sides) {
    forEachRun(sides, [&](std::uint32_t, const Side* s, const Side* end) {
      std::uint32_t onEdge = 1;  // distinct faces
      for (const Side* p = s + 1; p != end; ++p) onEdge += p->face != (p - 1)->face;
      ++c.edges;
      c.boundary += onEdge == 1 ? 1 : 0;
      c.nonManifold += onEdge > 2 ? 1 : 0;
    });
  });
  edgeCounts_ = c;
  edgesCounted_ = true;
  if (!hadAdjacency) {
    releaseVector(vertexFaceStart_), releaseVector(vertexFaces_);
    adjacencyBuilt_ = false;
  }
  return edgeCounts_;
}

std::uint32_t Mesh::edgeCount() const {
  return edgesBuilt_ ? static_cast<std::uint32_t>(edges_.size()) : edgeCounts().edges;
}

std::uint32_t Mesh::boundaryEdgeCount() const { return edgeCounts().boundary; }

std::uint32_t Mesh::nonManifoldEdgeCount() const { return edgeCounts().nonManifold; }

std::uint32_t Mesh::degenerateFaceCount() const {
  if (degenerateCounted_) return degenerate_;
  std::uint32_t n = 0;
  for (std::uint32_t f = 0; f < faceCount(); ++f) {
    const std::uint32_t* t = &faces[3 * static_cast<std::size_t>(f)];
    // The cross product in double precision, so a tiny but real triangle still has area.
    n += length(cross(position(t[1]) - position(t[0]), position(t[2]) - position(t[0]))) == 0;
  }
  degenerate_ = n;
  degenerateCounted_ = true;
  return n;
}

std::vector<std::uint32_t> edgeFaces(const Mesh& mesh, std::uint32_t e) {
  std::vector<std::uint32_t> out;
  const Edge& edge = mesh.edges()[e];
  out.push_back(edge.f0);
  if (edge.f1 != kNoFace) out.push_back(edge.f1);
  // Pairs are stored flat: search on the pair index.
  const std::vector<std::uint32_t>& x = mesh.extraEdgeFaces();
  std::size_t lo = 0, hi = x.size() / 2;
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    if (x[2 * mid] < e) lo = mid + 1; else hi = mid;
  }
  for (std::size_t i = lo; i < x.size() / 2 && x[2 * i] == e; ++i) out.push_back(x[2 * i + 1]);
  return out;
}

void Mesh::clearSelectedComponents() {
  // Eight flags a step: every replacing selection request runs this over every mesh.
  constexpr std::uint64_t kKeep = ~(0x0101010101010101ull * kSelected);
  for (auto* flags : {&vertexFlags, &faceFlags, &edgeFlags}) {
    std::uint8_t* f = flags->data();
    std::size_t i = 0, n = flags->size();
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, f + i, 8);
      word &= kKeep;
      std::memcpy(f + i, &word, 8);
    }
    for (; i < n; ++i) f[i] &= static_cast<std::uint8_t>(~kSelected);
  }
}

bool Mesh::hasSelectedComponents() const {
  for (const auto* flags : {&vertexFlags, &faceFlags, &edgeFlags})
    for (std::uint8_t f : *flags)
      if (f & kSelected) return true;
  return false;
}

}  // namespace tessel::studio
