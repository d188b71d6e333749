// Command routing between the host's menus, toolbars and accelerators and the module: a command ID
// with a notification code goes to a command target, which handles it or reports it unhandled.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tessel::platform {

inline constexpr std::int32_t CN_COMMAND = 0;
inline constexpr std::int32_t CN_UPDATE_COMMAND_UI = -1;
// Asks whether a command handler exists for the ID, without running it.
inline constexpr std::int32_t CN_COMMAND_QUERY = -2;

// One menu item or toolbar button being brought up to date; the host implements it.
class CCmdUI {
 public:
  virtual void Enable(bool on) = 0;
  // 0 unchecked, 1 checked.
  virtual void SetCheck(std::int32_t check) = 0;
  virtual void SetText(const char* text) = 0;
  virtual std::uint32_t GetID() = 0;
  // False for a toolbar button or a popup header.
  virtual bool IsMenuItem() = 0;
  // A menu item's position in its popup; -1 for a toolbar button.
  virtual std::int32_t GetIndex() = 0;
  // Rebuilding the popup the item sits in (menu items only; a toolbar button ignores these).
  // Removes every item of the popup.
  virtual void RemoveAllItems() = 0;
  // Inserts an enabled command item at `position` (clamped to the popup's end).
  virtual void InsertItem(std::int32_t position, std::uint32_t id, const char* text,
                          bool checked) = 0;
  // The popup now holds `count` items, all brought up to date by this handler: the update pass
  // goes on after them instead of visiting what the handler made.
  virtual void SetItemCount(std::int32_t count) = 0;

 protected:
  ~CCmdUI() = default;
};

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // `ui` is the item being updated for CN_UPDATE_COMMAND_UI, null for CN_COMMAND.
  // True when the command was handled.
  virtual bool OnCmdMsg(std::uint32_t id, std::int32_t code, CCmdUI* ui);

 protected:
  using CommandHandler = std::function<void(std::uint32_t id)>;
  using UpdateHandler = std::function<void(CCmdUI* ui)>;

  // The message map: handlers for an inclusive ID range, searched in the order added.
  void onCommand(std::uint32_t first, std::uint32_t last, CommandHandler handler);
  void onUpdate(std::uint32_t first, std::uint32_t last, UpdateHandler handler);

 private:
  struct Entry {
    std::uint32_t first, last;
    CommandHandler command;
    UpdateHandler update;
  };
  std::vector<Entry> map_;
};

}  // namespace tessel::platform
