// The manipulator tools in Studio as a user drives them: drags on named handles of the drawn
// manipulators move a square through its placement alone (its vertices stay as loaded), along
// the axis dragged, its frame or its geometry as CTRL and SHIFT choose; a press off the
// manipulator moves nothing; the handle under the pointer lights up; a panel's reference carries
// the manipulator; the Z ring turns about the manipulator's centre and a ring about its own axis;
// the scale tool scales by the ratio of screen distances and reports its factors.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Manipulators : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 400, 300);
    ASSERT_EQ(openSquare(), "");
    ASSERT_EQ(run("command \"Select All\"\n"), "");
    square = host->scene().findByName("quad");
    ASSERT_NE(square, nullptr);
    loaded = square->mesh->positions;
    take();
  }
  studio::Vec3 frameOrigin() const { return square->frame.origin; }
  studio::Box box() const { return square->bounds(); }

  studio::Entity* square = nullptr;
  std::vector<float> loaded;
};

TEST_F(Manipulators, TranslateAlongXMovesThePlacementAlongXOnly) {
  const auto lines = output("tool \"Base Translate\"\nmanipulator X 40 0\n");
  EXPECT_TRUE(has(lines, "status: dx="));
  const studio::Box b = box();
  EXPECT_GT(b.min.x, 0.05);
  EXPECT_NEAR(b.min.y, 0, 1e-9);
  EXPECT_NEAR(b.max.y, 1, 1e-9);
  EXPECT_NEAR(b.min.z, 0, 1e-9);
  EXPECT_NEAR(frameOrigin().x, b.min.x, 1e-6);  // the frame came along
  // A step changes the placement, never the vertices.
  EXPECT_EQ(square->mesh->positions, loaded);
  EXPECT_FALSE(square->placement.isIdentity());
}

TEST_F(Manipulators, TheHandleUnderThePointerIsHighlighted) {
  ASSERT_EQ(run("tool \"Base Translate\"\n"), "");
  studio::ManipulatorCore* m = host->mainView().shownManipulator();
  ASSERT_NE(m, nullptr);
  double x = 0, y = 0;
  ASSERT_TRUE(m->handlePixel(host->views().active(), studio::ManipulatorHandle::Y, &x, &y));
  ASSERT_EQ(run("move left " + std::to_string(x) + " " + std::to_string(y) + "\n"), "");
  EXPECT_EQ(m->hover, studio::ManipulatorHandle::Y);
  ASSERT_EQ(run("move left 2 2\n"), "");
  EXPECT_EQ(m->hover, studio::ManipulatorHandle::None);
}

TEST_F(Manipulators, CtrlMovesTheFrameShiftTheGeometryAndAMissMovesNothing) {
  ASSERT_EQ(run("tool \"Base Translate\"\nmanipulator Y 0 -30 ctrl\n"), "");
  EXPECT_GT(frameOrigin().y, 0.05);
  EXPECT_NEAR(box().min.y, 0, 1e-9);
  const double frameY = frameOrigin().y;
  ASSERT_EQ(run("manipulator Y 0 -30 shift\n"), "");
  EXPECT_NEAR(frameOrigin().y, frameY, 1e-9);
  EXPECT_GT(box().min.y, 0.05);
  // A key tap, then a drag from a corner of the view, off the manipulator.
  const studio::Box before = box();
  const studio::Vec3 origin = frameOrigin();
  ASSERT_EQ(run("move left 5 5 ctrl\ndrag left 3 3 120 90\n"), "");
  EXPECT_EQ(box().min.x, before.min.x);
  EXPECT_EQ(box().min.y, before.min.y);
  EXPECT_EQ(frameOrigin().y, origin.y);
}

TEST_F(Manipulators, ThePanelsReferenceCarriesTheManipulatorAndItsAxes) {
  // A reference at (0.5, 0.5, 0) turned 30 degrees about Z: the X handle then drags along its
  // turned X axis.
  ASSERT_EQ(run("coordsys \"Ref\" 0.5 0.5 0 0 0 0.25881904510252076 0.96592582628906829\n"
                "tool \"Base Translate\"\ntool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Ref Coord System\" \"Ref\"\nprint manipulator\n"),
            "");
  EXPECT_TRUE(has(take(), "manipulator: translate at (0.5000, 0.5000, 0.0000) orientation "
                          "(0.0000, 0.0000, 0.2588, 0.9659)"));
  ASSERT_EQ(run("manipulator X 40 0\n"), "");
  const studio::Box b = box();
  ASSERT_GT(b.min.x, 0.05);
  EXPECT_NEAR(b.min.y / b.min.x, std::tan(M_PI / 6), 1e-6);
}

