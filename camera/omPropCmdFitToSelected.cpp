#include "camera/omPropCmdFitToSelected.h"

#include "camera/omCmdFitToSelected.h"

namespace tessel::camera {

void omPropCmdFitToSelected::Activate() { runWithRecord<omCmdFitToSelectedData>(); }

}  // namespace tessel::camera
