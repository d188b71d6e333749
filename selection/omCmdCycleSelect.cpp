#include "selection/omCmdCycleSelect.h"

#include "host/omEntity.h"
#include "host/omView.h"
#include "selection/selection_command.h"

namespace tessel::selection {

bool omCmdCycleSelect::CanExecute() {
  omMainView* main = GetMainView();
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  return list && main->IsObjectMode() && list->CountSelected() > 1;
}

std::int32_t omCmdCycleSelect::Execute(omProgress*, omCommandData*) {
  omMainView* main = GetMainView();
  if (omEntityList* list = main ? main->GetSelection(-1) : nullptr) list->CycleActive();
  notifySelectionChanged(*this);
  UpdateAllViews();
  return om::kExecuteRan;
}

}  // namespace tessel::selection
