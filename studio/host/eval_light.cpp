#include "studio/host/eval_light.h"

#include <cmath>

#include "studio/render/renderer.h"

namespace tessel::studio {

std::optional<Vec3> virtualSphereDirection(double x, double y, int width, int height) {
  if (width <= 0 || height <= 0 || !std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
  const double radius = 0.5 * std::min(width, height);
  const double px = (x - 0.5 * width) / radius;
  const double py = (0.5 * height - y) / radius;  // pixel rows grow downwards
  const double r2 = px * px + py * py;
  if (r2 >= 1) {
    const double r = std::sqrt(r2);
    return Vec3{px / r, py / r, 0};
  }
  return Vec3{px, py, std::sqrt(1 - r2)};
}

Vec3 defaultEvalLightDirection() { return Renderer::defaultEvalLight(); }

void EvalLight::PlaceAt(const float* position, std::int32_t width, std::int32_t height) {
  if (!position) return;
  if (auto d = virtualSphereDirection(position[0], position[1], width, height)) direction = *d;
}

}  // namespace tessel::studio
