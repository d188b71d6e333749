// "Tumble": turns a perspective view's camera while the left button drags over it. The host
// turns the camera and reports the angles; the tool picks the button, locks the motion to one
// screen axis while SHIFT is held, and keeps the status line, prompt and cursor.
#pragma once

#include "camera/camera_gestures.h"
#include "framework/omToolBase.h"

class omView;
class omViewport;

namespace tessel::camera {

class omToolTumble : public framework::omToolBase {
 public:
  const char* GetName() override { return "Tumble"; }
  void Activate() override;
  void Deactivate() override;
  void Cancel() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void MouseMove(std::int32_t, const float*, omView* input) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;

 private:
  void showCursorAndPrompt(omView* input);
  omView* activeView();

  bool altHeld_ = false;  // ALT was down at activation or at the last ALT key event
  std::int32_t constraint_ = kFree;
  float anchor_[2] = {0, 0};  // the press position, moved to the cursor when SHIFT goes down
};

}  // namespace tessel::camera
