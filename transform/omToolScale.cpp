#include "transform/omToolScale.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "transform/orient_steps.h"

namespace tessel::transform {

bool isApplicableScaleStep(const float* s) {
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(s[i]) || !(s[i] > 0.0f)) return false;
  return true;
}

bool omToolScale::CanActivate() {
  omApplication* app = GetApplication();
  omMainView* view = mainView();
  if (!transformAllowed(app, view) || !view->IsObjectMode()) return false;
  omMaskList* filter = app->GetObjectFilter();
  const std::uint32_t mask = filter ? filter->GetCurrentMask() : 0;
  return mask != om::kMaskLights && mask != om::kMaskCoordSys;
}

void omToolScale::Activate() {
  omMainView* view = mainView();
  if (!view) return;
  setStatus(nullptr);
  view->HideManipulator();
  dragging_ = false;
  manipulator_ = nullptr;
  if (!selection().empty()) manipulator_ = view->GetScaleManipulator();
  if (manipulator_ && view->IsObjectMode()) {
    omMaskList* filter = GetApplication()->GetObjectFilter();
    static_cast<omScaleManipulator*>(manipulator_)
        ->SetRestricted(filter && filter->GetCurrentMask() == om::kMaskSolid);
  }
  activateOnSelection(*view);
}

void omToolScale::Cancel() {
  setStatus(nullptr);
  if (omMainView* view = mainView()) view->Redraw(om::kRedrawFull);
  refreshViews(0);
  UpdatePrompt();
}

void omToolScale::UpdatePrompt() { showPrompt("Drag the scale manipulator to scale objects."); }

void omToolScale::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                              omView* input) {
  omMainView* view = mainView();
  const std::vector<omEntity*> sel = selection();
  if (!view || sel.empty()) return;
  prepareSelection(view->GetSelection(1), view->GetSelection(2));
  if (button != om::kButtonLeft || !input) return;
  if (action == om::kActionPress) {
    if (!position) return;
    pressPoint_[0] = position[0], pressPoint_[1] = position[1];
    dragging_ = manipulator_ && manipulator_->Pick(input->GetView(), pressPoint_);
    return;
  }
  if (action != om::kActionRelease || !dragging_) return;
  if (manipulator_) manipulator_->EndDrag();
  if (moved_) {
    notify(om::kNotifyPanelStateChanged, nullptr);
    moved_ = false;
  }
  settleMove(*view, sel, view->IsObjectMode() != 0, false);
  view->EndTransform(1);
  view->Redraw(om::kRedrawFull);
  updateViewBounds(false);
  refreshViews(1);
  view->EndInteraction();
  dragging_ = false;
}

void omToolScale::MouseDrag(std::int32_t buttons, const float*, const float* current,
                            omView* input) {
  omViewport* port = input ? input->GetView() : nullptr;
  if (!port) return;
  port->PrepareDragA();
  port->PrepareDragB();
  omMainView* view = mainView();
  if (buttons != om::kButtonLeft || !dragging_ || !manipulator_ || !current || !view) return;
  auto* scale = static_cast<omScaleManipulator*>(manipulator_);
  float clamped[2], s[3] = {1, 1, 1};
  clampToView(*port, current, clamped);
  scale->Drag(s, port, pressPoint_, clamped);
  if (!isApplicableScaleStep(s)) return;

  Vec3 c = pivot_;
  if (omCoordFrame* at = scale->GetCoordSys()) c = readFrame(*at).origin;
  // The manipulator's axes as rows, without any translation row it may carry.
  float a[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  if (omManipulatorTransform* axes = scale->GetTransform()) axes->GetMatrix(a);
  a[3] = a[7] = a[11] = a[12] = a[13] = a[14] = 0;
  a[15] = 1;
  float at[16], minusC[3], plusC[3];
  const float zero[3] = {0, 0, 0};
  toFloats(transpose(toMat4(a)), at);
  toFloats(c * -1.0, minusC);
  toFloats(c, plusC);

  const std::vector<omEntity*> sel = selection();
  for (omEntity* e : sel) {
    if (omTransform* t = e->GetTransform()) {
      t->Apply();
      t->Translate(minusC);
      t->Commit();
      t->MultMatrix(at);  // into the manipulator's axes
      t->Commit();
      t->Scale(s, zero);
      t->Commit();
      t->MultMatrix(a);  // back to world axes
      t->Commit();
      t->Translate(plusC);
      const std::uint32_t type = e->GetType();
      if (!view->IsObjectMode()) {
        // Components: the host bakes the step into the components it moves (Apply); the
        // inverse read before it keeps the rest of the entity where it was.
        float inverse[16];
        t->GetInverseMatrix(inverse);
        t->Apply();
        t->MultMatrix(inverse);
      } else if (type == om::kEntityConnectedA || type == om::kEntityConnectedB) {
        followScaledOwner(*e, *t);
      }
    }
    notify(om::kNotifyEntityMoved, e);
  }
  char text[160];
  std::snprintf(text, sizeof text, "sx=%9.2f, sy=%9.2f, sz=%9.2f", s[0], s[1], s[2]);
  setStatus(text);
  view->Redraw(om::kRedrawTransformDrag);
  updateViewBounds(true);
  refreshViews(1);
  view->Redraw(om::kRedrawFull);
  moved_ = true;
  // "Every entity moved": the host takes a null entity as all of them.
  notify(om::kNotifyEntityMoved, nullptr);
}

void omToolScale::Key(std::int32_t key, std::int32_t flags, omView*) {
  // Nothing to copy from or into once the tool has let its manipulator go, or with no active
  // entity.
  const std::vector<omEntity*> sel = selection();
  if (!manipulator_ || sel.empty() || flags != 1) return;
  omCoordFrame* frame = sel.back()->GetCoordSys();
  omCoordFrame* at = manipulator_->GetCoordSys();
  if (!frame || !at) return;
  if (key == om::kKeyShift) {
    writeOrigin(*frame, readFrame(*at).origin);
  } else if (key == om::kKeyCtrl) {
    if (omManipulatorTransform* axes = manipulator_->GetTransform()) axes->Commit();
    writeOrientation(*frame, readFrame(*at).orientation);
  }
}

void omToolScale::OnNotify(const omEvent* event, void* param) {
  omToolManipulator::OnNotify(event, param);
  if (!event || event->code != om::kNotifySelectionChanged || !manipulator_) return;
  const std::vector<omEntity*> sel = selection();
  omCoordFrame* frame = sel.empty() ? nullptr : sel.back()->GetCoordSys();
  if (!frame) return;
  pivot_ = readFrame(*frame).origin;
  if (omCoordFrame* at = manipulator_->GetCoordSys()) writeOrigin(*at, pivot_);
  if (placed_)
    if (omManipulatorTransform* axes = manipulator_->GetTransform()) {
      float m[16];
      frame->GetMatrix(m);
      axes->SetMatrix(m);
    }
}

}  // namespace tessel::transform
