#include "camera/zoom_limits.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class CameraTools : public StudioFixture {
 protected:
  void SetUp() override { startOnSquare(TESSEL_MODULE_PATH); }
  bool finite() {
    const studio::Camera& c = camera();
    return studio::isFinite(c.eye) && studio::isFinite(c.target) && studio::isFinite(c.up) &&
           std::isfinite(c.fovDegrees) && std::isfinite(c.orthoHeight);
  }
};

TEST(ZoomLimits, WarningsAtEachEnd) {
  EXPECT_STREQ(camera::zoomLimitWarning(135.0f, false), "Zoomed out to widest angle allowed.");
  EXPECT_STREQ(camera::zoomLimitWarning(0.01f, false), "Zoomed in to maximum value allowed.");
  EXPECT_EQ(camera::zoomLimitWarning(134.9f, false), nullptr);
  EXPECT_STREQ(camera::zoomLimitWarning(1e20f, true), "Zoomed out to maximum value allowed.");
  EXPECT_STREQ(camera::zoomLimitWarning(0.001f, true), "Zoomed in to maximum value allowed.");
}

// A drag across half the view's width brings the eye 2^-0.5 of the way to the target, or with
// SHIFT narrows the field of view by the same factor.
TEST_F(CameraTools, DollyMovesInAndShiftZoomsInstead) {
  EXPECT_EQ(run("tool Dolly\n"), "");
  const double distance = studio::targetDistance(camera());
  const double fov = camera().fovDegrees;
  EXPECT_EQ(run("drag left 50 50 150 50 steps 1\n"), "");
  EXPECT_NEAR(studio::targetDistance(camera()), distance * std::sqrt(0.5), 1e-6);
  EXPECT_EQ(camera().fovDegrees, fov);
  EXPECT_TRUE(hasLine(take(), format("status: Distance: %10.2f", distance * std::sqrt(0.5))));
  EXPECT_EQ(run("drag left 150 50 50 50 steps 1 shift\n"), "");
  EXPECT_NEAR(camera().fovDegrees, fov * std::sqrt(2.0), 1e-4) << "leftwards widens";
  auto lines = take();
  EXPECT_TRUE(hasLine(lines, format("status: FOV: %10.2f", fov * std::sqrt(2.0))));
  EXPECT_TRUE(has(lines, "Release SHIFT to dolly."));
  EXPECT_EQ(host->views().active().cursorId(), 5000) << "SHIFT up again: the dolly cursor";
}

TEST_F(CameraTools, HugeDragsStopAtTheLimitsWithTheirWarnings) {
  EXPECT_EQ(run("tool Dolly\ndrag left 0 0 -1e9 0 steps 2 shift\n"), "");
  EXPECT_TRUE(has(take(), "warning: Zoomed out to widest angle allowed."));
  EXPECT_DOUBLE_EQ(camera().fovDegrees, 135.0);
  EXPECT_EQ(run("drag left 0 0 1e9 0 steps 2\n"), "");
  EXPECT_TRUE(has(take(), "warning: Dollyed in to maximum value allowed."));
  EXPECT_NEAR(studio::targetDistance(camera()), 0.001, 1e-9);
  EXPECT_EQ(run("wheel 100000 5 5\nwheel -100000 5 5 shift\ndrag left 0 0 1e30 0 shift\n"), "");
  EXPECT_TRUE(finite());
  auto lines = output("layout quad\nview 2\ndrag left 0 0 1e9 0 steps 2\n");
  EXPECT_TRUE(has(lines, "warning: Zoomed in to maximum value allowed."));
  EXPECT_TRUE(has(lines, "status: Width:       0.00"));
  EXPECT_TRUE(finite());
}

TEST_F(CameraTools, WheelActsAsAHorizontalDrag) {
  EXPECT_EQ(run("tool Dolly\n"), "");
  studio::Camera viaDrag = camera();
  EXPECT_EQ(run("wheel 120 10 10\n"), "");
  studio::Camera viaWheel = camera();
  EXPECT_TRUE(hasLine(take(), format("status: Distance: %10.2f", studio::targetDistance(viaWheel))));
  camera() = viaDrag;
  EXPECT_EQ(run("drag left 0 0 24 0 steps 1\n"), "");
  EXPECT_NEAR(studio::targetDistance(camera()), studio::targetDistance(viaWheel), 1e-12)
      << "120 wheel units are 24 pixels";
  EXPECT_EQ(run("layout quad\nview 2\nwheel 120 10 10\n"), "");
  const studio::StudioView& front = host->views().active();
  EXPECT_TRUE(hasLine(take(), format("status: Width: %10.2f",
                                     studio::orthoWidth(front.camera, front.rect.width,
                                                        front.rect.height))));
}

TEST_F(CameraTools, ZoomBandNeedsElevenPixelsAndLeftwardZoomsOut) {
  EXPECT_EQ(run("tool Zoom\n"), "");
  const double fov = camera().fovDegrees;
  EXPECT_EQ(run("drag left 50 50 60 100\n"), "");
  EXPECT_EQ(camera().fovDegrees, fov) << "ten pixels wide: ignored";
  EXPECT_EQ(run("drag left 50 50 100 80\n"), "");
  const double in = camera().fovDegrees;
  EXPECT_LT(in, fov);
  EXPECT_TRUE(hasLine(take(), format("status: View Angle: %10.2f", in)));
  EXPECT_EQ(run("drag left 100 80 50 50\n"), "");
  EXPECT_GT(camera().fovDegrees, in) << "the same rectangle dragged to the left zooms out";
  const auto before = host->renderer().readPixels(host->views().active().rect);
  EXPECT_EQ(run("press left 20 20\nmove left 90 90\nmove left 20 20\nrelease left 20 20\n"), "");
  EXPECT_EQ(host->renderer().readPixels(host->views().active().rect), before)
      << "the band is erased by drawing it again";
}

