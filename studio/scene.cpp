#include "studio/scene.h"

#include <algorithm>

namespace tessel::studio {

std::uint32_t Entity::filterMask() const {
  switch (type) {
    case om::kEntityPolygonMesh: return om::kMaskMesh;
    case kEntityPointCloud: return om::kMaskPointCloud;
    case om::kEntityCoordSys: return om::kMaskCoordSys;
    case om::kEntityLight: return om::kMaskLights;
    default: return 0;
  }
}

Box Entity::bounds() const {
  if (mesh) return mesh->bounds();
  Box b;
  b.add(type == om::kEntityLight ? light.position : frame.origin);
  return b;
}

Scene::Scene() {
  auto global = std::make_unique<Entity>();
  global->name = "Global";
  global->type = om::kEntityCoordSys;
  add(std::move(global));
}

Entity& Scene::add(std::unique_ptr<Entity> entity) {
  entity->id = nextId_++;
  entities_.push_back(std::move(entity));
  return *entities_.back();
}

std::string Scene::uniqueName(const std::string& base) const {
  auto taken = [this](const std::string& n) {
    return std::any_of(entities_.begin(), entities_.end(),
                       [&](const auto& e) { return e->name == n; });
  };
  if (!taken(base)) return base;
  for (int i = 2;; ++i)
    if (std::string n = base + " " + std::to_string(i); !taken(n)) return n;
}

bool Scene::remove(std::uint32_t id) {
  // The global coordinate system is always there.
  if (!entities_.empty() && entities_.front()->id == id) return false;
  auto it = std::find_if(entities_.begin(), entities_.end(),
                         [id](const auto& e) { return e->id == id; });
  if (it == entities_.end()) return false;
  if ((*it)->state & kStateSelected) select(id, false);
  entities_.erase(it);
  return true;
}

Entity* Scene::find(std::uint32_t id) {
  for (auto& e : entities_)
    if (e->id == id) return e.get();
  return nullptr;
}

Entity* Scene::findByName(const std::string& name) {
  for (auto& e : entities_)
    if (e->name == name) return e.get();
  return nullptr;
}

Box Scene::bounds(bool selectedOnly) const {
  Box box;
  for (const auto& e : entities_)
    if (e->visible && e->mesh && (!selectedOnly || (e->state & kStateSelected)))
      box.merge(e->bounds());
  return box;
}

void Scene::select(std::uint32_t id, bool on) {
  Entity* e = find(id);
  if (!e || on == bool(e->state & kStateSelected)) return;
  if (on) {
    e->state |= kStateSelected;
    selection_.push_back(id);
  } else {
    e->state &= ~(kStateSelected | kStateActive);
    selection_.erase(std::remove(selection_.begin(), selection_.end(), id), selection_.end());
  }
  for (auto& other : entities_) other->state &= ~kStateActive;
  if (!selection_.empty()) find(selection_.back())->state |= kStateActive;
}

void Scene::clearSelection() {
  while (!selection_.empty()) select(selection_.back(), false);
}

void Scene::setSelection(std::vector<std::uint32_t> ids) {
  clearSelection();
  for (std::uint32_t id : ids) select(id, true);
}

}  // namespace tessel::studio
