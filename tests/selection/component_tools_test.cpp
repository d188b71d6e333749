// "Component Select", "Lasso Select" and "Paint Select" through the loaded module and the fake
// host: the exact host calls of each gesture, the modifier rules, prompts, cursors, redraw hints,
// the lock, and the row table the lasso hands over.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/om_codes.h"
#include "platform/omPropertyObj.h"
#include "selection/omToolPaintSelect.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr char kPrompt[] =
    "prompt: Press SHIFT to add to the selection or CONTROL to remove from selection.";

class ComponentTools : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module.start(host));
    // A mesh document with the module's own filter rows, in object mode.
    omEvent kindChanged{om::kEventDocumentKindChanged}, listChanged{om::kEventFilterListChanged};
    module->OnNotify(&kindChanged, nullptr);
    module->OnNotify(&listChanged, &host.objectFilter);
    host.viewOn = true;
    host.takeLog();
  }
  omTool* start(const char* name) {
    EXPECT_TRUE(host.ActivateTool(name)) << name;
    host.takeLog();
    return host.GetCurrentTool();
  }
  void button(omTool* tool, std::int32_t b, std::int32_t action, float x, float y) {
    const float p[2] = {x, y};
    tool->MouseButton(b, action, p, &host.view);
  }
  void drag(omTool* tool, float x, float y, std::int32_t buttons = om::kButtonLeft) {
    const float p[2] = {x, y};
    tool->MouseDrag(buttons, p, p, &host.view);
  }
  std::vector<std::string> log() { return host.takeLog(); }

  TempConfig config;
  LoadedModule module{TESSEL_MODULE_PATH};
  FakeHost host;
};

// [SECTION] Component Select

TEST_F(ComponentTools, ComponentSelectLeavesObjectModeAndShowsItsPromptAndCursor) {
  host.selection.count = 2;
  EXPECT_TRUE(host.ActivateTool("Component Select"));
  EXPECT_THAT(log(), ElementsAre("activate Component Select", "try lock", "unlock", "status: ",
                                 "lock", "clear selection", "notify: 10", "object mode 0",
                                 "unlock", "switch B 1", "switch C 1", "switch A 1", "redraw 0",
                                 "refresh 1", kPrompt, "cursor 5007"));
  // Already in component mode: the selection stays.
  EXPECT_TRUE(host.ActivateTool("Object Select"));
  host.objectMode = 0;
  host.selection.count = 2;
  log();
  host.ActivateTool("Component Select");
  EXPECT_THAT(log(), Not(Contains("clear selection")));
  EXPECT_TRUE(host.ActivateTool("Tumble"));
  const auto leaving = log();
  EXPECT_THAT(leaving, Contains("end component tool"));
  EXPECT_THAT(leaving, Contains("cursor 0")) << "the host's own cursor comes back";
}

TEST_F(ComponentTools, ShortDragsPickLongerOnesSelectTheClampedRectangle) {
  omTool* tool = start("Component Select");
  button(tool, om::kButtonLeft, om::kActionPress, 10, 10);
  button(tool, om::kButtonLeft, om::kActionRelease, 12.9f, 13.5f);
  // The wait cursor only flashes: the host has already selected.
  EXPECT_THAT(log(), ElementsAre("lock", "object mode 0", "unlock", "lock", "object mode 0",
                                 "keep 0", "select at 12 13 1 0", "notify: 11",
                                 "system cursor 32514", "system cursor 0", "refresh 1", "unlock"));
  // Exactly five pixels is a rectangle; the far corner is held inside the 200 x 150 view.
  button(tool, om::kButtonLeft, om::kActionPress, 30, 40);
  button(tool, om::kButtonLeft, om::kActionRelease, 33, 44);
  EXPECT_THAT(log(), Contains("select in rect 30 40 33 44 1 0"));
  button(tool, om::kButtonLeft, om::kActionPress, 50, 20);
  host.selection.count = 4;  // the host selected something: the highlight is redrawn
  button(tool, om::kButtonLeft, om::kActionRelease, 900, -30);
  EXPECT_THAT(log(), ElementsAre("lock", "object mode 0", "unlock", "lock", "object mode 0",
                                 "keep 0", "select in rect 50 0 200 20 1 0", "notify: 11",
                                 "system cursor 32514", "system cursor 0", "redraw 10",
                                 "refresh 1", "redraw 0", "unlock"));
}

