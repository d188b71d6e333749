#include "platform/omPropertyToolBar.h"

namespace tessel::platform {

void omPropertyToolBar::SetCallbackfn(void* a, void* b, PanelCallbackFn callback) {
  a_ = a;
  b_ = b;
  callback_ = callback;
}

void omPropertyToolBar::ChangeButtonStyle(const int* flags, int count) {
  panelStyle_.assign(static_cast<std::size_t>(count > 0 ? count : 0), false);
  for (int i = 0; flags && i < count; ++i) panelStyle_[i] = flags[i] == 1;
}

bool omPropertyToolBar::IsPanelButton(std::int32_t index) const {
  return index >= 0 && index < static_cast<std::int32_t>(panelStyle_.size()) &&
         panelStyle_[index] && index < GetCount();
}

bool omPropertyToolBar::RequestPanel(std::int32_t index, const omRect& rect) {
  if (!IsPanelButton(index) || !callback_) return false;
  callback_(a_, b_, GetItemID(index), rect);
  return true;
}

}  // namespace tessel::platform
