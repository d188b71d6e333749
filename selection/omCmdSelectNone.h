// "Select None": clears the selection.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::selection {

class omCmdSelectNone : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Select None"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::selection
