// The state pass of a menu item or toolbar button: the module's update handler enables, checks
// or renames it through this object, the way a command user interface is updated before it is
// shown.
#pragma once

#include <QString>

#include <cstdint>

#include "platform/CCmdTarget.h"
#include "studio/host/menu_update.h"

class QAbstractButton;
class QAction;

namespace tessel::studio {

class CommandUi final : public platform::CCmdUI {
 public:
  CommandUi(std::uint32_t id, bool menuItem) : id_(id), menuItem_(menuItem) {}

  void Enable(bool on) override { enabled = on; }
  void SetCheck(std::int32_t check) override { checked = check != 0, checkSet = true; }
  void SetText(const char* newText) override {
    if (newText) text = QString::fromUtf8(newText), textSet = true;
  }
  std::uint32_t GetID() override { return id_; }
  bool IsMenuItem() override { return menuItem_; }
  // This item-by-item update does not rebuild popups; the core's pass (studio/host/menu_update.h)
  // does, on Studio's own menu items.
  std::int32_t GetIndex() override { return -1; }
  void RemoveAllItems() override {}
  void InsertItem(std::int32_t, std::uint32_t, const char*, bool) override {}
  void SetItemCount(std::int32_t) override {}

  // Runs the module's update handler for the item; false when the module has none, and the
  // item then keeps the defaults (enabled, unchecked).
  bool update(platform::CCmdTarget* target) {
    return target && target->OnCmdMsg(id_, platform::CN_UPDATE_COMMAND_UI, this);
  }
  void applyTo(QAction* action) const;
  void applyTo(QAbstractButton* button) const;

  bool enabled = true, checked = false, checkSet = false, textSet = false;
  QString text;

 private:
  std::uint32_t id_;
  bool menuItem_;
};

}  // namespace tessel::studio
