#include "studio/host/menu_update.h"

#include <algorithm>

#include "studio/host/menu_item.h"

namespace tessel::studio {
namespace {

// One item of a popup being updated. It names the item by position, so it stays valid while a
// handler rebuilds the popup under it.
class MenuCmdUI final : public platform::CCmdUI {
 public:
  MenuCmdUI(MenuItem& popup, std::int32_t index) : popup_(popup), index_(index) {
    id_ = popup.GetItem(index) ? popup.GetItem(index)->GetID() : 0;
  }
  void Enable(bool on) override {
    if (MenuItem* it = item()) it->setEnabled(on);
  }
  void SetCheck(std::int32_t check) override {
    if (MenuItem* it = item()) it->setChecked(check != 0);
  }
  void SetText(const char* text) override {
    if (MenuItem* it = item()) it->setText(text);
  }
  std::uint32_t GetID() override { return id_; }
  bool IsMenuItem() override { return true; }
  std::int32_t GetIndex() override { return index_; }
  void RemoveAllItems() override { popup_.removeAll(); }
  void InsertItem(std::int32_t position, std::uint32_t id, const char* text,
                  bool checked) override {
    MenuItem* made = MenuItem::create(text, id);
    made->setChecked(checked);
    popup_.insertItem(position, made);
  }
  void SetItemCount(std::int32_t count) override { told_ = count; }

  // Where the pass goes on: after the items the handler said it made, else the next one.
  std::int32_t next() const { return told_ > index_ ? told_ : index_ + 1; }

 private:
  MenuItem* item() { return dynamic_cast<MenuItem*>(popup_.GetItem(index_)); }

  MenuItem& popup_;
  std::int32_t index_;
  std::uint32_t id_ = 0;
  std::int32_t told_ = -1;
};

}  // namespace

void updateModuleItem(std::uint32_t id, platform::CCmdTarget* module, platform::CCmdUI& ui) {
  if (module && module->OnCmdMsg(id, platform::CN_UPDATE_COMMAND_UI, &ui)) return;
  ui.Enable(module && module->OnCmdMsg(id, platform::CN_COMMAND_QUERY, nullptr));
}

void updateMenu(omMenuItem& popup, platform::CCmdTarget* module, const OwnCommandUpdate& own) {
  auto* items = dynamic_cast<MenuItem*>(&popup);
  if (!items) return;  // not one of ours: nothing to set state on
  for (std::int32_t i = 0; i < items->GetCount();) {
    omMenuItem* item = items->GetItem(i);
    if (item->GetCount() > 0) {
      updateMenu(*item, module, own);
      ++i;
      continue;
    }
    const std::uint32_t id = item->GetID();
    if (id == 0) {  // a separator
      ++i;
      continue;
    }
    MenuCmdUI ui(*items, i);
    if (!own || !own(id, ui)) updateModuleItem(id, module, ui);
    i = ui.next();
  }
}

}  // namespace tessel::studio
