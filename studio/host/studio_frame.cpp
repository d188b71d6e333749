#include "studio/host/studio_frame.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/CCJToolBar.h"
#include "platform/CComboBox.h"
#include "platform/omPropertyToolBar.h"
#include "platform/version_info.h"
#include "studio/host/mask_list.h"
#include "studio/host/menu_item.h"

namespace tessel::studio {
namespace {

// Studio's own menus, shown before the module's.
omMenuItem* studioMenu(const char* title,
                       std::initializer_list<std::pair<const char*, std::uint32_t>> items) {
  omMenuItem* root = MenuItem::create(title, 0);
  for (auto [text, id] : items) root->AppendItem(MenuItem::create(text, id));
  root->AddRef();
  return root;
}
constexpr std::size_t kStudioMenus = 3;

// Studio's own keys, bound before the module's (a module binding the same keys wins).
constexpr Accelerator kStudioKeys[] = {
    {kIdUndo, 'Z', false, true, false},          {kIdRedo, 'Z', false, true, true},
    {kIdRedo, 'Y', false, true, false},          {kIdDelete, 0x2E, false, false, false},
    {kIdHideSelected, 'H', false, false, false}, {kIdHideUnselected, 'H', false, false, true},
    {kIdShowAll, 'H', true, false, false},       {kIdSeparate, 'P', false, false, false},
};

std::string keyName(std::uint8_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= 0x70 && key <= 0x7B) return "F" + std::to_string(key - 0x70 + 1);
  switch (key) {
    case 0x08: return "Backspace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x1B: return "Escape";
    case 0x20: return "Space";
    case 0x2E: return "Delete";
    case 0x24: return "Home";
    case 0x21: return "PageUp";
    case 0x22: return "PageDown";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", key);
  return buf;
}

// The item with command `id` under `item`, depth first; null for none.
omMenuItem* menuItemWith(omMenuItem* item, std::uint32_t id) {
  if (!item) return nullptr;
  if (item->GetCount() == 0) return item->GetID() == id ? item : nullptr;
  for (std::int32_t i = 0; i < item->GetCount(); ++i)
    if (omMenuItem* found = menuItemWith(item->GetItem(i), id)) return found;
  return nullptr;
}

// The popup holding the item with command `id` under `item`, with the item's index; null for none.
omMenuItem* parentOf(omMenuItem* item, std::uint32_t id, std::int32_t* index) {
  for (std::int32_t i = 0; item && i < item->GetCount(); ++i) {
    omMenuItem* child = item->GetItem(i);
    if (child->GetCount() == 0 && child->GetID() == id) {
      *index = i;
      return item;
    }
    if (omMenuItem* found = parentOf(child, id, index)) return found;
  }
  return nullptr;
}

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

StudioFrame::StudioFrame() {
  menus_.push_back(studioMenu("&File", {{"E&xit", kIdExit}}));
  menus_.push_back(studioMenu("&Layout", {{"&Single View", kIdLayoutSingle},
                                          {"&Four Views", kIdLayoutQuad}}));
  menus_.push_back(studioMenu("&Edit", {{"&Undo", kIdUndo},
                                        {"&Redo", kIdRedo},
                                        {"", 0},
                                        {"&Delete", kIdDelete},
                                        {"Delete Current &Map", kIdDeleteMap},
                                        {"Se&parate Selection", kIdSeparate},
                                        {"", 0},
                                        {"&Hide Selected", kIdHideSelected},
                                        {"Hide &Unselected", kIdHideUnselected},
                                        {"&Show All", kIdShowAll},
                                        {"", 0},
                                        {"&Preferences...", kIdPreferences}}));
  accelerators_.assign(std::begin(kStudioKeys), std::end(kStudioKeys));
}

StudioFrame::~StudioFrame() {
  for (omMenuItem* menu : menus_) menu->Release();
}

// [SECTION] omMainFrame, omMenuBar, omAccelTable

void StudioFrame::AddToolBar(platform::CToolBar* toolbar) {
  if (toolbar && std::find(toolbars_.begin(), toolbars_.end(), toolbar) == toolbars_.end())
    toolbars_.push_back(toolbar);
}

void StudioFrame::AddMenu(omMenuItem* root) {
  if (!root) return;
  root->AddRef();
  menus_.push_back(root);
}

void StudioFrame::AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                                 bool shift) {
  // A later binding of the same keys replaces the earlier one, as in an accelerator table.
  std::erase_if(accelerators_, [&](const Accelerator& a) {
    return a.key == key && a.alt == alt && a.ctrl == ctrl && a.shift == shift;
  });
  accelerators_.push_back({commandId, key, alt, ctrl, shift});
}

// [SECTION] Studio side

void StudioFrame::loadStrings(const std::filesystem::path& modulePath) {
  strings_.clear();
  platform::LoadStringTable(modulePath.string(), strings_);
}

void StudioFrame::clearModule() {
  toolbars_.clear();
  for (std::size_t i = kStudioMenus; i < menus_.size(); ++i) menus_[i]->Release();
  menus_.resize(std::min(menus_.size(), kStudioMenus));
  accelerators_.assign(std::begin(kStudioKeys), std::end(kStudioKeys));
  strings_.clear();
}

void StudioFrame::settleModuleMenus() {
  auto named = [](omMenuItem* item, const char* title) {
    std::string text;
    for (const char* c = item->GetText(); *c; ++c)
      if (*c != '&') text += *c;
    return text == title;
  };
  for (std::size_t i = kStudioMenus; i < menus_.size(); ++i) {
    auto* root = dynamic_cast<MenuItem*>(menus_[i]);
    if (!root) continue;
    // The module's menu arrives under a root without a title; its tops are the root's items.
    for (std::int32_t k = root->GetText()[0] ? -1 : root->GetCount() - 1; k >= 0; --k) {
      omMenuItem* top = root->GetItem(k);
      if (top->GetCount() == 0 && (named(top, "File") || named(top, "Edit"))) root->removeItem(k);
    }
  }
  for (omMenuItem* menu : menus_) {
    std::int32_t index = -1;
    auto* popup = dynamic_cast<MenuItem*>(parentOf(menu, kIdNoToolbars, &index));
    if (!popup || toolbars_.empty()) continue;
    popup->removeItem(index);
    for (std::size_t t = 0; t < toolbars_.size() && t <= kIdToolbarLast - kIdToolbarFirst; ++t)
      popup->insertItem(index + static_cast<std::int32_t>(t),
                        MenuItem::create(toolbars_[t]->GetWindowText(),
                                         kIdToolbarFirst + static_cast<std::uint32_t>(t)));
  }
}

platform::CToolBar* StudioFrame::toolbarOfItem(std::uint32_t id) const {
  if (id < kIdToolbarFirst || id > kIdToolbarLast) return nullptr;
  const std::size_t index = id - kIdToolbarFirst;
  return index < toolbars_.size() ? toolbars_[index] : nullptr;
}

void StudioFrame::showAllToolbars(bool shown) {
  for (platform::CToolBar* bar : toolbars_) bar->ShowWindow(shown);
}

std::uint32_t StudioFrame::acceleratorFor(std::uint8_t key, bool ctrl, bool shift,
                                          bool alt) const {
  for (const Accelerator& a : accelerators_)
    if (a.key == key && a.ctrl == ctrl && a.shift == shift && a.alt == alt) return a.commandId;
  return 0;
}

platform::CToolBar* StudioFrame::toolbarWithButton(std::uint32_t id, std::int32_t* index) const {
  for (platform::CToolBar* bar : toolbars_)
    for (std::int32_t i = 0; i < bar->GetCount(); ++i)
      if (bar->GetItemID(i) == id) {
        *index = i;
        return bar;
      }
  return nullptr;
}

bool StudioFrame::requestToolbarPanel(std::uint32_t id) {
  std::int32_t index = 0;
  platform::CToolBar* bar = toolbarWithButton(id, &index);
  platform::omPropertyToolBar* panelBar = bar ? bar->AsPropertyToolBar() : nullptr;
  // The panel opens beside the button; Studio has no screen, so the view's corner stands in.
  return panelBar && panelBar->RequestPanel(index, omRect{0, 0, 24, 24});
}

std::string StudioFrame::chooseFilter(MaskList& list, bool objectFilter, const std::string& name) {
  // Combos are told apart by what they list: the filter whose entries they show.
  for (platform::CToolBar* bar : toolbars_) {
    platform::CCJToolBar* controls = bar->AsControlBar();
    if (!controls) continue;
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      platform::CWnd* w = controls->GetControlAt(bar->GetItemID(i));
      platform::CComboBox* combo = w ? w->AsComboBox() : nullptr;
      if (!combo || combo->GetCount() != list.GetCount()) continue;
      bool same = true;
      for (std::int32_t k = 0; k < combo->GetCount() && same; ++k) {
        const char* entry = nullptr;
        list.GetEntry(k, &entry, nullptr);
        same = std::string(combo->GetLBText(k)) == entry;
      }
      if (!same) continue;
      for (std::int32_t k = 0; k < combo->GetCount(); ++k)
        if (name == combo->GetLBText(k)) {
          if (!combo->ChooseItem(k)) return "the filter \"" + name + "\" cannot be chosen now";
          return {};
        }
      return "the filter has no entry \"" + name + "\"";
    }
  }
  return "no filter combo lists the " + std::string(objectFilter ? "object" : "component") +
         " filter";
}

