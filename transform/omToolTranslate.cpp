#include "transform/omToolTranslate.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "transform/orient_steps.h"

namespace tessel::transform {

bool omToolTranslate::CanActivate() { return transformAllowed(GetApplication(), mainView()); }

void omToolTranslate::Activate() {
  omMainView* view = mainView();
  if (!view) return;
  view->HideManipulator();
  mode_ = 0;
  manipulator_ = nullptr;
  if (!selection().empty()) manipulator_ = view->GetTranslateManipulator();
  activateOnSelection(*view);
}

void omToolTranslate::Cancel() {
  if (omMainView* view = mainView()) view->Redraw(om::kRedrawFull);
  refreshViews(0);
  UpdatePrompt();
}

void omToolTranslate::UpdatePrompt() {
  showPrompt("Drag the translation manipulator to translate objects.");
}

void omToolTranslate::MouseDrag(std::int32_t buttons, const float*, const float* current,
                                omView* input) {
  if (mode_ == 0 || buttons != om::kButtonLeft || !manipulator_ || !input || !current) return;
  omMainView* view = mainView();
  omViewport* port = input->GetView();
  if (!view || !port) return;
  auto* translate = static_cast<omTranslateManipulator*>(manipulator_);
  float clamped[2], before[3], after[3], step[3] = {0, 0, 0};
  clampToView(*port, current, clamped);
  translate->GetPosition(before);
  translate->Drag(step, port, pressPoint_, clamped);
  translate->GetPosition(after);
  const Vec3 d = toVec3(after) - toVec3(before);
  // A step that is not a finite motion would leave the geometry nowhere.
  if (!isFinite(toVec3(step)) || !isFinite(d)) return;

  const std::vector<omEntity*> sel = selection();
  for (omEntity* e : sel) {
    if (mode_ & kMoveGeometry)
      moveGeometry(
          *view, *e, [&](omTransform& t) { t.Translate(step); },
          [&](omEntity& owner) { translateLinkedItems(owner, step); });
    if (mode_ & kMoveFrames)
      if (omCoordFrame* frame = e->GetCoordSys()) writeOrigin(*frame, readFrame(*frame).origin + d);
    notify(om::kNotifyEntityMoved, e);
  }
  char text[160];
  std::snprintf(text, sizeof text, "dx=%9.2f, dy=%9.2f, dz=%9.2f", step[0], step[1], step[2]);
  setStatus(text);
  if (mode_ & kMoveGeometry) updateViewBounds(true);
  redrawStep(sel.empty() ? nullptr : sel.back());
  moved_ = true;
}

void omToolTranslate::endDrag() {
  const std::vector<omEntity*> sel = selection();
  omMainView* view = mainView();
  if (sel.empty() || !view) return;
  if (manipulator_) manipulator_->EndDrag();
  if (mode_ & kMoveGeometry) {
    settleMove(*view, sel, view->IsObjectMode() != 0, true);
    updateViewBounds(false);
  }
  view->SetModified(1);
  view->Redraw(om::kRedrawFull);
  refreshViews(0);
  view->EndInteraction();
}

}  // namespace tessel::transform
