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
  // The view axes lengthen no step when they are orthonormal (a placement that moves and turns);
  // otherwise at most by the root of their squared lengths' sum. Rounded up past float rounding.
  double sum = 0, worst = 0;
  const double* axes[3] = {ff, rr, uu};
  for (int a = 0; a < 3; ++a)
    for (int b = a; b < 3; ++b) {
      const double dot = axes[a][0] * axes[b][0] + axes[a][1] * axes[b][1] + axes[a][2] * axes[b][2];
      if (a == b) sum += dot;
      worst = std::max(worst, std::abs(dot - (a == b ? 1 : 0)));
    }
  stretch_ = static_cast<float>((worst < 1e-6 ? 1.0 : std::sqrt(sum)) * (1 + 1e-5));
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
#if defined(__SSE2__)
  lanes(
      p, count,
      [out](std::uint32_t k, __m128 sx, __m128 sy, __m128 depth) {
        // Back to x y depth per vertex.
        const __m128 xy01 = _mm_unpacklo_ps(sx, sy), xy23 = _mm_unpackhi_ps(sx, sy);
        float d[4];
        _mm_storeu_ps(d, depth);
        float xy[8];
        _mm_storeu_ps(xy, xy01);
        _mm_storeu_ps(xy + 4, xy23);
        for (int i = 0; i < 4; ++i) out[k + i] = {xy[2 * i], xy[2 * i + 1], d[i]};
      },
      [out](std::uint32_t k, const ScreenVertex& s) { out[k] = s; });
#else
  for (std::uint32_t v = 0; v < count; ++v, p += 3) *out++ = (*this)(p);
#endif
}

}  // namespace tessel::studio
