#include "studio/scene/scene.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_set>

#include "studio/scene/end_point_index.h"
#include "studio/scene/face_flood.h"

namespace tessel::studio {

std::uint32_t Entity::filterMask() const {
  switch (type) {
    case om::kEntityPolygonMesh: return om::kMaskMesh;
    case kEntityPointCloud: return om::kMaskPointCloud;
    case om::kEntityCoordSys: return om::kMaskCoordSys;
    case om::kEntityLight: return om::kMaskLights;
    case om::kEntityConnectedA: return om::kMaskCurve;
    case om::kEntityConnectedB: return om::kMaskSpring;
    default: return 0;
  }
}

std::int32_t FlagSelection::GetCount() {
  if (!flags_) return 0;
  std::int32_t n = 0;
  for (std::uint8_t f : *flags_) n += (f & kSelected) != 0;
  return n;
}

void FlagSelection::AddHandles(const std::uint32_t* handles, std::int32_t count) {
  if (!flags_ || !handles) return;
  for (std::int32_t i = 0; i < count; ++i)
    if (handles[i] < flags_->size()) (*flags_)[handles[i]] |= kSelected;
}

namespace {
void invert(std::vector<std::uint8_t>& flags) {
  // Hidden elements stay as they are: the user cannot see them to have chosen them.
  for (std::uint8_t& f : flags)
    if (!(f & kHidden)) f ^= kSelected;
}
}  // namespace

void Entity::InvertSelectedComponents() {
  if (mesh) invert(mesh->vertexFlags);
}

void Entity::InvertComponentSelection() {
  if (!mesh) return;
  const std::uint32_t m = componentMask ? *componentMask : 0;
  if (m & om::kMaskVertices) invert(mesh->vertexFlags);
  if (m & om::kMaskFaces) invert(mesh->faceFlags);
  if (m & om::kMaskEdges) invert(mesh->tableEdgeFlags());
}

omComponentSet* Entity::GetVertexSelection() {
  vertexSelection_ = FlagSelection(mesh ? &mesh->vertexFlags : nullptr);
  return &vertexSelection_;
}

omComponentSet* Entity::GetFaceSelection() {
  faceSelection_ = FlagSelection(mesh ? &mesh->faceFlags : nullptr);
  return &faceSelection_;
}

omComponentSet* Entity::GetEdgeSelection() {
  edgeSelection_ = FlagSelection(mesh ? &mesh->tableEdgeFlags() : nullptr);
  return &edgeSelection_;
}

omMesh* Entity::GetMesh() {
  if (!isMesh() || !mesh) return nullptr;
  meshAccess_.bind(mesh.get(), &placement);
  return &meshAccess_;
}

void Entity::FloodFaceSelection(std::int32_t range) {
  if (isMesh() && mesh) growFaceSelection(*mesh, range);
}

omEntityList* Entity::GetConnections() {
  connections_.items.clear();
  if (isConnected()) connections_.items.push_back(this);
  return &connections_;
}

namespace {
// Every visible entity of the index's kind reachable from `start` through entities of that kind.
std::vector<Entity*> reachable(const EndPointIndex& index, Entity& start) {
  std::vector<Entity*> found{&start};
  std::unordered_set<const Entity*> seen{&start};
  for (std::size_t i = 0; i < found.size(); ++i)
    index.forEachMeeting(*found[i], [&](Entity& n) {
      if (seen.insert(&n).second) found.push_back(&n);
    });
  return found;
}
}  // namespace

void Entity::CollectReachable(omEntitySet* first, omEntitySet* second, std::int32_t) {
  if (!scene || !isCurve()) return;
  const auto springs = second ? scene->endPoints(om::kEntityConnectedB) : nullptr;
  for (Entity* curve : reachable(*scene->endPoints(om::kEntityConnectedA), *this)) {
    if (first) first->Insert(curve);
    if (springs)
      for (Entity* spring : springs->meeting(*curve)) second->Insert(spring);
  }
}

void Entity::CollectInto(omEntitySet* set) {
  if (!scene || !isSpring() || !set) return;
  for (Entity* spring : reachable(*scene->endPoints(om::kEntityConnectedB), *this))
    set->Insert(spring);
}

Box Entity::localBounds() const {
  if (mesh) return mesh->bounds();
  Box b;
  if (!points.empty()) {
    for (const Vec3& p : points) b.add(p);
    return b;
  }
  b.add(type == om::kEntityLight ? light.position : frame.origin);
  return b;
}

Box Entity::bounds() const {
  if (type == om::kEntityCoordSys || placement.isIdentity()) return localBounds();
  if (!mesh) {
    Box b;
    if (!points.empty())
      for (const Vec3& p : points) b.add(placement.place(p));
    else
      b.add(placement.place(light.position));
    return b;
  }
  if (!worldBoxValid_ || worldBoxMesh_ != mesh.get() || worldBoxRevision_ != mesh->revision) {
    worldBox_ = placedBounds(placement, mesh->positions.data(), mesh->vertexCount(),
                             mesh->bounds());
    worldBoxValid_ = true, worldBoxMesh_ = mesh.get(), worldBoxRevision_ = mesh->revision;
  }
  return worldBox_;
}

Box Entity::looseBounds() const {
  if (!mesh || placement.isIdentity()) return bounds();
  const Box local = localBounds();
  Box b;
  if (local.empty()) return b;
  for (int corner = 0; corner < 8; ++corner)
    b.add(placement.place({corner & 1 ? local.max.x : local.min.x,
                           corner & 2 ? local.max.y : local.min.y,
                           corner & 4 ? local.max.z : local.min.z}));
  return b;
}

void Entity::placementChanged() {
  worldBoxValid_ = false;
  if (scene) scene->geometryChanged();
}

bool Entity::GetBoundingBox(float* box) {
  const Box b = bounds();
  if (b.empty()) return false;
  const double v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
  return true;
}

std::int32_t Entity::HasCurrentMap() { return isMesh() && currentVertexMap() ? 1 : 0; }

void Entity::DeleteCurrentMap() {
  if (!currentVertexMap()) return;
  const int index = currentMap;
  VertexMap gone = std::move(maps[index]);
  maps.erase(maps.begin() + index);
  // The next map takes its place, or the one before when it was the last.
  if (currentMap >= static_cast<int>(maps.size())) currentMap = static_cast<int>(maps.size()) - 1;
  ++mapRevision;
  if (scene && scene->onMapRemoved) scene->onMapRemoved(*this, index, std::move(gone), currentMap);
}

void Entity::addMap(VertexMap map) {
  maps.push_back(std::move(map));
  currentMap = static_cast<int>(maps.size()) - 1;
  ++mapRevision;
}

std::int32_t EntityGroup::GetMemberCount() {
  std::int32_t n = 0;
  for (const auto& e : scene_.entities()) n += e->group == kind_;
  return n;
}

EntityGroup* Scene::group(std::int32_t kind) {
  if (kind == om::kGroupLights) return &lightGroup;
  if (kind == om::kGroupCoordSys) return &coordSysGroup;
  return nullptr;
}

int Scene::showGroup(EntityGroup& group, bool shown) {
  group.shown = shown;
  int members = 0;
  for (const auto& e : entities_)
    if (e->group == group.kind()) e->visible = shown, ++members;
  if (&group == &coordSysGroup && shown) globalCoordSys().visible = true;
  return members;
}

int Scene::freeLightSlot() const {
  for (int slot = 0; slot < om::kLightSlots; ++slot) {
    const bool taken = std::any_of(entities_.begin(), entities_.end(), [slot](const auto& e) {
      return e->type == om::kEntityLight && e->light.slot == slot;
    });
    if (!taken) return slot;
  }
  return -1;
}

bool Scene::lightShown(const Entity& e) const {
  const int slot = e.light.slot;
  return (lightDisplayFlags & om::kLightDisplayBit) && slot >= 0 && slot < om::kLightSlots &&
         (lightFlags[slot] & om::kLightDisplayBit);
}

Scene::Scene() {
  auto global = std::make_unique<Entity>();
  global->name = "Global";
  global->type = om::kEntityCoordSys;
  add(std::move(global));
}

Entity& Scene::add(std::unique_ptr<Entity> entity) {
  entity->id = nextId_++;
  entity->componentMask = &componentMask;
  entity->scene = this;
  idByAddress_[entity.get()] = entity->id;
  entities_.push_back(std::move(entity));
  return *entities_.back();
}

std::string Scene::uniqueName(const std::string& base) const {
  // The names gathered once: testing each candidate against every entity made adding many
  // entities of one name cubic.
  std::unordered_set<std::string_view> taken;
  for (const auto& e : entities_) taken.insert(e->name);
  if (!taken.count(base)) return base;
  for (int i = 2;; ++i)
    if (std::string n = base + " " + std::to_string(i); !taken.count(n)) return n;
}

std::vector<std::unique_ptr<Entity>>::iterator Scene::at(std::uint32_t id) {
  // Ids rise as entities are added, and removing one keeps the others' order: the list is
  // sorted by id, so a scene of many curves finds one without reading them all.
  auto it = std::lower_bound(entities_.begin(), entities_.end(), id,
                             [](const auto& e, std::uint32_t v) { return e->id < v; });
  return it != entities_.end() && (*it)->id == id ? it : entities_.end();
}

bool Scene::remove(std::uint32_t id) {
  std::unique_ptr<Entity> taken = take(id);
  if (!taken) return false;
  if (onRemoved) onRemoved(std::move(taken));
  return true;
}

std::unique_ptr<Entity> Scene::take(std::uint32_t id) {
  // The global coordinate system is always there.
  if (!entities_.empty() && entities_.front()->id == id) return nullptr;
  auto it = at(id);
  if (it == entities_.end()) return nullptr;
  if ((*it)->mesh) meshChanging(*(*it)->mesh);
  if ((*it)->state & kStateSelected) select(id, false);
  idByAddress_.erase(it->get());
  std::unique_ptr<Entity> taken = std::move(*it);
  entities_.erase(it);
  return taken;
}

bool Scene::restore(std::unique_ptr<Entity> entity) {
  if (!entity || find(entity->id)) return false;
  // Ids stay sorted: the entity goes before the first of a higher id.
  auto it = std::upper_bound(entities_.begin(), entities_.end(), entity->id,
                             [](std::uint32_t key, const auto& e) { return key < e->id; });
  entity->scene = this;
  entity->componentMask = &componentMask;
  idByAddress_[entity.get()] = entity->id;
  nextId_ = std::max(nextId_, entity->id + 1);
  entities_.insert(it, std::move(entity));
  return true;
}

void Scene::restoreSelection(const std::vector<std::uint32_t>& ids) {
  selection_.clear();
  for (std::uint32_t id : ids)
    if (find(id)) selection_.push_back(id);
}

Entity* Scene::find(std::uint32_t id) {
  auto it = at(id);
  return it != entities_.end() ? it->get() : nullptr;
}

Entity* Scene::findByAddress(const omEntity* entity) {
  auto it = idByAddress_.find(entity);
  return it != idByAddress_.end() ? find(it->second) : nullptr;
}

Entity* Scene::findByName(const std::string& name) {
  for (auto& e : entities_)
    if (e->name == name) return e.get();
  return nullptr;
}

namespace {

// Meshes, point clouds, curves and springs: what a view frames. Lights and coordinate systems
// are markers drawn beside the geometry, a point each.
bool hasShape(const Entity& e) { return e.mesh || !e.points.empty(); }

}  // namespace

Box Scene::bounds(bool selectedOnly) const {
  Box box;
  for (const auto& e : entities_)
    if (e->visible && hasShape(*e) && (!selectedOnly || (e->state & kStateSelected)))
      box.merge(e->bounds());
  return box;
}

Box Scene::looseBounds() const {
  Box box;
  for (const auto& e : entities_)
    if (e->visible && hasShape(*e)) box.merge(e->looseBounds());
  return box;
}

void Scene::select(std::uint32_t id, bool on) {
  Entity* e = find(id);
  if (!e || on == bool(e->state & kStateSelected)) return;
  // Only the last selected is active, so only the one that was last can lose the mark: clearing
  // every entity's made selecting many entities quadratic.
  if (!selection_.empty())
    if (Entity* last = find(selection_.back())) last->state &= ~kStateActive;
  if (on) {
    e->state |= kStateSelected;
    selection_.push_back(id);
  } else {
    e->state &= ~kStateSelected;
    selection_.erase(std::remove(selection_.begin(), selection_.end(), id), selection_.end());
  }
  if (!selection_.empty()) find(selection_.back())->state |= kStateActive;
}

void Scene::unlock() {
  if (lockDepth_ > 0) --lockDepth_;
  if (lockDepth_ == 0)
    for (EndPointCache& cache : endPointCache_) cache.index.reset();
}

std::shared_ptr<const EndPointIndex> Scene::endPoints(std::uint32_t kind) {
  if (!locked()) return std::make_shared<const EndPointIndex>(*this, kind);
  EndPointCache& cache = endPointCache_[kind == om::kEntityConnectedA ? 0 : 1];
  if (!cache.index || cache.kind != kind || cache.geometryStamp != geometryStamp_ ||
      cache.nextId != nextId_ || cache.entities != entities_.size())
    cache = {kind, std::make_shared<const EndPointIndex>(*this, kind), geometryStamp_, nextId_,
             entities_.size()};
  return cache.index;
}

void Scene::clearSelection() {
  for (std::uint32_t id : selection_)
    if (Entity* e = find(id)) e->state &= ~(kStateSelected | kStateActive);
  selection_.clear();
}

void Scene::cycleActive() {
  if (selection_.size() < 2) return;
  // The active entity is the last one: move the first to the end.
  find(selection_.back())->state &= ~kStateActive;
  std::rotate(selection_.begin(), selection_.begin() + 1, selection_.end());
  find(selection_.back())->state |= kStateActive;
}

void Scene::setSelection(std::vector<std::uint32_t> ids) {
  clearSelection();
  for (std::uint32_t id : ids) select(id, true);
}

}  // namespace tessel::studio
