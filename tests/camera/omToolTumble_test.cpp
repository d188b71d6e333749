#include "camera/camera_gestures.h"

#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Tumble : public StudioFixture {
  void SetUp() override { startOnSquare(TESSEL_MODULE_PATH, "Tumble"); }
};

TEST(TumbleConstraint, FivePixelsPickTheLongerAxisAndTiesGoVertical) {
  const float anchor[2] = {100, 100};
  const float small[2] = {104.9f, 95.1f}, wide[2] = {105, 101}, tall[2] = {99, 95},
              tie[2] = {106, 106};
  EXPECT_EQ(camera::chooseConstraint(anchor, small), camera::kFree);
  EXPECT_EQ(camera::chooseConstraint(anchor, wide), camera::kHorizontal);
  EXPECT_EQ(camera::chooseConstraint(anchor, tall), camera::kVertical);
  EXPECT_EQ(camera::chooseConstraint(anchor, tie), camera::kVertical);
}

TEST_F(Tumble, DragTurnsTheCameraAndReportsBothAngles) {
  const studio::Camera before = camera();
  auto lines = output("drag left 100 75 130 90 steps 1\n");
  // 180 degrees across the view's height of 150 pixels: 1.2 degrees a pixel.
  EXPECT_TRUE(has(lines, "status: Tumble:  x  36.00,  y  18.00"));
  EXPECT_FALSE(camera().eye == before.eye);
  EXPECT_NEAR(studio::length(camera().eye - camera().target),
              studio::length(before.eye - before.target), 1e-9);
}

TEST_F(Tumble, OffsetsCountFromTheAnchorSoABackAndForthDragReturnsExactly) {
  const studio::Camera before = camera();
  EXPECT_EQ(run("press left 50 50\nmove left 90 20\nmove left 10 70\nmove left 50 50\n"
                "release left 50 50\n"),
            "");
  EXPECT_EQ(camera().eye, before.eye);
  EXPECT_EQ(camera().up, before.up);
}

TEST_F(Tumble, ShiftLocksTheAxisAfterFivePixels) {
  auto lines = output("press left 50 50 shift\nmove left 54 53 shift\n");
  EXPECT_FALSE(has(lines, "status: Tumble")) << "under five pixels nothing turns";
  lines = output("move left 80 60 shift\nmove left 90 100 shift\n");
  EXPECT_TRUE(has(lines, "Release SHIFT to remove constrains."));
  EXPECT_TRUE(has(lines, "status: Tumble:  x  48.00,  y   0.00"))
      << "horizontal: the y offset does not count";
  EXPECT_TRUE(has(output("release left 90 100\n"), "Press SHIFT to constrain tumbling."));
  EXPECT_EQ(run("press left 50 50 shift\nmove left 55 80 shift\n"), "");
  EXPECT_TRUE(has(take(), "status: Tumble:  x   0.00,  y  36.00"))
      << "vertical: the x offset does not count";
  EXPECT_EQ(run("release left 55 80\n"), "");
}

// Moving the mouse only keeps the cursor right: the prompt or refusal belongs to activation,
// press and release. A refused drag leaves the camera as it was.
TEST_F(Tumble, MovesShowTheCursorOnlySoOneRefusedDragWarnsThreeTimes) {
  const std::pair<std::string, std::string> refusals[] = {
      {"Tumble", "warning: Tumbling is not allowed in a non perspective window."},
      {"Roll", "warning: Rolling is not allowed in a non perspective window."}};
  EXPECT_EQ(run("layout quad\nview 1\n"), "");
  for (const auto& [tool, warning] : refusals) {
    take();
    const studio::Camera before = camera();
    EXPECT_EQ(run("tool " + tool + "\nmove left 40 40\ndrag left 50 50 90 70 steps 4\n"
                  "move left 95 75\n"),
              "");
    EXPECT_EQ(count(take(), warning), 3) << tool;
    EXPECT_EQ(camera().eye, before.eye) << tool;
    EXPECT_EQ(camera().up, before.up) << tool;
    EXPECT_EQ(host->views().active().cursorId(), 5001) << tool;
  }
  EXPECT_EQ(run("view 0\n"), "");
  for (const char* tool : {"Tumble", "Pan", "Roll", "Dolly"}) {
    output(std::string("tool ") + tool + "\n");
    host->views().active().SetViewCursor(nullptr);
    EXPECT_FALSE(has(output("move left 40 40\nmove left 60 50\n"), "prompt:")) << tool;
    EXPECT_NE(host->views().active().cursorId(), 0) << tool << ": a move shows the cursor";
  }
}

TEST_F(Tumble, OnlyTheLeftButtonTurns) {
  const studio::Camera before = camera();
  EXPECT_EQ(run("drag middle 50 50 90 70\ndrag right 50 50 90 70\ndrag right 50 50 90 70 alt\n"), "");
  EXPECT_FALSE(has(take(), "status: Tumble"));
  EXPECT_EQ(camera().eye, before.eye);
}

TEST_F(Tumble, SingleAngleModesUseTheWideField) {
  host->views().active().tumbleMode = 0;
  const studio::Camera before = camera();
  EXPECT_TRUE(hasLine(output("drag left 50 50 60 50 steps 1\n"), "status: Tumble:      12.00 "));
  // A turntable: eye and up turn together about the vertical, the eye keeps its height.
  EXPECT_NEAR(camera().eye.y, before.eye.y, 1e-9);
  EXPECT_NEAR(studio::dot(camera().up, studio::viewDirection(camera())), 0, 1e-9);
  EXPECT_EQ(host->views().active().cursorId(), 5002);
}

}  // namespace
}  // namespace tessel::test
