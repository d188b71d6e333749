#include "transform/orient_steps.h"

#include <algorithm>
#include <iterator>

#include "host/omApplication.h"
#include "host/omObject.h"
#include "host/om_codes.h"

namespace tessel::transform {

Vec3 toVec3(const float* v) { return {v[0], v[1], v[2]}; }

void toFloats(const Vec3& v, float* out) {
  out[0] = static_cast<float>(v.x);
  out[1] = static_cast<float>(v.y);
  out[2] = static_cast<float>(v.z);
}

void toFloats(const Quat& q, float* out) {
  out[0] = static_cast<float>(q.x);
  out[1] = static_cast<float>(q.y);
  out[2] = static_cast<float>(q.z);
  out[3] = static_cast<float>(q.w);
}

void toFloats(const Mat4& m, float* out) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
}

Mat4 toMat4(const float* m) {
  Mat4 out{};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
  return out;
}

Frame readFrame(omCoordFrame& frame) {
  float o[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1};
  frame.GetOrigin(o);
  frame.GetOrientation(q);
  // An orientation that is not unit length would scale what it turns.
  const std::optional<Quat> unit = normalized(Quat{q[0], q[1], q[2], q[3]});
  return {toVec3(o), unit ? *unit : kIdentityQuat};
}

void writeOrigin(omCoordFrame& frame, const Vec3& origin) {
  float o[3];
  toFloats(origin, o);
  frame.SetOrigin(o);
}

void writeOrientation(omCoordFrame& frame, const Quat& q) {
  const std::optional<Quat> unit = normalized(q);
  if (!unit) return;
  float f[4];
  toFloats(*unit, f);
  frame.SetOrientation(f);
}

std::vector<omEntity*> entitiesOf(omEntityList* list) {
  std::vector<omEntity*> out;
  if (!list) return out;
  const std::int32_t n = list->GetCount();
  out.reserve(n > 0 ? static_cast<std::size_t>(n) : 0);
  for (std::int32_t i = 0; i < n; ++i)
    if (omEntity* e = list->GetAt(i)) out.push_back(e);
  return out;
}

namespace {

constexpr std::uint32_t kMaskCurvePoint = 0x100u, kMaskSpringPoint = 0x200u;

// The object filter's mask in object mode, else the component filter's; 0 without a filter.
std::uint32_t currentFilterMask(omApplication* app, omMainView& view) {
  omMaskList* filter = view.IsObjectMode() ? app->GetObjectFilter() : app->GetComponentFilter();
  return filter ? filter->GetCurrentMask() : 0;
}

bool needsPrepare(omEntity& e) {
  return e.HasAttached() && (e.NeedsPrepareA() || e.NeedsPrepareB());
}

void insertOnce(std::vector<omEntity*>& set, omEntity* e) {
  if (std::find(set.begin(), set.end(), e) == set.end()) set.push_back(e);
}

void takeMatrices(omTransform& from, omEntity& item) {
  omTransform* to = item.GetTransform();
  if (!to) return;
  float forward[16], inverse[16];
  from.GetForwardMatrix(forward);
  from.GetInverseMatrix(inverse);
  to->SetMatrices(forward, inverse);
}

}  // namespace

void prepareSelection(omEntityList* owners, omEntityList* items) {
  std::vector<omEntity*> set;
  for (omEntity* e : entitiesOf(owners))
    if (needsPrepare(*e)) insertOnce(set, e);
  for (omEntity* owner : entitiesOf(items))
    for (omEntity* item : entitiesOf(owner->GetItems()))
      if (needsPrepare(*item)) insertOnce(set, item);
  for (omEntity* e : set) e->PrepareForTransform();
}

std::vector<omEntity*> linkedItems(omEntity& owner) {
  std::vector<omEntity*> out;
  const std::uint32_t type = owner.GetType();
  if (type == om::kEntityConnectedA) {
    if (omItemList* list = owner.GetItemList())
      for (std::int32_t i = 0, n = list->GetCount(); i < n; ++i)
        if (omItem* item = list->GetAt(i))
          if (omEntity* sub = item->GetSubEntity(); sub && sub->HasAttached()) out.push_back(sub);
  } else if (type == om::kEntityConnectedB) {
    for (omEntity* item : entitiesOf(owner.GetItems()))
      if (item->HasAttached()) out.push_back(item);
  }
  return out;
}

void syncAttached(omEntity& entity) {
  omTransform* own = entity.GetTransform();
  if (!own) return;
  for (omEntity* item : linkedItems(entity)) takeMatrices(*own, *item);
}

