// "Orient Reset": puts each selected entity's coordinate system at the centre of its bounding box,
// aligned with the world axes. The geometry does not move.
#pragma once

#include "framework/omCommandBase.h"

namespace tessel::transform {

class omCmdOrientReset : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Orient Reset"; }
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::transform
