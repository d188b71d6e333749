#include "studio/mesh_access.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

std::int32_t MeshAccess::GetFaceVertices(std::uint32_t face, std::uint32_t* out,
                                        std::int32_t flags) {
  if (!isFace(face) || !out) return 0;
  const std::uint32_t* f = &m_->faces[3 * std::size_t{face}];
  if (flags != om::kFaceVerticesUnmarked) {
    out[0] = f[0];
    out[1] = f[1];
    out[2] = f[2];
    return 3;
  }
  std::int32_t n = 0;
  for (int k = 0; k < 3; ++k)
    if (!(m_->vertexFlags[f[k]] & kMarked)) out[n++] = f[k];
  return n;
}

bool MeshAccess::FaceMatches(std::uint32_t face, std::int32_t value) {
  if (value == -1) return true;
  return isFace(face) && (m_->faceFlags[face] & static_cast<std::uint8_t>(value)) == 0;
}

std::int32_t MeshAccess::GetVertexFaces(std::uint32_t vertex, const std::uint32_t** faces,
                                        std::int32_t) {
  if (!isVertex(vertex) || !faces) return 0;
  std::uint32_t n = 0;
  *faces = m_->facesAround(vertex, &n);
  return static_cast<std::int32_t>(n);
}

void MeshAccess::GetVertexPosition(std::uint32_t vertex, float* xyz) {
  if (!isVertex(vertex)) {
    xyz[0] = xyz[1] = xyz[2] = 0.0f;
    return;
  }
  std::copy_n(&m_->positions[3 * std::size_t{vertex}], 3, xyz);
}

void MeshAccess::ClearVertexFlags() {
  if (m_) std::fill(m_->vertexMarks.begin(), m_->vertexMarks.end(), 0u);
}

std::int32_t MeshAccess::GetEdgeFaces(std::uint32_t edge, std::uint32_t* f0, std::uint32_t* f1) {
  if (!isEdge(edge)) return 0;
  // The edge table keeps the two lowest face handles of an edge in f0 and f1, so a
  // non-manifold edge answers those two.
  const Edge& e = m_->edges[edge];
  *f0 = e.f0;
  if (e.f1 == kNoFace) return 1;
  *f1 = e.f1;
  return 2;
}

}  // namespace tessel::studio

namespace tessel::studio {

std::int32_t MeshAccess::GetEdgeRecords(std::uint32_t after, omEdgeRecord* out, std::int32_t max) {
  if (!m_ || !out || max <= 0) return 0;
  const std::uint32_t begin = after == om::kNoHandle ? 0 : after + 1;
  const std::uint32_t end = m_->edgeCount();
  std::int32_t n = 0;
  for (std::uint32_t e = begin; e < end && n < max; ++e, ++n) {
    const Edge& edge = m_->edges[e];
    out[n] = {e, edge.v0, edge.v1, edge.f0, edge.f1, edge.f1 == kNoFace ? 1 : 2};
  }
  return n;
}

}  // namespace tessel::studio
