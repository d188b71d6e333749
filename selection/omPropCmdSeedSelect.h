// The "Flood Select" panel: flood without limit, or by a number of rings.
#pragma once

#include "framework/omPropCmd.h"

namespace tessel::selection {

class omPropCmdSeedSelect : public framework::omPropCmd {
 public:
  explicit omPropCmdSeedSelect(const char* targetName);
  void OnPropInit() override;
  void OnAttribChanged(int index) override;
  void Activate() override;

 private:
  bool fillAll();
  // "Fill Range" only means something while "Fill All" is off.
  void followFillAll() { EnableAttrib(rangeAttrib_, !fillAll()); }

  int fillAllAttrib_;
  int rangeAttrib_;
};

}  // namespace tessel::selection
