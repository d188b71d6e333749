// The "Lasso Select" panel: "Volume Select" selects through the surfaces instead of only what is
// visible. It applies to meshes only, so it is offered only while the object filter is "Mesh".
#pragma once

#include "framework/omPropTool.h"

namespace tessel::selection {

class omPropToolLassoSelectComponent : public framework::omPropTool {
 public:
  explicit omPropToolLassoSelectComponent(const char* targetName);
  void OnPropInit() override;
  void OnNotify(const omEvent* event, void* param) override;
  void OnAttribChanged(int index) override;
  // Activates the tool and hands it the switch.
  void Activate() override;
  void LinkTool() override;

 private:
  bool volumeSelect();
  // Offers the switch when the object filter is "Mesh" (and, when asked, the tool is active).
  void followObjectFilter(bool requireActive);
  int volumeAttrib_;
};

}  // namespace tessel::selection
