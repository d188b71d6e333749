#include "module/omMaskComboBox.h"

#include "host/omApplication.h"
#include "host/om_codes.h"

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

void omMaskComboBox::OnSelEndOk() {
  if (maskList_ && GetCurSel() != platform::CB_ERR) maskList_->SelectName(GetLBText(GetCurSel()));
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