TEST_F(ComponentTools, ShiftAddsCtrlRemovesAndShiftWithCtrlAdds) {
  omTool* tool = start("Component Select");
  auto click = [&](bool shift, bool ctrl) {
    host.view.shift = shift, host.view.ctrl = ctrl;
    button(tool, om::kButtonLeft, om::kActionPress, 5, 5);
    button(tool, om::kButtonLeft, om::kActionRelease, 5, 5);
    std::vector<std::string> calls;
    for (const std::string& line : log())
      if (line.rfind("keep", 0) == 0 || line.rfind("select", 0) == 0) calls.push_back(line);
    return calls;
  };
  EXPECT_THAT(click(false, false), ElementsAre("keep 0", "select at 5 5 1 0"));
  EXPECT_THAT(click(true, false), ElementsAre("keep 1", "select at 5 5 1 0"));
  EXPECT_THAT(click(false, true), ElementsAre("keep 1", "select at 5 5 0 0"));
  EXPECT_THAT(click(true, true), ElementsAre("keep 1", "select at 5 5 1 0"));
}

TEST_F(ComponentTools, EveryReleaseUnlocksTheMainView) {
  omTool* tool = start("Component Select");
  // A middle press clears and only refreshes: no redraw hint.
  host.selection.count = 3;
  button(tool, om::kButtonMiddle, om::kActionPress, 5, 5);
  EXPECT_THAT(log(), ElementsAre("lock", "object mode 0", "clear selection", "notify: 10",
                                 "refresh 1", "unlock"));
  button(tool, om::kButtonMiddle, om::kActionRelease, 5, 5);
  EXPECT_EQ(host.lockDepth, 0) << "a middle release must not leave the view locked";
  button(tool, om::kButtonRight, om::kActionRelease, 5, 5);
  EXPECT_EQ(host.lockDepth, 0);
  // A cancelled gesture: its release selects nothing and unlocks.
  button(tool, om::kButtonLeft, om::kActionPress, 5, 5);
  tool->Cancel();
  button(tool, om::kButtonLeft, om::kActionRelease, 80, 80);
  EXPECT_THAT(log(), Not(Contains(::testing::StartsWith("select"))));
  EXPECT_EQ(host.lockDepth, 0);
  EXPECT_TRUE(host.ActivateTool("Lasso Select")) << "the next tool can still start";
}

TEST_F(ComponentTools, KeysShowTheirCursorsAndStepTheComponentFilter) {
  omTool* tool = start("Component Select");
  tool->Key(om::kKeyShift, om::kActionPress, &host.view);
  tool->Key(om::kKeyCtrl, om::kActionPress, &host.view);
  tool->Key(om::kKeyCtrl, om::kActionRelease, &host.view);
  EXPECT_THAT(log(), ElementsAre("cursor 5008", "cursor 5009", "cursor 5007"));
  ASSERT_STREQ(host.componentFilter.GetCurrentName(), "Faces");
  tool->Key(om::kKeyFilterStep, om::kActionPress, &host.view);
  EXPECT_STREQ(host.componentFilter.GetCurrentName(), "Holes");
}

TEST_F(ComponentTools, VolumeSelectReachesTheToolThroughItsPanel) {
  EXPECT_TRUE(host.click(module.get(), 33826, true));
  platform::omPropertyObj* panel = host.shownPanel;
  ASSERT_NE(panel, nullptr);
  EXPECT_STREQ(panel->GetName(), "Component Select");
  host.click(module.get(), 33826);
  omTool* tool = host.GetCurrentTool();
  panel->OnPropInit();
  FakeCmdUI ui(33826);
  host.update(module.get(), ui);
  EXPECT_EQ(ui.checked, 1);
  ASSERT_EQ(panel->EditAttrib(0, "on"), platform::EditResult::Ok);
  host.takeLog();
  button(tool, om::kButtonLeft, om::kActionPress, 5, 5);
  button(tool, om::kButtonLeft, om::kActionRelease, 5, 5);
  EXPECT_THAT(log(), Contains("select at 5 5 1 1"));
}

TEST_F(ComponentTools, NoComponentFilterNoComponentTool) {
  host.componentFilter.Clear();
  for (const char* name : {"Component Select", "Lasso Select", "Paint Select"})
    EXPECT_FALSE(host.ActivateTool(name)) << name;
  host.componentFilter.AddEntry("Points", 0x8000);
  host.componentFilter.SelectName("Points");
  for (const char* name : {"Component Select", "Lasso Select", "Paint Select"})
    EXPECT_TRUE(host.ActivateTool(name)) << name;
  // While another holds the main view, none starts.
  host.ActivateTool("Object Select");
  host.Lock();
  EXPECT_FALSE(host.ActivateTool("Component Select"));
  host.Unlock();
}

// [SECTION] Lasso Select

