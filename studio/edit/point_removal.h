// Deleting points of a point cloud. A point is never taken out of the arrays (the cloud's maps
// and every flag array stay indexed as loaded): it is marked kUnused, hidden and deselected, as a
// vertex a face deletion leaves behind, so it is neither drawn, picked nor saved.
#pragma once

#include <cstddef>
#include <cstdint>

#include "studio/edit/flag_diff.h"
#include "studio/edit/history.h"
#include "studio/scene/mesh.h"

namespace tessel::studio::edit {

class PointRemoval final : public Change {
 public:
  // Removes the selected points of the entity's cloud now; removed() is 0 when none was.
  PointRemoval(std::uint32_t entityId, Mesh& cloud);
  void undo(Scene& scene) override { flip(scene); }
  void redo(Scene& scene) override { flip(scene); }
  std::size_t bytes() const override { return sizeof(*this) + change_.bytes(); }
  bool changesFileOf(std::uint32_t entityId) const override { return entityId == entityId_; }
  std::size_t removed() const { return removed_; }

 private:
  void flip(Scene& scene) const;
  std::uint32_t entityId_;
  FlagDiff change_;  // every bit, before to after
  std::size_t removed_ = 0;
};

}  // namespace tessel::studio::edit
