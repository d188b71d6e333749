#include "platform/CCJToolBar.h"

namespace tessel::platform {

bool CCJToolBar::InsertControl(CWnd* control, const omRect& rect, std::uint32_t id) {
  if (!control || !control->HasWindow() || id == 0 || GetControlAt(id)) return false;
  bool found = false;
  for (std::int32_t i = 0; i < GetCount(); ++i) found = found || GetItemID(i) == id;
  if (!found) return false;
  controls_.push_back({id, control, rect});
  return true;
}

CWnd* CCJToolBar::GetControlAt(std::uint32_t id) const {
  for (const Placed& p : controls_)
    if (p.id == id) return p.control;
  return nullptr;
}

}  // namespace tessel::platform
