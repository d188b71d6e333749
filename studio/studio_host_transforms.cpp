// The main view's operations for the orient commands: coordinate systems and selection bounds.
#include "studio/studio_host.h"

namespace tessel::studio {

omEntity* StudioHost::FirstCoordSys() {
  coordSysCursor_ = 0;
  return NextCoordSys();
}

omEntity* StudioHost::NextCoordSys() {
  const auto& all = scene_.entities();
  while (coordSysCursor_ < all.size()) {
    Entity* e = all[coordSysCursor_++].get();
    if (e->type == om::kEntityCoordSys) return e;
  }
  return nullptr;
}

bool StudioHost::GetSelectionBox(float* box) {
  const Box b = scene_.bounds(true);
  if (b.empty() || !box) return false;
  const double v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
  return true;
}

}  // namespace tessel::studio
