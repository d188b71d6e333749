// "Dolly": a horizontal drag moves the camera towards or away from the host's pivot; with SHIFT
// held it zooms instead. The wheel does the same in steps.
#pragma once

#include "camera/omCameraTool.h"
#include "camera/zoom_limits.h"

namespace tessel::camera {

class omToolDolly : public omCameraTool {
 public:
  const char* GetName() override { return "Dolly"; }
  void Activate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseWheel(std::int32_t amount, std::int32_t, omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  // Any key: SHIFT switches between dolly and zoom, so cursor and prompt follow.
  void Key(std::int32_t, std::int32_t, omView* input) override { showCursorAndPrompt(input); }

 protected:
  void showCursor(omView* input) override;
  void showPrompt(omView* input) override;

 private:
  bool altHeld_ = false;  // at activation only
};

}  // namespace tessel::camera
