#include "camera/omCmdFitToSelected.h"

#include "host/omEntity.h"

namespace tessel::camera {

omCommandData* omCmdFitToSelected::CreateData(std::int32_t) {
  return framework::createRecord<omCmdFitToSelectedData>();
}

bool omCmdFitToSelected::CanExecute() {
  omMainView* view = GetMainView();
  omEntityList* selection = view ? view->GetSelection(-1) : nullptr;
  return selection && !selection->IsEmpty();
}

std::int32_t omCmdFitToSelected::Execute(omProgress* progress, omCommandData* data) {
  return runFit<omCmdFitToSelectedData>(
      *this, progress, data, &omMainView::FitAllViewsToSelected, &omMainView::FitViewToSelected,
      "Zoomed all windows to the selected objects.",
      "Zoomed current window to the selected objects.");
}

}  // namespace tessel::camera
