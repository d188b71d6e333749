#include "studio/scene/mesh.h"

#include <algorithm>
#include <atomic>
#include <cmath>

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
  return bytes(positions) + bytes(faces) + bytes(vertexFaceStart) + bytes(vertexFaces) +
         bytes(edges) + bytes(faceEdges) + bytes(extraEdgeFaces) + bytes(vertexFlags) +
         bytes(faceFlags) + bytes(edgeFlags) + bytes(vertexMarks) + bytes(edgeValues);
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

namespace {

// Vertex-to-face rows by a counting pass; a face that names a vertex twice is listed once.
void buildVertexFaces(Mesh& m) {
  const std::uint32_t nv = m.vertexCount(), nf = m.faceCount();
  const std::uint32_t* f = m.faces.data();
  auto repeats = [f](std::uint32_t face, int k) {
    return (k >= 1 && f[3 * face + k] == f[3 * face]) ||
           (k == 2 && f[3 * face + 2] == f[3 * face + 1]);
  };
  m.vertexFaceStart.assign(nv + 1, 0);
  for (std::uint32_t i = 0; i < nf; ++i)
    for (int k = 0; k < 3; ++k)
      if (!repeats(i, k)) ++m.vertexFaceStart[f[3 * i + k] + 1];
  for (std::uint32_t v = 0; v < nv; ++v) m.vertexFaceStart[v + 1] += m.vertexFaceStart[v];
  m.vertexFaces.resize(m.vertexFaceStart[nv]);
  // Filling in face order keeps each row ascending; the cursor borrows the next row's start.
  std::vector<std::uint32_t>& start = m.vertexFaceStart;
  for (std::uint32_t i = 0; i < nf; ++i)
    for (int k = 0; k < 3; ++k)
      if (!repeats(i, k)) m.vertexFaces[start[f[3 * i + k]]++] = i;
  for (std::uint32_t v = nv; v > 0; --v) start[v] = start[v - 1];
  start[0] = 0;
}

}  // namespace

void buildTopology(Mesh& m) {
  static std::atomic<std::uint64_t> revisions{0};
  m.revision = ++revisions;
  m.invalidateBounds();
  buildVertexFaces(m);
  const std::uint32_t nv = m.vertexCount(), nf = m.faceCount();
  const std::uint32_t* f = m.faces.data();
  m.edges.clear();
  // A closed surface has 1.5 edges a face; scans with holes a little more. Reserving close to the
  // real count, and never shrinking, keeps the peak at one copy of the table.
  m.edges.reserve(static_cast<std::size_t>(nf) * 3 / 2 + nf / 64 + 16);
  m.faceEdges.assign(static_cast<std::size_t>(nf) * 3, 0);
  m.extraEdgeFaces.clear();
  std::vector<std::pair<std::uint32_t, std::uint32_t>> extra;  // (edge, face)
  // Each edge is made at its lower vertex, from that vertex's own faces, so the table needs no
  // global sort and no scratch beyond one vertex's neighbours.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> local;  // (other vertex, edge)
  for (std::uint32_t v = 0; v < nv; ++v) {
    local.clear();
    std::uint32_t count;
    const std::uint32_t* around = m.facesAround(v, &count);
    for (std::uint32_t j = 0; j < count; ++j) {
      std::uint32_t face = around[j];
      for (int k = 0; k < 3; ++k) {
        std::uint32_t a = f[3 * face + k], b = f[3 * face + (k + 1) % 3];
        if (std::min(a, b) != v) continue;
        std::uint32_t w = std::max(a, b);
        auto it = std::find_if(local.begin(), local.end(), [w](auto& p) { return p.first == w; });
        std::uint32_t e;
        if (it == local.end()) {
          e = static_cast<std::uint32_t>(m.edges.size());
          m.edges.push_back({v, w, face, kNoFace});
          local.emplace_back(w, e);
        } else {
          e = it->second;
          Edge& edge = m.edges[e];
          // A degenerate face (a, a, b) meets the same edge twice; count it once.
          if (edge.f0 != face && edge.f1 != face) {
            if (edge.f1 == kNoFace)
              edge.f1 = face;
            else if (extra.empty() || extra.back() != std::pair{e, face})
              extra.emplace_back(e, face);
          }
        }
        m.faceEdges[3 * static_cast<std::size_t>(face) + k] = e;
      }
    }
  }
  std::sort(extra.begin(), extra.end());
  extra.erase(std::unique(extra.begin(), extra.end()), extra.end());
  m.extraEdgeFaces.reserve(extra.size() * 2);
  for (auto [e, face] : extra) m.extraEdgeFaces.push_back(e), m.extraEdgeFaces.push_back(face);
  const std::size_t ne = m.edges.size();
  m.vertexFlags.assign(nv, 0);
  m.faceFlags.assign(nf, 0);
  m.edgeFlags.assign(ne, 0);
  m.vertexMarks.assign(nv, 0);
  m.edgeValues.assign(ne, 0.0f);
}

std::vector<std::uint32_t> edgeFaces(const Mesh& mesh, std::uint32_t e) {
  std::vector<std::uint32_t> out;
  const Edge& edge = mesh.edges[e];
  out.push_back(edge.f0);
  if (edge.f1 != kNoFace) out.push_back(edge.f1);
  // Pairs are stored flat: search on the pair index.
  const std::vector<std::uint32_t>& x = mesh.extraEdgeFaces;
  std::size_t lo = 0, hi = x.size() / 2;
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    if (x[2 * mid] < e) lo = mid + 1; else hi = mid;
  }
  for (std::size_t i = lo; i < x.size() / 2 && x[2 * i] == e; ++i) out.push_back(x[2 * i + 1]);
  return out;
}

void Mesh::clearSelectedComponents() {
  for (auto* flags : {&vertexFlags, &faceFlags, &edgeFlags})
    for (std::uint8_t& f : *flags) f &= static_cast<std::uint8_t>(~kSelected);
}

bool Mesh::hasSelectedComponents() const {
  for (const auto* flags : {&vertexFlags, &faceFlags, &edgeFlags})
    for (std::uint8_t f : *flags)
      if (f & kSelected) return true;
  return false;
}

}  // namespace tessel::studio
