// "Select Inverse": inverts the component selection inside each selected object; objects left
// with nothing selected leave the selection.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::selection {

class omCmdSelectInverse : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Select Inverse"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::selection
