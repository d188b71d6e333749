// The one switch of both fit panels: "All Views", off until the user turns it on.
#pragma once

#include "platform/omPAT_Bool.h"
#include "platform/omPropertyObj.h"

namespace tessel::camera {

// Adds the switch to `panel`; answers its attribute index.
inline int addAllViewsSwitch(platform::omPropertyObj& panel) {
  constexpr int kCheckBox = 3;  // the control type of a switch
  return panel.AddAttrib(new platform::omPAT_Bool("All Views", false, kCheckBox));
}

inline bool allViewsSwitch(platform::omPropertyObj& panel, int attrib) {
  return static_cast<platform::omPAT_Bool&>(panel.GetAttrib(attrib)).GetValue();
}

}  // namespace tessel::camera
