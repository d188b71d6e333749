#include "camera/omCmdFitToAll.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "camera/omPropCmdFitToAll.h"
#include "camera/omPropCmdFitToSelected.h"

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Fit : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH, 200, 150); }
  void openQuad(const char* name, int offset) {
    std::string obj;
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
      obj += "v " + std::to_string(x + offset) + " " + std::to_string(y) + " 0\n";
    obj += "f 1 2 3\nf 1 3 4\n";
    ASSERT_EQ(run("open " + dir.write(name, obj).string() + "\n"), "");
  }
  studio::Vec3 target(int view) { return host->views().view(view).camera.target; }
};

TEST_F(Fit, ThePanelSwitchFramesEveryView) {
  openQuad("a.obj", 0);
  openQuad("b.obj", 10);
  EXPECT_EQ(run("layout quad\nid 33814 shift\nset \"View All\" \"All Views\" true\n"
                "apply \"View All\"\n"),
            "");
  EXPECT_TRUE(has(take(), "message: Zoomed all windows to all objects."));
  for (int v = 0; v < 4; ++v) EXPECT_NEAR(target(v).x, 5.5, 1e-9) << v;
}

TEST_F(Fit, ViewSelectedNeedsASelectionAndFramesOnlyIt) {
  openQuad("a.obj", 0);
  openQuad("b.obj", 10);
  const studio::Vec3 before = target(0);
  auto lines = output("expect-refusal command \"View Selected\"\n");
  EXPECT_TRUE(has(lines, "command: View Selected did not run"));
  EXPECT_EQ(target(0), before);
  host->scene().select(host->scene().findByName("b")->id, true);
  EXPECT_EQ(run("command \"View Selected\"\n"), "");
  EXPECT_TRUE(has(take(), "message: Zoomed current window to the selected objects."));
  EXPECT_NEAR(target(0).x, 10.5, 1e-9);
}

// Two panels side by side, each over the command base panel with a switch of its own.
static_assert(std::is_base_of_v<framework::omPropCmd, camera::omPropCmdFitToSelected>);
static_assert(!std::is_base_of_v<camera::omPropCmdFitToAll, camera::omPropCmdFitToSelected>);

TEST_F(Fit, TheViewSelectedPanelSwitchFramesTheSelectionInEveryView) {
  openQuad("a.obj", 0);
  openQuad("b.obj", 10);
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
