#include "studio/edit/point_removal.h"

#include <vector>

#include "studio/scene/scene.h"

namespace tessel::studio::edit {

PointRemoval::PointRemoval(std::uint32_t entityId, Mesh& cloud) : entityId_(entityId) {
  const std::vector<std::uint8_t> before = cloud.vertexFlags;
  for (std::uint8_t& f : cloud.vertexFlags)
    if ((f & (kSelected | kUnused)) == kSelected) {
      f = static_cast<std::uint8_t>((f & ~kSelected) | kHidden | kUnused);
      ++removed_;
    }
  change_ = diffFlags(before.data(), before.size(), cloud.vertexFlags.data(),
                      cloud.vertexFlags.size(), 0xFF);
}

void PointRemoval::flip(Scene& scene) const {
  Entity* e = scene.find(entityId_);
  if (!e || !e->mesh) return;
  scene.meshChanging(*e->mesh);
  applyFlagDiff(change_, e->mesh->vertexFlags.data(), e->mesh->vertexFlags.size());
}

}  // namespace tessel::studio::edit
