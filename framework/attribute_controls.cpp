#include "framework/attribute_controls.h"

namespace tessel::framework {

void followAvailability(platform::omPropertyObj& panel, std::int32_t& lastEnabled, bool on) {
  const std::int32_t state = on ? 1 : 0;
  if (!panel.IsDisplayed() || state == lastEnabled) return;
  lastEnabled = state;
  for (int i = 0; i < panel.GetNumAttribs(); ++i)
    panel.GetAttrib(i).EnableCtrl(on && panel.IsAttribEnabled(i));
}

}  // namespace tessel::framework
