#include "scene/omPropToolLightEval.h"

#include "host/omApplication.h"
#include "platform/host_services.h"
#include "platform/omPAT_Button.h"
#include "scene/omToolLightEval.h"

namespace tessel::scene {

omPropToolLightEval::omPropToolLightEval(const char* targetName)
    : omPropTool(targetName, "Eval Light") {
  resetButton_ = AddAttrib(new platform::omPAT_Button("Reset"));
}

void omPropToolLightEval::OnAttribChanging(int id) {
  if (id == resetButton_) resetEvaluationLight(platform::AfxGetApp()->application);
}

void omPropToolLightEval::OnUpdateCmdUI(platform::CCmdUI* ui) {
  omToolManager* tools = nullptr;
  if (omApplication* app = platform::AfxGetApp()->application) tools = app->GetToolManager();
  const bool available = tools && tools->IsToolAvailable(GetTargetName());
  if (ui) {
    ui->Enable(available);
    ui->SetCheck(available && tools->IsToolActive(GetTargetName()) ? 1 : 0);
  }
  for (int i = 0; i < GetNumAttribs(); ++i)
    if (IsDisplayed()) GetAttrib(i).EnableCtrl(available && IsAttribEnabled(i));
}

}  // namespace tessel::scene
