#include "platform/CToolBar.h"

namespace tessel::platform {

bool CToolBar::CreateEx(std::uint32_t controlStyle, std::uint32_t style, const omRect&,
                        std::uint32_t id) {
  if (!createWindow(style, id)) return false;
  controlStyle_ = controlStyle;
  return true;
}

bool CToolBar::LoadToolBar(const ToolBarTemplate* resource) {
  if (!HasWindow() || !resource || resource->buttons.empty()) return false;
  buttons_.clear();
  for (std::uint32_t id : resource->buttons) buttons_.push_back({id, id ? TBSTATE_ENABLED : 0u});
  return true;
}

std::uint32_t CToolBar::GetItemID(std::int32_t index) const {
  return index >= 0 && index < GetCount() ? buttons_[index].id : 0u;
}

std::uint32_t CToolBar::GetButtonState(std::int32_t index) const {
  return index >= 0 && index < GetCount() ? buttons_[index].state : 0u;
}

bool CToolBar::SetButtonState(std::uint32_t id, std::uint32_t state) {
  for (Button& b : buttons_)
    if (b.id == id && id != 0) {
      b.state = state;
      return true;
    }
  return false;
}

}  // namespace tessel::platform
