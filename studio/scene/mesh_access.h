// Studio's meshes as the module's fill and fold algorithms reach them. Every handle is checked:
// one the mesh does not have reads as nothing and writes nowhere.
#pragma once

#include "host/omMesh.h"
#include "studio/scene/mesh.h"
#include "studio/scene/placement.h"

namespace tessel::studio {

// The face filter Studio hands out (omEntity::GetFaceFilter): a face passes when it carries none
// of these flags.
inline constexpr std::int32_t kFaceFilterVisible = kHidden;

class MeshAccess final : public omMesh {
 public:
  explicit MeshAccess(Mesh* mesh = nullptr) : m_(mesh) {}
  // With a placement, positions and normals are answered in world space (where the fold and
  // height tests of a non-uniformly scaled mesh must be made); topology is the same either way.
  void bind(Mesh* mesh, const Placement* placement = nullptr) {
    m_ = mesh;
    placement_ = placement && !placement->isIdentity() ? placement : nullptr;
  }
  Mesh* mesh() const { return m_; }

  std::uint32_t GetFaceCount() override { return m_ ? m_->faceCount() : 0; }
  std::uint32_t FirstFace() override { return GetFaceCount() ? 0 : om::kNoHandle; }
  std::uint32_t NextFace(std::uint32_t face) override {
    return face + 1 < GetFaceCount() ? face + 1 : om::kNoHandle;
  }
  std::int32_t GetFaceVertices(std::uint32_t face, std::uint32_t* out, std::int32_t) override;
  bool FaceMatches(std::uint32_t face, std::int32_t value) override;
  void MarkFace(std::uint32_t face) override { setFace(face, kMarked); }
  void MarkFaceBlocked(std::uint32_t face) override { setFace(face, kBlocked); }
  void UnmarkFace(std::uint32_t face) override {
    if (isFace(face)) m_->faceFlags[face] &= static_cast<std::uint8_t>(~(kMarked | kBlocked));
  }
  bool IsFaceMarked(std::uint32_t face) override { return faceHas(face, kMarked | kBlocked); }
  bool IsFaceHidden(std::uint32_t face) override { return faceHas(face, kHidden); }
  bool IsFaceExcluded(std::uint32_t face) override { return faceHas(face, kExcluded); }
  bool GetFaceNormal(std::uint32_t face, float* xyz) override {
    if (isFace(face) && faceNormal(*m_, face, xyz)) return placeNormal(xyz);
    xyz[0] = xyz[1] = xyz[2] = 0.0f;
    return false;
  }

  std::uint32_t GetVertexCount() override { return m_ ? m_->vertexCount() : 0; }
  std::int32_t GetVertexFaces(std::uint32_t vertex, const std::uint32_t** faces,
                              std::int32_t) override;
  void MarkVertex(std::uint32_t vertex) override {
    if (isVertex(vertex)) m_->vertexFlags[vertex] |= kMarked;
  }
  void UnmarkVertex(std::uint32_t vertex) override {
    if (isVertex(vertex)) m_->vertexFlags[vertex] &= static_cast<std::uint8_t>(~kMarked);
  }
  bool IsVertexMarked(std::uint32_t vertex) override {
    return isVertex(vertex) && (m_->vertexFlags[vertex] & kMarked);
  }
  void GetVertexPosition(std::uint32_t vertex, float* xyz) override;
  void ClearVertexFlags() override;
  std::uint32_t GetVertexFlags(std::uint32_t vertex) override {
    return isVertex(vertex) ? m_->vertexMarks()[vertex] : 0;
  }
  void SetVertexFlags(std::uint32_t vertex, std::uint32_t flags) override {
    if (isVertex(vertex)) m_->vertexMarks()[vertex] = flags;
  }