TEST_F(Manipulators, TheManipulatorFollowsThePlacementThePanelsUndoAndResetGiveIt) {
  const auto at = [&] {
    const studio::ManipulatorCore* m = host->mainView().shownManipulator();
    return m ? m->state.origin : studio::Vec3{NAN, NAN, NAN};
  };
  const auto near = [](const studio::Vec3& a, const studio::Vec3& b) {
    return studio::length(a - b) < 1e-5;
  };
  ASSERT_EQ(run("tool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Translate\" \"X\" 0.5\nset \"Base Translate\" \"Apply\" true\n"),
            "");
  EXPECT_NEAR(frameOrigin().x, 0.5, 1e-6);
  EXPECT_TRUE(near(at(), frameOrigin()));
  // The geometry alone: the frame stays, the manipulator keeps with what moved.
  ASSERT_EQ(run("set \"Base Translate\" \"Selection Type\" \"Object Only\"\n"
                "set \"Base Translate\" \"X\" 0\nset \"Base Translate\" \"Y\" 0.25\n"
                "set \"Base Translate\" \"Apply\" true\n"),
            "");
  EXPECT_TRUE(near(at(), {0.5, 0.25, 0}));
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_TRUE(near(at(), {0.5, 0, 0}));
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_TRUE(near(at(), {0, 0, 0}));
  ASSERT_EQ(run("redo\n"), "");
  EXPECT_TRUE(near(at(), {0.5, 0, 0}));
  // Reset puts the frame at the geometry's centre; the rotate panel's Apply turns the
  // manipulator with the square's axes.
  ASSERT_EQ(run("command \"Orient Reset\"\n"), "");
  EXPECT_TRUE(near(at(), frameOrigin())) << frameOrigin().x;
  ASSERT_EQ(run("tool \"Base Rotate\"\npanel 33836\n"
                "set \"Base Rotate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Rotate\" \"Axis\" \"Z\"\nset \"Base Rotate\" \"Angle (Deg)\" 90\n"
                "set \"Base Rotate\" \"Apply\" true\n"),
            "");
  const studio::ManipulatorCore* m = host->mainView().shownManipulator();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(near(m->state.pose().axes[0], square->frame.xAxis));
  EXPECT_NEAR(square->frame.xAxis.y, 1, 1e-6);
}

TEST(ManipulatorFollow, AStepMovesThePoseAsTheFrameOrElseThePlacementMoved) {
  namespace tm = tessel::transform;
  studio::SelectionAnchor before;
  before.ids = {3};
  studio::ManipulatorPoseState pose;
  pose.origin = {1, 0, 0};  // off the frame's origin
  // The frame turned a quarter about Z and moved to (0, 0, 2): the pose turns with it.
  studio::SelectionAnchor after = before;
  const auto quarter = *tm::axisAngle({0, 0, 1}, M_PI / 2);
  after.frame = tm::multiply(tm::placementRotation(quarter), tm::placementTranslation({0, 0, 2}));
  after.placement = tm::placementTranslation({7, 7, 7});  // ignored while the frame moved
  auto moved = studio::followedPose(pose, before, after);
  ASSERT_TRUE(moved);
  EXPECT_NEAR(studio::length(moved->origin - studio::Vec3{0, 1, 2}), 0, 1e-12);
  EXPECT_NEAR(studio::length(moved->pose().axes[0] - studio::Vec3{0, 1, 0}), 0, 1e-12);
  // The geometry alone, scaled by 3 about the origin: the pose moves, its axes stay unit.
  after = before;
  after.placement = tm::placementScale({3, 3, 3});
  moved = studio::followedPose(pose, before, after);
  ASSERT_TRUE(moved);
  EXPECT_NEAR(moved->origin.x, 3, 1e-12);
  EXPECT_NEAR(studio::length(moved->pose().axes[0] - studio::Vec3{1, 0, 0}), 0, 1e-12);
  // Nothing moved, another selection, no selection, a placement with no inverse.
  EXPECT_FALSE(studio::followedPose(pose, before, before));
  after.ids = {3, 4};
  EXPECT_FALSE(studio::followedPose(pose, before, after));
  EXPECT_FALSE(studio::followedPose(pose, {}, {}));
  after = before;
  before.placement = tm::placementScale({0, 1, 1});
  EXPECT_FALSE(studio::followedPose(pose, before, after));
}

