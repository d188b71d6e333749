// "Cycle Selection": makes the next selected object the active one.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::selection {

class omCmdCycleSelect : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Cycle Selection"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::selection
