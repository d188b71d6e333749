// Small fixed-size vector and matrix types for Studio's camera, picking and drawing. Doubles: the
// camera accumulates many small gestures and floats drift visibly after a few hundred of them.
#pragma once

#include <array>
#include <cmath>

namespace tessel::studio {

struct Vec3 {
  double x = 0, y = 0, z = 0;
  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
  Vec3 operator/(double s) const { return {x / s, y / s, z / s}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
  bool operator==(const Vec3&) const = default;
};

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
// The zero vector stays zero rather than turning into NaN.
inline Vec3 normalized(const Vec3& a) {
  double l = length(a);
  return l > 0 ? a / l : Vec3{};
}
inline bool isFinite(const Vec3& a) {
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}
// Rodrigues' rotation of v about the unit axis by angle radians.
inline Vec3 rotate(const Vec3& v, const Vec3& axis, double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1 - c));
}

// Column-major 4x4, as OpenGL loads it.
using Mat4 = std::array<double, 16>;

inline Vec3 transformPoint(const Mat4& m, const Vec3& p, double* w = nullptr) {
  double x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
  double y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
  double z = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
  double ww = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
  if (w) *w = ww;
  return {x, y, z};
}

inline Mat4 multiply(const Mat4& a, const Mat4& b) {
  Mat4 r{};
  for (int c = 0; c < 4; ++c)
    for (int row = 0; row < 4; ++row) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a[k * 4 + row] * b[c * 4 + k];
      r[c * 4 + row] = s;
    }
  return r;
}

struct Box {
  Vec3 min{HUGE_VAL, HUGE_VAL, HUGE_VAL};
  Vec3 max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  bool empty() const { return min.x > max.x; }
  void add(const Vec3& p) {
    min = {std::fmin(min.x, p.x), std::fmin(min.y, p.y), std::fmin(min.z, p.z)};
    max = {std::fmax(max.x, p.x), std::fmax(max.y, p.y), std::fmax(max.z, p.z)};
  }
  void merge(const Box& b) {
    if (!b.empty()) add(b.min), add(b.max);
  }
  Vec3 center() const { return (min + max) * 0.5; }
  double radius() const { return length(max - min) * 0.5; }
};

}  // namespace tessel::studio
