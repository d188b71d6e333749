#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Pan : public StudioFixture {
  void SetUp() override { startOnSquare(TESSEL_MODULE_PATH, "Pan"); }
};

TEST_F(Pan, ThePointUnderTheCursorFollowsIt) {
  const studio::Vec3 target = camera().target;
  const studio::ScreenPoint before = studio::project(camera(), 200, 150, target);
  EXPECT_EQ(run("drag left 100 75 130 55 steps 3\n"), "");
  const studio::ScreenPoint after = studio::project(camera(), 200, 150, target);
  EXPECT_NEAR(after.x - before.x, 30, 1e-3);
  EXPECT_NEAR(after.y - before.y, -20, 1e-3);
  take();
  // The status gives the camera's own motion along the view's right and up, opposite to the
  // scene's: 30 pixels right and 20 up move it left and down.
  const studio::Camera start = camera();
  const double perPixel = studio::worldPerPixel(start, 150);
  EXPECT_EQ(run("drag left 100 75 130 55 steps 1\n"), "");
  const studio::Vec3 moved = camera().eye - start.eye;
  EXPECT_NEAR(studio::dot(moved, studio::viewRight(start)), -30 * perPixel, 1e-9);
  EXPECT_NEAR(studio::dot(moved, start.up), -20 * perPixel, 1e-9);
  EXPECT_TRUE(hasLine(take(), format("status: Translation: %10.2f %10.2f", -30 * perPixel,
                                     -20 * perPixel)));
}

TEST_F(Pan, ShiftKeepsTheMotionOnOneAxisInOrthographicViewsToo) {
  EXPECT_EQ(run("layout quad\nview 2\n"), "");
  const studio::Vec3 eye = camera().eye;
  EXPECT_EQ(run("press left 50 50 shift\nmove left 52 51 shift\nmove left 80 60 shift\n"
                "move left 100 90 shift\nrelease left 100 90 shift\n"),
            "");
  auto lines = take();
  EXPECT_TRUE(has(lines, "Release SHIFT to remove constrains."));
  // Front view: right is +x, up is +y; a horizontal lock moves the eye along x only.
  EXPECT_NE(camera().eye.x, eye.x);
  EXPECT_EQ(camera().eye.y, eye.y);
  EXPECT_EQ(camera().eye.z, eye.z);
  EXPECT_TRUE(has(lines, "status: Translation:"));
}

TEST_F(Pan, AltNavigationPansWithTheMiddleButton) {
  const studio::Vec3 eye = camera().eye;
  EXPECT_EQ(run("drag left 10 10 40 40 alt\n"), "");
  EXPECT_EQ(camera().eye, eye) << "with ALT the left button is not the panning one";
  EXPECT_EQ(run("drag middle 10 10 40 40 alt\n"), "");
  EXPECT_NE(camera().eye, eye);
  const studio::Vec3 moved = camera().eye;
  EXPECT_EQ(run("drag middle 10 10 40 40\n"), "");
  EXPECT_EQ(camera().eye, moved) << "without ALT the middle button does nothing";
}

class Roll : public StudioFixture {
  void SetUp() override { startOnSquare(TESSEL_MODULE_PATH, "Roll"); }
};

TEST_F(Roll, HorizontalMotionTurnsAboutTheViewAxis) {
  const studio::Camera before = camera();
  auto lines = output("drag left 50 50 70 90 steps 1\n");
  // 180 degrees across 200 pixels: 20 pixels are 18 degrees; vertical motion does not count.
  EXPECT_TRUE(has(lines, "status: Angle:      18.00"));
  EXPECT_EQ(camera().eye, before.eye);
  EXPECT_NEAR(studio::dot(camera().up, before.up), std::cos(18 * 3.14159265358979 / 180), 1e-9);
}

}  // namespace
}  // namespace tessel::test
