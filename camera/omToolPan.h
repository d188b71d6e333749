// "Pan": slides a view's camera parallel to the screen, step by step, in any kind of view; the
// left button pans, or the middle one inside an ALT navigation.
#pragma once

#include "camera/omCameraTool.h"

namespace tessel::camera {

class omToolPan : public omCameraTool {
 public:
  const char* GetName() override { return "Pan"; }
  void Activate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  // SHIFT only: the ALT state that counts is the one at activation.
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;

 protected:
  void showCursor(omView* input) override;
  void showPrompt(omView* input) override;

 private:
  std::int32_t buttonInUse(omView* input) const;
  bool altHeld_ = false;
};

}  // namespace tessel::camera
