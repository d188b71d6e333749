#include "selection/omToolSelectModifyMask.h"

#include <cstring>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::selection {

bool omToolSelectModifyMask::clearSelection() {
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  if (!list || list->CountSelected() <= 0) return false;
  list->Clear();
  app->NotifySync(om::kNotifySelectionChanged, nullptr);
  return true;
}

void omToolSelectModifyMask::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  clearSelection();
  if (omMainView* main = app->GetMainView()) savedMaskState_ = main->GetFilterType();
  // Whatever the name, the filter is asked; what it accepted is what Deactivate gives back.
  if (omMaskList* filter = app->GetObjectFilter()) pushed_ = filter->PushTemporaryMask(maskName_);
  omToolSelect::Activate();
}

void omToolSelectModifyMask::Deactivate() {
  omApplication* app = GetApplication();
  if (!app) return;
  const bool cleared = clearSelection();
  // SelectMask may have named another mask since; only the one pushed comes off.
  if (omMaskList* filter = app->GetObjectFilter(); filter && pushed_) filter->PopTemporaryMask();
  pushed_ = false;
  if (cleared)
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(0);
}

void omToolSelectModifyMask::SelectMask(const char* name) {
  omToolManager* tools = GetToolManager();
  if (!tools) return;
  if (tools->GetCurrentTool() == this) {
    if (name && maskName_ && std::strcmp(name, maskName_) == 0) return;
    // Running with another mask: leave it (and whatever was pushed over it) first.
    while (tools->GetCurrentTool() && tools->PopTool()) {
    }
  }
  maskName_ = name;
  tools->ActivateTool("Modify Mask Select");
}

}  // namespace tessel::selection
