#include "transform/transform_math.h"

#include <cmath>

namespace tessel::transform {

Mat4 identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

bool isFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool isFinite(const Quat& q) {
  return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

bool isFinite(const Mat4& m) {
  for (double v : m)
    if (!std::isfinite(v)) return false;
  return true;
}

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

std::optional<Vec3> normalized(const Vec3& v) {
  if (!isFinite(v)) return std::nullopt;
  const double len = std::sqrt(dot(v, v));
  // A sum of squares that overflows is infinite; one that underflows is zero.
  if (!(len > 0) || !std::isfinite(len)) return std::nullopt;
  return v * (1.0 / len);
}

std::optional<Quat> normalized(const Quat& q) {
  if (!isFinite(q)) return std::nullopt;
  const double len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(len > 0) || !std::isfinite(len)) return std::nullopt;
  return Quat{q.x / len, q.y / len, q.z / len, q.w / len};
}

std::optional<Quat> axisAngle(const Vec3& axis, double angle) {
  const std::optional<Vec3> a = normalized(axis);
  if (!a || !std::isfinite(angle)) return std::nullopt;
  const double s = std::sin(angle * 0.5);
  return Quat{a->x * s, a->y * s, a->z * s, std::cos(angle * 0.5)};
}

Quat multiply(const Quat& a, const Quat& b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat conjugate(const Quat& q) { return {-q.x, -q.y, -q.z, q.w}; }

Vec3 rotate(const Quat& q, const Vec3& v) { return turnVector(rotationMatrix(q), v); }

Mat4 rotationMatrix(const Quat& q) {
  const double x = q.x, y = q.y, z = q.z, w = q.w;
  return {1 - 2 * (y * y + z * z), 2 * (x * y - w * z),     2 * (x * z + w * y),     0,
          2 * (x * y + w * z),     1 - 2 * (x * x + z * z), 2 * (y * z - w * x),     0,
          2 * (x * z - w * y),     2 * (y * z + w * x),     1 - 2 * (x * x + y * y), 0,
          0,                       0,                       0,                       1};
}

Mat4 placementRotation(const Quat& q) { return transpose(rotationMatrix(q)); }

Mat4 placementTranslation(const Vec3& d) {
  Mat4 m = identity();
  m[12] = d.x;
  m[13] = d.y;
  m[14] = d.z;
  return m;
}

Mat4 placementScale(const Vec3& s) {
  Mat4 m = identity();
  m[0] = s.x;
  m[5] = s.y;
  m[10] = s.z;
  return m;
}

Mat4 placementRotationAbout(const Quat& q, const Vec3& centre) {
  return multiply(multiply(placementTranslation(centre * -1.0), placementRotation(q)),
                  placementTranslation(centre));
}

Mat4 placementScaleAbout(const Vec3& s, const Vec3& centre) {
  return multiply(multiply(placementTranslation(centre * -1.0), placementScale(s)),
                  placementTranslation(centre));
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
  Mat4 out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * r + k] * b[4 * k + c];
      out[4 * r + c] = sum;
    }
  return out;
}

Mat4 transpose(const Mat4& m) {
  Mat4 out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[4 * c + r] = m[4 * r + c];
  return out;
}

Vec3 placePoint(const Vec3& p, const Mat4& f) {
  return {p.x * f[0] + p.y * f[4] + p.z * f[8] + f[12],
          p.x * f[1] + p.y * f[5] + p.z * f[9] + f[13],
          p.x * f[2] + p.y * f[6] + p.z * f[10] + f[14]};
}

Vec3 turnVector(const Mat4& m, const Vec3& v) {
  return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
          m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

std::optional<Mat4> inverseAffine(const Mat4& f) {
  if (!isFinite(f)) return std::nullopt;
  // Inverse of the 3 x 3 part by cofactors.
  const double a = f[0], b = f[1], c = f[2], d = f[4], e = f[5], g = f[6], h = f[8], i = f[9],
               k = f[10];
  const double c00 = e * k - g * i, c01 = g * h - d * k, c02 = d * i - e * h;
  const double det = a * c00 + b * c01 + c * c02;
  if (det == 0 || !std::isfinite(det) || !std::isfinite(1.0 / det)) return std::nullopt;
  const double s = 1.0 / det;
  Mat4 inv = identity();
  inv[0] = c00 * s;
  inv[1] = (c * i - b * k) * s;
  inv[2] = (b * g - c * e) * s;
  inv[4] = c01 * s;
  inv[5] = (a * k - c * h) * s;
  inv[6] = (c * d - a * g) * s;
  inv[8] = c02 * s;
  inv[9] = (b * h - a * i) * s;
  inv[10] = (a * e - b * d) * s;
  const Vec3 t{f[12], f[13], f[14]};
  for (int col = 0; col < 3; ++col)
    inv[12 + col] = -(t.x * inv[col] + t.y * inv[4 + col] + t.z * inv[8 + col]);
  if (!isFinite(inv)) return std::nullopt;
  return inv;
}

std::optional<Quat> quatFromMatrix(const Mat4& m) {
  if (!isFinite(m)) return std::nullopt;
  // Shepperd's method: take the largest of the four squared components for the division.
  // A flattened or mirrored matrix holds no rotation.
  const double det = m[0] * (m[5] * m[10] - m[6] * m[9]) - m[1] * (m[4] * m[10] - m[6] * m[8]) +
                     m[2] * (m[4] * m[9] - m[5] * m[8]);
  if (!(det > 1e-9)) return std::nullopt;
  const double m00 = m[0], m11 = m[5], m22 = m[10];
  const double trace = m00 + m11 + m22;
  Quat q;
  if (trace > 0) {
    const double s = std::sqrt(trace + 1.0) * 2;
    q = {(m[9] - m[6]) / s, (m[2] - m[8]) / s, (m[4] - m[1]) / s, 0.25 * s};
  } else if (m00 > m11 && m00 > m22) {
    const double s = std::sqrt(1.0 + m00 - m11 - m22) * 2;
    q = {0.25 * s, (m[1] + m[4]) / s, (m[2] + m[8]) / s, (m[9] - m[6]) / s};
  } else if (m11 > m22) {
    const double s = std::sqrt(1.0 + m11 - m00 - m22) * 2;
    q = {(m[1] + m[4]) / s, 0.25 * s, (m[6] + m[9]) / s, (m[2] - m[8]) / s};
  } else {
    const double s = std::sqrt(1.0 + m22 - m00 - m11) * 2;
    q = {(m[2] + m[8]) / s, (m[6] + m[9]) / s, 0.25 * s, (m[4] - m[1]) / s};
  }
  return normalized(q);
}

bool isUsableScale(const Vec3& s) { return isFinite(s) && s.x != 0 && s.y != 0 && s.z != 0; }

}  // namespace tessel::transform
