#include "studio/scene/camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessel::studio {
namespace {

constexpr int kW = 400, kH = 300;

void expectNear(const Vec3& a, const Vec3& b, double tol = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

Box unitBox() {
  Box b;
  b.add({-1, -1, -1});
  b.add({1, 1, 1});
  return b;
}

TEST(CameraNavigation, TumbleOrbitsThePivotAndReturns) {
  Camera c = standardCamera(ViewKind::Perspective);
  const Camera start = c;
  ASSERT_TRUE(tumble(c, 30, 20));
  EXPECT_NEAR(targetDistance(c), targetDistance(start), 1e-12);
  expectNear(c.target, start.target);
  EXPECT_NEAR(dot(c.up, viewDirection(c)), 0, 1e-12);
  ASSERT_TRUE(tumble(c, 0, -20));
  ASSERT_TRUE(tumble(c, -30, 0));
  expectNear(c.eye, start.eye, 1e-9);
}

// The scene turns with the pointer: a drag to the right carries the front of the model to the
// right (the eye goes round to the left), a drag down tips its top towards the viewer (the eye
// rises).
TEST(CameraNavigation, TumbleTurnsTheWayThePointerGoes) {
  Camera c = standardCamera(ViewKind::Front);
  c.orthographic = false;
  ASSERT_TRUE(tumble(c, 90, 0));
  expectNear(c.eye, {-5, 0, 0});
  expectNear(c.up, {0, 1, 0});
  c = standardCamera(ViewKind::Front);
  c.orthographic = false;
  ASSERT_TRUE(tumble(c, 0, 90));
  expectNear(c.eye, {0, 5, 0});
  expectNear(c.up, {0, 0, -1});
}

TEST(CameraNavigation, PanKeepsThePointUnderTheCursor) {
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Front}) {
    Camera c = standardCamera(kind);
    Vec3 p = c.target + viewRight(c) * 0.3;  // on the target's depth plane
    ScreenPoint before = project(c, kW, kH, p);
    ASSERT_TRUE(pan(c, kH, 25, -40));
    ScreenPoint after = project(c, kW, kH, p);
    EXPECT_NEAR(after.x - before.x, 25, 1e-6);
    EXPECT_NEAR(after.y - before.y, -40, 1e-6);
  }
}

