// Deleting a mesh's faces: which faces a component selection deletes, and the removal itself as
// a change that puts the faces back where they were. Vertices stay (the file's vertex sharing
// with them); those no face uses any more are marked and left out when the mesh is saved.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/edit/flag_diff.h"
#include "studio/edit/history.h"
#include "studio/scene/mesh.h"

namespace tessel::studio::edit {

// The faces a deletion under component filter `mask` (om::kMaskFaces, ...) removes, ascending:
// the selected faces; under vertices the faces using a selected vertex; under edges the faces on
// a selected edge; under holes none.
std::vector<std::uint32_t> facesToDelete(const Mesh& mesh, std::uint32_t mask);

// Removes faces (ascending handles) of an entity's mesh, keeping the others in order with their
// flags, and the flags of every vertex and surviving edge. Vertices left without a face lose
// their selection and are hidden and marked kUnused.
class FaceRemoval final : public Change {
 public:
  // Removes the faces now; the change undoes and redoes it.
  FaceRemoval(std::uint32_t entityId, Mesh& mesh, std::vector<std::uint32_t> faces);
  void undo(Scene& scene) override;
  void redo(Scene& scene) override;
  std::size_t bytes() const override;
  bool changesFileOf(std::uint32_t entityId) const override { return entityId == entityId_; }
  std::size_t removed() const { return faces_.size(); }

 private:
  void remove(Mesh& mesh);
  Mesh* meshOf(Scene& scene) const;

  std::uint32_t entityId_;
  std::vector<std::uint32_t> faces_;    // handles before the removal, ascending
  std::vector<std::uint32_t> corners_;  // #faces_ by 3 vertex handles
  std::vector<std::uint8_t> flags_;     // #faces_
  FlagDiff vertexChange_;               // before to after
  bool hadEdgeTable_ = false;
  // Flagged edges before the removal, by their end vertices: what an undo puts back.
  std::vector<std::uint32_t> edgeEnds_;  // #edges by 2
  std::vector<std::uint8_t> edgeFlags_;
};

// A copy of the mesh for writing: the vertices marked kUnused left out and the faces renumbered.
Mesh withoutUnusedVertices(const Mesh& mesh);

// Rebuilds a mesh's topology after its faces changed, keeping its vertex and face flags and the
// flags of edges given by their ends (#edges by 2, with `edgeFlags`) where those edges remain.
void rebuildKeepingFlags(Mesh& mesh, bool edgeTable, const std::vector<std::uint32_t>& edgeEnds,
                         const std::vector<std::uint8_t>& edgeFlags);

}  // namespace tessel::studio::edit