std::string StudioFrame::commandDescription(std::uint32_t id) const {
  auto it = strings_.find(id);
  if (it == strings_.end()) return {};
  return it->second.substr(0, it->second.find('\n'));
}

std::string StudioFrame::commandName(std::uint32_t id) const {
  if (id == 0) return {};
  if (auto it = strings_.find(id); it != strings_.end()) {
    const std::size_t newline = it->second.find('\n');
    std::string tip = newline == std::string::npos ? "" : it->second.substr(newline + 1);
    while (!tip.empty() && tip.back() == ' ') tip.pop_back();
    if (!tip.empty()) return tip;
  }
  for (omMenuItem* menu : menus_)
    if (omMenuItem* item = menuItemWith(menu, id)) {
      std::string text;
      for (const char* c = item->GetText(); *c; ++c)
        if (*c != '&') text += *c;
      while (text.ends_with(".")) text.pop_back();
      return text;
    }
  return {};
}

std::uint32_t StudioFrame::commandId(const std::string& name) const {
  const std::string wanted = lowered(name);
  std::vector<std::uint32_t> ids;
  for (const auto& [id, text] : strings_) ids.push_back(id);
  for (const Accelerator& a : accelerators_) ids.push_back(a.commandId);
  for (platform::CToolBar* bar : toolbars_)
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) ids.push_back(bar->GetItemID(i));
  for (std::uint32_t id : ids)
    if (id && lowered(commandName(id)) == wanted) return id;
  return 0;
}