void translateLinkedItems(omEntity& entity, const float* step) {
  for (omEntity* item : linkedItems(entity))
    if (omTransform* t = item->GetTransform()) t->Translate(step);
}

void followScaledOwner(omEntity& entity, omTransform& t) {
  const std::uint32_t type = entity.GetType();
  omEntity* partner = (type == om::kEntityConnectedA || type == om::kEntityConnectedB) &&
                              entity.HasAttached()
                          ? entity.GetAttached()
                          : nullptr;
  if (partner && partner->GetTransform()) {
    takeMatrices(t, *partner);
    syncAttached(entity);
  } else {
    t.Apply();
    entity.InvalidateGeometry();
  }
}

void updatePassA(omEntity& entity) {
  entity.InvalidateGeometry();
  entity.UpdateAfterMove1();
}

void notifyMoved(omApplication* app, omEntity* entity) {
  if (!app) return;
  omEvent event;
  event.code = om::kNotifyEntityMoved;
  app->Notify(&event, entity);
}

void updatePassesPerEntity(omApplication* app, const std::vector<omEntity*>& entities) {
  for (omEntity* e : entities) {
    e->UpdateAfterMove2();
    e->UpdateAfterMove3();
  }
  for (omEntity* e : entities) notifyMoved(app, e);
}

void updatePassesBC(omApplication* app, const std::vector<omEntity*>& entities,
                    const std::vector<bool>& part) {
  for (std::size_t i = 0; i < entities.size(); ++i)
    if (part[i]) entities[i]->UpdateAfterMove2();
  for (std::size_t i = 0; i < entities.size(); ++i)
    if (part[i]) entities[i]->UpdateAfterMove3();
  for (omEntity* e : entities) notifyMoved(app, e);
}

bool takesPart(omEntity& entity, std::uint32_t selectionType) {
  return (selectionType & kMoveGeometry) || entity.GetType() == om::kEntityCoordSys;
}

std::vector<MovedMesh> movedMeshes(omMainView& view, const std::vector<omEntity*>& selection) {
  std::vector<MovedMesh> out;
  if (!view.IsObjectMode() || selection.empty()) return out;
  if (selection.back()->GetType() != om::kEntityPolygonMesh) return out;
  for (omEntity* e : selection) {
    omMesh* mesh = e->GetMesh();
    omTransform* t = e->GetTransform();
    if (!mesh || !t) continue;
    if (std::any_of(out.begin(), out.end(), [&](const MovedMesh& m) { return m.mesh == mesh; }))
      continue;
    float forward[16];
    t->GetForwardMatrix(forward);
    out.push_back({mesh, toMat4(forward)});
  }
  return out;
}

void updateDependents(omMainView& view, const std::vector<MovedMesh>& moved, bool checkDetached) {
  if (moved.empty()) return;
  for (omEntity* e = view.FirstEntity(0); e; e = view.NextEntity(0)) {
    if (checkDetached && e->IsSourceDetached()) continue;
    omMesh* target = e->GetSourceTarget();
    if (!target) continue;
    const auto it = std::find_if(moved.begin(), moved.end(),
                                 [&](const MovedMesh& m) { return m.mesh == target; });
    if (it == moved.end()) continue;
    float m[16];
    toFloats(it->matrix, m);
    e->SetReferenceMatrix(m);
  }
}

bool transformAllowed(omApplication* app, omMainView* view) {
  // Curve and spring points can be synchronized to a frame but have no manipulator to drag.
  if (!selectionMayMove(app, view)) return false;
  const std::uint32_t mask = currentFilterMask(app, *view);
  return mask != kMaskCurvePoint && mask != kMaskSpringPoint;
}

bool selectionMayMove(omApplication* app, omMainView* view) {
  if (!app || !view) return false;
  const std::vector<omEntity*> selection = entitiesOf(view->GetSelection(-1));
  if (selection.empty()) return false;
  const std::uint32_t mask = currentFilterMask(app, *view);
  constexpr std::uint32_t kMovable[] = {
      0x1,      0x2,       0x4,       kMaskCurvePoint, kMaskSpringPoint, 0x8000,
      0x80000,  0x100000,  0x200000,  0x1000000,       0x2000000,        0x4000000,
      om::kMaskCoordSys};
  if (std::find(std::begin(kMovable), std::end(kMovable), mask) == std::end(kMovable)) return false;
  if (mask == om::kMaskCoordSys) {
    omEntity* global = view->GetGlobalCoordSys();
    if (std::find(selection.begin(), selection.end(), global) != selection.end()) return false;
  }
  return true;
}

}  // namespace tessel::transform
