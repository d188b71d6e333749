#include "transform/omCmdOrientSynchronize.h"

#include "host/omApplication.h"
#include "host/omView.h"
#include "transform/orient_steps.h"

namespace tessel::transform {
namespace {

bool isPartnerOwner(omEntity& e) {
  const std::uint32_t type = e.GetType();
  return type == om::kEntityConnectedA || type == om::kEntityConnectedB;
}

// Where an owner with a partner is carried from: the active entity's origin when it is alone,
// else the centre of the selection's box.
Vec3 sourcePoint(omMainView& view, const std::vector<omEntity*>& selection) {
  if (selection.size() == 1)
    if (omCoordFrame* c = selection.back()->GetCoordSys()) return readFrame(*c).origin;
  float box[6];
  if (!view.GetSelectionBox(box)) return {};
  return {(static_cast<double>(box[0]) + box[3]) / 2.0, (static_cast<double>(box[1]) + box[4]) / 2.0,
          (static_cast<double>(box[2]) + box[5]) / 2.0};
}

// False when there was nothing to synchronize.
bool synchronize(omMainView& view, omApplication* app, const omCmdOrientSynchronizeData& data) {
  omEntity* ref = data.refCoordSys;
  if (!ref || !ref->GetCoordSys()) return false;
  const std::vector<omEntity*> selection = entitiesOf(view.GetSelection(-1));
  if (selection.empty()) return false;
  const Frame r = readFrame(*ref->GetCoordSys());
  const bool objectMode = view.IsObjectMode() != 0;
  float ro[3], rq[4];
  toFloats(r.origin, ro);
  toFloats(r.orientation, rq);

  std::vector<bool> part;
  for (omEntity* e : selection) {
    omCoordFrame* c = e->GetCoordSys();
    part.push_back(takesPart(*e, data.selectionType));
    if (!c) continue;
    const Frame f = readFrame(*c);
    const bool interactive = e->GetType() == om::kEntityPolygonMesh;
    if (interactive) e->BeginInteractive();
    omTransform* t = e->GetTransform();
    if ((data.selectionType & kMoveGeometry) && t) {
      omEntity* partner = objectMode && isPartnerOwner(*e) && e->HasAttached() ? e->GetAttached()
                                                                                : nullptr;
      if (partner) {
        float step[3];
        toFloats(r.origin - sourcePoint(view, selection), step);
        t->Translate(step);
        t->Commit();
        if (omTransform* pt = partner->GetTransform()) {
          pt->Translate(step);
          pt->Commit();
        }
        syncAttached(*e);
      } else {
        if (objectMode && isPartnerOwner(*e)) {
          t->Apply();
          e->InvalidateGeometry();
        }
        float step[3], turn[4];
        toFloats(r.origin - f.origin, step);
        toFloats(multiply(r.orientation, conjugate(f.orientation)), turn);
        t->Translate(step);
        t->Commit();
        t->Rotate(turn, ro);
      }
    }
    if (data.selectionType & kMoveFrames) {
      c->SetOrigin(ro);
      c->SetOrientation(rq);
    }
    if (part.back()) updatePassA(*e);
    if (interactive) e->EndInteractive();
  }
  updatePassesBC(app, selection, part);
  updateDependents(view, movedMeshes(view, selection), false);
  view.EndTransform(1);
  return true;
}

}  // namespace

omCommandData* omCmdOrientSynchronize::CreateData(std::int32_t) {
  return framework::createRecord<omCmdOrientSynchronizeData>();
}

bool omCmdOrientSynchronize::CanExecute() {
  return selectionMayMove(GetApplication(), GetMainView());
}

std::int32_t omCmdOrientSynchronize::Execute(omProgress* progress, omCommandData* data) {
  auto* record = dynamic_cast<omCmdOrientSynchronizeData*>(data);
  omMainView* view = GetMainView();
  const bool ran = record && view && synchronize(*view, GetApplication(), *record);
  if (view) {
    view->Redraw(om::kRedrawFull);
    UpdateAllViews();
  }
  // Nothing synchronized is not reported as done.
  if (progress && ran) progress->SetMessage("Synchronized selected objects.", 0);
  return om::kExecuteRan;
}

}  // namespace tessel::transform
