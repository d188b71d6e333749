// A drop-down list. The host draws it and reports the user's choice through ChooseItem.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/omObject.h"
#include "platform/CWnd.h"

namespace tessel::platform {

inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003u;
inline constexpr std::int32_t CB_ERR = -1;

class CComboBox : public CWnd {
 public:
  // False when the control exists already.
  bool Create(std::uint32_t style, const omRect& rect, std::uint32_t id);

  // CB_ADDSTRING: the new item's index.
  virtual std::int32_t AddString(const char* text);
  virtual void ResetContent();
  // CB_SETCURSEL: the index, or CB_ERR (and no selection) out of range.
  virtual std::int32_t SetCurSel(std::int32_t index);
  virtual std::int32_t GetCurSel() const { return current_; }
  virtual std::int32_t GetCount() const { return static_cast<std::int32_t>(items_.size()); }
  // Empty out of range.
  virtual const char* GetLBText(std::int32_t index) const;
  // The user picked item `index` from the list: select it and notify (CBN_SELENDOK). False when
  // the index is out of range or the control is disabled.
  virtual bool ChooseItem(std::int32_t index);
  CComboBox* AsComboBox() override { return this; }

 protected:
  virtual void OnSelEndOk() {}

 private:
  std::vector<std::string> items_;
  std::int32_t current_ = CB_ERR;
};

}  // namespace tessel::platform
