// "Roll": turns a perspective view's camera about its viewing axis while the mouse is dragged
// horizontally; the left button, or the right one inside an ALT navigation.
#pragma once

#include "camera/omCameraTool.h"

namespace tessel::camera {

class omToolRoll : public omCameraTool {
 public:
  const char* GetName() override { return "Roll"; }
  void Activate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;

 protected:
  void showCursor(omView* input) override;
  void showPrompt(omView* input) override;
};

}  // namespace tessel::camera