  std::uint32_t FirstEdge() override { return m_ && m_->edgeCount() ? 0 : om::kNoHandle; }
  std::uint32_t NextEdge(std::uint32_t edge) override {
    return m_ && edge + 1 < m_->edgeCount() ? edge + 1 : om::kNoHandle;
  }
  std::uint32_t GetEdgeStart(std::uint32_t edge) override {
    return isEdge(edge) ? m_->edges()[edge].v0 : om::kNoHandle;
  }
  std::uint32_t GetEdgeEnd(std::uint32_t edge) override {
    return isEdge(edge) ? m_->edges()[edge].v1 : om::kNoHandle;
  }
  std::int32_t GetEdgeFaces(std::uint32_t edge, std::uint32_t* f0, std::uint32_t* f1) override;
  float* GetEdgeValue(std::uint32_t edge) override {
    return isEdge(edge) ? &m_->edgeValues()[edge] : nullptr;
  }
  void UnmarkFaces(const std::uint32_t* faces, std::int32_t count) override {
    for (std::int32_t i = 0; i < count; ++i) UnmarkFace(faces[i]);
  }
  void UnmarkVertices(const std::uint32_t* vertices, std::int32_t count) override {
    for (std::int32_t i = 0; i < count; ++i) UnmarkVertex(vertices[i]);
  }
  std::int32_t GetFaceVertexRecords(std::uint32_t face, std::uint32_t* words) override {
    if (!isFace(face) || !words) return 0;
    const std::uint32_t* f = &m_->faces[3 * std::size_t{face}];
    for (int k = 0; k < 3; ++k) words[k] = m_->vertexMarks()[f[k]];
    return 3;
  }
  std::int32_t GetEdgeRecords(std::uint32_t after, omEdgeRecord* out, std::int32_t max) override;
  void GetEdgeValues(const std::uint32_t* edges, std::int32_t count, float* values) override;
  void SetEdgeValues(const std::uint32_t* edges, std::int32_t count, const float* values) override;
  void GetFaceStates(const std::uint32_t* faces, std::int32_t count, std::uint32_t* states) override;
  void GetFaceNormals(const std::uint32_t* faces, std::int32_t count, float* xyz,
                      std::uint8_t* valid) override;
  std::int32_t GetFaces(std::uint32_t after, std::uint32_t* out, std::int32_t max) override {
    return handlesAfter(after, GetFaceCount(), out, max);
  }
  void FacesMatch(const std::uint32_t* faces, std::int32_t count, std::int32_t value,
                  std::uint8_t* matches) override;
  void GetFacesVertexRecords(const std::uint32_t* faces, std::int32_t count,
                             std::uint32_t* words) override;
  std::int32_t GetEdges(std::uint32_t after, std::uint32_t* out, std::int32_t max) override {
    return handlesAfter(after, m_ ? m_->edgeCount() : 0, out, max);
  }
  std::uint32_t GetTriangleArrays(const std::uint32_t** corners, const float** positions,
                                  std::uint32_t* vertexCount) override {
    if (!m_ || !corners || !positions || !vertexCount) return 0;
    *corners = m_->faces.data();
    *positions = m_->positions.data();
    *vertexCount = m_->vertexCount();
    return m_->faceCount();
  }
  std::uint32_t GetFaceState(std::uint32_t face) override {
    if (!isFace(face)) return om::kFaceHidden;
    const std::uint8_t f = m_->faceFlags[face];
    return ((f & (kMarked | kBlocked)) ? om::kFaceMarked : 0u) |
           ((f & kHidden) ? om::kFaceHidden : 0u) | ((f & kExcluded) ? om::kFaceExcluded : 0u);
  }

 private:
  // Studio's handles are the indices 0 .. count-1.
  static std::int32_t handlesAfter(std::uint32_t after, std::uint32_t count, std::uint32_t* out,
                                   std::int32_t max);
  bool isFace(std::uint32_t f) const { return m_ && f < m_->faceFlags.size(); }
  bool isVertex(std::uint32_t v) const { return m_ && v < m_->vertexFlags.size(); }
  bool isEdge(std::uint32_t e) const { return m_ && e < m_->edges().size(); }
  bool faceHas(std::uint32_t f, std::uint8_t bits) const {
    return isFace(f) && (m_->faceFlags[f] & bits);
  }
  void setFace(std::uint32_t f, std::uint8_t bit) {
    if (isFace(f)) m_->faceFlags[f] |= bit;
  }

  // Turns a local unit normal into world axes; false (and zero) when it degenerates.
  bool placeNormal(float* xyz) const;

  Mesh* m_;
  const Placement* placement_ = nullptr;
};

}  // namespace tessel::studio
