#include "transform/omCmdOrientReset.h"

#include "host/omView.h"
#include "transform/orient_steps.h"

namespace tessel::transform {

std::int32_t omCmdOrientReset::Execute(omProgress*, omCommandData*) {
  omMainView* view = GetMainView();
  if (!view) return om::kExecuteRan;
  const std::vector<omEntity*> selection = entitiesOf(view->GetSelection(-1));
  for (omEntity* e : selection) {
    omCoordFrame* c = e->GetCoordSys();
    float box[6];
    // An empty entity has no centre to go to.
    if (c && e->GetBoundingBox(box)) {
      const Vec3 centre{(static_cast<double>(box[0]) + box[3]) * 0.5,
                        (static_cast<double>(box[1]) + box[4]) * 0.5,
                        (static_cast<double>(box[2]) + box[5]) * 0.5};
      if (isFinite(centre)) {
        writeOrigin(*c, centre);
        writeOrientation(*c, kIdentityQuat);
      }
    }
    notifyMoved(GetApplication(), e);
  }
  if (!selection.empty()) view->EndTransform(1);
  view->Redraw(om::kRedrawFull);
  UpdateAllViews();
  return om::kExecuteRan;
}

}  // namespace tessel::transform
