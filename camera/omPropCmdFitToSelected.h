// The panel of "View Selected": the same switch over the other command.
#pragma once

#include "camera/omPropCmdFitToAll.h"

namespace tessel::camera {

class omPropCmdFitToSelected : public omPropCmdFitToAll {
 public:
  explicit omPropCmdFitToSelected(const char* targetName) : omPropCmdFitToAll(targetName) {}
  void Activate() override;
};

}  // namespace tessel::camera
