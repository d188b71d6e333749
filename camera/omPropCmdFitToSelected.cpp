#include "camera/omPropCmdFitToSelected.h"

#include "camera/omCmdFitToSelected.h"

namespace tessel::camera {

void omPropCmdFitToSelected::Activate() { runWithSwitch<omCmdFitToSelectedData>(); }

}  // namespace tessel::camera
