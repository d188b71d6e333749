// "Tumble": turns a perspective view's camera while the left button drags over it. The host
// turns the camera and reports the angles; the tool picks the button, locks the motion to one
// screen axis while SHIFT is held, and keeps the status line, prompt and cursor.
#pragma once

#include "camera/omCameraTool.h"

namespace tessel::camera {

class omToolTumble : public omCameraTool {
 public:
  const char* GetName() override { return "Tumble"; }
  void Activate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;

 protected:
  void showCursor(omView* input) override;
  void showPrompt(omView* input) override;

 private:
  bool altHeld_ = false;  // ALT was down at activation or at the last ALT key event
};

}  // namespace tessel::camera
