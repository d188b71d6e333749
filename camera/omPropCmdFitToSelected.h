// The panel of "View Selected": the same "All Views" switch over the other command.
#pragma once

#include "framework/omPropCmd.h"

namespace tessel::camera {

class omPropCmdFitToSelected : public framework::omPropCmd {
 public:
  explicit omPropCmdFitToSelected(const char* targetName);
  void Activate() override;

 private:
  int allViewsAttrib_;
};

}  // namespace tessel::camera
