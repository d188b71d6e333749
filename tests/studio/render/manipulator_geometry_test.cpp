// The manipulators' geometry on known views: a constant size on screen, handles grabbed within a
// few pixels of their drawing and not beyond (the nearest one), an axis drag that keeps the
// handle under the pointer, a quarter turn round a ring, and scale ratios that never reach zero.
#include <gtest/gtest.h>

#include <cmath>

#include "studio/render/manipulator_geometry.h"

namespace tessel::studio {
namespace {

constexpr ViewSize kSize{400, 300};

Camera front() {
  Camera c = standardCamera(ViewKind::Front);  // looking down -z, x right, y up
  c.orthoHeight = 3;
  return c;
}

TEST(ManipulatorGeometry, HandlesAreGrabbedWithinAFewPixelsAtAnyZoom) {
  for (double height : {0.03, 3.0, 3000.0}) {
    Camera c = front();
    c.orthoHeight = height;
    const ManipulatorPose pose;
    const ScreenPoint o = project(c, kSize.width, kSize.height, pose.origin);
    // Three quarters out along X is kManipulatorPixels * 0.75 right of the centre on screen.
    const double x = o.x + 0.75 * kManipulatorPixels;
    EXPECT_EQ(pickHandle(ManipulatorKind::Translate, pose, c, kSize, x, o.y + 4),
              ManipulatorHandle::X);
    EXPECT_EQ(pickHandle(ManipulatorKind::Translate, pose, c, kSize, x, o.y + 12),
              ManipulatorHandle::None);
    EXPECT_EQ(pickHandle(ManipulatorKind::Translate, pose, c, kSize, o.x + 3, o.y - 3),
              ManipulatorHandle::Centre);
    // The XY square, and the Z ring of the rotate manipulator seen face on.
    EXPECT_EQ(pickHandle(ManipulatorKind::Translate, pose, c, kSize, o.x + 0.35 * kManipulatorPixels,
                         o.y - 0.45 * kManipulatorPixels),
              ManipulatorHandle::XY);
    const double d = kManipulatorPixels * std::sqrt(0.5);
    EXPECT_EQ(pickHandle(ManipulatorKind::Rotate, pose, c, kSize, o.x + d + 3, o.y - d),
              ManipulatorHandle::Z);
    // Near the top, within reach of the edge-on X ring (2 pixels) and the Z ring (5): the
    // nearer one.
    EXPECT_EQ(pickHandle(ManipulatorKind::Rotate, pose, c, kSize, o.x + 2, o.y - 85),
              ManipulatorHandle::X);
  }
  // In perspective too the axes span kManipulatorPixels, near or far.
  for (double back : {0.5, 5.0, 500.0}) {
    Camera c = standardCamera(ViewKind::Perspective);
    c.eye = c.target - viewDirection(c) * back;
    ManipulatorPose pose;
    pose.origin = c.target;
    const double length = manipulatorWorldSize(c, kSize, pose.origin);
    const ScreenPoint o = project(c, kSize.width, kSize.height, pose.origin);
    const ScreenPoint e = project(c, kSize.width, kSize.height, pose.origin + viewRight(c) * length);
    EXPECT_NEAR(std::hypot(e.x - o.x, e.y - o.y), kManipulatorPixels, 1e-6) << back;
  }
}

TEST(ManipulatorGeometry, AnAxisDragKeepsTheHandleUnderThePointerAlongTheAxis) {
  Camera c = standardCamera(ViewKind::Perspective);
  ManipulatorPose pose;
  pose.origin = {0.2, -0.1, 0.3};
  const ScreenPoint o = project(c, kSize.width, kSize.height, pose.origin);
  const ScreenPoint e = project(c, kSize.width, kSize.height, pose.origin + Vec3{0.5, 0, 0});
  const double press[2] = {o.x + (e.x - o.x) * 0.2, o.y + (e.y - o.y) * 0.2};
  const double point[2] = {o.x + (e.x - o.x) * 0.8, o.y + (e.y - o.y) * 0.8 + 7};
  const auto motion = translateMotion(ManipulatorHandle::X, pose, c, kSize, press, point);
  ASSERT_TRUE(motion);
  EXPECT_NEAR(motion->y, 0, 1e-12);
  EXPECT_NEAR(motion->z, 0, 1e-12);
  EXPECT_GT(motion->x, 0.2);  // the pointer's projection onto the axis moved 0.6 of 0.5 units
  EXPECT_LT(motion->x, 0.4);
  // An axis along the line of sight has nowhere to go.
  Camera f = front();
  EXPECT_FALSE(translateMotion(ManipulatorHandle::Z, pose, f, kSize, press, point));
  // A plane seen almost edge-on would throw the geometry towards the horizon: no motion.
  ManipulatorPose tilted;
  tilted.axes[1] = normalized(Vec3{0, 1, 0.02});
  EXPECT_FALSE(translateMotion(ManipulatorHandle::ZX, tilted, f, kSize, press, point));
  // In an orthographic view a plane drag is the pointer's motion, in world units.
  const double a[2] = {100, 100}, b[2] = {140, 70};
  const auto across = translateMotion(ManipulatorHandle::XY, ManipulatorPose{}, f, kSize, a, b);
  ASSERT_TRUE(across);
  EXPECT_NEAR(across->x, 40 * 3.0 / 300, 1e-9);
  EXPECT_NEAR(across->y, 30 * 3.0 / 300, 1e-9);
}

TEST(ManipulatorGeometry, AQuarterTurnRoundTheRingIsNinetyDegrees) {
  const Camera c = front();
  const ManipulatorPose pose;
  const ScreenPoint o = project(c, kSize.width, kSize.height, pose.origin);
  const double r = kManipulatorPixels;
  const double press[2] = {o.x + r, o.y}, point[2] = {o.x, o.y - r};
  const auto angle =
      ringAngle(ManipulatorHandle::Z, pose, c, kSize, Vec3{1, 0, 0}, press, point);
  ASSERT_TRUE(angle);
  // Right to up on screen is anticlockwise about +z, which faces the viewer.
  EXPECT_NEAR(*angle, M_PI / 2, 1e-9);
  // Seen edge-on, the X ring turns by the motion along its tangent instead, a full turn for its
  // circumference: grabbed at its point nearest the viewer, which moves down the screen as it
  // turns, 90 pixels up are one radian back.
  const auto edge = ringAngle(ManipulatorHandle::X, pose, c, kSize, Vec3{0, 0, 1.0},
                              press, point);
  ASSERT_TRUE(edge);
  EXPECT_NEAR(*edge, -1, 1e-9);
}

TEST(ManipulatorGeometry, ScaleRatiosFollowTheAxisAndNeverReachZero) {
  const Camera c = front();
  const ManipulatorPose pose;
  const ScreenPoint o = project(c, kSize.width, kSize.height, pose.origin);
  const double press[2] = {o.x + 60, o.y}, twice[2] = {o.x + 120, o.y + 20},
               across[2] = {o.x - 60, o.y};
  EXPECT_NEAR(*scaleRatio(ManipulatorHandle::X, pose, c, kSize, press, twice), 2, 1e-9);
  EXPECT_DOUBLE_EQ(*scaleRatio(ManipulatorHandle::X, pose, c, kSize, press, across),
                   kSmallestDragScale);
  const double centre[2] = {o.x, o.y};
  EXPECT_FALSE(scaleRatio(ManipulatorHandle::X, pose, c, kSize, centre, twice));
  // The centre grows as the pointer goes right or up.
  const double right[2] = {o.x + 45, o.y}, up[2] = {o.x, o.y - 45};
  EXPECT_NEAR(*scaleRatio(ManipulatorHandle::Centre, pose, c, kSize, centre, right), 1.5, 1e-9);
  EXPECT_NEAR(*scaleRatio(ManipulatorHandle::Centre, pose, c, kSize, centre, up), 1.5, 1e-9);
}

}  // namespace
}  // namespace tessel::studio
