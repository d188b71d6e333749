#include "studio/render/screen_projection.h"

namespace tessel::studio {

ScreenProjector::ScreenProjector(const Camera& c, int width, int height)
    : halfW_(static_cast<float>(width / 2.0)),
      halfH_(static_cast<float>(height / 2.0)),
      ortho_(c.orthographic),
      width_(width),
      height_(height) {
  const Vec3 f = viewDirection(c), r = viewRight(c), u = c.up;
  const double e[3] = {c.eye.x, c.eye.y, c.eye.z}, ff[3] = {f.x, f.y, f.z},
               rr[3] = {r.x, r.y, r.z}, uu[3] = {u.x, u.y, u.z};
  for (int i = 0; i < 3; ++i) {
    eye_[i] = static_cast<float>(e[i]), forward_[i] = static_cast<float>(ff[i]);
    right_[i] = static_cast<float>(rr[i]), up_[i] = static_cast<float>(uu[i]);
  }
  constexpr double kDegree = 3.14159265358979323846 / 180;
  scale_ = static_cast<float>(ortho_ ? height / c.orthoHeight
                                     : height / (2 * std::tan(c.fovDegrees * kDegree / 2)));
}

void projectVertices(const Mesh& mesh, const ScreenProjector& project,
                     std::vector<ScreenVertex>& out) {
  const std::uint32_t n = mesh.vertexCount();
  out.resize(n);
  const float* p = mesh.positions.data();
  for (std::uint32_t v = 0; v < n; ++v) out[v] = project(p + 3 * std::size_t{v});
}

}  // namespace tessel::studio
