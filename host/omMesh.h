// A polygon mesh of the host as the fill and fold algorithms see it: triangles, vertices and
// edges by 32-bit handle, the scratch marks those algorithms set and clear, a float per edge and
// a mark word per vertex. The virtual order is the contract with the host binary: append, never
// reorder.
#pragma once

#include <cstdint>

namespace om {
// Answered by FirstFace/NextFace/FirstEdge/NextEdge past the last element.
inline constexpr std::uint32_t kNoHandle = 0xFFFFFFFFu;
// omMesh::GetFaceVertices flags.
enum FaceVertexFlag : std::int32_t { kFaceVerticesAll = 0, kFaceVerticesUnmarked = 1 };
// omMesh::GetFaceState bits.
enum FaceState : std::uint32_t { kFaceMarked = 1, kFaceHidden = 2, kFaceExcluded = 4 };
}  // namespace om

// One edge as omMesh::GetEdgeRecords answers it: what GetEdgeStart, GetEdgeEnd and GetEdgeFaces
// give (f1 unset on a boundary edge, faceCount 1).
struct omEdgeRecord {
  std::uint32_t edge, start, end, f0, f1;
  std::int32_t faceCount;
};

class omMesh {
 public:
  // [SECTION] faces
  virtual std::uint32_t GetFaceCount() = 0;
  virtual std::uint32_t FirstFace() = 0;
  virtual std::uint32_t NextFace(std::uint32_t face) = 0;
  // Writes the three vertex handles of the face, in order, and answers how many were written (0
  // for a handle the mesh does not have). With om::kFaceVerticesUnmarked only the vertices
  // without a mark (IsVertexMarked false) are written.
  virtual std::int32_t GetFaceVertices(std::uint32_t face, std::uint32_t* out, std::int32_t flags) = 0;
  // Whether the face passes a filter value the host hands out (omEntity::GetFaceFilter); -1 lets
  // every face pass.
  virtual bool FaceMatches(std::uint32_t face, std::int32_t value) = 0;
  // Marks: a marked face spreads a fill, a blocked one stops it; both answer IsFaceMarked.
  virtual void MarkFace(std::uint32_t face) = 0;
  virtual void MarkFaceBlocked(std::uint32_t face) = 0;
  virtual void UnmarkFace(std::uint32_t face) = 0;
  virtual bool IsFaceMarked(std::uint32_t face) = 0;
  virtual bool IsFaceHidden(std::uint32_t face) = 0;
  virtual bool IsFaceExcluded(std::uint32_t face) = 0;
  // The unit normal; false (and zeros) for a face without one (zero area).
  virtual bool GetFaceNormal(std::uint32_t face, float* xyz) = 0;

  // [SECTION] vertices
  virtual std::uint32_t GetVertexCount() = 0;
  // Points `faces` at the faces around the vertex, ascending; valid until the mesh changes.
  // Answers their count (0 for a handle the mesh does not have).
  virtual std::int32_t GetVertexFaces(std::uint32_t vertex, const std::uint32_t** faces,
                                      std::int32_t flags) = 0;
  virtual void MarkVertex(std::uint32_t vertex) = 0;
  virtual void UnmarkVertex(std::uint32_t vertex) = 0;
  virtual bool IsVertexMarked(std::uint32_t vertex) = 0;
  virtual void GetVertexPosition(std::uint32_t vertex, float* xyz) = 0;
  // The vertex mark words, apart from the marks above: all cleared, one read, one written.
  virtual void ClearVertexFlags() = 0;
  virtual std::uint32_t GetVertexFlags(std::uint32_t vertex) = 0;
  virtual void SetVertexFlags(std::uint32_t vertex, std::uint32_t flags) = 0;

