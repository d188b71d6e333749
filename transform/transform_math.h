// The arithmetic of orientations and placements, in double, over plain values.
//
// Quaternions are (x, y, z, w) with the Hamilton product; a unit quaternion q turns a vector v
// into q v q*. Matrices are 4 x 4, stored as four rows of four. Two conventions meet here:
// - rotationMatrix(q) is the matrix that turns column vectors: M v, translation in the last
//   column. The orient commands use it to bring a vector given in reference axes into world axes.
// - Placements (an entity's transform) act on row vectors: world = local F, translation in the
//   last row; an operation composes after the existing placement: F <- F step. A rotation by q
//   is therefore the transpose of rotationMatrix(q) on this side (placementRotation).
#pragma once

#include <array>
#include <optional>

namespace tessel::transform {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};

using Mat4 = std::array<double, 16>;  // row r, column c at [4 * r + c]

inline constexpr Quat kIdentityQuat{0, 0, 0, 1};

Mat4 identity();

bool isFinite(const Vec3& v);
bool isFinite(const Quat& q);
bool isFinite(const Mat4& m);

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, double s);
double dot(const Vec3& a, const Vec3& b);

// Unit length, or nothing for a zero, NaN or infinite vector.
std::optional<Vec3> normalized(const Vec3& v);
std::optional<Quat> normalized(const Quat& q);

// The turn of `angle` radians about `axis` (any length but zero); nothing for a zero, NaN or
// infinite axis or a non-finite angle.
std::optional<Quat> axisAngle(const Vec3& axis, double angle);

Quat multiply(const Quat& a, const Quat& b);  // Hamilton: a b turns by b first, then a
Quat conjugate(const Quat& q);
Vec3 rotate(const Quat& q, const Vec3& v);  // q must be unit length

// Column-vector rotation of a unit quaternion.
Mat4 rotationMatrix(const Quat& q);
// Row-vector placement steps.
Mat4 placementRotation(const Quat& q);
Mat4 placementTranslation(const Vec3& d);
Mat4 placementScale(const Vec3& s);
// Turn by q (or scale by s) about `centre`, as one row-vector step.
Mat4 placementRotationAbout(const Quat& q, const Vec3& centre);
Mat4 placementScaleAbout(const Vec3& s, const Vec3& centre);

Mat4 multiply(const Mat4& a, const Mat4& b);
Mat4 transpose(const Mat4& m);
// Row vector times matrix: the point placed by F.
Vec3 placePoint(const Vec3& p, const Mat4& f);
// Column matrix times vector, without translation.
Vec3 turnVector(const Mat4& m, const Vec3& v);
// The inverse of an affine row-vector placement; nothing when its 3 x 3 part is singular.
std::optional<Mat4> inverseAffine(const Mat4& f);

// The unit quaternion of the rotation part of a column-vector matrix; nothing when that part is
// degenerate (zero, non-finite), so the caller keeps the orientation it had.
std::optional<Quat> quatFromMatrix(const Mat4& m);

// A scale that keeps a placement invertible: every factor finite and non-zero.
bool isUsableScale(const Vec3& s);

}  // namespace tessel::transform
