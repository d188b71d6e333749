#include "framework/omPropCmd.h"

#include "framework/attribute_controls.h"
#include "host/omApplication.h"
#include "platform/host_services.h"

namespace tessel::framework {
namespace {

omCommandManager* commandManager() {
  omApplication* app = platform::AfxGetApp()->application;
  return app ? app->GetCommandManager() : nullptr;
}

}  // namespace

omPropCmd::omPropCmd(const char* targetName, const char* title)
    : omPropertyObj(title ? title : targetName), targetName_(targetName ? targetName : "") {}

void omPropCmd::RefreshPropObj() {
  omPropertyObj::RefreshPropObj();
  lastEnabled_ = -1;
}

void omPropCmd::OnPropInit() {
  omPropertyObj::OnPropInit();
  lastEnabled_ = -1;
}

void omPropCmd::Activate() {
  omCommandManager* commands = commandManager();
  if (!commands) return;
  commands->PrepareCommand();
  commands->ExecuteCommand(targetName_.c_str(), nullptr);
}

void omPropCmd::reportNoRecord(omApplication* app) {
  omPanelManager* panel = app ? app->GetPanelManager() : nullptr;
  if (!panel) return;
  const std::string text =
      "\"" + targetName_ + "\" did not run: the host gave no record for the panel's settings.";
  panel->SetWarning(text.c_str());
}

void omPropCmd::OnUpdateCmdUI(platform::CCmdUI* ui) {
  omCommandManager* commands = commandManager();
  const bool available = commands && commands->IsCommandAvailable(targetName_.c_str());
  if (ui) ui->Enable(available);
  followAvailability(*this, lastEnabled_, available);
}

}  // namespace tessel::framework
