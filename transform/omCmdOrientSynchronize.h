// "Orient Sync": carries every selected entity so that its own coordinate system coincides with
// a reference coordinate system (geometry, coordinate systems or both).
#pragma once

#include <cstdint>

#include "framework/omCommandBase.h"

class omEntity;

namespace tessel::transform {

struct omCmdOrientSynchronizeData : omCommandData {
  omEntity* refCoordSys = nullptr;
  std::uint32_t selectionType = 0;
};

class omCmdOrientSynchronize : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Orient Sync"; }
  omCommandData* CreateData(std::int32_t) override;
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::transform
