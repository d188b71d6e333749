// A vertex map the module deleted ("Current Map Delete"), held by the step while the deletion
// stands and moved back into the entity by an undo: the step keeps the removed values, nothing
// more.
#pragma once

#include <cstddef>
#include <cstdint>

#include "studio/edit/history.h"
#include "studio/scene/scene.h"

namespace tessel::studio::edit {

class MapRemoval final : public Change {
 public:
  // The map was at `index` and current; after its removal `currentAfter` was.
  MapRemoval(std::uint32_t entityId, int index, VertexMap map, int currentAfter)
      : entityId_(entityId), index_(index), currentAfter_(currentAfter), map_(std::move(map)) {}
  void undo(Scene& scene) override;
  void redo(Scene& scene) override;
  std::size_t bytes() const override;
  bool changesFlags() const override { return false; }

 private:
  std::uint32_t entityId_;
  int index_, currentAfter_;
  VertexMap map_;  // while the deletion stands
};

}  // namespace tessel::studio::edit