  // [SECTION] edges
  virtual std::uint32_t FirstEdge() = 0;
  virtual std::uint32_t NextEdge(std::uint32_t edge) = 0;
  virtual std::uint32_t GetEdgeStart(std::uint32_t edge) = 0;
  virtual std::uint32_t GetEdgeEnd(std::uint32_t edge) = 0;
  // Writes the edge's faces into f0 and f1 and answers how many there are, at most 2: 1 on a
  // boundary edge (f1 untouched), 0 for a handle the mesh does not have. Of the faces of a
  // non-manifold edge the host answers two of its choosing.
  virtual std::int32_t GetEdgeFaces(std::uint32_t edge, std::uint32_t* f0, std::uint32_t* f1) = 0;
  // The edge's float, kept by the mesh; null for a handle it does not have.
  virtual float* GetEdgeValue(std::uint32_t edge) = 0;

  // [SECTION] marks in bulk: UnmarkFace and UnmarkVertex over a list
  virtual void UnmarkFaces(const std::uint32_t* faces, std::int32_t count) = 0;
  virtual void UnmarkVertices(const std::uint32_t* vertices, std::int32_t count) = 0;
  // IsFaceMarked, IsFaceHidden and IsFaceExcluded in one answer (om::FaceState bits); a handle
  // the mesh does not have reads as hidden.
  virtual std::uint32_t GetFaceState(std::uint32_t face) = 0;
  // Writes the mark words (GetVertexFlags) of the face's three vertices, in order; answers how
  // many were written (0 for a handle the mesh does not have).
  virtual std::int32_t GetFaceVertexRecords(std::uint32_t face, std::uint32_t* words) = 0;

  // [SECTION] in batches: the answers above for many elements a call, for passes over a whole
  // scan, where one call an element would cost more than the work
  // Up to `max` edges after `after` (om::kNoHandle: from the first) in FirstEdge/NextEdge order;
  // answers how many were written, 0 past the last.
  virtual std::int32_t GetEdgeRecords(std::uint32_t after, omEdgeRecord* out, std::int32_t max) = 0;
  virtual void GetEdgeValues(const std::uint32_t* edges, std::int32_t count, float* values) = 0;
  virtual void SetEdgeValues(const std::uint32_t* edges, std::int32_t count, const float* values) = 0;
  virtual void GetFaceStates(const std::uint32_t* faces, std::int32_t count, std::uint32_t* states) = 0;
  // Three floats a face; valid[i] 0 (and zeros) where GetFaceNormal answers false.
  virtual void GetFaceNormals(const std::uint32_t* faces, std::int32_t count, float* xyz,
                              std::uint8_t* valid) = 0;
  // Up to `max` face handles after `after` (om::kNoHandle: from the first), in FirstFace/NextFace
  // order; answers how many were written.
  virtual std::int32_t GetFaces(std::uint32_t after, std::uint32_t* out, std::int32_t max) = 0;
  // FaceMatches per face, 1 or 0.
  virtual void FacesMatch(const std::uint32_t* faces, std::int32_t count, std::int32_t value,
                          std::uint8_t* matches) = 0;
  // GetFaceVertexRecords per face, three words each (zeros for a handle the mesh lacks).
  virtual void GetFacesVertexRecords(const std::uint32_t* faces, std::int32_t count,
                                     std::uint32_t* words) = 0;
  // Up to `max` edge handles after `after` (om::kNoHandle: from the first), in FirstEdge/NextEdge
  // order; answers how many were written. For a pass that needs the edges' values first and
  // their ends only now and then.
  virtual std::int32_t GetEdges(std::uint32_t after, std::uint32_t* out, std::int32_t max) = 0;

  // [SECTION] flat arrays: for a pass that reads the geometry of every face and nothing else
  // Points `corners` at three vertex handles a face (face handle f at corners[3 * f]) and
  // `positions` at three floats a vertex (by vertex handle), writes the vertex count and answers
  // the face count; valid until the mesh changes. 0 (nothing written) when the host keeps its
  // mesh in another shape: the pass then asks face by face.
  virtual std::uint32_t GetTriangleArrays(const std::uint32_t** corners, const float** positions,
                                          std::uint32_t* vertexCount) = 0;

 protected:
  ~omMesh() = default;
};
