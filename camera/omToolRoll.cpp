#include "camera/omToolRoll.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::camera {

void omToolRoll::showCursor(omView* input) {
  if (input) input->SetViewCursor(resources::LoadCursor(orthographic(input) ? 5001 : 5018));
}

void omToolRoll::showPrompt(omView* input) {
  omPanelManager* p = panel();
  if (!input || !p) return;
  if (orthographic(input))
    p->SetWarning("Rolling is not allowed in a non perspective window.");
  else
    p->SetPrompt("Drag the mouse horizontally on the view to roll the camera.");
}

void omToolRoll::Activate() {
  setStatus(nullptr);
  showCursorAndPrompt(activeView());
}

void omToolRoll::MouseButton(std::int32_t, std::int32_t action, const float*, omView* input) {
  if (!input) return;
  if (action == om::kActionPress)
    beginGesture();
  else
    // The roll tool keeps no ALT state: the key as it is at the release decides.
    endGesture(input, input->IsKeyUp(om::kKeyAlt) == 0);
  showCursorAndPrompt(input);
}

void omToolRoll::MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                           omView* input) {
  if (!input || !previous || !current) return;
  float box[6] = {};
  sceneBounds(box);
  if (previous[0] == current[0] && previous[1] == current[1]) return;
  const std::int32_t inUse =
      input->IsKeyUp(om::kKeyAlt) == 0 ? om::kButtonRight : om::kButtonLeft;
  omViewport* view = input->GetView();
  if (!view || buttons != inUse || view->IsOrthographic() != 0) return;
  const float angle = view->Roll(previous, current);
  view->UpdateCamera();
  view->SetSceneBounds(box);
  char text[1024];
  std::snprintf(text, sizeof text, "Angle: %10.2f", angle);
  setStatus(text);
  input->RedrawView(1);
}

}  // namespace tessel::camera
