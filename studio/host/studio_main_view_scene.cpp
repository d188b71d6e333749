// Studio's main view: creating lights and coordinate systems, their groups, the screen grid and
// deleting entities.
#include <cmath>
#include <memory>

#include "studio/host/studio_main_view.h"

namespace tessel::studio {
namespace {

// Each slot has its own direction, so lights made one after another do not sit on each other:
// around the scene at 36 degrees apart, 35 degrees above its equator.
Vec3 slotDirection(int slot) {
  const double azimuth = (30.0 + 36.0 * slot) * M_PI / 180.0;
  const double elevation = 35.0 * M_PI / 180.0;
  return {std::cos(elevation) * std::cos(azimuth), std::sin(elevation),
          std::cos(elevation) * std::sin(azimuth)};
}

}  // namespace

Entity* StudioMainView::entityOf(omEntity* entity) {
  return scene_.findByAddress(entity);
}

std::uint32_t* StudioMainView::GetLightFlags(std::int32_t slot) {
  return slot >= 0 && slot < om::kLightSlots ? &scene_.lightFlags[slot] : nullptr;
}

omEntity* StudioMainView::CreateLight(std::int32_t, std::int32_t) {
  const int slot = scene_.freeLightSlot();
  if (slot < 0) return nullptr;
  const Box box = scene_.bounds();
  const Vec3 centre = box.empty() ? Vec3{} : box.center();
  const double radius = box.empty() || box.radius() == 0 ? 1.0 : box.radius();
  auto light = std::make_unique<Entity>();
  light->name = scene_.uniqueName("Light");
  light->type = om::kEntityLight;
  light->light.slot = slot;
  light->light.aim = centre;
  light->light.position = centre + slotDirection(slot) * (1.2 * radius);
  light->frameShown = false;  // a light's marker says where it is
  Entity& added = scene_.add(std::move(light));
  echo_("added: " + added.name + " (light, slot " + std::to_string(slot) + ")");
  if (notify) notify(om::kEventEntityAdded, &added);
  redrawAll();
  return &added;
}

omEntity* StudioMainView::CreateCoordSys(std::int32_t) {
  auto cs = std::make_unique<Entity>();
  cs->name = scene_.uniqueName("Coord Sys");
  cs->type = om::kEntityCoordSys;
  Entity& added = scene_.add(std::move(cs));
  echo_("added: " + added.name + " (coordinate system)");
  if (notify) notify(om::kEventEntityAdded, &added);
  redrawAll();
  return &added;
}

void StudioMainView::AddToGroup(omGroup* group, omEntity* entity) {
  Entity* e = entityOf(entity);
  if (!e) return;
  if (group == &scene_.lightGroup || group == &scene_.coordSysGroup)
    e->group = static_cast<EntityGroup*>(group)->kind();
}

void StudioMainView::ShowGrid(bool on) {
  scene_.gridShown = on;
  redrawAll();
}

void StudioMainView::DeleteEntity(omEntity*, omEntity* entity) {
  Entity* e = entityOf(entity);
  if (!e || e == &scene_.globalCoordSys()) return;
  const std::string name = e->name;
  if (!scene_.remove(e->id)) return;
  scene_.geometryChanged();
  components_.sceneChanged();
  echo_("deleted: " + name);
  // The pointer is gone: listeners are told something went, not what.
  if (notify) notify(om::kEventEntityDeleted, nullptr);
  redrawAll();
}

void StudioMainView::EndInteraction() {
  components_.sceneChanged();
  redrawAll();
}

}  // namespace tessel::studio
