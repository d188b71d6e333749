#include "platform/omPropAttribType.h"

namespace tessel::platform {

bool omPropAttribType::CreateInPlaceCtrl() {
  hasCtrl_ = true;
  RefreshDisplay();
  return true;
}

bool omPropAttribType::IsValueChanged(bool reset) {
  bool was = changed_;
  if (reset) changed_ = false;
  return was;
}

void omPropAttribType::RefreshDisplay() {
  ctrlText_ = formatValue();
  if (updateDisplay_) updateDisplay_(updateContext_);
}

void omPropAttribType::RegisterUpdateDisplay(void (*callback)(void*), void* context) {
  updateDisplay_ = callback;
  updateContext_ = context;
}

const char* omPropAttribType::GetValueText() const {
  valueText_ = formatValue();
  return valueText_.c_str();
}

}  // namespace tessel::platform
