// "Eval Light": places the active view's evaluation light where the left button is pressed and
// follows the pointer while a button is held; the views follow the light.
#pragma once

#include "framework/omToolBase.h"

namespace tessel::scene {

class omToolLightEval : public framework::omToolBase {
 public:
  const char* GetName() override { return "Eval Light"; }
  void Activate() override;
  void Cancel() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* view) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* view) override;
  void Refresh() override {}

  virtual void UpdatePrompt();
};

// Places the evaluation light of the view manager's active view for `position`; false when there
// is no such view or light.
bool placeEvaluationLight(omApplication* app, const float* position);
// Returns the active view's evaluation light to its default placement and redraws the view.
void resetEvaluationLight(omApplication* app);

}  // namespace tessel::scene
