#include "transform/omPropCmdOrientSynchronize.h"

#include "host/omApplication.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "platform/omPAT_Button.h"
#include "transform/omCmdOrientSynchronize.h"
#include "transform/omPAT_Coord_Sys_List.h"
#include "transform/transform_panel_attribs.h"

namespace tessel::transform {
namespace {

void notifyPanelState(omApplication& app) {
  omEvent event;
  event.code = om::kNotifyPanelStateChanged;
  app.Notify(&event, nullptr);
}

}  // namespace

omPropCmdOrientSynchronize::omPropCmdOrientSynchronize(const char* targetName)
    : omPropCmd(targetName, "Synchronize") {
  list_ = AddAttrib(omPAT_Coord_Sys_List::Create("Ref Coord System", true));
  selectionType_ = AddAttrib(selectionTypeChoice("SelectionType"));
  boxReset_ = AddAttrib(new platform::omPAT_Button("Box Reset"));
}

void omPropCmdOrientSynchronize::OnPropInit() {
  omPropCmd::OnPropInit();
  omPAT_Coord_Sys_List::PanelShown(*this, list_);
}

void omPropCmdOrientSynchronize::OnPropDestroy() {
  omPAT_Coord_Sys_List::PanelClosed(*this, list_);
  omPropCmd::OnPropDestroy();
}

void omPropCmdOrientSynchronize::OnNotify(const omEvent* event, void* param) {
  omPAT_Coord_Sys_List::PanelNotified(*this, list_, event, param);
}

void omPropCmdOrientSynchronize::OnAttribChanging(int id) {
  omApplication* app = platform::AfxGetApp()->application;
  if (!app) return;
  if (id == boxReset_) {
    if (omCommandManager* commands = app->GetCommandManager()) {
      commands->PrepareCommand();
      commands->ExecuteCommand("Orient Reset", nullptr);
    }
    notifyPanelState(*app);
  } else if (id == list_) {
    auto* l = dynamic_cast<omPAT_Coord_Sys_List*>(&GetAttrib(list_));
    if (l && l->ReferenceChanged()) omPAT_Coord_Sys_List::RefreshManipulator();
  }
}

void omPropCmdOrientSynchronize::Activate() {
  omApplication* app = platform::AfxGetApp()->application;
  runWithRecord<omCmdOrientSynchronizeData>([this](omCmdOrientSynchronizeData& r) {
    auto* l = dynamic_cast<omPAT_Coord_Sys_List*>(&GetAttrib(list_));
    r.refCoordSys = l ? l->GetSelected() : nullptr;
    const int choice = static_cast<platform::omPAT_Int&>(GetAttrib(selectionType_)).GetValue();
    r.selectionType = choice == 1 ? 1u : choice == 2 ? 2u : 3u;
    return true;
  });
  if (app) notifyPanelState(*app);
}

}  // namespace tessel::transform