// The wheel's move towards the cursor: the point under the pixel stays there, the direction of
// view is kept, and a notch out undoes a notch in.
TEST(CameraNavigation, DollyTowardsAPixelKeepsThePointUnderIt) {
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Front}) {
    Camera c = standardCamera(kind);
    const double x = 330, y = 70;
    Vec3 origin, direction;
    pixelRay(c, kW, kH, x, y, &origin, &direction);
    const Vec3 p = origin + direction * (dot(c.target - origin, viewDirection(c)) /
                                         dot(direction, viewDirection(c)));
    const Camera start = c;
    const double step = 1 - std::exp2(-1.0 / 8);
    ASSERT_TRUE(dollyTowardsPixel(c, kW, kH, x, y, step));
    const ScreenPoint after = project(c, kW, kH, p);
    EXPECT_NEAR(after.x, x, 1e-6);
    EXPECT_NEAR(after.y, y, 1e-6);
    expectNear(viewDirection(c), viewDirection(start));
    if (kind == ViewKind::Perspective)
      EXPECT_NEAR(length(p - c.eye), length(p - start.eye) * (1 - step), 1e-9);
    else
      EXPECT_NEAR(c.orthoHeight, start.orthoHeight * (1 - step), 1e-9);
    EXPECT_FALSE(c == start);
    // Out by the step that undoes it: 1 - 1 / (1 - step).
    ASSERT_TRUE(dollyTowardsPixel(c, kW, kH, x, y, 1 - 1 / (1 - step)));
    expectNear(c.eye, start.eye, 1e-9);
    expectNear(c.target, start.target, 1e-9);
  }
  Camera c = standardCamera(ViewKind::Perspective);
  const Camera start = c;
  EXPECT_FALSE(dollyTowardsPixel(c, kW, kH, std::nan(""), 10, 0.1));
  EXPECT_FALSE(dollyTowardsPixel(c, kW, kH, 10, 10, std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(c == start);
}

TEST(CameraNavigation, RollTurnsTheHorizonOnly) {
  Camera c = standardCamera(ViewKind::Front);
  ASSERT_TRUE(roll(c, 90));
  expectNear(c.eye, standardCamera(ViewKind::Front).eye);
  // Positive angles turn the camera clockwise about its view, so the scene turns the other way.
  expectNear(c.up, {1, 0, 0}, 1e-12);
}

TEST(CameraNavigation, DollyStopsShortOfTheTarget) {
  Camera c = standardCamera(ViewKind::Perspective);
  double d = targetDistance(c);
  ASSERT_TRUE(dolly(c, d / 2));
  EXPECT_NEAR(targetDistance(c), d / 2, 1e-12);
  const Camera before = c;
  EXPECT_FALSE(dolly(c, d));
  EXPECT_EQ(c.eye, before.eye);
  EXPECT_TRUE(dolly(c, -d));  // away is always possible
}

TEST(CameraNavigation, ZoomStopsAtItsLimits) {
  Camera c;
  EXPECT_DOUBLE_EQ(zoomWithinLimits(c, 0.5, kW, kH), 20);
  EXPECT_DOUBLE_EQ(zoomWithinLimits(c, 100, kW, kH), kWidestFov);
  EXPECT_DOUBLE_EQ(zoomWithinLimits(c, 0, kW, kH), kNarrowestFov);
  EXPECT_DOUBLE_EQ(zoomWithinLimits(c, std::numeric_limits<double>::quiet_NaN(), kW, kH),
                   kNarrowestFov);
  Camera o = standardCamera(ViewKind::Top);
  EXPECT_DOUBLE_EQ(zoomWithinLimits(o, HUGE_VAL, kW, kH), kWidestOrtho);
  EXPECT_NEAR(orthoWidth(o, kW, kH), kWidestOrtho, 1e6);
}

// Equal dolly steps in an orthographic view scale its width by equal factors, however wide it
// already is, so they run into the limits instead of creeping towards them.
TEST(CameraNavigation, OrthographicDollyScalesTheWidthByAFactor) {
  Camera o = standardCamera(ViewKind::Top);
  double last = orthoWidth(o, kW, kH);
  const double first = dollyTowards(o, -1, o.target, kW, kH) / last;
  EXPECT_GT(first, 1);
  last = orthoWidth(o, kW, kH);
  int steps = 0;
  for (; steps < 1000 && last < kWidestOrtho; ++steps) {
    const double next = dollyTowards(o, -1, o.target, kW, kH);
    if (next < kWidestOrtho) {
      EXPECT_NEAR(next / last, first, 1e-9 * first);
    }
    last = next;
  }
  EXPECT_EQ(last, kWidestOrtho);
  EXPECT_EQ(dollyTowards(o, 1e300, o.target, kW, kH), kNarrowestOrtho);
}

TEST(CameraNavigation, ZoomToRectFitsTheRectangle) {
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Top}) {
    Camera c = standardCamera(kind);
    // A point seen at the rectangle's corner lands on the view's edge afterwards.
    Vec3 o, d;
    pixelRay(c, kW, kH, 250, 200, &o, &d);
    Vec3 corner = o + d * (dot(c.target - o, viewDirection(c)) / dot(d, viewDirection(c)));
    const Camera before = c;
    zoomRect(c, kW, kH, 150, 125, 250, 200, true);  // 100 x 75: the view's shape
    ScreenPoint s = project(c, kW, kH, corner);
    EXPECT_NEAR(s.x, kW, 0.5);
    EXPECT_NEAR(s.y, kH, 0.5);
    // Zooming out from the middle of the view by the same rectangle undoes it.
    zoomRect(c, kW, kH, 150, 112.5, 250, 187.5, false);
    EXPECT_NEAR(c.fovDegrees, before.fovDegrees, 1e-9);
    EXPECT_NEAR(c.orthoHeight, before.orthoHeight, 1e-12);
  }
}

