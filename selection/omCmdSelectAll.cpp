#include "selection/omCmdSelectAll.h"

#include "host/omView.h"
#include "selection/selection_command.h"

namespace tessel::selection {
namespace {
constexpr std::uint32_t kSelectPermission = 0x100;
}  // namespace

bool omCmdSelectAll::CanExecute() {
  omApplication* app = GetApplication();
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  return tools && tools->IsAllowed(kSelectPermission);
}

std::int32_t omCmdSelectAll::Execute(omProgress*, omCommandData*) {
  if (omMainView* main = GetMainView()) {
    main->BeginUpdate();
    main->SelectAll();
    main->EndUpdate();
  }
  UpdateAllViews();
  notifySelectionChanged(*this);
  return om::kExecuteRan;
}

}  // namespace tessel::selection
