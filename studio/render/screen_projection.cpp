#include "studio/render/screen_projection.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool ScreenProjector::boxBounds(const float* lo, const float* hi, float* bounds) const {
  // Interval arithmetic about the box's centre: each of depth, across and along lies within its
  // value there plus or minus the half sides weighed by the axis, and x, y are their ratios.
  double depth = 0, across = 0, along = 0, spreadD = 0, spreadA = 0, spreadB = 0, reach = 0;
  for (int i = 0; i < 3; ++i) {
    const double centre = (double{lo[i]} + hi[i]) / 2 - eye_[i], half = (double{hi[i]} - lo[i]) / 2;
    depth += centre * forward_[i], across += centre * right_[i], along += centre * up_[i];
    spreadD += half * std::abs(forward_[i]), spreadA += half * std::abs(right_[i]);
    spreadB += half * std::abs(up_[i]);
    reach += std::abs(centre) + half;
  }
  // The projection runs in float: its products are off by a few parts in ten million of the
  // distances involved, which the margin covers many times over.
  const double slack = 4e-6 * reach;
  double ax0, ax1, by0, by1, margin;
  if (ortho_) {
    ax0 = (across - spreadA) * scale_, ax1 = (across + spreadA) * scale_;
    by0 = (along - spreadB) * scale_, by1 = (along + spreadB) * scale_;
    margin = 0.5 + slack * scale_;
  } else {
    const double nearest = depth - spreadD, farthest = depth + spreadD;
    if (!(nearest > 1e-6 && nearest > 1e-3 * reach)) return false;
    auto low = [&](double v) { return v / (v >= 0 ? farthest : nearest); };
    auto high = [&](double v) { return v / (v >= 0 ? nearest : farthest); };
    ax0 = low(across - spreadA) * scale_, ax1 = high(across + spreadA) * scale_;
    by0 = low(along - spreadB) * scale_, by1 = high(along + spreadB) * scale_;
    margin = 0.5 + slack / nearest * scale_ * (1 + std::max({std::abs(ax0), std::abs(ax1),
                                                              std::abs(by0), std::abs(by1)}) /
                                                       scale_);
  }
  const double x0 = halfW_ + ax0 - margin, x1 = halfW_ + ax1 + margin;
  const double y0 = halfH_ - by1 - margin, y1 = halfH_ - by0 + margin;
  if (!(std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1)))
    return false;
  bounds[0] = static_cast<float>(x0), bounds[1] = static_cast<float>(y0);
  bounds[2] = static_cast<float>(x1), bounds[3] = static_cast<float>(y1);
  return true;
}

void ScreenProjector::run(const float* p, std::uint32_t count, ScreenVertex* out) const {
  std::uint32_t v = 0;
#if defined(__SSE2__)
  const __m128 ex = _mm_set1_ps(eye_[0]), ey = _mm_set1_ps(eye_[1]), ez = _mm_set1_ps(eye_[2]);
  const __m128 f0 = _mm_set1_ps(forward_[0]), f1 = _mm_set1_ps(forward_[1]),
               f2 = _mm_set1_ps(forward_[2]);
  const __m128 r0 = _mm_set1_ps(right_[0]), r1 = _mm_set1_ps(right_[1]), r2 = _mm_set1_ps(right_[2]);
  const __m128 u0 = _mm_set1_ps(up_[0]), u1 = _mm_set1_ps(up_[1]), u2 = _mm_set1_ps(up_[2]);
  const __m128 halfW = _mm_set1_ps(halfW_), halfH = _mm_set1_ps(halfH_), scale = _mm_set1_ps(scale_);
  const __m128 nearest = _mm_set1_ps(1e-12f), nan = _mm_set1_ps(kNaN);
  for (; v + 4 <= count; v += 4, p += 12, out += 4) {
    // x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3, regrouped by coordinate.
    const __m128 a = _mm_loadu_ps(p), b = _mm_loadu_ps(p + 4), c = _mm_loadu_ps(p + 8);
    const __m128 x = _mm_shuffle_ps(a, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2)),
                                    _MM_SHUFFLE(2, 0, 3, 0));
    const __m128 y = _mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1)),
                                    _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3)),
                                    _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 z = _mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 1, 2, 2)),
                                    _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 3, 0, 0)),
                                    _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 rx = _mm_sub_ps(x, ex), ry = _mm_sub_ps(y, ey), rz = _mm_sub_ps(z, ez);
    const __m128 depth = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, f0), _mm_mul_ps(ry, f1)),
                                    _mm_mul_ps(rz, f2));
    const __m128 across = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, r0), _mm_mul_ps(ry, r1)),
                                     _mm_mul_ps(rz, r2));
    const __m128 along = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, u0), _mm_mul_ps(ry, u1)),
                                    _mm_mul_ps(rz, u2));
    const __m128 s = ortho_ ? scale : _mm_div_ps(scale, depth);
    __m128 sx = _mm_add_ps(halfW, _mm_mul_ps(across, s));
    __m128 sy = _mm_sub_ps(halfH, _mm_mul_ps(along, s));
    if (!ortho_) {
      const __m128 front = _mm_cmpgt_ps(depth, nearest);
      sx = _mm_or_ps(_mm_and_ps(front, sx), _mm_andnot_ps(front, nan));
      sy = _mm_or_ps(_mm_and_ps(front, sy), _mm_andnot_ps(front, nan));
    }
    // Back to x y depth per vertex.
    const __m128 xy01 = _mm_unpacklo_ps(sx, sy), xy23 = _mm_unpackhi_ps(sx, sy);
    float d[4];
    _mm_storeu_ps(d, depth);
    float xy[8];
    _mm_storeu_ps(xy, xy01);
    _mm_storeu_ps(xy + 4, xy23);
    for (int k = 0; k < 4; ++k) out[k] = {xy[2 * k], xy[2 * k + 1], d[k]};
  }
#endif
  for (; v < count; ++v, p += 3) *out++ = (*this)(p);
}

}  // namespace tessel::studio
