#include "selection/omPropCmdSeedSelect.h"

#include "platform/omPAT_Bool.h"
#include "platform/omPAT_Int.h"
#include "selection/omCmdSeedSelect.h"

namespace tessel::selection {
namespace {
constexpr int kCheckBox = 3;
constexpr int kSpinBox = 2;
}  // namespace

omPropCmdSeedSelect::omPropCmdSeedSelect(const char* targetName)
    : omPropCmd(targetName, "Flood Select") {
  fillAllAttrib_ = AddAttrib(new platform::omPAT_Bool("Fill All", true, kCheckBox));
  rangeAttrib_ = AddAttrib(new platform::omPAT_Int("Fill Range", 1, 1, 100000, 1, kSpinBox));
  followFillAll();
}

bool omPropCmdSeedSelect::fillAll() {
  return static_cast<platform::omPAT_Bool&>(GetAttrib(fillAllAttrib_)).GetValue();
}

void omPropCmdSeedSelect::OnPropInit() {
  omPropCmd::OnPropInit();
  followFillAll();  // the stored values may have turned "Fill All" off
}

void omPropCmdSeedSelect::OnAttribChanged(int index) {
  if (index == fillAllAttrib_) followFillAll();
}

void omPropCmdSeedSelect::Activate() {
  runWithRecord<omCmdSeedSelectData>([this](omCmdSeedSelectData& record) {
    auto& range = static_cast<platform::omPAT_Int&>(GetAttrib(rangeAttrib_));
    if (fillAll()) {
      record.range = omCmdSeedSelectData::kFillAll;
    } else {
      record.range = range.GetValue();
      if (record.range < 0) {
        record.range = 1;
        range.SetValue(1);
      }
    }
    return true;
  });
}

}  // namespace tessel::selection
