#include "camera/omCmdFitToAll.h"

namespace tessel::camera {

omCommandData* omCmdFitToAll::CreateData(std::int32_t) {
  return framework::createRecord<omCmdFitToAllData>();
}

std::int32_t omCmdFitToAll::Execute(omProgress* progress, omCommandData* data) {
  return runFit<omCmdFitToAllData>(*this, progress, data, &omMainView::FitAllViewsToAll,
                                   &omMainView::FitViewToAll, "Zoomed all windows to all objects.",
                                   "Zoomed current window to all objects.");
}

}  // namespace tessel::camera
