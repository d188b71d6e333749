#include "camera/zoom_limits.h"

namespace tessel::camera {

const char* zoomLimitWarning(float value, bool orthographic) {
  if (orthographic) {
    if (value >= kWidestOrtho) return "Zoomed out to maximum value allowed.";
    if (value <= kNarrowestOrtho) return "Zoomed in to maximum value allowed.";
    return nullptr;
  }
  if (value >= kWidestFov) return "Zoomed out to widest angle allowed.";
  if (value <= kNarrowestFov) return "Zoomed in to maximum value allowed.";
  return nullptr;
}

}  // namespace tessel::camera
