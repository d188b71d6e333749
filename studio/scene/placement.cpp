#include "studio/scene/placement.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

namespace tm = tessel::transform;

bool Placement::set(const Matrix& forward) {
  // Only affine placements: a projective last column would make "world position" a division.
  if (forward[3] != 0 || forward[7] != 0 || forward[11] != 0 || forward[15] != 1) return false;
  const std::optional<Matrix> inverse = tm::inverseAffine(forward);
  if (!inverse) return false;
  forward_ = forward;
  inverse_ = *inverse;
  identity_ = forward == tm::identity();
  ++revision_;
  return true;
}

namespace {

Vec3 rowTimes(const Vec3& p, const tm::Mat4& m, bool translate) {
  const double w = translate ? 1.0 : 0.0;
  return {p.x * m[0] + p.y * m[4] + p.z * m[8] + w * m[12],
          p.x * m[1] + p.y * m[5] + p.z * m[9] + w * m[13],
          p.x * m[2] + p.y * m[6] + p.z * m[10] + w * m[14]};
}

}  // namespace

Vec3 Placement::place(const Vec3& p) const { return identity_ ? p : rowTimes(p, forward_, true); }
Vec3 Placement::unplace(const Vec3& p) const { return identity_ ? p : rowTimes(p, inverse_, true); }
Vec3 Placement::placeVector(const Vec3& v) const {
  return identity_ ? v : rowTimes(v, forward_, false);
}
Vec3 Placement::unplaceVector(const Vec3& v) const {
  return identity_ ? v : rowTimes(v, inverse_, false);
}

Vec3 Placement::placeNormal(const Vec3& n) const {
  if (identity_) return n;
  // Row vector times (A^-1)^T: the columns of A^-1 dotted with n.
  const tm::Mat4& i = inverse_;
  return normalized(Vec3{n.x * i[0] + n.y * i[1] + n.z * i[2], n.x * i[4] + n.y * i[5] + n.z * i[6],
                         n.x * i[8] + n.y * i[9] + n.z * i[10]});
}

const float* worldPositions(const Placement& placement, const float* local, std::size_t count,
                            std::vector<float>& scratch) {
  if (placement.isIdentity()) return local;
  scratch.resize(3 * count);
  // Single precision like the positions themselves; the matrix rounded once.
  const tm::Mat4& m = placement.forward();
  float f[12];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) f[3 * r + c] = static_cast<float>(m[4 * r + c]);
  float* out = scratch.data();
  for (std::size_t i = 0; i < count; ++i) {
    const float x = local[3 * i], y = local[3 * i + 1], z = local[3 * i + 2];
    out[3 * i] = x * f[0] + y * f[3] + z * f[6] + f[9];
    out[3 * i + 1] = x * f[1] + y * f[4] + z * f[7] + f[10];
    out[3 * i + 2] = x * f[2] + y * f[5] + z * f[8] + f[11];
  }
  return out;
}

Box placedBounds(const Placement& placement, const float* local, std::size_t count,
                 const Box& localBox) {
  if (placement.isIdentity()) return localBox;
  const tm::Mat4& m = placement.forward();
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (std::size_t i = 0; i < count; ++i) {
    const double x = local[3 * i], y = local[3 * i + 1], z = local[3 * i + 2];
    for (int c = 0; c < 3; ++c) {
      const double w = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
      lo[c] = std::min(lo[c], w);
      hi[c] = std::max(hi[c], w);
    }
  }
  Box box;
  if (count == 0) return box;
  box.min = {lo[0], lo[1], lo[2]};
  box.max = {hi[0], hi[1], hi[2]};
  return box;
}

}  // namespace tessel::studio
