// A menu resource and the temporary menu built from it, read item by item by position the way the
// module converts it into host menu items.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessel::platform {

// One item of a menu resource: a separator (empty text, ID 0), a command, or a popup (children).
struct MenuTemplateItem {
  std::string text;
  std::uint32_t id = 0;
  std::vector<MenuTemplateItem> children;
  bool popup = false;
};

class CMenu {
 public:
  // False for a template without items.
  bool LoadMenu(const std::vector<MenuTemplateItem>* menu);
  void DestroyMenu();

  std::int32_t GetMenuItemCount() const;
  // The text by position, "&" markers included; empty out of range.
  std::string GetMenuString(std::int32_t position) const;
  // The command ID by position; 0xFFFFFFFF for a popup or out of range.
  std::uint32_t GetMenuItemID(std::int32_t position) const;
  // The popup at a position; an unloaded menu when the item is none.
  CMenu GetSubMenu(std::int32_t position) const;
  bool IsLoaded() const { return items_ != nullptr; }

 private:
  const std::vector<MenuTemplateItem>* items_ = nullptr;
};

}  // namespace tessel::platform
