#include "transform/omCmdOrientTranslate.h"

#include "host/omView.h"
#include "transform/orient_steps.h"

namespace tessel::transform {
namespace {

void translate(omMainView& view, omApplication* app, const omCmdOrientTranslateData& data) {
  omEntity* ref = data.refCoordSys;
  if (!ref || !ref->GetCoordSys()) return;
  const Vec3 v = toVec3(data.vector);
  if (!isFinite(v)) return;
  const std::vector<omEntity*> selection = entitiesOf(view.GetSelection(-1));
  if (selection.empty()) return;
  const Frame r = readFrame(*ref->GetCoordSys());
  const Vec3 turned = turnVector(rotationMatrix(r.orientation), v);
  const bool absolute = data.movementType == 0;
  const Vec3 target = r.origin + turned;
  prepareSelection(view.GetSelection(1), view.GetSelection(2));

  std::vector<bool> part;
  for (omEntity* e : selection) {
    omCoordFrame* c = e->GetCoordSys();
    if (!c) {
      part.push_back(false);
      continue;
    }
    const Vec3 origin = readFrame(*c).origin;
    const Vec3 step = absolute ? target - origin : turned;
    if (data.selectionType & kMoveGeometry) {
      float d[3];
      toFloats(step, d);
      moveGeometry(view, *e, [&](omTransform& t) { t.Translate(d); });
    }
    if (data.selectionType & kMoveFrames) writeOrigin(*c, absolute ? target : origin + turned);
    part.push_back(takesPart(*e, data.selectionType));
    if (part.back()) updatePassA(*e);
  }
  updatePassesBC(app, selection, part);
  updateDependents(view, movedMeshes(view, selection), true);
  view.EndTransform(1);
}

}  // namespace

omCommandData* omCmdOrientTranslate::CreateData(std::int32_t) {
  return framework::createRecord<omCmdOrientTranslateData>();
}

std::int32_t omCmdOrientTranslate::Execute(omProgress*, omCommandData* data) {
  auto* record = dynamic_cast<omCmdOrientTranslateData*>(data);
  omMainView* view = GetMainView();
  if (record && view) translate(*view, GetApplication(), *record);
  if (view && (!record || record->update)) {
    view->Redraw(om::kRedrawFull);
    UpdateAllViews();
  }
  return om::kExecuteRan;
}

}  // namespace tessel::transform
