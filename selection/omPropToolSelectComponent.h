// The "Component Select" panel: "Volume Select" selects through the surfaces instead of only what
// is visible.
#pragma once

#include "framework/omPropTool.h"

namespace tessel::selection {

class omPropToolSelectComponent : public framework::omPropTool {
 public:
  explicit omPropToolSelectComponent(const char* targetName);
  void OnAttribChanged(int index) override;
  // Activates the tool and hands it the switch.
  void Activate() override;
  void LinkTool() override;

 private:
  bool volumeSelect();
  int volumeAttrib_;
};

}  // namespace tessel::selection