TEST_F(ComponentTools, LassoHandsOverTheRowsOfItsOutline) {
  omTool* tool = start("Lasso Select");
  EXPECT_THAT(log(), IsEmpty()) << "start() took the activation";
  // A square from (10,10) to (90,90), one point every 40 pixels along its sides.
  button(tool, om::kButtonLeft, om::kActionPress, 10, 10);
  for (auto [x, y] : std::vector<std::pair<float, float>>{
           {50, 10}, {90, 10}, {90, 50}, {90, 90}, {50, 90}, {10, 90}, {10, 50}, {10, 30}, {10, 20}})
    drag(tool, x, y);
  host.view.shift = host.view.ctrl = true;
  button(tool, om::kButtonLeft, om::kActionRelease, 10, 20);
  // The wait cursor stands while the host works the outline out.
  EXPECT_THAT(log(), ElementsAre("lock", "object mode 0", "unlock", "lock", "object mode 0",
                                 "keep 1", "system cursor 32514", "select in scanlines 150 1 0",
                                 "notify: 11", "system cursor 0", "refresh 1", "unlock"));
  ASSERT_EQ(host.scanRows.size(), 150u);
  // Row 50 meets the sides only, where two segments of each side join; each segment is widened
  // half a pixel at both ends. Ordered by first y.
  auto row = [&](std::size_t r) {
    std::vector<std::string> edges;
    for (const omScanEdge& e : host.scanRows[r]) {
      char text[64];
      std::snprintf(text, sizeof text, "%g,%g-%g,%g", e.x0, e.y0, e.x1, e.y1);
      edges.push_back(text);
    }
    return edges;
  };
  EXPECT_THAT(row(50), ElementsAre("90,9.5-90,50.5", "90,49.5-90,90.5", "10,50.5-10,29.5",
                                   "10,90.5-10,49.5"));
  // Row 10: the two top segments (horizontal, kept as they are) and the sides' widened ends.
  EXPECT_THAT(row(10), ElementsAre("90,9.5-90,50.5", "10,10-50,10", "50,10-90,10",
                                   "10,20.5-10,9.5"));
  EXPECT_TRUE(row(92).empty());
}

TEST_F(ComponentTools, LassoOutlinesOfNinePointsSelectNothing) {
  omTool* tool = start("Lasso Select");
  button(tool, om::kButtonLeft, om::kActionPress, 10, 10);
  for (float i = 1; i < 9; ++i) drag(tool, 10 + 10 * i, 10 + 7 * std::fmod(i, 3.0f));
  button(tool, om::kButtonLeft, om::kActionRelease, 100, 20);
  EXPECT_THAT(log(), ElementsAre("lock", "object mode 0", "unlock", "lock", "object mode 0",
                                 "unlock"));
}

TEST_F(ComponentTools, LassoPointsOutsideTheViewAreClampedAndAddedOnce) {
  omTool* tool = start("Lasso Select");
  button(tool, om::kButtonLeft, om::kActionPress, 10, 10);
  for (float i = 1; i <= 9; ++i) drag(tool, 10 + 15 * i, 10 + std::fmod(i, 2.0f) * 5);
  // Wandering far outside the bottom right corner: one point at (199, 149), not one per move.
  for (float i = 0; i < 20; ++i) drag(tool, 500 + i, 900 + i);
  button(tool, om::kButtonLeft, om::kActionRelease, 500, 900);
  ASSERT_EQ(host.scanRows.size(), 150u);
  // Row 149: only the segment into the corner and the closing one out of it.
  ASSERT_EQ(host.scanRows[149].size(), 2u);
  EXPECT_EQ(host.scanRows[149][0].x1, 199.0f);
  EXPECT_EQ(host.scanRows[149][0].y1, 149.5f);
  EXPECT_EQ(host.scanRows[149][1].x0, 199.0f);
}

TEST_F(ComponentTools, LassoReactsToComponentChanges) {
  omTool* tool = start("Lasso Select");
  omEvent changed{om::kNotifyComponentSelectionChanged};
  tool->OnNotify(&changed, nullptr);
  EXPECT_THAT(log(), ElementsAre("object mode 0", "refresh 0"));
}

TEST_F(ComponentTools, LassoPanelOffersVolumeSelectOnlyForMeshes) {
  ASSERT_TRUE(host.click(module.get(), 33828, true));
  platform::omPropertyObj* panel = host.shownPanel;
  ASSERT_NE(panel, nullptr);
  EXPECT_STREQ(panel->GetName(), "Lasso Select");
  host.objectFilter.SelectName("Coord Sys");
  panel->OnPropInit();
  EXPECT_FALSE(panel->IsAttribEnabled(0));
  host.objectFilter.SelectName("Mesh");
  omEvent showing{17};
  module->OnNotify(&showing, nullptr);
  EXPECT_FALSE(panel->IsAttribEnabled(0)) << "the tool is not active";
  host.click(module.get(), 33828);
  module->OnNotify(&showing, nullptr);
  EXPECT_TRUE(panel->IsAttribEnabled(0));
  FakeCmdUI ui(33828);
  host.update(module.get(), ui);
  EXPECT_TRUE(panel->GetAttrib(0).IsCtrlEnabled());
}

