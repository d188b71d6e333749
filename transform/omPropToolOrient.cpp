#include "transform/omPropToolOrient.h"

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omTransform.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "platform/omPAT_Float.h"
#include "platform/omPAT_Int.h"

namespace tessel::transform {

omPropToolOrient::omPropToolOrient(const char* targetName, const char* title)
    : omPropTool(targetName, title) {
  listId_ = AddAttrib(omPAT_Coord_Sys_List::Create("Ref Coord System", true));
}

omApplication* omPropToolOrient::application() { return platform::AfxGetApp()->application; }

omMainView* omPropToolOrient::mainView() {
  omApplication* app = application();
  return app ? app->GetMainView() : nullptr;
}

void omPropToolOrient::warn(const char* text) {
  if (omApplication* app = application())
    if (omPanelManager* panels = app->GetPanelManager()) panels->SetWarning(text);
}

void omPropToolOrient::notifyPanelState() {
  omApplication* app = application();
  if (!app) return;
  omEvent event;
  event.code = om::kNotifyPanelStateChanged;
  app->Notify(&event, nullptr);
}

void omPropToolOrient::moveManipulatorToReference(bool refresh) {
  omMainView* view = mainView();
  if (!view) return;
  omPAT_Coord_Sys_List* l = list();
  omEntity* reference = l ? l->GetSelected() : nullptr;
  omCoordFrame* from = reference ? reference->GetCoordSys() : nullptr;
  omApplication* app = application();
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  // Only the current tool's manipulator is on screen: asking the host for another kind would
  // show it under a tool that does not drive it.
  if (from && tools && tools->IsToolActive(GetTargetName()))
    if (omManipulator* m = manipulatorOf(*view)) {
      float origin[3], axes[16];
      from->GetOrigin(origin);
      from->GetMatrix(axes);
      if (omCoordFrame* at = m->GetCoordSys()) at->SetOrigin(origin);
      if (omManipulatorTransform* turn = m->GetTransform()) turn->SetMatrix(axes);
    }
  view->UpdateManipulator(1);
  if (!refresh) return;
  view->Redraw(om::kRedrawFull);
  if (omViewManager* views = app ? app->GetViewManager() : nullptr) views->RefreshViews(1);
}

std::uint32_t omPropToolOrient::selectionBits(int choice) {
  return choice == 1 ? 1u : choice == 2 ? 2u : 3u;
}

float omPropToolOrient::floatValue(int id) {
  auto* a = dynamic_cast<platform::omPAT_Float*>(&GetAttrib(id));
  return a ? a->GetValue() : 0.0f;
}

int omPropToolOrient::intValue(int id) {
  auto* a = dynamic_cast<platform::omPAT_Int*>(&GetAttrib(id));
  return a ? a->GetValue() : 0;
}

omPAT_Coord_Sys_List* omPropToolOrient::list() {
  return dynamic_cast<omPAT_Coord_Sys_List*>(&GetAttrib(listId_));
}

void omPropToolOrient::OnPropInit() {
  omPropTool::OnPropInit();
  omPAT_Coord_Sys_List::PanelShown(*this, listId_);
}

void omPropToolOrient::OnPropDestroy() {
  omPAT_Coord_Sys_List::PanelClosed(*this, listId_);
  omPropTool::OnPropDestroy();
}

void omPropToolOrient::OnNotify(const omEvent* event, void* param) {
  omPAT_Coord_Sys_List::PanelNotified(*this, listId_, event, param);
}

void omPropToolOrient::OnAttribChanging(int id) {
  if (id != listId_) return;
  if (omPAT_Coord_Sys_List* l = list()) l->ReferenceChanged();
}

void omPropToolOrient::OnAttribChanged(int id) {
  if (id == listId_) moveManipulatorToReference(true);
}

void omPropToolOrient::Activate() {
  omApplication* app = application();
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  if (tools) {
    if (tools->IsToolActive("Modify Mask Select"))
      tools->PushTool(GetTargetName());
    else
      tools->ActivateTool(GetTargetName());
  }
  if (!isLinked()) LinkTool();
}

}  // namespace tessel::transform
