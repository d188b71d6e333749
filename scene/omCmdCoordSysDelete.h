// "Coord Sys Delete": deletes the selected coordinate systems; the global one stays, and the
// message says so.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::scene {

class omCmdCoordSysDelete : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Coord Sys Delete"; }
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::scene
