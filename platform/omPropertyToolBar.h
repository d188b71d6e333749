// A toolbar whose flagged buttons also offer their property panel (a small arrow the host draws);
// asking for it calls back into the module with the button's command ID and rectangle.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/CCJToolBar.h"

namespace tessel::platform {

inline constexpr std::uint32_t CBRS_ALIGN_ANY = 0xF000u;

using PanelCallbackFn = void (*)(void* a, void* b, std::uint32_t id, const omRect& rect);

class omPropertyToolBar : public CCJToolBar {
 public:
  void EnableDocking(std::uint32_t alignment) { docking_ = alignment; }
  void SetCallbackfn(void* a, void* b, PanelCallbackFn callback);
  // flags[i] == 1 gives button i the panel style; buttons past `count` lose it.
  void ChangeButtonStyle(const int* flags, int count);

  virtual std::uint32_t GetDocking() const { return docking_; }
  virtual bool IsPanelButton(std::int32_t index) const;
  // The user asked for the panel of button `index`: calls back for a panel-style button.
  // False (and no call) for any other.
  virtual bool RequestPanel(std::int32_t index, const omRect& rect);
  omPropertyToolBar* AsPropertyToolBar() override { return this; }

 private:
  std::vector<bool> panelStyle_;
  void* a_ = nullptr;
  void* b_ = nullptr;
  PanelCallbackFn callback_ = nullptr;
  std::uint32_t docking_ = 0;
};

}  // namespace tessel::platform