// Only a left-button gesture draws the band; a band still on screen when Studio paints the views
// again goes with that paint, so no later gesture "erases" it back into view.
TEST_F(CameraTools, TheZoomBandBelongsToTheLeftButtonAndGoesWithARepaint) {
  EXPECT_EQ(run("tool Zoom\n"), "");
  auto pixels = [&] { return host->renderer().readPixels(host->views().active().rect); };
  const auto clean = pixels();
  EXPECT_EQ(run("drag middle 20 20 90 90\ndrag right 20 20 90 90\n"), "");
  EXPECT_EQ(pixels(), clean) << "no band from the middle or right button";
  EXPECT_EQ(run("drag left 20 20 25 25\n"), "");
  EXPECT_EQ(pixels(), clean) << "a short left gesture after them leaves nothing behind";
  EXPECT_EQ(run("press left 20 20\nmove left 90 90\n"), "");
  EXPECT_NE(pixels(), clean);
  EXPECT_EQ(run("view 0\n"), "");  // Studio paints every view again
  EXPECT_EQ(pixels(), clean);
  EXPECT_EQ(run("move left 60 60\n"), "");
  EXPECT_NE(pixels(), clean) << "the gesture goes on with a fresh band";
  EXPECT_EQ(run("move left 20 20\nrelease left 20 20\n"), "");
  EXPECT_EQ(pixels(), clean);
}

// An orthographic dolly scales the width by a factor a step, as zooming does, so the wheel
// reaches both of the zoom's limits.
TEST_F(CameraTools, OrthographicWheelDollyReachesTheZoomLimits) {
  EXPECT_EQ(run("layout quad\nview 1\ntool Dolly\n"), "");
  studio::StudioView& view = host->views().active();
  auto width = [&] { return studio::orthoWidth(view.camera, view.rect.width, view.rect.height); };
  for (const char* keys : {"", " shift"}) {
    for (int step = 0; step < 1000 && width() < studio::kWidestOrtho; ++step)
      ASSERT_EQ(run(std::string("wheel -1200 5 5") + keys + "\n"), "");
    EXPECT_DOUBLE_EQ(width(), studio::kWidestOrtho) << keys;
    EXPECT_EQ(host->panels().status(), "Width: 100000002004087734272.00") << keys;
    for (int step = 0; step < 1000 && width() > studio::kNarrowestOrtho; ++step)
      ASSERT_EQ(run(std::string("wheel 1200 5 5") + keys + "\n"), "");
    EXPECT_DOUBLE_EQ(width(), studio::kNarrowestOrtho) << keys;
    EXPECT_EQ(host->panels().status(), "Width:       0.00") << keys;
  }
}

TEST_F(CameraTools, TheCombinedToolOnlyBracketsTheNavigation) {
  EXPECT_EQ(run("tool Menu\n"), "");
  EXPECT_TRUE(has(take(), "prompt: Drag LMB to tumble, MMB to pan, RMB to roll or LMB+MMB to dolly."));
  const studio::Camera before = camera();
  EXPECT_EQ(run("drag left 0 0 50 50\n"), "");
  EXPECT_EQ(camera().eye, before.eye) << "its mouse operations do nothing";
  // The wheel is Studio's under every tool but Dolly, this one included.
  EXPECT_EQ(run("wheel 120 5 5\n"), "");
  EXPECT_NE(camera().eye, before.eye);
}

// ALT over a tool that is not a camera tool: Studio's navigation hands the buttons to the
// camera tools under the combined tool, and the selection tool carries on afterwards.
TEST_F(CameraTools, AltNavigatesWithEveryButtonAndLeavesTheCurrentToolAlone) {
  ASSERT_TRUE(host->tools().IsToolActive("Object Select"));
  const studio::Camera before = camera();
  auto lines = output("drag left 50 50 90 70 alt\n");
  EXPECT_TRUE(has(lines, "prompt: Drag LMB to tumble, MMB to pan, RMB to roll or LMB+MMB to dolly."));
  EXPECT_TRUE(has(lines, "status: Tumble:"));
  EXPECT_FALSE(has(lines, "notify: 10")) << "no selection was made";
  EXPECT_NE(camera().eye, before.eye);
  lines = output("drag middle 50 50 90 70 alt\ndrag right 50 50 90 50 alt\n");
  EXPECT_TRUE(has(lines, "status: Translation:"));
  EXPECT_TRUE(has(lines, "status: Angle:"));
  const double distance = studio::targetDistance(camera());
  EXPECT_EQ(run("press left 50 50 alt\npress middle 50 50 alt\nmove left 90 50 alt\n"
                "release middle 90 50 alt\nrelease left 90 50\n"),
            "");
  EXPECT_TRUE(has(take(), "status: Distance:"));
  EXPECT_LT(studio::targetDistance(camera()), distance) << "left and middle together dolly";
  EXPECT_TRUE(host->tools().IsToolActive("Object Select"));
}

TEST_F(CameraTools, WhenAltNavigationEndsTheCurrentToolsPromptAndCursorComeBack) {
  EXPECT_EQ(run("move left 10 10\n"), "");
  const std::string prompt = "Press SHIFT to add or CTRL to remove from selection.";
  ASSERT_EQ(host->panels().prompt(), prompt);
  ASSERT_EQ(host->views().active().cursorId(), 5005);
  take();
  auto lines = output("drag left 50 50 90 70 alt\n");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "prompt: " + prompt) << "the last word is the current tool's again";
  EXPECT_EQ(host->panels().prompt(), prompt);
  EXPECT_EQ(host->views().active().cursorId(), 5005);
}

}  // namespace
}  // namespace tessel::test
