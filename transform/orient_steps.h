// What the orient commands, the synchronize command and the manipulator tools share: reading
// frames through the host, moving one entity's geometry with its attached partner, the
// preparation before a move, the update passes after it and the dependents of moved meshes.
#pragma once

#include <cstdint>
#include <vector>

#include "host/omEntity.h"
#include "host/omTransform.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "transform/transform_math.h"

class omApplication;

namespace tessel::transform {

// Selection-type bits of the transform records.
enum SelectionBits : std::uint32_t { kMoveGeometry = 1u, kMoveFrames = 2u };

struct Frame {
  Vec3 origin;
  Quat orientation;  // unit length; identity when the host answered a degenerate one
};

Frame readFrame(omCoordFrame& frame);
void writeOrigin(omCoordFrame& frame, const Vec3& origin);
void writeOrientation(omCoordFrame& frame, const Quat& q);

// The entities of a host list, in order; empty for a null list. Null entries are left out.
std::vector<omEntity*> entitiesOf(omEntityList* list);

// Calls PrepareForTransform once on every entity (of the two partner kinds) that asks for it.
void prepareSelection(omEntityList* owners, omEntityList* items);

// The linked items of an owner (of the two partner kinds) that have partners of their own: the
// sub-entities of an owner's item list, or the entities of its items.
std::vector<omEntity*> linkedItems(omEntity& owner);
// An owner's linked items take over the owner's matrices.
void syncAttached(omEntity& entity);
// An owner's linked items take the same translation step as the owner.
void translateLinkedItems(omEntity& entity, const float* step);

// After a scale of an owner (of the two partner kinds) composed into `t`: its attached partner
// takes the owner's matrices and the items follow; an owner without a partner, and any other
// entity, is brought up to its transform.
void followScaledOwner(omEntity& entity, omTransform& t);

// Moves the geometry of `entity` by `step` (applied to its transform, and to its attached
// partner's), as object mode asks; `follow` then brings the owner's linked items along.
template <class Step, class Follow>
void moveGeometry(omMainView& view, omEntity& entity, Step&& step, Follow&& follow) {
  omTransform* t = entity.GetTransform();
  if (!t) return;
  step(*t);
  const std::uint32_t type = entity.GetType();
  if (view.IsObjectMode() &&
      (type == om::kEntityConnectedA || type == om::kEntityConnectedB)) {
    omEntity* partner = entity.HasAttached() ? entity.GetAttached() : nullptr;
    if (partner && partner->GetTransform()) {
      step(*partner->GetTransform());
      follow(entity);
    } else {
      t->Apply();
      entity.InvalidateGeometry();
    }
  }
}

template <class Step>
void moveGeometry(omMainView& view, omEntity& entity, Step&& step) {
  moveGeometry(view, entity, step, [](omEntity& owner) { syncAttached(owner); });
}

// Pass A, right after an entity moved.
void updatePassA(omEntity& entity);
// Passes B and C over the entities that take part, then "entity moved" for every entity.
void updatePassesBC(omApplication* app, const std::vector<omEntity*>& entities,
                    const std::vector<bool>& takesPart);
void notifyMoved(omApplication* app, omEntity* entity);
// The tools' passes B and C, both for one entity before the next; then "entity moved" for each.
void updatePassesPerEntity(omApplication* app, const std::vector<omEntity*>& entities);

// True when `entity` takes part in the update passes for this selection type.
bool takesPart(omEntity& entity, std::uint32_t selectionType);

// Every scene entity made from one of the moved meshes takes the matrix of the entity whose mesh
// it was made from. `checkDetached` skips entities whose link to the source is detached.
struct MovedMesh {
  omMesh* mesh;
  Mat4 matrix;  // the moved entity's forward matrix
};
void updateDependents(omMainView& view, const std::vector<MovedMesh>& moved, bool checkDetached);
// The moved meshes of the selection, each with its own entity's matrix; empty unless the view
// is in object mode and the active entity is a polygon mesh.
std::vector<MovedMesh> movedMeshes(omMainView& view, const std::vector<omEntity*>& selection);

// Whether the selection may be transformed under the current filter: a non-empty selection, a
// filter kind that moves, and never the global coordinate system.
bool selectionMayMove(omApplication* app, omMainView* view);
// The same for the manipulator tools, which also refuse curve and spring points.
bool transformAllowed(omApplication* app, omMainView* view);

// Float arrays at the boundary.
Vec3 toVec3(const float* v);
void toFloats(const Vec3& v, float* out);
void toFloats(const Quat& q, float* out);
void toFloats(const Mat4& m, float* out);
Mat4 toMat4(const float* m);

}  // namespace tessel::transform
