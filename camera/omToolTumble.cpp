#include "camera/omToolTumble.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::camera {

void omToolTumble::showCursor(omView* input) {
  if (!input) return;
  const std::int32_t cursor = orthographic(input)          ? 5001
                              : constraint_ == kFree       ? 5002
                              : constraint_ == kHorizontal ? 5003
                                                           : 5004;
  input->SetViewCursor(resources::LoadCursor(cursor));
}

void omToolTumble::showPrompt(omView* input) {
  omPanelManager* p = panel();
  if (!input || !p) return;
  const bool ortho = orthographic(input);
  if (ortho)
    p->SetWarning("Tumbling is not allowed in a non perspective window.");
  else if (constraint_ == kFree)
    p->SetPrompt(
        "Drag the mouse on the view to tumble the camera. Press SHIFT to constrain tumbling.");
  else
    p->SetPrompt(
        "Drag the mouse on the view to tumble the camera. Release SHIFT to remove constrains.");
}

void omToolTumble::Activate() {
  setStatus(nullptr);
  constraint_ = kFree;
  omView* input = activeView();
  showCursorAndPrompt(input);
  altHeld_ = input && input->IsKeyUp(om::kKeyAlt) == 0;
}

void omToolTumble::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                               omView* input) {
  if (button != om::kButtonLeft || !input) return;
  omViewport* view = input->GetView();
  if (action == om::kActionPress) {
    if (view) view->ResetTumbleReference(0, 0);
    if (position) anchor_[0] = position[0], anchor_[1] = position[1];
    beginGesture();
  } else if (action == om::kActionRelease) {
    constraint_ = kFree;
    if (view) view->ResetTumbleReference(0, 0);
    endGesture(input, altHeld_);
  }
  showCursorAndPrompt(input);
}

void omToolTumble::MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                             omView* input) {
  if (!input || !previous || !current) return;
  float box[6] = {};
  sceneBounds(box);
  omViewport* view = input->GetView();
  if (previous[0] == current[0] && previous[1] == current[1]) return;
  if (!view || view->IsOrthographic() != 0 || buttons != om::kButtonLeft) return;
  if (!followConstraint(input, current)) return;
  // The host turns by the whole offset since the anchor, not by this step's.
  float from[2] = {anchor_[0], anchor_[1]}, to[2] = {current[0], current[1]};
  if (constraint_ == kHorizontal) to[1] = anchor_[1];
  if (constraint_ == kVertical) to[0] = anchor_[0];
  float angles[2] = {0, 0};
  view->Tumble(angles, from, to);
  view->UpdateCamera();
  view->SetSceneBounds(box);
  char text[1024];
  if (view->GetTumbleMode() == 1)
    std::snprintf(text, sizeof text, "Tumble:  x %6.2f,  y %6.2f", angles[0], angles[1]);
  else
    std::snprintf(text, sizeof text, "Tumble: %10.2f ", angles[0]);
  setStatus(text);
  input->RedrawView(1);
}

void omToolTumble::Key(std::int32_t key, std::int32_t flags, omView* input) {
  if (key == om::kKeyShift) shiftKey(flags, input);
  if (key == om::kKeyAlt) altHeld_ = flags == 0;
}

}  // namespace tessel::camera
