// "Orient Rotate": turns the selection's geometry, coordinate systems or both about an axis given
// in the axes of a reference coordinate system, through the reference's origin.
#pragma once

#include <cstdint>

#include "framework/omCommandBase.h"

class omEntity;

namespace tessel::transform {

struct omCmdOrientRotateData : omCommandData {
  bool update = true;
  omEntity* refCoordSys = nullptr;
  float axis[3] = {0, 0, 0};  // any length but zero
  float angle = 0;            // radians
  // 0 absolute: frames take the turn as their orientation; 1 relative: frames are turned by it.
  std::int32_t movementType = 0;
  std::uint32_t selectionType = 0;
};

class omCmdOrientRotate : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Orient Rotate"; }
  omCommandData* CreateData(std::int32_t) override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::transform
