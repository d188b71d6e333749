#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Fit : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH, 200, 150); }
  // Unit squares "a" at x 0 and "b" at x 10.
  void openSquares() {
    ASSERT_EQ(openSquare("a"), "");
    ASSERT_EQ(openSquare("b", 10), "");
  }
  studio::Vec3 target(int view) { return host->views().view(view).camera.target; }
};

TEST_F(Fit, ThePanelSwitchFramesEveryView) {
  openSquares();
  EXPECT_EQ(run("layout quad\nid 33814 shift\nset \"View All\" \"All Views\" true\n"
                "apply \"View All\"\n"),
            "");
  EXPECT_TRUE(has(take(), "message: Zoomed all windows to all objects."));
  for (int v = 0; v < 4; ++v) EXPECT_NEAR(target(v).x, 5.5, 1e-9) << v;
}

TEST_F(Fit, ViewSelectedNeedsASelectionAndFramesOnlyIt) {
  openSquares();
  const studio::Vec3 before = target(0);
  auto lines = output("expect-refusal command \"View Selected\"\n");
  EXPECT_TRUE(has(lines, "command: View Selected did not run"));
  EXPECT_EQ(target(0), before);
  host->scene().select(host->scene().findByName("b")->id, true);
  EXPECT_EQ(run("command \"View Selected\"\n"), "");
  EXPECT_TRUE(has(take(), "message: Zoomed current window to the selected objects."));
  EXPECT_NEAR(target(0).x, 10.5, 1e-9);
}

TEST_F(Fit, TheViewSelectedPanelSwitchFramesTheSelectionInEveryView) {
  openSquares();
  host->scene().select(host->scene().findByName("b")->id, true);
  EXPECT_EQ(run("layout quad\nid 33815 shift\nset \"View Selected\" \"All Views\" true\n"
                "apply \"View Selected\"\n"),
            "");
  EXPECT_TRUE(has(take(), "message: Zoomed all windows to the selected objects."));
  for (int v = 0; v < 4; ++v) EXPECT_NEAR(target(v).x, 10.5, 1e-9) << v;
  EXPECT_TRUE(has(output("id 33814\n"), "message: Zoomed current window to all objects."))
      << "the other panel's switch is its own";
}

TEST_F(Fit, AnEmptySceneLeavesTheCamerasAlone) {
  const studio::Camera before = host->views().active().camera;
  EXPECT_EQ(run("command \"View All\"\n"), "");
  EXPECT_TRUE(has(take(), "view: nothing in the scene to frame; the cameras are unchanged"));
  EXPECT_EQ(host->views().active().camera.eye, before.eye);
}

}  // namespace
}  // namespace tessel::test
