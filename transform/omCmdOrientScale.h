// "Orient Scale": scales the selection's geometry along the axes of a reference coordinate
// system, about its origin. Coordinate systems stay where they are.
#pragma once

#include "framework/omCommandBase.h"

class omEntity;

namespace tessel::transform {

struct omCmdOrientScaleData : omCommandData {
  omEntity* refCoordSys = nullptr;
  float factors[3] = {0, 0, 0};
};

class omCmdOrientScale : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Orient Scale"; }
  omCommandData* CreateData(std::int32_t) override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::transform
