#include "selection/omPropToolSelectComponent.h"

#include "platform/omPAT_Bool.h"
#include "selection/omToolSelectComponent.h"
#include "selection/panel_tool.h"

namespace tessel::selection {
namespace {
constexpr int kCheckBox = 3;
}  // namespace

omPropToolSelectComponent::omPropToolSelectComponent(const char* targetName)
    : omPropTool(targetName, "Component Select") {
  volumeAttrib_ = AddAttrib(new platform::omPAT_Bool("Volume Select", false, kCheckBox));
}

bool omPropToolSelectComponent::volumeSelect() {
  return static_cast<platform::omPAT_Bool&>(GetAttrib(volumeAttrib_)).GetValue();
}

void omPropToolSelectComponent::OnAttribChanged(int index) {
  if (index != volumeAttrib_) return;
  if (auto* tool = panelTool<omToolSelectComponent>(GetTargetName()))
    tool->setVolumeSelect(volumeSelect());
}

void omPropToolSelectComponent::Activate() {
  omPropTool::Activate();
  if (auto* tool = panelTool<omToolSelectComponent>(GetTargetName(), true))
    tool->setVolumeSelect(volumeSelect());
}

void omPropToolSelectComponent::LinkTool() {
  omPropTool::LinkTool();
  if (auto* tool = panelTool<omToolSelectComponent>(GetTargetName()))
    tool->setVolumeSelect(volumeSelect());
}

}  // namespace tessel::selection
