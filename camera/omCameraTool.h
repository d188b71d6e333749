// What the single-purpose camera tools (tumble, pan, roll, dolly) share: the gesture brackets on
// the main view, deactivation, cancel, the cursor rule on every move, and the SHIFT constraint.
#pragma once

#include <cstdint>

#include "camera/camera_gestures.h"
#include "framework/omToolBase.h"

class omMainView;
class omPanelManager;
class omView;

namespace tessel::camera {

class omCameraTool : public framework::omToolBase {
 public:
  // Ends the drawing mode and redraws the active view.
  void Deactivate() override;
  void Cancel() override;
  // The cursor only: the prompt (or a refusal warning) belongs to the gesture's own moments.
  void MouseMove(std::int32_t, const float*, omView* input) override { showCursor(input); }

 protected:
  // The tool's cursor, and its prompt (or warning), for the view.
  virtual void showCursor(omView* input) = 0;
  virtual void showPrompt(omView* input) = 0;
  void showCursorAndPrompt(omView* input) {
    showCursor(input);
    showPrompt(input);
  }

  // True when the view `input` shows is not a perspective view.
  static bool orthographic(omView* input);
  omMainView* mainView();
  omPanelManager* panel();
  void setStatus(const char* text);
  // A press starts the camera-gesture drawing mode.
  void beginGesture();
  // A release ends it, unless an ALT navigation keeps it for its whole length.
  void endGesture(omView* input, bool keepDrawingMode);
  // The scene box every drag step starts from (6 floats).
  void sceneBounds(float* box);

  // The SHIFT constraint of a drag step at `position`: false when the step is to do nothing.
  bool followConstraint(omView* input, const float* position);
  // SHIFT down moves the anchor to the cursor; SHIFT up frees the constraint.
  void shiftKey(std::int32_t flags, omView* input);

  Constraint constraint_ = kFree;
  float anchor_[2] = {0, 0};
};

}  // namespace tessel::camera
