// The scene's selection as the module reads and clears it.
#pragma once

#include "host/omEntity.h"
#include "studio/scene/scene.h"

namespace tessel::studio {

class SelectionList final : public omEntityList {
 public:
  explicit SelectionList(Scene& scene) : scene_(scene) {}
  bool IsEmpty() override { return scene_.selection().empty(); }
  std::int32_t CountSelected() override { return GetCount(); }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(scene_.selection().size()); }
  omEntity* GetAt(std::int32_t index) override {
    return index >= 0 && index < GetCount() ? scene_.find(scene_.selection()[index]) : nullptr;
  }
  // In component mode an entity is listed exactly when it has selected components, so emptying
  // the list lets go of them too.
  void Clear() override {
    if (!scene_.objectMode)
      for (const auto& e : scene_.entities())
        if (e->mesh) e->mesh->clearSelectedComponents();
    scene_.clearSelection();
  }
  void Remove(omEntity* entity) override {
    if (Entity* e = scene_.findByAddress(entity)) scene_.select(e->id, false);
  }
  void CycleActive() override { scene_.cycleActive(); }
  void Add(omEntity* entity) override {
    if (Entity* e = scene_.findByAddress(entity)) scene_.select(e->id, true);
  }

 private:
  Scene& scene_;
};

}  // namespace tessel::studio