// [SECTION] Paint Select

TEST_F(ComponentTools, PaintAddsUnderTheBrushAndCtrlOrTheInvertStateRemoves) {
  omTool* tool = start("Paint Select");
  EXPECT_TRUE(host.IsToolActive("Paint Select"));
  button(tool, om::kButtonLeft, om::kActionPress, 20.7f, 30.2f);
  EXPECT_THAT(log(), ElementsAre("begin paint", "lock", "object mode 0", "keep 1",
                                 "paint 20 30 10.000000 1", "unlock",
                                 "post redraw request ffe 0 40 0 0 10", "switch A 1", "flush 0"));
  host.view.ctrl = true;
  drag(tool, 25, 30);
  EXPECT_THAT(log(), ElementsAre("begin paint", "keep 1", "paint 25 30 10.000000 0",
                                 "post redraw request ffe 0 40 0 0 10", "switch A 1", "flush 0"));
  host.view.invert = true;
  drag(tool, 26, 30);
  EXPECT_THAT(log(), Contains("paint 26 30 10.000000 1")) << "the invert state flips CTRL's rule";
  drag(tool, 27, 30, om::kButtonMiddle);
  EXPECT_THAT(log(), ElementsAre("begin paint", "post redraw request ffe 0 40 0 0 10",
                                 "switch A 1", "flush 0"));
  button(tool, om::kButtonLeft, om::kActionRelease, 27, 30);
  EXPECT_THAT(log(), ElementsAre("begin paint", "notify: 11"));
  host.selection.count = 1;
  button(tool, om::kButtonMiddle, om::kActionPress, 27, 30);
  EXPECT_THAT(log(), ElementsAre("begin paint", "clear selection", "notify: 10", "refresh 1"));
}

TEST_F(ComponentTools, PaintPromptCursorsAndKeys) {
  host.ActivateTool("Paint Select");
  EXPECT_THAT(log(), Contains("prompt: Select components by painting on them."));
  omTool* tool = host.GetCurrentTool();
  tool->Key(om::kKeyCtrl, om::kActionPress, &host.view);
  tool->Key(om::kKeyShift, om::kActionPress, &host.view);
  tool->Key(om::kKeyShift, om::kActionRelease, &host.view);
  EXPECT_THAT(log(), ElementsAre("cursor 5017", "cursor 5015"));
}

TEST_F(ComponentTools, HolesAreRecognisedByTheirMaskNotTheirName) {
  host.componentFilter.SelectName("Holes");
  EXPECT_FALSE(host.ActivateTool("Paint Select"));
  // A host that names the entry its own way still reports mask 8.
  host.componentFilter.Clear();
  host.componentFilter.AddEntry("Löcher", om::kMaskHoles);
  host.componentFilter.AddEntry("Holes", 0x100);
  host.componentFilter.SelectName("Löcher");
  EXPECT_FALSE(host.ActivateTool("Paint Select"));
  host.componentFilter.SelectName("Holes");
  EXPECT_TRUE(host.ActivateTool("Paint Select"));
}

TEST_F(ComponentTools, BrushSizesOutside1To500NeverReachTheTool) {
  ASSERT_TRUE(host.click(module.get(), 33827, true));
  platform::omPropertyObj* panel = host.shownPanel;
  ASSERT_NE(panel, nullptr);
  host.click(module.get(), 33827);
  panel->OnPropInit();
  FakeCmdUI ui(33827);
  host.update(module.get(), ui);
  EXPECT_STREQ(panel->GetAttrib(0).GetValueText(), "10");
  host.takeLog();
  for (const char* bad : {"0", "501", "-3", "nan", "1e9", ""})
    EXPECT_NE(panel->EditAttrib(0, bad), platform::EditResult::Ok) << bad;
  EXPECT_THAT(log(), Not(Contains("notify: 18")));
  ASSERT_EQ(panel->EditAttrib(0, "500"), platform::EditResult::Ok);
  EXPECT_THAT(log(), Contains("notify: 18"));
  auto* paint = static_cast<selection::omToolPaintSelect*>(host.GetCurrentTool());
  EXPECT_EQ(paint->GetBrushSize(), 500.0f);
  // The tool refuses on its own too, whoever calls it.
  paint->SetBrushSize(std::numeric_limits<float>::quiet_NaN());
  paint->SetBrushSize(0.5f);
  paint->SetBrushSize(501.0f);
  EXPECT_EQ(paint->GetBrushSize(), 500.0f);
  EXPECT_THAT(log(), IsEmpty());
  button(host.GetCurrentTool(), om::kButtonLeft, om::kActionPress, 3, 4);
  EXPECT_THAT(log(), Contains("paint 3 4 500.000000 1"));
}

}  // namespace
}  // namespace tessel::test
