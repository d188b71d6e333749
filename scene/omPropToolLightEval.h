// "Eval Light": the evaluation light's panel, one "Reset" button that returns the active view's
// light to its default placement, whether the tool runs or not.
#pragma once

#include "framework/omPropTool.h"

namespace tessel::scene {

class omPropToolLightEval : public framework::omPropTool {
 public:
  explicit omPropToolLightEval(const char* targetName);
  void OnAttribChanging(int id) override;
  // The menu item follows the tool; the button stays usable either way.
  void OnUpdateCmdUI(platform::CCmdUI* ui) override;

 private:
  int resetButton_;
};

}  // namespace tessel::scene
