// Decisions the camera tools share, as plain functions of the gesture.
#pragma once

#include <cstdint>

namespace tessel::camera {

// Which screen axis a SHIFT-constrained drag follows.
enum Constraint : std::int32_t { kFree = -1, kHorizontal = 0, kVertical = 1 };

// The axis SHIFT locks a drag to, from the offset since the anchor: none yet (kFree) while both
// offsets are under 5 pixels, else the larger one's axis, vertical on a tie.
Constraint chooseConstraint(const float* anchor, const float* position);

}  // namespace tessel::camera
