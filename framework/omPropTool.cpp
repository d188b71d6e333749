#include "framework/omPropTool.h"

#include "framework/attribute_controls.h"
#include "host/omApplication.h"
#include "platform/host_services.h"

namespace tessel::framework {
namespace {

omToolManager* toolManager() {
  omApplication* app = platform::AfxGetApp()->application;
  return app ? app->GetToolManager() : nullptr;
}

}  // namespace

omPropTool::omPropTool(const char* targetName, const char* title)
    : omPropertyObj(title ? title : targetName), targetName_(targetName ? targetName : "") {}

void omPropTool::RefreshPropObj() {
  omPropertyObj::RefreshPropObj();
  lastEnabled_ = -1;
}

void omPropTool::OnPropInit() {
  omPropertyObj::OnPropInit();
  lastEnabled_ = -1;
}

void omPropTool::Activate() {
  if (omToolManager* tools = toolManager()) tools->ActivateTool(targetName_.c_str());
  if (!linked_) LinkTool();
}

void omPropTool::OnUpdateCmdUI(platform::CCmdUI* ui) {
  omToolManager* tools = toolManager();
  const bool available = tools && tools->IsToolAvailable(targetName_.c_str());
  const bool on = available && tools->IsToolActive(targetName_.c_str());
  if (ui) {
    ui->Enable(available);
    ui->SetCheck(on ? 1 : 0);
  }
  followAvailability(*this, lastEnabled_, on);
}

}  // namespace tessel::framework
