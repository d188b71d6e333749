// The "Paint Select" panel: the brush size in pixels, 1 to 500.
#pragma once

#include "framework/omPropTool.h"

namespace tessel::selection {

class omPropToolPaintSelect : public framework::omPropTool {
 public:
  explicit omPropToolPaintSelect(const char* targetName);
  // Shows the tool's current size.
  void OnPropInit() override;
  void OnAttribChanged(int index) override;
  // The size kept in the settings reaches the tool the first time it starts.
  void LinkTool() override;

 private:
  void pushSize();
  int sizeAttrib_;
};

}  // namespace tessel::selection
