#include "selection/omCmdSelectNone.h"

#include "host/omEntity.h"
#include "host/omView.h"
#include "selection/selection_command.h"

namespace tessel::selection {

bool omCmdSelectNone::CanExecute() {
  omMainView* main = GetMainView();
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  return list && list->CountSelected() != 0;
}

std::int32_t omCmdSelectNone::Execute(omProgress*, omCommandData*) {
  omMainView* main = GetMainView();
  if (omEntityList* list = main ? main->GetSelection(-1) : nullptr) list->Clear();
  notifySelectionChanged(*this);
  UpdateAllViews();
  return om::kExecuteRan;
}

}  // namespace tessel::selection
