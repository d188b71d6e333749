// A host menu item handed to the module: reference counted, owns its children's references.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/omApplication.h"

namespace tessel::studio {

class MenuItem final : public omMenuItem {
 public:
  // Count 0 on return: the first AppendItem or AddRef takes the reference.
  static MenuItem* create(const char* text, std::uint32_t id) { return new MenuItem(text, id); }
  std::int32_t AddRef() override { return ++refs_; }
  std::int32_t Release() override;
  void AppendItem(omMenuItem* child) override;
  const char* GetText() override { return text_.c_str(); }
  std::uint32_t GetID() override { return id_; }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(children_.size()); }
  omMenuItem* GetItem(std::int32_t index) override;
  // Items alive in the process, so a test can see that references balance.
  static int live() { return live_; }

  // What the menu update pass decides (studio/host/menu_update.h); enabled and unchecked until then.
  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }
  void setEnabled(bool on) { enabled_ = on; }
  void setChecked(bool on) { checked_ = on; }
  void setText(const char* text) { text_ = text ? text : ""; }
  // Rebuilding a popup: drops every child (and its reference), or puts one in at `position`
  // (clamped to the end), taking a reference.
  void removeAll();
  void insertItem(std::int32_t position, omMenuItem* child);
  // Drops the child at `index` and its reference; nothing for an index out of range.
  void removeItem(std::int32_t index);

 private:
  MenuItem(const char* text, std::uint32_t id) : text_(text ? text : ""), id_(id) { ++live_; }
  ~MenuItem();
  std::string text_;
  std::uint32_t id_;
  std::int32_t refs_ = 0;
  bool enabled_ = true, checked_ = false;
  std::vector<omMenuItem*> children_;
  static inline int live_ = 0;
};

// One line per item, indented by depth: "&File" for a popup, "&Open  [32771]" for a command,
// "-" for a separator; a command's line ends in " checked" and " disabled" as the last update
// pass left it.
void describeMenu(omMenuItem* item, int depth, std::vector<std::string>& lines);
// The command ID of the item whose text, without "&" markers, is `path`'s last part, looked up
// through popups named by the earlier parts ("View/Fit/View All"); 0 when none.
std::uint32_t findMenuCommand(omMenuItem* root, const std::string& path);

}  // namespace tessel::studio
