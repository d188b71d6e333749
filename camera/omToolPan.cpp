#include "camera/omToolPan.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::camera {

std::int32_t omToolPan::buttonInUse(omView* input) const {
  return input->IsKeyUp(om::kKeyAlt) == 0 ? om::kButtonMiddle : om::kButtonLeft;
}

void omToolPan::showCursor(omView* input) {
  if (!input) return;
  const std::int32_t cursor = constraint_ == kFree       ? 5011
                              : constraint_ == kHorizontal ? 5012
                                                           : 5013;
  input->SetViewCursor(resources::LoadCursor(cursor));
}

void omToolPan::showPrompt(omView* input) {
  if (!input) return;
  if (omPanelManager* p = panel())
    p->SetPrompt(constraint_ == kFree
                     ? "Drag the mouse on the view to pan the camera. Press SHIFT to constrain "
                       "panning."
                     : "Drag the mouse on the view to pan the camera. Release SHIFT to remove "
                       "constrains.");
}

void omToolPan::Activate() {
  setStatus(nullptr);
  constraint_ = kFree;
  omView* input = activeView();
  showCursorAndPrompt(input);
  altHeld_ = input && input->IsKeyUp(om::kKeyAlt) == 0;
}

void omToolPan::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                            omView* input) {
  if (!input || button != buttonInUse(input)) return;
  if (action == om::kActionPress) {
    if (position && input->IsKeyUp(om::kKeyShift) == 0)
      anchor_[0] = position[0], anchor_[1] = position[1];
    beginGesture();
  } else if (action == om::kActionRelease) {
    constraint_ = kFree;
    endGesture(input, altHeld_);
  }
  showCursorAndPrompt(input);
}

void omToolPan::MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                          omView* input) {
  if (!input || !previous || !current) return;
  float box[6] = {};
  sceneBounds(box);
  if (previous[0] == current[0] && previous[1] == current[1]) return;
  omViewport* view = input->GetView();
  if (!view || buttons != buttonInUse(input)) return;
  if (!followConstraint(input, current)) return;
  // Panning is incremental: this step's offset only, along the free axis.
  float from[2] = {previous[0], previous[1]}, to[2] = {current[0], current[1]};
  if (constraint_ == kHorizontal) from[1] = to[1] = 0;
  if (constraint_ == kVertical) from[0] = to[0] = 0;
  float translation[2] = {0, 0};
  view->Pan(translation, from, to);
  view->UpdateCamera();
  view->SetSceneBounds(box);
  char text[1024];
  std::snprintf(text, sizeof text, "Translation: %10.2f %10.2f", translation[0], translation[1]);
  setStatus(text);
  input->RedrawView(1);
}

void omToolPan::Key(std::int32_t key, std::int32_t flags, omView* input) {
  if (key == om::kKeyShift) shiftKey(flags, input);
}

}  // namespace tessel::camera
