#include "platform/CMenu.h"

namespace tessel::platform {

bool CMenu::LoadMenu(const std::vector<MenuTemplateItem>* menu) {
  items_ = menu && !menu->empty() ? menu : nullptr;
  return items_ != nullptr;
}

void CMenu::DestroyMenu() { items_ = nullptr; }

std::int32_t CMenu::GetMenuItemCount() const {
  return items_ ? static_cast<std::int32_t>(items_->size()) : 0;
}

std::string CMenu::GetMenuString(std::int32_t position) const {
  if (position < 0 || position >= GetMenuItemCount()) return {};
  return (*items_)[position].text;
}

std::uint32_t CMenu::GetMenuItemID(std::int32_t position) const {
  if (position < 0 || position >= GetMenuItemCount() || (*items_)[position].popup)
    return 0xFFFFFFFFu;
  return (*items_)[position].id;
}

CMenu CMenu::GetSubMenu(std::int32_t position) const {
  CMenu sub;
  if (position >= 0 && position < GetMenuItemCount() && (*items_)[position].popup)
    sub.items_ = &(*items_)[position].children;
  return sub;
}

}  // namespace tessel::platform
