#include "module/module_menu_commands.h"

#include <cstring>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "selection/omToolSelectModifyMask.h"

namespace tessel::module {
namespace {

void refreshViews(omApplication& app, std::int32_t flags) {
  if (omViewManager* views = app.GetViewManager()) views->RefreshViews(flags);
}

void selectWithMask(omApplication& app, const char* name) {
  omToolManager* tools = app.GetToolManager();
  omTool* tool = tools ? tools->FindTool("Modify Mask Select") : nullptr;
  if (auto* select = dynamic_cast<selection::omToolSelectModifyMask*>(tool))
    select->SelectMask(name);
}

void setDisplayBit(std::uint32_t* word, bool on) {
  if (!word) return;
  if (on)
    *word |= om::kLightDisplayBit;
  else
    *word &= ~om::kLightDisplayBit;
}

}  // namespace

void ModuleMenuCommands::ToggleLightDisplay(omApplication& app) {
  lightsShown_ = !lightsShown_;
  omMainView* main = app.GetMainView();
  if (!main) return;
  for (std::int32_t i = 0; i < om::kLightSlots; ++i) setDisplayBit(main->GetLightFlags(i), lightsShown_);
  setDisplayBit(main->GetLightDisplayFlagsRef(), lightsShown_);
  main->UpdateManipulator(1);
  refreshViews(app, 1);
}

void ModuleMenuCommands::SelectLights(omApplication& app) {
  if (!lightsShown_) ToggleLightDisplay(app);
  selectWithMask(app, "Lights");
}

void ModuleMenuCommands::SelectCoordSys(omApplication& app) { selectWithMask(app, "Coord Sys"); }

void ModuleMenuCommands::CreateDirectionalLight(omApplication& app) {
  omMainView* main = app.GetMainView();
  if (!main) return;
  omEntity* light = main->CreateLight(0, 1);
  if (!light) {
    platform::MessageBox("Light creation failed - maximum number of lights reached.\n",
                            "Light Creation Failure", om::kMessageBoxExclamation);
    return;
  }
  // A host without a light group still gets its light set up; only the group steps are skipped.
  omGroup* group = main->GetGroup(om::kGroupLights);
  if (group) main->AddToGroup(group, light);
  light->SetFirstInGroup(group && group->GetMemberCount() == 1);
  light->SetLightKind(om::kLightDirectional);
  if (!lightsShown_) {
    ToggleLightDisplay(app);
    return;
  }
  main->UpdateManipulator(1);
  refreshViews(app, 1);
}

void ModuleMenuCommands::NewCoordSys(omApplication& app) {
  omMainView* main = app.GetMainView();
  omEntity* cs = main ? main->CreateCoordSys(0) : nullptr;
  if (!cs) return;
  omGroup* group = main->GetGroup(om::kGroupCoordSys);
  if (group) main->AddToGroup(group, cs);
  if (!group || group->IsGroupShown())
    cs->ShowEntity();
  else
    cs->HideEntity();
  omEntity* current = main->GetGlobalCoordSys();
  if (current) current->HideEntity();
  omEvent event;
  event.code = om::kNotifyCoordSysCreated;
  app.Notify(&event, current);
  main->EndTransform(1);
  refreshViews(app, 1);
}

void ModuleMenuCommands::ToggleGrid(omApplication& app) {
  omMainView* main = app.GetMainView();
  if (!main) return;
  main->ShowGrid(!main->IsGridShown());
  main->SetDisplaySwitchA(1);
  refreshViews(app, 0);
}

void ModuleMenuCommands::UpdateLightDisplay(omApplication& app, platform::CCmdUI& ui) {
  omMainView* main = app.GetMainView();
  ui.SetCheck(main && (main->GetLightDisplayFlags() & om::kLightDisplayBit) ? 1 : 0);
}

void ModuleMenuCommands::UpdateSelectMask(omApplication& app, const char* name,
                                          platform::CCmdUI& ui) {
  omMaskList* filter = app.GetObjectFilter();
  bool has = false;
  for (std::int32_t i = 0; filter && i < filter->GetCount(); ++i) {
    const char* entry = nullptr;
    std::uint32_t mask = 0;
    if (filter->GetEntry(i, &entry, &mask) && entry && std::strcmp(entry, name) == 0) has = true;
  }
  const char* current = has ? filter->GetCurrentName() : nullptr;
  ui.Enable(has);
  ui.SetCheck(current && std::strcmp(current, name) == 0 ? 1 : 0);
}

void ModuleMenuCommands::UpdateGrid(omApplication& app, platform::CCmdUI& ui) {
  omMainView* main = app.GetMainView();
  ui.SetCheck(main && main->IsGridShown() ? 1 : 0);
}

}  // namespace tessel::module
