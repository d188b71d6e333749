// Studio's main frame as the module sees it: the menu bar, the accelerator table and the docked
// toolbars. It also knows the module's string table, so it can name any command for people.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "platform/CCmdTarget.h"
#include "platform/CToolBar.h"
#include "studio/host/menu_update.h"

namespace tessel::studio {

class MaskList;

// Studio's own menu commands, beside the module's.
inline constexpr std::uint32_t kIdExit = 0xE141;
inline constexpr std::uint32_t kIdLayoutSingle = 0xE201;
inline constexpr std::uint32_t kIdLayoutQuad = 0xE202;
// The Edit menu's. Stable: scripts name them by number ("id N"); add, never renumber.
inline constexpr std::uint32_t kIdUndo = 0xE12B;
inline constexpr std::uint32_t kIdRedo = 0xE12C;
inline constexpr std::uint32_t kIdDelete = 0xE120;
inline constexpr std::uint32_t kIdDeleteMap = 0xE301;
inline constexpr std::uint32_t kIdHideSelected = 0xE302;
inline constexpr std::uint32_t kIdHideUnselected = 0xE303;
inline constexpr std::uint32_t kIdShowAll = 0xE304;
inline constexpr std::uint32_t kIdSeparate = 0xE305;
// Edit > Preferences, under the ID the module's string table describes it by.
inline constexpr std::uint32_t kIdPreferences = 33894;
// Show Toolbars: one item per module toolbar, in the order the module added them.
inline constexpr std::uint32_t kIdToolbarFirst = 0xE310;
inline constexpr std::uint32_t kIdToolbarLast = 0xE31F;

// Items of the module's menu that a frame answers, as a desktop frame does for its panes.
inline constexpr std::uint32_t kIdShowObjectList = 33843;  // "Show Hierarchy Tree"
inline constexpr std::uint32_t kIdShowProperties = 33844;  // "Show Properties Sheet"
inline constexpr std::uint32_t kIdNoToolbars = 33986;      // the toolbars' placeholder
inline constexpr std::uint32_t kIdAllToolbars = 33020;
inline constexpr std::uint32_t kIdNoToolbar = 33021;

// Studio's panes, shown and hidden from the View menu; a window shows them as docks.
enum class Pane { ObjectList, Properties };

struct Accelerator {
  std::uint32_t commandId;
  std::uint8_t key;  // virtual-key code: 'A'..'Z', '0'..'9', 0x70.. for F1..
  bool alt, ctrl, shift;
};

class StudioFrame final : public omMainFrame, public omMenuBar, public omAccelTable {
 public:
  StudioFrame();
  ~StudioFrame();
  StudioFrame(const StudioFrame&) = delete;
  StudioFrame& operator=(const StudioFrame&) = delete;

  // [SECTION] omMainFrame, omMenuBar, omAccelTable
  omMenuBar* GetMenuBar() override { return this; }
  omAccelTable* GetAcceleratorTable() override { return this; }
  void AddToolBar(platform::CToolBar* toolbar) override;
  void DockToolBar(platform::CToolBar*) override {}
  void FocusActiveView() override {
    if (focusActiveView) focusActiveView();
  }
  void AddMenu(omMenuItem* root) override;
  void AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                      bool shift) override;

  // [SECTION] Studio side
  // Reads the string table of the module loaded from `modulePath`.
  void loadStrings(const std::filesystem::path& modulePath);
  // Lets go of everything the module added; Studio's own menus stay.
  void clearModule();
  // Once the module has added its menus and toolbars: its plain "File" and "Edit" items, which
  // mark where Studio's menus of those names go, leave the menu, and the toolbars' placeholder
  // gives way to an item per toolbar.
  void settleModuleMenus();

  // [SECTION] panes and toolbars, as the View menu shows and hides them
  bool paneShown(Pane pane) const { return panes_[static_cast<int>(pane)]; }
  void showPane(Pane pane, bool shown) { panes_[static_cast<int>(pane)] = shown; }
  // The toolbar of a Show Toolbars item, null for another ID.
  platform::CToolBar* toolbarOfItem(std::uint32_t id) const;
  // Shows or hides every toolbar; a window follows their visibility.
  void showAllToolbars(bool shown);

  // Studio's menus then the module's, its toolbars (shown, not owned), its accelerators.
  const std::vector<omMenuItem*>& menus() const { return menus_; }
  const std::vector<platform::CToolBar*>& toolbars() const { return toolbars_; }
  const std::vector<Accelerator>& accelerators() const { return accelerators_; }

  // The command ID bound to the keys, 0 for none.
  std::uint32_t acceleratorFor(std::uint8_t key, bool ctrl, bool shift, bool alt) const;
  // The toolbar button's panel arrow; false when the button has none.
  bool requestToolbarPanel(std::uint32_t id);
  // Picks entry `name` in the toolbar combo that lists `list`'s entries; empty on success.
  std::string chooseFilter(MaskList& list, bool objectFilter, const std::string& name);

  // A command's name for people: its tooltip in the module's string table, else its menu text
  // without markers; empty when it has neither.
  std::string commandName(std::uint32_t id) const;
  // The command ID of that name (as commandName answers it, case ignored); 0 for none.
  std::uint32_t commandId(const std::string& name) const;
  // The status-line text of a command in the string table; empty when it has none.
  std::string commandDescription(std::uint32_t id) const;

  // The menu update pass over every menu (studio/host/menu_update.h): `own` answers Studio's
  // commands, `target` the module's.
  void updateMenus(platform::CCmdTarget* target, const OwnCommandUpdate& own);
  // What `print menu` shows: the menus as they stand (run updateMenus first).
  std::vector<std::string> describeMenus() const;
  std::vector<std::string> describeToolbars() const;
  std::vector<std::string> describeAccelerators() const;

  // Gives the keyboard to the active view when set (a window's); nothing has focus headless.
  std::function<void()> focusActiveView;

 private:
  platform::CToolBar* toolbarWithButton(std::uint32_t id, std::int32_t* index) const;

  std::vector<omMenuItem*> menus_;  // Studio's own, then the module's; one reference each
  std::vector<platform::CToolBar*> toolbars_;
  std::vector<Accelerator> accelerators_;
  std::map<std::uint32_t, std::string> strings_;  // the module's string table
  bool panes_[2] = {false, true};  // the object list starts hidden, the properties shown
};

}  // namespace tessel::studio
