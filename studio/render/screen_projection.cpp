#include "studio/render/screen_projection.h"

namespace tessel::studio {

ScreenProjector::ScreenProjector(const Camera& c, int width, int height)
    : ScreenProjector(c, width, height, Placement{}) {}

ScreenProjector::ScreenProjector(const Camera& c, int width, int height, const Placement& placement)
    : halfW_(static_cast<float>(width / 2.0)),
      halfH_(static_cast<float>(height / 2.0)),
      ortho_(c.orthographic),
      width_(width),
      height_(height) {
  // (p A + t - eye) . v = (p - eye') . (A v) with eye' the eye in the entity's own space.
  const auto local = [&placement](const Vec3& v) {
    if (placement.isIdentity()) return v;
    const Placement::Matrix& m = placement.forward();
    return Vec3{m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
                m[8] * v.x + m[9] * v.y + m[10] * v.z};
  };
  const Vec3 f = local(viewDirection(c)), r = local(viewRight(c)), u = local(c.up);
  const Vec3 eye = placement.unplace(c.eye);
  const double e[3] = {eye.x, eye.y, eye.z}, ff[3] = {f.x, f.y, f.z},
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
