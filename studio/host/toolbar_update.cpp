#include "studio/host/toolbar_update.h"

namespace tessel::studio {
namespace {

// One button being updated: what the handler says goes into the state bits it names.
class ButtonCmdUI final : public platform::CCmdUI {
 public:
  ButtonCmdUI(std::uint32_t id, std::uint32_t state) : id_(id), state_(state) {}
  void Enable(bool on) override { set(platform::TBSTATE_ENABLED, on); }
  void SetCheck(std::int32_t check) override {
    set(platform::TBSTATE_CHECKED, check != 0);
    checkSet_ = true;
  }
  void SetText(const char*) override {}
  std::uint32_t GetID() override { return id_; }
  bool IsMenuItem() override { return false; }
  std::int32_t GetIndex() override { return -1; }
  void RemoveAllItems() override {}
  void InsertItem(std::int32_t, std::uint32_t, const char*, bool) override {}
  void SetItemCount(std::int32_t) override {}
  std::uint32_t state() const { return state_; }
  bool checkSet() const { return checkSet_; }

 private:
  void set(std::uint32_t bit, bool on) { state_ = on ? state_ | bit : state_ & ~bit; }
  std::uint32_t id_, state_;
  bool checkSet_ = false;
};

}  // namespace

void updateToolbar(platform::CToolBar& bar, platform::CCmdTarget* module) {
  if (!module) return;
  for (std::int32_t i = 0; i < bar.GetCount(); ++i) {
    const std::uint32_t id = bar.GetItemID(i);
    if (id == 0) continue;  // a separator
    ButtonCmdUI ui(id, bar.GetButtonState(i));
    const bool answered = module->OnCmdMsg(id, platform::CN_UPDATE_COMMAND_UI, &ui);
    if (answered && ui.state() != bar.GetButtonState(i)) bar.SetButtonState(id, ui.state());
  }
}

bool isToolButton(platform::CCmdTarget* module, std::uint32_t id) {
  return toolCurrent(module, id).has_value();
}

std::optional<bool> toolCurrent(platform::CCmdTarget* module, std::uint32_t id) {
  if (!module || id == 0) return std::nullopt;
  ButtonCmdUI ui(id, 0);
  if (!module->OnCmdMsg(id, platform::CN_UPDATE_COMMAND_UI, &ui) || !ui.checkSet())
    return std::nullopt;
  return (ui.state() & platform::TBSTATE_CHECKED) != 0;
}

}  // namespace tessel::studio
