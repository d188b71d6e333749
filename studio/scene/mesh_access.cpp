#include "studio/scene/mesh_access.h"

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
  if (placement_) {
    const Vec3 w = placement_->place({xyz[0], xyz[1], xyz[2]});
    xyz[0] = static_cast<float>(w.x), xyz[1] = static_cast<float>(w.y);
    xyz[2] = static_cast<float>(w.z);
  }
}

bool MeshAccess::placeNormal(float* xyz) const {
  if (!placement_) return true;
  const Vec3 n = placement_->placeNormal({xyz[0], xyz[1], xyz[2]});
  xyz[0] = static_cast<float>(n.x), xyz[1] = static_cast<float>(n.y);
  xyz[2] = static_cast<float>(n.z);
  return n.x != 0 || n.y != 0 || n.z != 0;
}

void MeshAccess::ClearVertexFlags() {
  if (m_) std::fill(m_->vertexMarks().begin(), m_->vertexMarks().end(), 0u);
}

std::int32_t MeshAccess::GetEdgeFaces(std::uint32_t edge, std::uint32_t* f0, std::uint32_t* f1) {
  if (!isEdge(edge)) return 0;
  // The edge table keeps the two lowest face handles of an edge in f0 and f1, so a
  // non-manifold edge answers those two.
  const Edge& e = m_->edges()[edge];
  *f0 = e.f0;
  if (e.f1 == kNoFace) return 1;
  *f1 = e.f1;
  return 2;
}

std::int32_t MeshAccess::handlesAfter(std::uint32_t after, std::uint32_t count,
                                      std::uint32_t* out, std::int32_t max) {
  const std::uint32_t begin = after == om::kNoHandle ? 0 : after + 1;
  if (!out || max <= 0 || begin >= count) return 0;
  const auto n = static_cast<std::int32_t>(std::min<std::uint32_t>(count - begin, static_cast<std::uint32_t>(max)));
  for (std::int32_t i = 0; i < n; ++i) out[i] = begin + static_cast<std::uint32_t>(i);
  return n;
}

// The batched answers read the tables through plain pointers: a store through the byte-sized
// outputs could alias anything, and would make the compiler reload the vectors every element.
void MeshAccess::GetEdgeValues(const std::uint32_t* edges, std::int32_t count, float* values) {
  const float* table = m_ ? m_->edgeValues().data() : nullptr;
  const std::size_t n = m_ ? m_->edgeValues().size() : 0;
  for (std::int32_t i = 0; i < count; ++i) values[i] = edges[i] < n ? table[edges[i]] : 0.0f;
}

void MeshAccess::SetEdgeValues(const std::uint32_t* edges, std::int32_t count, const float* values) {
  float* table = m_ ? m_->edgeValues().data() : nullptr;
  const std::size_t n = m_ ? m_->edgeValues().size() : 0;
  for (std::int32_t i = 0; i < count; ++i)
    if (edges[i] < n) table[edges[i]] = values[i];
}

void MeshAccess::GetFaceStates(const std::uint32_t* faces, std::int32_t count, std::uint32_t* states) {
  const std::uint8_t* flags = m_ ? m_->faceFlags.data() : nullptr;
  const std::size_t n = m_ ? m_->faceFlags.size() : 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (faces[i] >= n) {
      states[i] = om::kFaceHidden;
      continue;
    }
    const std::uint8_t f = flags[faces[i]];
    states[i] = ((f & (kMarked | kBlocked)) ? om::kFaceMarked : 0u) |
                ((f & kHidden) ? om::kFaceHidden : 0u) | ((f & kExcluded) ? om::kFaceExcluded : 0u);
  }
}

void MeshAccess::GetFaceNormals(const std::uint32_t* faces, std::int32_t count, float* xyz,
                                std::uint8_t* valid) {
  const Mesh* m = m_;
  const std::size_t n = m ? m->faceFlags.size() : 0;
  for (std::int32_t i = 0; i < count; ++i) {
    float normal[3] = {0.0f, 0.0f, 0.0f};
    const bool ok = faces[i] < n && faceNormal(*m, faces[i], normal) && placeNormal(normal);
    xyz[3 * i] = normal[0], xyz[3 * i + 1] = normal[1], xyz[3 * i + 2] = normal[2];
    valid[i] = ok ? 1 : 0;
  }
}

void MeshAccess::FacesMatch(const std::uint32_t* faces, std::int32_t count, std::int32_t value,
                            std::uint8_t* matches) {
  const std::uint8_t* flags = m_ ? m_->faceFlags.data() : nullptr;
  const std::size_t n = m_ ? m_->faceFlags.size() : 0;
  const auto bits = static_cast<std::uint8_t>(value);
  for (std::int32_t i = 0; i < count; ++i)
    matches[i] = value == -1 || (faces[i] < n && (flags[faces[i]] & bits) == 0) ? 1 : 0;
}

void MeshAccess::GetFacesVertexRecords(const std::uint32_t* faces, std::int32_t count,
                                       std::uint32_t* words) {
  const std::uint32_t* corners = m_ ? m_->faces.data() : nullptr;
  const std::uint32_t* marks = m_ ? m_->vertexMarks().data() : nullptr;
  const std::size_t n = m_ ? m_->faceFlags.size() : 0;
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint32_t* w = words + 3 * i;
    if (faces[i] >= n) {
      w[0] = w[1] = w[2] = 0;
      continue;
    }
    const std::uint32_t* f = corners + 3 * std::size_t{faces[i]};
    w[0] = marks[f[0]], w[1] = marks[f[1]], w[2] = marks[f[2]];
  }
}

std::int32_t MeshAccess::GetEdgeRecords(std::uint32_t after, omEdgeRecord* out, std::int32_t max) {
  if (!m_ || !out || max <= 0) return 0;
  const std::uint32_t begin = after == om::kNoHandle ? 0 : after + 1;
  const std::vector<Edge>& edges = m_->edges();
  const auto end = static_cast<std::uint32_t>(edges.size());
  std::int32_t n = 0;
  for (std::uint32_t e = begin; e < end && n < max; ++e, ++n) {
    const Edge& edge = edges[e];
    out[n] = {e, edge.v0, edge.v1, edge.f0, edge.f1, edge.f1 == kNoFace ? 1 : 2};
  }
  return n;
}

}  // namespace tessel::studio
