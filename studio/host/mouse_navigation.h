// Studio's own mouse navigation beside the module's ALT navigation: which camera move a press
// starts, and when a held press becomes a drag. Plain decisions over the buttons and keys held;
// the host keeps the gesture and moves the camera.
#pragma once

#include <cstdint>

namespace tessel::studio {

// "Tessel": the module's ALT with the three buttons, nothing else (the default).
// "Middle button orbits": a middle drag tumbles, SHIFT+middle pans, CTRL+middle dollies, as
// people coming from other modellers expect.
enum class Navigation { Tessel, MiddleButtonOrbits };

enum class CameraMove { None, Tumble, Pan, Dolly };

struct HeldInput {
  std::int32_t buttons = 0;  // om::Button bits held before this press
  bool shift = false, ctrl = false, alt = false;
  bool cameraTool = false;  // the current tool navigates by itself
};

// The camera move Studio makes of a press of `button`; None leaves the press to the tool. A
// press joining other buttons, ALT (the module's navigation) and the camera tools' own buttons
// are never taken.
CameraMove navigationMove(Navigation navigation, std::int32_t button, const HeldInput& held);

// A press whose pointer stays within this many pixels of it until the release is a click, which
// still reaches the tool (the selection tools clear the selection with a middle click).
inline constexpr double kClickSlop = 3;
bool beyondClick(double dx, double dy);

}  // namespace tessel::studio
