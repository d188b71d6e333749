// What the keyboard and mouse hold right now, as the script or the window reports it.
#pragma once

#include <cstdint>

#include "host/om_codes.h"

namespace tessel::studio {

struct InputState {
  bool alt = false, ctrl = false, shift = false, filterStep = false;
  // The invert state a paint stroke reads (omView::IsInvertActive): Caps Lock, latched. CTRL is
  // not it: CTRL already turns painting into removing.
  bool invert = false;
  std::int32_t buttons = 0;  // om::Button bits held
  float x = 0, y = 0;        // cursor in the active view's pixels

  bool keyDown(std::int32_t key) const {
    switch (key) {
      case om::kKeyAlt: return alt;
      case om::kKeyCtrl: return ctrl;
      case om::kKeyShift: return shift;
      case om::kKeyFilterStep: return filterStep;
      default: return false;
    }
  }
};

}  // namespace tessel::studio
