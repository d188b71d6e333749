// The orientation and placement arithmetic against values worked out by hand (30 degrees, where
// a transposed matrix or a reversed product gives a different answer than the right one).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "transform/transform_math.h"

namespace tessel::transform {
namespace {

constexpr double kCos30 = 0.86602540378443865;
constexpr double kSin15 = 0.25881904510252076;
constexpr double kCos15 = 0.96592582628906829;
constexpr double kEps = 1e-12;

void expectVec(const Vec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, kEps);
  EXPECT_NEAR(v.y, y, kEps);
  EXPECT_NEAR(v.z, z, kEps);
}

void expectQuat(const Quat& q, double x, double y, double z, double w) {
  EXPECT_NEAR(q.x, x, kEps);
  EXPECT_NEAR(q.y, y, kEps);
  EXPECT_NEAR(q.z, z, kEps);
  EXPECT_NEAR(q.w, w, kEps);
}

const Quat kZ30{0, 0, kSin15, kCos15};

TEST(QuaternionArithmetic, HalfAngleOrderAndHamiltonProduct) {
  const auto q = axisAngle({0, 0, 7}, M_PI / 6);  // any length of axis
  ASSERT_TRUE(q);
  expectQuat(*q, 0, 0, kSin15, kCos15);
  // i j = k and j i = -k: the product is Hamilton's, not its mirror.
  expectQuat(multiply(Quat{1, 0, 0, 0}, Quat{0, 1, 0, 0}), 0, 0, 1, 0);
  expectQuat(multiply(Quat{0, 1, 0, 0}, Quat{1, 0, 0, 0}), 0, 0, -1, 0);
  // Two turns of 30 degrees are one of 60.
  expectQuat(multiply(kZ30, kZ30), 0, 0, 0.5, kCos30);
  expectQuat(conjugate(kZ30), 0, 0, -kSin15, kCos15);
}

TEST(QuaternionArithmetic, TurnsVectorsCounterClockwiseAboutTheAxis) {
  expectVec(rotate(kZ30, {1, 0, 0}), kCos30, 0.5, 0);
  expectVec(rotate(kZ30, {0, 1, 0}), -0.5, kCos30, 0);
  // Rodrigues by hand: 90 degrees about (cos 30, sin 30, 0) takes z to a x z = (0.5, -cos 30, 0).
  const auto q = axisAngle({kCos30, 0.5, 0}, M_PI / 2);
  ASSERT_TRUE(q);
  expectVec(rotate(*q, {0, 0, 1}), 0.5, -kCos30, 0);
  const Mat4 m = rotationMatrix(kZ30);
  EXPECT_NEAR(m[1], -0.5, kEps);  // row 0, column 1
  EXPECT_NEAR(m[4], 0.5, kEps);
}

TEST(QuaternionArithmetic, RefusesDegenerateInput) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(axisAngle({0, 0, 0}, 1));
  EXPECT_FALSE(axisAngle({nan, 0, 1}, 1));
  EXPECT_FALSE(axisAngle({inf, 0, 0}, 1));
  EXPECT_FALSE(axisAngle({0, 0, 1}, nan));
  EXPECT_FALSE(normalized(Quat{0, 0, 0, 0}));
  EXPECT_FALSE(normalized(Quat{0, 0, inf, 1}));
  // Float-sized extremes still have a direction when squared in double.
  const auto big = normalized(Vec3{3e38, 3e38, 0});
  ASSERT_TRUE(big);
  expectVec(*big, std::sqrt(0.5), std::sqrt(0.5), 0);
  // A quaternion of length 2 is brought back to unit length, direction kept.
  const auto q = normalized(Quat{0, 0, 2 * kSin15, 2 * kCos15});
  ASSERT_TRUE(q);
  expectQuat(*q, 0, 0, kSin15, kCos15);
}

TEST(QuaternionArithmetic, MatrixRoundTripAndDegenerateMatrices) {
  for (const Quat& q : {kZ30, Quat{0.5, 0.5, 0.5, 0.5}, Quat{1, 0, 0, 0}, Quat{0, 0.6, 0, 0.8}}) {
    const auto back = quatFromMatrix(rotationMatrix(q));
    ASSERT_TRUE(back);
    // q and -q are the same turn.
    const double sign = back->w * q.w + back->x * q.x + back->y * q.y + back->z * q.z < 0 ? -1 : 1;
    expectQuat(*back, sign * q.x, sign * q.y, sign * q.z, sign * q.w);
  }
  Mat4 zero{};
  EXPECT_FALSE(quatFromMatrix(zero));
  EXPECT_FALSE(quatFromMatrix(placementScale({1, 1, -1})));
  Mat4 bad = identity();
  bad[5] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(quatFromMatrix(bad));
}

TEST(PlacementArithmetic, RowVectorsAndStepsComposeAfterThePlacement) {
  // Translate by (1, 0, 0), then turn 30 degrees about the world origin: the origin goes to
  // (cos 30, sin 30, 0). The other order would leave it at (1, 0, 0).
  const Mat4 f = multiply(placementTranslation({1, 0, 0}), placementRotation(kZ30));
  expectVec(placePoint({0, 0, 0}, f), kCos30, 0.5, 0);
  const Mat4 g = multiply(placementRotation(kZ30), placementTranslation({1, 0, 0}));
  expectVec(placePoint({0, 0, 0}, g), 1, 0, 0);
  // Turning about a centre keeps the centre: (2, 0, 0) about (1, 0, 0).
  expectVec(placePoint({2, 0, 0}, placementRotationAbout(kZ30, {1, 0, 0})), 1 + kCos30, 0.5, 0);
  expectVec(placePoint({3, 1, 1}, placementScaleAbout({2, 3, 4}, {1, 1, 1})), 5, 1, 1);
}

TEST(PlacementArithmetic, InverseUndoesAndSingularPlacementsHaveNone) {
  const Mat4 f = multiply(multiply(placementScale({2, 4, 0.5}), placementRotation(kZ30)),
                          placementTranslation({1, 2, 3}));
  const auto inv = inverseAffine(f);
  ASSERT_TRUE(inv);
  expectVec(placePoint(placePoint({0.3, -7, 2}, f), *inv), 0.3, -7, 2);
  EXPECT_FALSE(inverseAffine(placementScale({1, 0, 1})));
  EXPECT_FALSE(isUsableScale({1, 0, 1}));
  EXPECT_FALSE(isUsableScale({1, std::numeric_limits<double>::infinity(), 1}));
  EXPECT_TRUE(isUsableScale({-1, 0.001, 3}));
}

}  // namespace
}  // namespace tessel::transform
