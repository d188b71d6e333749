#include "transform/omToolRotate.h"

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "transform/orient_steps.h"

namespace tessel::transform {

bool omToolRotate::CanActivate() { return transformAllowed(GetApplication(), mainView()); }

void omToolRotate::Activate() {
  omMainView* view = mainView();
  if (!view) return;
  setStatus(nullptr);
  view->HideManipulator();
  mode_ = 0;
  placed_ = moved_ = false;
  current_ = previous_ = kIdentityQuat;
  manipulator_ = nullptr;
  if (!selection().empty()) manipulator_ = view->GetRotateManipulator();
  activateOnSelection(*view);
}

void omToolRotate::Cancel() {
  setStatus(nullptr);
  if (omMainView* view = mainView()) view->Redraw(om::kRedrawFull);
  refreshViews(0);
  UpdatePrompt();
}

void omToolRotate::GetPivot(float* xyz) {
  if (xyz) toFloats(pivot_, xyz);
}

void omToolRotate::UpdatePrompt() {
  showPrompt("Drag the rotation manipulator to rotate objects.");
}

void omToolRotate::MouseDrag(std::int32_t buttons, const float*, const float* current,
                             omView* input) {
  if (mode_ == 0 || buttons != om::kButtonLeft || !manipulator_ || !input || !current) return;
  omMainView* view = mainView();
  omViewport* port = input->GetView();
  if (!view || !port) return;
  auto* rotate = static_cast<omRotateManipulator*>(manipulator_);
  float turnedBefore[4] = {0, 0, 0, 1}, out[4] = {0, 0, 0, 1};
  if (omManipulatorTransform* axes = rotate->GetTransform()) axes->GetRotation(turnedBefore);
  const float* reported = rotate->Drag(out, port, pressPoint_, current);
  if (!reported) reported = out;
  // A turn that is not one (zero, non-finite) is no step at all.
  const std::optional<Quat> step =
      normalized(Quat{reported[0], reported[1], reported[2], reported[3]});
  if (!step) return;
  previous_ = current_;
  current_ = *step;

  // Every selected frame ends with the orientation of the turned manipulator.
  const std::optional<Quat> before =
      normalized(Quat{turnedBefore[0], turnedBefore[1], turnedBefore[2], turnedBefore[3]});
  const Quat o2 = multiply(current_, before ? *before : kIdentityQuat);
  Vec3 c = pivot_;
  if (omCoordFrame* at = rotate->GetCoordSys()) c = readFrame(*at).origin;
  float w[4], centre[3];
  toFloats(current_, w);
  toFloats(c, centre);

  const std::vector<omEntity*> sel = selection();
  for (omEntity* e : sel) {
    if (mode_ & kMoveGeometry)
      moveGeometry(*view, *e, [&](omTransform& t) { t.Rotate(w, centre); });
    if (mode_ & kMoveFrames)
      if (omCoordFrame* frame = e->GetCoordSys()) {
        writeOrientation(*frame, o2);
        writeOrigin(*frame, c + transform::rotate(current_, readFrame(*frame).origin - c));
      }
    notify(om::kNotifyEntityMoved, e);
  }
  setStatus(nullptr);
  if (mode_ & kMoveGeometry) updateViewBounds(true);
  redrawStep(sel.empty() ? nullptr : sel.back());
  moved_ = true;
}

void omToolRotate::endDrag() {
  if (manipulator_) manipulator_->EndDrag();
  current_ = previous_ = kIdentityQuat;
  const std::vector<omEntity*> sel = selection();
  omMainView* view = mainView();
  if (sel.empty() || !view) return;
  if (mode_ & kMoveGeometry) settleMove(*view, sel, view->IsObjectMode() != 0, true);
  view->EndTransform(1);
  view->Redraw(om::kRedrawFull);
  refreshViews(0);
  view->EndInteraction();
}

}  // namespace tessel::transform
