#include "camera/camera_gestures.h"

#include <cmath>

namespace tessel::camera {
namespace {
constexpr float kConstraintThreshold = 5.0f;  // pixels of motion before SHIFT picks an axis
}  // namespace

Constraint chooseConstraint(const float* anchor, const float* position) {
  const float dx = std::fabs(anchor[0] - position[0]), dy = std::fabs(anchor[1] - position[1]);
  if (dx < kConstraintThreshold && dy < kConstraintThreshold) return kFree;
  return dx > dy ? kHorizontal : kVertical;
}

}  // namespace tessel::camera
