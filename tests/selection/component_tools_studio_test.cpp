// The component tools in Studio, as a user drives them: the accelerators start them, a lasso or
// a brush stroke selects vertices of the scan, the modifiers add and remove, and the XOR outline
// leaves nothing behind.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class ComponentToolsInStudio : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 200, 150);
    ASSERT_EQ(openSquare(), "");
    host->views().active().camera = studio::standardCamera(studio::ViewKind::Front);
    ASSERT_EQ(run("command \"View All\"\nfilter component Vertices\n"), "");
    take();
  }
  // Vertex v of the unit square in view pixels.
  studio::ScreenPoint at(int v) {
    const double x = (v == 1 || v == 2) ? 1 : 0, y = v >= 2 ? 1 : 0;
    return studio::project(host->views().active().camera, 200, 150, {x, y, 0});
  }
  std::string vertices() {
    for (const std::string& line : host->describeSelection())
      if (line.find("quad:") != std::string::npos)
        return line.substr(line.find("vertices"), line.find(';') - line.find("vertices"));
    return "";
  }
  // A closed outline of 16 points on a circle, pressed, moved through and released.
  std::string lasso(double cx, double cy, double r, const std::string& keys = "") {
    std::string script;
    for (int i = 0; i <= 16; ++i) {
      const double a = 2 * M_PI * (i % 16) / 16;
      const std::string p = std::to_string(cx + r * std::cos(a)) + " " +
                            std::to_string(cy + r * std::sin(a)) + " " + keys + "\n";
      script += (i == 0 ? "press left " : i == 16 ? "release left " : "move left ") + p;
    }
    return script;
  }
};

TEST_F(ComponentToolsInStudio, LassoSelectsWhatItEnclosesShiftAddsCtrlRemoves) {
  ASSERT_EQ(run("id 33828\n"), "");
  EXPECT_TRUE(has(take(),
                  "prompt: Press SHIFT to add to the selection or CONTROL to remove from selection."));
  EXPECT_EQ(host->views().active().cursorId(), 5007);
  const studio::ScreenPoint a = at(0), c = at(2);
  EXPECT_EQ(run(lasso(a.x, a.y, 8)), "");
  EXPECT_EQ(vertices(), "vertices 1 [0]");
  EXPECT_TRUE(has(take(), "notify: 11"));
  EXPECT_EQ(run(lasso(c.x, c.y, 8)), "");
  EXPECT_EQ(vertices(), "vertices 1 [2]") << "without keys a lasso replaces";
  EXPECT_EQ(run(lasso(a.x, a.y, 8, "shift")), "");
  EXPECT_EQ(vertices(), "vertices 2 [0 2]");
  EXPECT_EQ(run(lasso(c.x, c.y, 8, "ctrl")), "");
  EXPECT_EQ(vertices(), "vertices 1 [0]");
  EXPECT_EQ(run(lasso(c.x, c.y, 8, "shift ctrl")), "");
  EXPECT_EQ(vertices(), "vertices 2 [0 2]") << "SHIFT with CTRL adds";
  // Nine points are not a lasso.
  EXPECT_EQ(run("press left 1 1\nmove left 199 1\nmove left 199 149\nmove left 1 149\n"
                "release left 1 149\n"),
            "");
  EXPECT_EQ(vertices(), "vertices 2 [0 2]");
}

TEST_F(ComponentToolsInStudio, ACancelledLassoLeavesNoOutlineBehind) {
  ASSERT_EQ(run("id 33828\n"), "");
  const auto clean = pixels();
  ASSERT_EQ(run("press left 20 20\nmove left 120 30\nmove left 150 120\nmove left 40 100\n"), "");
  ASSERT_NE(pixels(), clean) << "the outline is on screen";
  host->tools().GetCurrentTool()->Cancel();
  EXPECT_EQ(pixels(), clean);
  ASSERT_EQ(run("release left 40 100\n"), "");
  EXPECT_EQ(vertices(), "vertices 0") << "the release after a cancel selects nothing";
  EXPECT_EQ(run("tool \"Object Select\"\n"), "") << "and leaves the scene unlocked";
}

TEST_F(ComponentToolsInStudio, PaintStrokeSelectsABandAndCtrlPaintsItAway) {
  ASSERT_EQ(run("key Y\n"), "");
  EXPECT_TRUE(has(take(), "prompt: Select components by painting on them."));
  EXPECT_EQ(host->views().active().cursorId(), 5015);
  const studio::ScreenPoint a = at(0), b = at(1), c = at(2);
  // Along the bottom edge: vertices 0 and 1, not the top ones.
  const std::string bottom = std::to_string(a.x) + " " + std::to_string(a.y) + " " +
                             std::to_string(b.x) + " " + std::to_string(b.y);
  EXPECT_EQ(run("drag left " + bottom + " steps 20\n"), "");
  EXPECT_EQ(vertices(), "vertices 2 [0 1]");
  EXPECT_EQ(run("drag left " + std::to_string(c.x) + " " + std::to_string(c.y) + " " +
                std::to_string(c.x + 1) + " " + std::to_string(c.y) + "\n"),
            "");
  EXPECT_EQ(vertices(), "vertices 3 [0 1 2]") << "paint always adds";
  // CTRL removes under the brush.
  EXPECT_EQ(run("press left " + std::to_string(a.x) + " " + std::to_string(a.y) + " ctrl\n" +
                "release left " + std::to_string(a.x) + " " + std::to_string(a.y) + " ctrl\n"),
            "");
  EXPECT_EQ(vertices(), "vertices 2 [1 2]");
}

TEST_F(ComponentToolsInStudio, TheMenuChecksTheActiveComponentTool) {
  ASSERT_EQ(run("key C\nprint menu\n"), "");
  auto lines = take();
  EXPECT_TRUE(has(lines, "&Component Select...  [33826] checked"));
  EXPECT_TRUE(has(lines, "&Lasso...  [33828]"));
  EXPECT_FALSE(has(lines, "&Lasso...  [33828] checked"));
  EXPECT_TRUE(has(lines, "&3 Vertices  [33793] checked"));
  // Choosing "Lights" leaves no component to pick: the component tool gives way.
  ASSERT_EQ(run("filter object Lights\n"), "");
  EXPECT_TRUE(host->tools().IsToolActive("Object Select"));
  EXPECT_EQ(run("id 33827\n"), "");
  EXPECT_FALSE(host->tools().IsToolActive("Paint Select")) << "no component filter, no paint";
}

// "Volume Select" is offered while the lasso is the tool in use: the showing panel follows each
// change of tool.
TEST_F(ComponentToolsInStudio, TheLassoPanelFollowsTheToolInUse) {
  auto volume = [&] {
    take();
    EXPECT_EQ(run("print panel \"Lasso Select\"\n"), "");
    for (const std::string& line : take())
      if (line.find("Volume Select") != std::string::npos)
        return line.find("disabled") == std::string::npos ? "enabled" : "disabled";
    return "missing";
  };
  ASSERT_EQ(run("filter object Mesh\ntool \"Lasso Select\"\npanel \"Lasso Select\"\n"), "");
  EXPECT_STREQ(volume(), "enabled");
  ASSERT_EQ(run("tool Tumble\n"), "");
  EXPECT_STREQ(volume(), "disabled");
  ASSERT_EQ(run("tool \"Lasso Select\"\n"), "");
  EXPECT_STREQ(volume(), "enabled");
}

}  // namespace
}  // namespace tessel::test
