#include "studio/edit/map_removal.h"

namespace tessel::studio::edit {

void MapRemoval::undo(Scene& scene) {
  Entity* e = scene.find(entityId_);
  if (!e || index_ < 0 || index_ > static_cast<int>(e->maps.size())) return;
  e->maps.insert(e->maps.begin() + index_, std::move(map_));
  e->currentMap = index_;
  ++e->mapRevision;
}

void MapRemoval::redo(Scene& scene) {
  Entity* e = scene.find(entityId_);
  if (!e || index_ < 0 || index_ >= static_cast<int>(e->maps.size())) return;
  map_ = std::move(e->maps[index_]);
  e->maps.erase(e->maps.begin() + index_);
  e->currentMap = currentAfter_;
  ++e->mapRevision;
}

std::size_t MapRemoval::bytes() const {
  return sizeof(*this) + map_.name.capacity() + map_.values.capacity() * sizeof(float) +
         map_.colours.capacity();
}

}  // namespace tessel::studio::edit
