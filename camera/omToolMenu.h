// "Menu": navigation with all mouse buttons at once. It has no mouse behaviour of its own; it
// keeps the camera drawing mode while active, announces the button mapping, and redraws every
// view it saw become active when it ends.
#pragma once

#include <vector>

#include "framework/omToolBase.h"

class omView;

namespace tessel::camera {

class omToolMenu : public framework::omToolBase {
 public:
  const char* GetName() override { return "Menu"; }
  void Activate() override;
  void Deactivate() override;
  // Remembers the active view.
  void Refresh() override;
  void Cancel() override;

 private:
  void updatePrompt();
  std::vector<omView*> visitedViews_;  // not owned; each once, in the order first seen
};

}  // namespace tessel::camera
