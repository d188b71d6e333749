// The panel of "View All": one switch, "All Views", copied into the command's record when the
// command runs from the panel.
#pragma once

#include "framework/omPropCmd.h"

namespace tessel::camera {

class omPropCmdFitToAll : public framework::omPropCmd {
 public:
  explicit omPropCmdFitToAll(const char* targetName);
  void Activate() override;

 private:
  int allViewsAttrib_;
};

}  // namespace tessel::camera
