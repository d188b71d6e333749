#include "studio/scene/entity_frame.h"

#include <cmath>

#include "studio/scene/scene.h"
#include "transform/transform_math.h"

namespace tessel::studio {

namespace tm = tessel::transform;

bool EntityFrame::fixed() const {
  return owner_.scene && &owner_.scene->globalCoordSys() == &owner_;
}

void EntityFrame::GetOrigin(float* xyz) {
  const Vec3& o = owner_.frame.origin;
  xyz[0] = static_cast<float>(o.x), xyz[1] = static_cast<float>(o.y), xyz[2] = static_cast<float>(o.z);
}

void EntityFrame::SetOrigin(const float* xyz) {
  const Vec3 o{xyz[0], xyz[1], xyz[2]};
  if (fixed() || !std::isfinite(o.x) || !std::isfinite(o.y) || !std::isfinite(o.z)) return;
  owner_.frame.origin = o;
}

void EntityFrame::GetOrientation(float* xyzw) {
  // The axes are the columns of the frame's rotation.
  const CoordSys& c = owner_.frame;
  tm::Mat4 m = tm::identity();
  const Vec3 axes[3] = {c.xAxis, c.yAxis, c.zAxis};
  for (int col = 0; col < 3; ++col) {
    m[col] = axes[col].x;
    m[4 + col] = axes[col].y;
    m[8 + col] = axes[col].z;
  }
  const tm::Quat q = tm::quatFromMatrix(m).value_or(tm::kIdentityQuat);
  xyzw[0] = static_cast<float>(q.x), xyzw[1] = static_cast<float>(q.y);
  xyzw[2] = static_cast<float>(q.z), xyzw[3] = static_cast<float>(q.w);
}

void EntityFrame::SetOrientation(const float* xyzw) {
  const auto q = tm::normalized(tm::Quat{xyzw[0], xyzw[1], xyzw[2], xyzw[3]});
  if (fixed() || !q) return;
  const tm::Mat4 m = tm::rotationMatrix(*q);
  CoordSys& c = owner_.frame;
  c.xAxis = {m[0], m[4], m[8]};
  c.yAxis = {m[1], m[5], m[9]};
  c.zAxis = {m[2], m[6], m[10]};
}

void EntityFrame::GetMatrix(float* m) {
  const CoordSys& c = owner_.frame;
  const Vec3 rows[4] = {c.xAxis, c.yAxis, c.zAxis, c.origin};
  for (int r = 0; r < 4; ++r) {
    m[4 * r] = static_cast<float>(rows[r].x);
    m[4 * r + 1] = static_cast<float>(rows[r].y);
    m[4 * r + 2] = static_cast<float>(rows[r].z);
    m[4 * r + 3] = r == 3 ? 1.0f : 0.0f;
  }
}

}  // namespace tessel::studio
