#include "studio/host/mouse_navigation.h"

#include "host/om_codes.h"

namespace tessel::studio {

CameraMove navigationMove(Navigation navigation, std::int32_t button, const HeldInput& held) {
  if (navigation != Navigation::MiddleButtonOrbits || button != om::kButtonMiddle)
    return CameraMove::None;
  if (held.buttons != 0 || held.alt || held.cameraTool) return CameraMove::None;
  if (held.ctrl) return CameraMove::Dolly;
  if (held.shift) return CameraMove::Pan;
  return CameraMove::Tumble;
}

bool beyondClick(double dx, double dy) { return dx * dx + dy * dy > kClickSlop * kClickSlop; }

}  // namespace tessel::studio
