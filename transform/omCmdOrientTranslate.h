// "Orient Translate": moves the selection's geometry, coordinate systems or both by a vector, or
// onto a point, given in the axes of a reference coordinate system.
#pragma once

#include <cstdint>

#include "framework/omCommandBase.h"

class omEntity;

namespace tessel::transform {

struct omCmdOrientTranslateData : omCommandData {
  bool update = true;  // redraw and finish after running
  omEntity* refCoordSys = nullptr;
  float vector[3] = {0, 0, 0};
  std::int32_t movementType = 0;  // 0 absolute (a target point), 1 relative (a step)
  std::uint32_t selectionType = 0;
};

class omCmdOrientTranslate : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Orient Translate"; }
  omCommandData* CreateData(std::int32_t) override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::transform
