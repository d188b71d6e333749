#include "camera/omPropCmdFitToAll.h"

#include "camera/all_views_switch.h"
#include "camera/omCmdFitToAll.h"

namespace tessel::camera {

omPropCmdFitToAll::omPropCmdFitToAll(const char* targetName)
    : omPropCmd(targetName), allViewsAttrib_(addAllViewsSwitch(*this)) {}

void omPropCmdFitToAll::Activate() {
  runWithRecord<omCmdFitToAllData>([this](omCmdFitToAllData& record) {
    record.allViews = allViewsSwitch(*this, allViewsAttrib_);
    return true;
  });
}

}  // namespace tessel::camera
