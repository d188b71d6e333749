#include "camera/omToolDolly.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::camera {
namespace {

constexpr float kWheelPixels = 0.2f;  // a wheel unit acts as this many pixels of drag

bool shiftHeld(omView* input) { return input->IsKeyUp(om::kKeyShift) == 0; }

}  // namespace

void omToolDolly::showCursor(omView* input) {
  if (input) input->SetViewCursor(resources::LoadCursor(shiftHeld(input) ? 5014 : 5000));
}

void omToolDolly::showPrompt(omView* input) {
  if (!input) return;
  if (omPanelManager* p = panel())
    p->SetPrompt(shiftHeld(input) ? "Drag the mouse horizontally on the view to zoom the camera. Release "
                        "SHIFT to dolly."
                      : "Drag the mouse horizontally on the view to dolly the camera. Press "
                        "SHIFT to zoom.");
}

void omToolDolly::Activate() {
  setStatus(nullptr);
  omView* input = activeView();
  showCursorAndPrompt(input);
  altHeld_ = input && input->IsKeyUp(om::kKeyAlt) == 0;
}

void omToolDolly::MouseButton(std::int32_t, std::int32_t action, const float*, omView* input) {
  if (!input) return;
  if (action == om::kActionPress)
    beginGesture();
  else
    endGesture(input, altHeld_);
  showCursorAndPrompt(input);
}

void omToolDolly::MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                            omView* input) {
  if (!input || !previous || !current) return;
  float box[6] = {};
  sceneBounds(box);
  if (previous[0] == current[0] && previous[1] == current[1]) return;
  const bool alt = input->IsKeyUp(om::kKeyAlt) == 0;
  const bool buttonsOk = alt ? input->IsButtonUp(om::kButtonLeft) == 0 &&
                                   input->IsButtonUp(om::kButtonMiddle) == 0
                             : buttons == om::kButtonLeft;
  omViewport* view = input->GetView();
  omMainView* main = mainView();
  if (!buttonsOk || !view || !main) return;
  const bool ortho = view->IsOrthographic() != 0;
  omPanelManager* p = panel();
  char text[1024];
  if (shiftHeld(input)) {
    const float value = view->Zoom(previous, current);
    if (const char* warning = zoomLimitWarning(value, ortho); warning && p) p->SetWarning(warning);
    std::snprintf(text, sizeof text, ortho ? "Width: %.2f" : "FOV: %10.2f", value);
  } else {
    float buffer[4];
    const float* pivot = main->GetDollyPivot(buffer, view);
    const float value = view->Dolly(previous, current, pivot);
    if (value <= kNarrowestOrtho && view->IsDollyUnbounded() == 0 && p)
      p->SetWarning("Dollyed in to maximum value allowed.");
    if (ortho) {
      if (const char* warning = zoomLimitWarning(value, true); warning && p) p->SetWarning(warning);
      std::snprintf(text, sizeof text, "Width: %10.2f", value);
    } else {
      std::snprintf(text, sizeof text, "Distance: %10.2f", value);
    }
  }
  view->UpdateCamera();
  view->SetSceneBounds(box);
  setStatus(text);
  input->RedrawView(1);
}

void omToolDolly::MouseWheel(std::int32_t amount, std::int32_t, omView* input) {
  omViewport* view = input ? input->GetView() : nullptr;
  omMainView* main = mainView();
  if (!view || !main) return;
  // The wheel acts as a horizontal drag of amount x 0.2 pixels.
  const float from[2] = {0, 0}, to[2] = {static_cast<float>(amount) * kWheelPixels, 0};
  const bool ortho = view->IsOrthographic() != 0;
  char text[1024];
  if (shiftHeld(input)) {
    std::snprintf(text, sizeof text, ortho ? "Width: %10.2f" : "FOV: %10.2f", view->Zoom(from, to));
  } else {
    float buffer[4];
    const float value = view->Dolly(from, to, main->GetDollyPivot(buffer, view));
    std::snprintf(text, sizeof text, ortho ? "Width: %10.2f" : "Distance: %10.2f", value);
  }
  setStatus(text);
  main->Redraw(om::kRedrawCameraGesture);
  main->SetModified(0);
  input->RedrawView(1);
}

}  // namespace tessel::camera