void StudioFrame::updateMenus(platform::CCmdTarget* target, const OwnCommandUpdate& own) {
  for (omMenuItem* menu : menus_) updateMenu(*menu, target, own);
}

std::vector<std::string> StudioFrame::describeMenus() const {
  std::vector<std::string> lines;
  for (omMenuItem* menu : menus_) describeMenu(menu, 0, lines);
  return lines;
}

std::vector<std::string> StudioFrame::describeToolbars() const {
  std::vector<std::string> lines;
  for (platform::CToolBar* bar : toolbars_) {
    lines.push_back(std::string(bar->GetWindowText()) +
                    (bar->IsWindowVisible() ? "" : " (hidden)"));
    platform::CCJToolBar* controls = bar->AsControlBar();
    platform::omPropertyToolBar* panels = bar->AsPropertyToolBar();
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      std::uint32_t id = bar->GetItemID(i);
      if (id == 0) {
        lines.push_back("  -");
        continue;
      }
      std::string line = "  [" + std::to_string(id) + "]";
      if (std::string name = commandName(id); !name.empty()) line += " " + name;
      platform::CWnd* w = controls ? controls->GetControlAt(id) : nullptr;
      if (platform::CComboBox* combo = w ? w->AsComboBox() : nullptr) {
        line += " combo {";
        for (std::int32_t k = 0; k < combo->GetCount(); ++k)
          line += (k ? ", " : "") + std::string(combo->GetLBText(k));
        line += "} = " + std::string(combo->GetCurSel() >= 0 ? combo->GetLBText(combo->GetCurSel()) : "");
        if (!combo->IsWindowEnabled()) line += " disabled";
      } else {
        std::uint32_t state = bar->GetButtonState(i);
        if (state & platform::TBSTATE_CHECKED) line += " checked";
        if (!(state & platform::TBSTATE_ENABLED)) line += " disabled";
      }
      if (bar->GetButtonState(i) & platform::TBSTATE_MARKED) line += " marked";
      if (panels && panels->IsPanelButton(i)) line += " panel";
      lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string> StudioFrame::describeAccelerators() const {
  std::vector<std::string> lines;
  for (const Accelerator& a : accelerators_) {
    std::string keys = std::string(a.ctrl ? "Ctrl+" : "") + (a.shift ? "Shift+" : "") +
                       (a.alt ? "Alt+" : "") + keyName(a.key);
    std::string name = commandName(a.commandId);
    lines.push_back(keys + " -> " + std::to_string(a.commandId) + (name.empty() ? "" : " " + name));
  }
  return lines;
}

}  // namespace tessel::studio