TEST_F(Manipulators, TheZRingTurnsAboutTheManipulatorCentre) {
  ASSERT_EQ(run("tool \"Base Rotate\"\nmanipulator Z 0 60\nprint manipulator\n"), "");
  EXPECT_FALSE(square->placement.isIdentity());
  // The centre (the square's frame origin) stays where it was; the corner opposite turns.
  const studio::Vec3 centre = square->placement.place({0, 0, 0});
  EXPECT_NEAR(centre.x, 0, 1e-9);
  EXPECT_NEAR(centre.y, 0, 1e-9);
  const studio::Vec3 corner = square->placement.place({1, 0, 0});
  EXPECT_NEAR(corner.z, 0, 1e-9);
  EXPECT_GT(std::fabs(corner.y), 0.05);
  EXPECT_NEAR(std::hypot(corner.x, corner.y), 1, 1e-9);
  EXPECT_TRUE(has(take(), "manipulator: rotate"));
}

TEST_F(Manipulators, ARingTurnsTheManipulatorAboutItsOwnAxis) {
  // On a reference turned 30 degrees about Z, the X ring turns about that reference's X axis,
  // which stays where it is.
  ASSERT_EQ(run("coordsys \"Ref\" 0 0 0 0 0 0.25881904510252076 0.96592582628906829\n"
                "tool \"Base Rotate\"\ntool \"Base Rotate\"\npanel 33836\n"
                "set \"Base Rotate\" \"Ref Coord System\" \"Ref\"\nmanipulator X 0 40\n"),
            "");
  const studio::ManipulatorCore* m = host->mainView().shownManipulator();
  ASSERT_NE(m, nullptr);
  const studio::ManipulatorPose pose = m->state.pose();
  EXPECT_NEAR(pose.axes[0].x, std::sqrt(0.75), 1e-6);
  EXPECT_NEAR(pose.axes[0].y, 0.5, 1e-6);
  EXPECT_GT(std::fabs(pose.axes[1].z), 0.05) << "the ring turned";
}

TEST_F(Manipulators, ScaleShowsItsFactorsAndScalesByTheRatioOfDistances) {
  ASSERT_EQ(run("tool \"Base Scale\"\n"), "");
  // The whole drag scales by the ratio of the pointer's distances from the centre along the X
  // axis on screen, at its end to at the press.
  studio::ManipulatorCore* m = host->mainView().shownManipulator();
  ASSERT_NE(m, nullptr);
  studio::StudioView& v = host->views().active();
  const studio::ManipulatorPose pose = m->state.pose();
  const double length = studio::manipulatorWorldSize(v.camera, v.size(), pose.origin);
  const auto c = studio::project(v.camera, v.size().width, v.size().height, pose.origin);
  const auto e = studio::project(v.camera, v.size().width, v.size().height,
                                 pose.origin + pose.axes[0] * length);
  const double onScreen = std::hypot(e.x - c.x, e.y - c.y);
  const double ux = (e.x - c.x) / onScreen, uy = (e.y - c.y) / onScreen;
  double px = 0, py = 0;
  ASSERT_TRUE(m->handlePixel(v, studio::ManipulatorHandle::X, &px, &py));
  const double from = (px - c.x) * ux + (py - c.y) * uy;
  EXPECT_TRUE(has(output("manipulator X 45 0\n"), "status: sx="));
  EXPECT_NEAR(box().max.x, (from + 45 * ux) / from, 1e-3);
  EXPECT_NEAR(box().max.y, 1, 1e-9);
}

}  // namespace
}  // namespace tessel::test
