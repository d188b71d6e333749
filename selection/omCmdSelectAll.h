// "Select All": every object the host lets the user select.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::selection {

class omCmdSelectAll : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Select All"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::selection
