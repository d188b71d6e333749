#include "transform/omCmdOrientRotate.h"

#include "host/omView.h"
#include "transform/orient_steps.h"

namespace tessel::transform {
namespace {

void rotate(omMainView& view, omApplication* app, const omCmdOrientRotateData& data) {
  omEntity* ref = data.refCoordSys;
  if (!ref || !ref->GetCoordSys()) return;
  // A zero or non-finite axis has no direction to turn about: nothing moves.
  const std::optional<Quat> turn = axisAngle(toVec3(data.axis), data.angle);
  if (!turn) return;
  const std::vector<omEntity*> selection = entitiesOf(view.GetSelection(-1));
  if (selection.empty()) return;
  const Frame r = readFrame(*ref->GetCoordSys());
  const Quat world = multiply(multiply(r.orientation, *turn), conjugate(r.orientation));
  float q[4], centre[3];
  toFloats(world, q);
  toFloats(r.origin, centre);
  prepareSelection(view.GetSelection(1), view.GetSelection(2));

  std::vector<bool> part;
  for (omEntity* e : selection) {
    omCoordFrame* c = e->GetCoordSys();
    if (data.selectionType & kMoveGeometry)
      moveGeometry(view, *e, [&](omTransform& t) { t.Rotate(q, centre); });
    if ((data.selectionType & kMoveFrames) && c) {
      const Frame f = readFrame(*c);
      writeOrigin(*c, r.origin + rotate(world, f.origin - r.origin));
      writeOrientation(*c, data.movementType == 0 ? world : multiply(world, f.orientation));
    }
    part.push_back(takesPart(*e, data.selectionType));
    if (part.back()) updatePassA(*e);
  }
  updatePassesBC(app, selection, part);
  view.EndTransform(1);
}

}  // namespace

omCommandData* omCmdOrientRotate::CreateData(std::int32_t) {
  return framework::createRecord<omCmdOrientRotateData>();
}

std::int32_t omCmdOrientRotate::Execute(omProgress* progress, omCommandData* data) {
  auto* record = dynamic_cast<omCmdOrientRotateData*>(data);
  omMainView* view = GetMainView();
  if (record && view) rotate(*view, GetApplication(), *record);
  if (view && (!record || record->update)) {
    view->Redraw(om::kRedrawFull);
    UpdateAllViews();
  }
  if (progress) progress->SetMessage("Rotated selected objects.", 0);
  return om::kExecuteRan;
}

}  // namespace tessel::transform
