#include "module/omMaskComboBox.h"

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "module/filter_menus.h"
#include "platform/host_services.h"

namespace tessel::module {

void omMaskComboBox::Fill(omMaskList* list) {
  maskList_ = list;
  load();
}

void omMaskComboBox::OnFilterEvent(const omEvent* event, void* param) {
  if (!event || !maskList_ || param != maskList_) return;
  if (event->code == om::kEventFilterListRefilled || event->code == om::kEventFilterListChanged)
    load();
}

void omMaskComboBox::OnSelectionChosen() {
  if (!maskList_ || GetCurSel() == platform::CB_ERR) return;
  omApplication* app = platform::AfxGetApp()->application;
  omMainView* main = app ? app->GetMainView() : nullptr;
  omEntityList* selection = main ? main->GetSelection(-1) : nullptr;
  const std::uint32_t before = maskList_->GetCurrentMask();
  const std::int32_t selected = selection ? selection->GetCount() : 0;
  maskList_->SelectName(GetLBText(GetCurSel()));
  const std::uint32_t after = maskList_->GetCurrentMask();
  // The keyboard belongs to the views: a combo that kept it would swallow the tools' keys.
  if (omMainFrame* frame = app ? app->GetMainFrame() : nullptr) frame->FocusActiveView();
  if (!main || !(clearsSelection(before, selected) || clearsSelection(after, selected))) return;
  if (selection) selection->Clear();
  main->UpdateManipulator(1);
  if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
}

void omMaskComboBox::load() {
  ResetContent();
  if (!maskList_) return;
  const std::uint32_t current = maskList_->GetCurrentMask();
  for (std::int32_t i = 0; i < maskList_->GetCount(); ++i) {
    const char* name = nullptr;
    std::uint32_t mask = 0;
    if (!maskList_->GetEntry(i, &name, &mask)) continue;
    const std::int32_t item = AddString(name ? name : "");
    if (mask == current) SetCurSel(item);
  }
}

}  // namespace tessel::module
