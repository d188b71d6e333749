#include "studio/render/display_mode.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

namespace {
constexpr const char* kNames[] = {"smooth", "flat", "wireframe", "points"};
}

const char* displayModeName(DisplayMode mode) { return kNames[static_cast<int>(mode)]; }

std::optional<DisplayMode> displayModeNamed(std::string_view name) {
  for (int i = 0; i < 4; ++i)
    if (name == kNames[i]) return static_cast<DisplayMode>(i);
  return std::nullopt;
}

double projectedArea(const Camera& camera, int width, int height, const Box& box) {
  if (box.empty()) return 0;
  double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
  for (int c = 0; c < 8; ++c) {
    const Vec3 corner{c & 1 ? box.max.x : box.min.x, c & 2 ? box.max.y : box.min.y,
                      c & 4 ? box.max.z : box.min.z};
    const ScreenPoint p = project(camera, width, height, corner);
    if (!p.inFront) return HUGE_VAL;
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  return (x1 - x0) * (y1 - y0);
}

bool vertexDotsReadable(std::size_t vertices, double pixels) {
  return static_cast<double>(vertices) * kPixelsPerDot <= pixels;
}

}  // namespace tessel::studio
