// A flat toolbar that can carry controls (combo boxes) in place of buttons.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/CToolBar.h"

namespace tessel::platform {

class CCJToolBar : public CToolBar {
 public:
  // Places `control` over the button with command ID `id`. False when the toolbar has no such
  // button, the control has no window, or a control sits there already. Not owned.
  bool InsertControl(CWnd* control, const omRect& rect, std::uint32_t id);

  // The control over button `id`, or null.
  virtual CWnd* GetControlAt(std::uint32_t id) const;
  CCJToolBar* AsControlBar() override { return this; }

 private:
  struct Placed {
    std::uint32_t id;
    CWnd* control;
    omRect rect;
  };
  std::vector<Placed> controls_;
};

}  // namespace tessel::platform
