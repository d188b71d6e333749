#include "selection/omPropToolLassoSelectComponent.h"

#include "host/omApplication.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "platform/omPAT_Bool.h"
#include "selection/omToolLassoSelect.h"
#include "selection/panel_tool.h"

namespace tessel::selection {
namespace {
constexpr int kCheckBox = 3;
}  // namespace

omPropToolLassoSelectComponent::omPropToolLassoSelectComponent(const char* targetName)
    : omPropTool(targetName, "Lasso Select") {
  volumeAttrib_ = AddAttrib(new platform::omPAT_Bool("Volume Select", false, kCheckBox));
}

bool omPropToolLassoSelectComponent::volumeSelect() {
  return static_cast<platform::omPAT_Bool&>(GetAttrib(volumeAttrib_)).GetValue();
}

void omPropToolLassoSelectComponent::followObjectFilter(bool requireActive) {
  omApplication* app = platform::AfxGetApp()->application;
  omMaskList* objects = app ? app->GetObjectFilter() : nullptr;
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  bool on = objects && objects->GetCurrentMask() == om::kMaskMesh;
  if (requireActive) on = on && tools && tools->IsToolActive(GetTargetName());
  if (on == IsAttribEnabled(volumeAttrib_)) return;
  EnableAttrib(volumeAttrib_, on);
  // The control now shows the panel's own choice; the next update pass puts the tool's
  // availability on top of it again.
  RefreshPropObj();
}

void omPropToolLassoSelectComponent::OnPropInit() {
  omPropTool::OnPropInit();
  followObjectFilter(false);
}

void omPropToolLassoSelectComponent::OnNotify(const omEvent* event, void*) {
  if (event && event->code == om::kEventToolChanged && IsDisplayed()) followObjectFilter(true);
}

void omPropToolLassoSelectComponent::OnAttribChanged(int index) {
  if (index != volumeAttrib_) return;
  if (auto* tool = panelTool<omToolLassoSelect>(GetTargetName()))
    tool->setVolumeSelect(volumeSelect());
}

void omPropToolLassoSelectComponent::Activate() {
  omPropTool::Activate();
  if (auto* tool = panelTool<omToolLassoSelect>(GetTargetName(), true))
    tool->setVolumeSelect(volumeSelect());
}

void omPropToolLassoSelectComponent::LinkTool() {
  omPropTool::LinkTool();
  if (auto* tool = panelTool<omToolLassoSelect>(GetTargetName()))
    tool->setVolumeSelect(volumeSelect());
}

}  // namespace tessel::selection
