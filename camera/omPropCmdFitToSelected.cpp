#include "camera/omPropCmdFitToSelected.h"

#include "camera/all_views_switch.h"
#include "camera/omCmdFitToSelected.h"

namespace tessel::camera {

omPropCmdFitToSelected::omPropCmdFitToSelected(const char* targetName)
    : omPropCmd(targetName), allViewsAttrib_(addAllViewsSwitch(*this)) {}

void omPropCmdFitToSelected::Activate() {
  runWithRecord<omCmdFitToSelectedData>([this](omCmdFitToSelectedData& record) {
    record.allViews = allViewsSwitch(*this, allViewsAttrib_);
    return true;
  });
}

}  // namespace tessel::camera
