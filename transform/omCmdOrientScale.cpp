#include "transform/omCmdOrientScale.h"

#include "host/omView.h"
#include "transform/orient_steps.h"

namespace tessel::transform {
namespace {

void scale(omMainView& view, omApplication* app, const omCmdOrientScaleData& data) {
  omEntity* ref = data.refCoordSys;
  if (!ref || !ref->GetCoordSys()) return;
  // A zero factor on any axis would flatten the geometry for good and leave no inverse.
  const Vec3 s = toVec3(data.factors);
  if (!isUsableScale(s)) return;
  const std::vector<omEntity*> selection = entitiesOf(view.GetSelection(-1));
  if (selection.empty()) return;
  const Frame r = readFrame(*ref->GetCoordSys());
  float toRef[16], fromRef[16], factors[3], minusO[3], plusO[3];
  const float zero[3] = {0, 0, 0};
  toFloats(rotationMatrix(r.orientation), toRef);
  toFloats(rotationMatrix(conjugate(r.orientation)), fromRef);
  toFloats(s, factors);
  toFloats(r.origin * -1.0, minusO);
  toFloats(r.origin, plusO);
  prepareSelection(view.GetSelection(1), view.GetSelection(2));

  for (omEntity* e : selection) {
    omTransform* t = e->GetTransform();
    if (t) {
      t->Apply();
      t->Translate(minusO);
      t->Commit();
      t->MultMatrix(toRef);
      t->Commit();
      t->Scale(factors, zero);
      t->Commit();
      t->MultMatrix(fromRef);
      t->Commit();
      t->Translate(plusO);
      followScaledOwner(*e, *t);
    }
    updatePassA(*e);
  }
  updatePassesBC(app, selection, std::vector<bool>(selection.size(), true));
  view.EndTransform(1);
}

}  // namespace

omCommandData* omCmdOrientScale::CreateData(std::int32_t) {
  return framework::createRecord<omCmdOrientScaleData>();
}

std::int32_t omCmdOrientScale::Execute(omProgress*, omCommandData* data) {
  auto* record = dynamic_cast<omCmdOrientScaleData*>(data);
  omMainView* view = GetMainView();
  if (record && view) scale(*view, GetApplication(), *record);
  if (view) {
    view->Redraw(om::kRedrawFull);
    UpdateAllViews();
  }
  return om::kExecuteRan;
}

}  // namespace tessel::transform