// Framing shows the whole box and little else: the bounding sphere fills 1/1.05 of the narrower
// half-angle (perspective), the box's outline 1/1.1 of the view (orthographic).
TEST(CameraNavigation, FrameBoxShowsTheWholeBoxTightly) {
  constexpr double kPi = 3.14159265358979323846;
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Top, ViewKind::Front, ViewKind::Right}) {
    Camera c = standardCamera(kind);
    ASSERT_TRUE(frameBox(c, unitBox(), kW, kH));
    double x0 = kW, x1 = 0, y0 = kH, y1 = 0;
    for (int i = 0; i < 8; ++i) {
      Vec3 p{i & 1 ? 1.0 : -1.0, i & 2 ? 1.0 : -1.0, i & 4 ? 1.0 : -1.0};
      ScreenPoint s = project(c, kW, kH, p);
      EXPECT_TRUE(s.inFront);
      x0 = std::min(x0, s.x), x1 = std::max(x1, s.x), y0 = std::min(y0, s.y), y1 = std::max(y1, s.y);
    }
    EXPECT_GE(x0, 0);
    EXPECT_LE(x1, kW);
    EXPECT_GE(y0, 0);
    EXPECT_LE(y1, kH);
    expectNear(c.target, {0, 0, 0});
    if (c.orthographic) {
      EXPECT_NEAR(std::max((x1 - x0) / kW, (y1 - y0) / kH), 1 / 1.1, 1e-9);
    } else {
      // The view is wider than high: the height limits. The sphere of radius sqrt(3) is seen
      // under asin(r / distance).
      const double halfHeight = c.fovDegrees * kPi / 360;
      EXPECT_NEAR(std::asin(std::sqrt(3.0) / targetDistance(c)),
                  std::asin(std::sin(halfHeight) / 1.05), 1e-9);
    }
  }
}

// A scene of one point has no size: it is framed at a distance where it projects to the middle
// of the view and a box around the view holds it, in every kind of view and far from the origin.
TEST(CameraNavigation, FrameBoxPutsAOnePointSceneInFrontOfTheEye) {
  for (Vec3 at : {Vec3{0, 0, 0}, Vec3{5e6, -3e6, 120}}) {
    Box point;
    point.add(at);
    for (ViewKind kind : {ViewKind::Perspective, ViewKind::Top, ViewKind::Right}) {
      Camera c = standardCamera(kind);
      ASSERT_TRUE(frameBox(c, point, kW, kH));
      EXPECT_GT(length(c.eye - at), 1.0);
      EXPECT_LT(length(c.eye - at), 10.0);
      if (c.orthographic) {
        EXPECT_GT(c.orthoHeight, 1.0);
      }
      const ScreenPoint s = project(c, kW, kH, at);
      ASSERT_TRUE(s.inFront);
      EXPECT_NEAR(s.x, kW / 2.0, 1e-3);
      EXPECT_NEAR(s.y, kH / 2.0, 1e-3);
    }
  }
}

// The loop projector and the one-off projection must agree, or box and click picking would
// disagree about the same point.
TEST(CameraNavigation, ProjectorAgreesWithProject) {
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Right}) {
    Camera c = standardCamera(kind);
    tumble(c, 17, 9);
    const Projector fast(c, kW, kH);
    for (int i = 0; i < 50; ++i) {
      Vec3 p{std::sin(i * 1.3) * 3, std::cos(i * 0.7) * 2, std::sin(i * 0.31) * 4};
      ScreenPoint a = project(c, kW, kH, p), b = fast(p);
      ASSERT_EQ(a.inFront, b.inFront);
      if (!a.inFront) continue;
      EXPECT_NEAR(a.x, b.x, 1e-9);
      EXPECT_NEAR(a.y, b.y, 1e-9);
      EXPECT_NEAR(a.depth, b.depth, 1e-12);
    }
  }
}

// Whatever the input, a camera is either changed into a finite one or left exactly as it was.
TEST(CameraNavigation, NoInputMakesANonFiniteCamera) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1e308, -1e308};
  Box point;
  point.add({1, 2, 3});
  for (double v : bad) {
    Camera c = standardCamera(ViewKind::Perspective);
    tumble(c, v, v);
    pan(c, kH, v, v);
    pan(c, 0, 1, 1);
    roll(c, v);
    dolly(c, v);
    zoomWithinLimits(c, v, kW, kH);
    zoomWithinLimits(c, v, 0, 0);
    zoomRect(c, 0, 0, 0, 0, v, v, true);
    zoomRect(c, kW, kH, 0, 0, v, v, false);
    dollyTowards(c, v, {v, 0, 0}, kW, kH);
    frameBox(c, Box{}, kW, kH);
    frameBox(c, point, 0, 0);
    EXPECT_TRUE(isFinite(c.eye) && isFinite(c.target) && isFinite(c.up)) << v;
    EXPECT_TRUE(std::isfinite(c.fovDegrees) && std::isfinite(c.orthoHeight)) << v;
  }
}

}  // namespace
}  // namespace tessel::studio
