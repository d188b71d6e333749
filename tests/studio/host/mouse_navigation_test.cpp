// Studio's own mouse navigation: the plain decision of which move a press starts, and the host
// taking middle drags under the preference while middle clicks still reach the tools.
#include "studio/host/mouse_navigation.h"

#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

using studio::CameraMove;
using studio::HeldInput;
using studio::Navigation;
using studio::navigationMove;

TEST(MouseNavigation, MiddleButtonMovesOnlyWhereNothingElseClaimsThePress) {
  const auto orbit = [](std::int32_t button, const HeldInput& held) {
    return navigationMove(Navigation::MiddleButtonOrbits, button, held);
  };
  EXPECT_EQ(orbit(om::kButtonMiddle, {}), CameraMove::Tumble);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.shift = true}), CameraMove::Pan);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.ctrl = true}), CameraMove::Dolly);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.shift = true, .ctrl = true}), CameraMove::Dolly);
  // Left and right stay the tools'; ALT is the module's navigation; a camera tool navigates by
  // itself; a middle press joining a held button belongs to the gesture already going.
  EXPECT_EQ(orbit(om::kButtonLeft, {}), CameraMove::None);
  EXPECT_EQ(orbit(om::kButtonRight, {}), CameraMove::None);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.alt = true}), CameraMove::None);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.cameraTool = true}), CameraMove::None);
  EXPECT_EQ(orbit(om::kButtonMiddle, {.buttons = om::kButtonLeft}), CameraMove::None);
  for (std::int32_t b : {om::kButtonLeft, om::kButtonMiddle, om::kButtonRight})
    EXPECT_EQ(navigationMove(Navigation::Tessel, b, {}), CameraMove::None) << b;
  EXPECT_FALSE(studio::beyondClick(studio::kClickSlop, 0));
  EXPECT_FALSE(studio::beyondClick(2, 2));
  EXPECT_TRUE(studio::beyondClick(3, 1));
}

class MiddleNavigation : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH);
    ASSERT_EQ(openSquare(), "");
    ASSERT_EQ(run("tool \"Object Select\"\npick quad\n"), "");
    before = camera();
  }
  const studio::Camera& camera() { return host->views().active().camera; }
  std::size_t selected() { return host->scene().selection().size(); }
  studio::Camera before;
};

TEST_F(MiddleNavigation, TheDefaultLeavesTheMiddleButtonToTheTool) {
  ASSERT_EQ(run("drag middle 60 60 120 90\n"), "");
  EXPECT_TRUE(camera() == before);
  EXPECT_EQ(selected(), 0u) << "Object Select's middle press clears the selection";
}

TEST_F(MiddleNavigation, MiddleDragsTumblePanAndDollyAndAClickStillClears) {
  ASSERT_EQ(run("preference navigation middle\n"), "");
  ASSERT_EQ(run("drag middle 60 60 120 90\n"), "");
  EXPECT_FALSE(camera() == before);
  EXPECT_EQ(camera().target, before.target) << "a tumble turns about the target";
  EXPECT_EQ(selected(), 1u) << "the tool never saw the drag";
  // The turn is measured from the press: back there, the camera is exactly as it was.
  const studio::Camera turned = camera();
  ASSERT_EQ(run("stroke middle 60 60 120 90 140 20 60 60\n"), "");
  EXPECT_TRUE(camera() == turned);

  const studio::Vec3 forward = studio::viewDirection(turned);

  ASSERT_EQ(run("drag middle 60 60 100 60 shift\n"), "");
  EXPECT_GT(studio::length(camera().target - turned.target), 0.0) << "SHIFT pans";
  EXPECT_NEAR(studio::dot(studio::viewDirection(camera()), forward), 1.0, 1e-12);
  const studio::Camera panned = camera();
  ASSERT_EQ(run("drag middle 60 60 100 60 ctrl\n"), "");
  EXPECT_LT(studio::targetDistance(camera()), studio::targetDistance(panned)) << "CTRL dollies in";
  EXPECT_NEAR(studio::dot(studio::viewDirection(camera()), forward), 1.0, 1e-12);
  EXPECT_EQ(selected(), 1u);

  // Within the click's slop the press and release reach the tool after all.
  const studio::Camera still = camera();
  ASSERT_EQ(run("press middle 60 60\nmove middle 62 61\nrelease middle 62 61\n"), "");
  EXPECT_TRUE(camera() == still);
  EXPECT_EQ(selected(), 0u);
}

TEST_F(MiddleNavigation, ComponentToolsKeepTheirMiddleClickAndCameraToolsTheirButtons) {
  ASSERT_EQ(run("preference navigation middle\nmode component\ntool \"Component Select\"\n"
                "select quad faces 0 1\ndrag middle 60 60 120 90\n"),
            "");
  EXPECT_FALSE(camera() == before);
  ASSERT_EQ(run("print selection\n"), "");
  EXPECT_TRUE(has(take(), "faces 2 [0 1]")) << "a drag leaves the faces selected";
  ASSERT_EQ(run("press middle 60 60\nrelease middle 60 60\nprint selection\n"), "");
  EXPECT_TRUE(has(take(), "quad: vertices 0; faces 0;")) << "a middle click clears them";

  const studio::Camera moved = camera();
  ASSERT_EQ(run("tool Tumble\ndrag middle 60 60 120 90\n"), "");
  EXPECT_TRUE(camera() == moved) << "the Tumble tool turns with the left button only";
}

}  // namespace
}  // namespace tessel::test
