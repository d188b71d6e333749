#include "platform/CComboBox.h"

namespace tessel::platform {

bool CComboBox::Create(std::uint32_t style, const omRect&, std::uint32_t id) {
  return createWindow(style, id);
}

std::int32_t CComboBox::AddString(const char* text) {
  items_.emplace_back(text ? text : "");
  return GetCount() - 1;
}

void CComboBox::ResetContent() {
  items_.clear();
  current_ = CB_ERR;
}

std::int32_t CComboBox::SetCurSel(std::int32_t index) {
  current_ = index >= 0 && index < GetCount() ? index : CB_ERR;
  return current_;
}

const char* CComboBox::GetLBText(std::int32_t index) const {
  return index >= 0 && index < GetCount() ? items_[index].c_str() : "";
}

bool CComboBox::ChooseItem(std::int32_t index) {
  if (!IsWindowEnabled() || SetCurSel(index) == CB_ERR) return false;
  OnSelEndOk();
  return true;
}

}  // namespace tessel::platform
