// "Current Map Delete": deletes the current map (colours or values per vertex) of every selected
// mesh that has one.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::scene {

class omCmdCurrentMapDelete : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Current Map Delete"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::scene
