#include "module/filter_menus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/omApplication.h"
#include "host/om_codes.h"
#include "platform/CCmdTarget.h"

namespace tessel::module {

std::string filterMenuText(std::int32_t entry, const char* name) {
  char text[160];
  std::snprintf(text, sizeof text, "&%d %s", (entry + 1) % 10, name ? name : "");
  return text;
}

void updateFilterMenu(omMaskList* list, const FilterMenu& menu, platform::CCmdUI& ui) {
  if (!ui.IsMenuItem()) return;
  // The popup holds the filter's items alone, so after emptying it they start at position 0.
  ui.RemoveAllItems();
  const std::int32_t count = list ? std::min(list->GetCount(), menu.capacity()) : 0;
  if (count <= 0) {
    // One placeholder, not one per stale entry: every leftover item would say the same.
    ui.InsertItem(0, menu.firstId, kNoMasks, false);
    ui.SetItemCount(1);
    ui.SetText(kNoMasks);
    ui.Enable(false);
    ui.SetCheck(0);
    return;
  }
  const char* current = list->GetCurrentName();
  std::int32_t made = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const char* name = nullptr;
    std::uint32_t mask = 0;
    if (!list->GetEntry(i, &name, &mask)) continue;
    const bool isCurrent = current && name && std::strcmp(current, name) == 0;
    ui.InsertItem(made, menu.firstId + static_cast<std::uint32_t>(made),
                  filterMenuText(made, name).c_str(), isCurrent);
    ++made;
  }
  ui.SetItemCount(made);
}

bool chooseFilterEntry(omMaskList& list, const FilterMenu& menu, std::uint32_t id) {
  if (!menu.owns(id)) return false;
  const char* name = nullptr;
  std::uint32_t mask = 0;
  if (!list.GetEntry(static_cast<std::int32_t>(id - menu.firstId), &name, &mask) || !name)
    return false;
  return list.SelectName(name);
}

bool clearsSelection(std::uint32_t mask, std::int32_t selected) {
  if (mask == om::kMaskHoles) return true;
  if (selected <= 0) return false;
  switch (mask) {
    case om::kMaskLights:
    case om::kMaskCoordSys:
    case om::kMaskVertices:
    case om::kMaskEdges:
    case om::kMaskFaces: return true;
    default: return false;
  }
}

}  // namespace tessel::module
