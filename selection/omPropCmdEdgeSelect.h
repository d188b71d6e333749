// The "Custom Select" panel: sharp-edge polygons within an angle window, or degenerate polygons
// below a height. The two modes exclude each other, and each enables only its own values.
#pragma once

#include "framework/omPropCmd.h"

namespace tessel::selection {

class omPropCmdEdgeSelect : public framework::omPropCmd {
 public:
  explicit omPropCmdEdgeSelect(const char* targetName);
  void OnPropInit() override;
  void OnAttribChanging(int index) override;
  void OnAttribChanged(int index) override;
  void Activate() override;

 private:
  bool boolValue(int index);
  float floatValue(int index);
  void setBool(int index, bool value);
  void setFloat(int index, float value);
  void showMode(bool sharpEdges);

  int sharpAttrib_, minAngleAttrib_, maxAngleAttrib_, degenerateAttrib_, minHeightAttrib_;
};

}  // namespace tessel::selection
