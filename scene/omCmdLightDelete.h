// "Light Delete": deletes the selected lights, freeing their slots.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::scene {

class omCmdLightDelete : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Light Delete"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::scene
