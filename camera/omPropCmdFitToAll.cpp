#include "camera/omPropCmdFitToAll.h"

#include "camera/omCmdFitToAll.h"

namespace tessel::camera {
namespace {
constexpr int kCheckBox = 3;  // the control type of a switch
}  // namespace

omPropCmdFitToAll::omPropCmdFitToAll(const char* targetName) : omPropCmd(targetName) {
  allViewsAttrib_ = AddAttrib(new platform::omPAT_Bool("All Views", false, kCheckBox));
}

void omPropCmdFitToAll::Activate() { runWithSwitch<omCmdFitToAllData>(); }

}  // namespace tessel::camera
