// The delete commands, the module's own light, coordinate-system and grid commands, and the
// evaluation light tool, driven through the loaded module against the fake host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/omPropertyObj.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

class SceneCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    host.scene = &scene;
    ASSERT_TRUE(module.start(host));
    omEvent kind{om::kEventDocumentKindChanged};
    module->OnNotify(&kind, nullptr);  // Mesh, Coord Sys, Lights
  }
  void TearDown() override {
    for (omCommand* c : commands_) c->Release();
    for (omTool* t : tools_) t->Release();
  }
  // Runs the named command as a host would: only when it may; the message it left, or
  // "(refused)".
  std::string run(const char* name, const char* filter) {
    host.objectFilter.SelectName(filter);
    omCommand* c = host.makeCommand(name);
    if (!c) return "(no command)";
    commands_.push_back(c);  // holds the one reference makeCommand took
    c->SetApplication(&host);
    c->SetMainView(&host);
    c->SetContext(&host.context);
    if (!c->CanExecute()) return "(refused)";
    FakeProgress progress;
    EXPECT_EQ(c->Execute(&progress, nullptr), om::kExecuteRan);
    EXPECT_EQ(host.lockDepth, 0) << name << " left the main view locked";
    return progress.messages.empty() ? "(no message)" : progress.messages.back();
  }
  std::vector<std::string> deletions() {
    std::vector<std::string> out;
    for (const std::string& line : host.takeLog())
      if (line.rfind("delete", 0) == 0) out.push_back(line);
    return out;
  }

  TempConfig config;
  // The module outlives the host, whose tools are the module's code.
  LoadedModule module{TESSEL_MODULE_PATH};
  // The scene outlives the host, whose end deactivates a tool that still reads the selection.
  FakeScene scene;
  FakeHost host;
  std::vector<omCommand*> commands_;
  std::vector<omTool*> tools_;
};

TEST_F(SceneCommands, CoordSysDeleteKeepsTheGlobalOneAndSaysSo) {
  FakeEntity& a = scene.addCoordSys("A", {1, 0, 0}, {0, 0, 0, 1});
  FakeEntity& b = scene.addCoordSys("B", {2, 0, 0}, {0, 0, 0, 1});
  scene.select(a), scene.select(*scene.global), scene.select(b);
  EXPECT_EQ(run("Coord Sys Delete", "Lights"), "(refused)") << "only under the Coord Sys filter";
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"),
            "2 coordinate system(s) deleted (Could not delete global coordinate system)");
  EXPECT_THAT(deletions(), ElementsAre("delete A", "delete B"));
  EXPECT_TRUE(scene.selection.items.empty());

  scene.select(*scene.global);
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"), " (Could not delete global coordinate system)");
  EXPECT_THAT(deletions(), ElementsAre());
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"), "(refused)") << "nothing selected";

  // Component mode: nothing goes and nothing is said.
  FakeEntity& c = scene.addCoordSys("C", {3, 0, 0}, {0, 0, 0, 1});
  scene.select(c);
  scene.objectMode = false;
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"), "(no message)");
  EXPECT_THAT(deletions(), ElementsAre());
  EXPECT_EQ(scene.selection.items.size(), 1u);
}

TEST_F(SceneCommands, LightDeleteReportsOnlyWhatWentAndReadsOwnersBeforeDeleting) {
  FakeEntity& owner = scene.add("Rig", om::kEntityDeletedOwner);
  FakeEntity& l1 = scene.add("L1", om::kEntityLight);
  FakeEntity& l2 = scene.add("L2", om::kEntityLight);
  FakeEntity& mesh = scene.add("Mesh", om::kEntityPolygonMesh);
  l1.owner = &owner;
  l2.owner = &mesh;  // not an owner kind: passed as null
  // Deleting L1 takes L2 with it: L2's owner must have been read before.
  l1.items.items.push_back(&l2);
  scene.select(mesh), scene.select(l1), scene.select(l2);
  EXPECT_EQ(run("Light Delete", "Lights"), "2 objects deleted.");
  EXPECT_THAT(deletions(), ElementsAre("delete L1 of Rig", "delete (gone) L2"));
  EXPECT_THAT(scene.log, Not(Contains("L2: owner read after delete")));
  EXPECT_TRUE(scene.selection.items.empty()) << "the whole selection is cleared";

  // A selection without a light deletes nothing and does not claim to have.
  scene.select(mesh);
  EXPECT_EQ(run("Light Delete", "Lights"), "");
  EXPECT_THAT(deletions(), ElementsAre());
  FakeEntity& l3 = scene.add("L3", om::kEntityLight);
  scene.select(l3);
  EXPECT_EQ(run("Light Delete", "Lights"), "Object deleted.");
}

TEST_F(SceneCommands, CurrentMapDeleteOnlyWhereAMapIs) {
  FakeEntity& plain = scene.add("Plain", om::kEntityPolygonMesh);
  scene.select(plain);
  EXPECT_EQ(run("Current Map Delete", "Mesh"), "(refused)") << "no selected mesh has a map";
  FakeEntity& scan = scene.add("Scan", om::kEntityPolygonMesh);
  scan.maps = 2;
  scene.select(scan);
  EXPECT_EQ(run("Current Map Delete", "Coord Sys"), "(refused)");
  EXPECT_EQ(run("Current Map Delete", "Mesh"), "Map deleted");
  EXPECT_EQ(scan.maps, 1);
  EXPECT_THAT(scene.log, Not(Contains("Plain: delete map")));
  EXPECT_EQ(scene.selection.items.size(), 2u) << "the selection stays";
}

TEST_F(SceneCommands, DeletesWorkInsideTheBracketsAndAnnounceTheChangeAfterThem) {
  FakeEntity& light = scene.add("L", om::kEntityLight);
  scene.select(light);
  host.takeLog();
  EXPECT_EQ(run("Light Delete", "Lights"), "Object deleted.");
  EXPECT_THAT(host.takeLog(),
              ElementsAre("is allowed 272", "begin update", "lock", "delete L", "end interaction",
                          "unlock", "end update", "update manipulator 1", "update all views",
                          "notify: 10"));
  FakeEntity& scan = scene.add("Scan", om::kEntityPolygonMesh);
  scan.maps = 1;
  scene.select(scan);
  EXPECT_EQ(run("Current Map Delete", "Mesh"), "Map deleted");
  EXPECT_THAT(host.takeLog(),
              ElementsAre("is allowed 272", "begin update", "lock", "end interaction", "unlock",
                          "end update", "update manipulator 1", "update all views", "notify: 10"));
  EXPECT_EQ(host.updateDepth, 0);

  // A busy host is not even asked for permission; a host that withholds it refuses every delete.
  FakeEntity& cs = scene.addCoordSys("C", {1, 0, 0}, {0, 0, 0, 1});
  scene.select(cs);
  scan.maps = 1;
  host.context.busy = true;
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"), "(refused)");
  EXPECT_THAT(host.takeLog(), IsEmpty());
  host.context.busy = false;
  host.refusedPermissions = 0x100;
  EXPECT_EQ(run("Coord Sys Delete", "Coord Sys"), "(refused)");
  EXPECT_EQ(run("Light Delete", "Lights"), "(refused)");
  EXPECT_EQ(run("Current Map Delete", "Mesh"), "(refused)");
  EXPECT_THAT(deletions(), ElementsAre());
}

TEST_F(SceneCommands, SelectLightsShowsThemFirstAndSelectCoordSysLeavesTheDisplayAlone) {
  host.viewOn = true;
  auto firstLines = [&](std::size_t n) {
    std::vector<std::string> lines = host.takeLog();
    lines.resize(std::min(lines.size(), n));
    return lines;
  };
  host.takeLog();
  EXPECT_TRUE(host.click(module.get(), 33823));
  EXPECT_THAT(firstLines(3),
              ElementsAre("update manipulator 1", "refresh 1", "activate Modify Mask Select"));
  EXPECT_TRUE(host.lightDisplayFlags & om::kLightDisplayBit);
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Lights");
  // Shown already: straight to the mask.
  host.ActivateTool("Object Select");
  host.takeLog();
  EXPECT_TRUE(host.click(module.get(), 33823));
  EXPECT_THAT(firstLines(1), ElementsAre("activate Modify Mask Select"));
  host.ActivateTool("Object Select");
  host.click(module.get(), 33822);  // lights off
  host.takeLog();
  EXPECT_TRUE(host.click(module.get(), 33834));
  EXPECT_THAT(firstLines(1), ElementsAre("activate Modify Mask Select"));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Coord Sys");
  EXPECT_FALSE(host.lightDisplayFlags & om::kLightDisplayBit);
}

TEST_F(SceneCommands, TenLightsThenTheLimitMessageAndNothingElse) {
  host.takeLog();
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(host.click(module.get(), 33824));
  EXPECT_EQ(host.lights, 10);
  EXPECT_EQ(host.lightGroup.GetMemberCount(), 10);
  EXPECT_THAT(scene.log, Contains("light 1: first in group"));
  EXPECT_THAT(scene.log, Contains("light 2: not first"));
  EXPECT_THAT(scene.log, Contains("light 10: kind 4"));
  // The first light turned the display on.
  EXPECT_TRUE(host.lightDisplayFlags & om::kLightDisplayBit);
  for (std::uint32_t word : host.lightFlags) EXPECT_TRUE(word & om::kLightDisplayBit);
  FakeCmdUI display(33822);
  host.update(module.get(), display);
  EXPECT_EQ(display.checked, 1);
  host.takeLog();
  EXPECT_TRUE(host.click(module.get(), 33824));
  EXPECT_THAT(host.takeLog(),
              ElementsAre("message: Light creation failed - maximum number of lights reached.\n"));
  EXPECT_EQ(host.messageCaption, "Light Creation Failure");
  EXPECT_EQ(host.messageStyle, 0x30u);
  EXPECT_EQ(host.lightGroup.GetMemberCount(), 10);
  // Display off again clears every bit.
  host.click(module.get(), 33822);
  EXPECT_FALSE(host.lightDisplayFlags & om::kLightDisplayBit);
  EXPECT_FALSE(host.lightFlags[9] & om::kLightDisplayBit);
}

TEST_F(SceneCommands, HostWithoutGroupsOrGlobalIsNeverDereferenced) {
  host.noGroups = true;
  EXPECT_TRUE(host.click(module.get(), 33824));
  EXPECT_EQ(host.lights, 1);
  EXPECT_THAT(scene.log, Contains("light 1: not first"));
  scene.global = nullptr;
  host.takeLog();
  EXPECT_TRUE(host.click(module.get(), 33835));
  EXPECT_THAT(scene.log, Contains("cs: show entity"));
  EXPECT_THAT(host.takeLog(), Contains("notify: 34"));
}

TEST_F(SceneCommands, NewCoordSysFollowsItsGroupAndHidesTheGlobalOne) {
  host.coordSysGroup.shown = false;
  EXPECT_TRUE(host.click(module.get(), 33835));
  EXPECT_THAT(scene.log, Contains("cs: hide entity"));
  EXPECT_THAT(scene.log, Contains("World: hide entity"));
  EXPECT_EQ(host.coordSysGroup.GetMemberCount(), 1);
}

TEST_F(SceneCommands, GridAndSelectionItemsFollowTheHost) {
  FakeCmdUI grid(33896), lights(33823), coordSys(33834), directional(33824);
  // The directional light's item has an update handler that leaves it as it is.
  EXPECT_TRUE(host.update(module.get(), directional));
  EXPECT_EQ(directional.enabled, -1);
  EXPECT_EQ(directional.checked, -1);
  EXPECT_TRUE(host.click(module.get(), 33896));
  host.update(module.get(), grid);
  EXPECT_EQ(grid.checked, 1);
  EXPECT_TRUE(host.click(module.get(), 33896));
  host.update(module.get(), grid);
  EXPECT_EQ(grid.checked, 0);

  host.objectFilter.SelectName("Lights");
  host.update(module.get(), lights);
  host.update(module.get(), coordSys);
  EXPECT_EQ(lights.enabled, 1);
  EXPECT_EQ(lights.checked, 1);
  EXPECT_EQ(coordSys.enabled, 1);
  EXPECT_EQ(coordSys.checked, 0);
  // A document kind whose filter has neither entry.
  host.filterMode = 7;
  omEvent kind{om::kEventDocumentKindChanged};
  module->OnNotify(&kind, nullptr);
  host.update(module.get(), lights);
  EXPECT_EQ(lights.enabled, 0);
  EXPECT_EQ(lights.checked, 0);
}

TEST_F(SceneCommands, EvalLightPlacesOnLeftPressAndAnyDragAndResetsFromItsPanel) {
  host.viewOn = true;
  omTool* tool = host.makeTool("Eval Light");
  ASSERT_NE(tool, nullptr);
  tools_.push_back(tool);  // holds the one reference makeTool took
  tool->SetApplication(&host);
  host.takeLog();
  tool->Activate();
  EXPECT_THAT(host.takeLog(),
              ElementsAre("status: ", "redraw 0", "refresh 1",
                          "prompt: Press LMB to to position and move evaluation light.",
                          "cursor 4999"));
  const float at[2] = {10, 20}, to[2] = {30, 40};
  tool->MouseButton(om::kButtonRight, om::kActionPress, at, &host.view);
  EXPECT_THAT(host.takeLog(), ElementsAre());
  tool->MouseButton(om::kButtonLeft, om::kActionPress, at, &host.view);
  EXPECT_THAT(host.takeLog(), ElementsAre("place light 10 20 200 150"));
  host.view.logRedraws = true;
  tool->MouseDrag(om::kButtonRight, at, to, &host.view);
  EXPECT_THAT(host.takeLog(),
              ElementsAre("place light 30 40 200 150", "update manipulator 1", "redraw view 1"));
  tool->MouseButton(om::kButtonLeft, om::kActionRelease, to, &host.view);
  EXPECT_THAT(host.takeLog(), ElementsAre("update manipulator 1", "refresh 0"));

  // Reset from the panel, with another tool current.
  host.ActivateTool("Object Select");
  ASSERT_TRUE(host.click(module.get(), 34026, true));
  ASSERT_NE(host.shownPanel, nullptr);
  platform::omPropertyObj& panel = *host.shownPanel;
  FakeCmdUI item(34026);
  host.update(module.get(), item);
  host.takeLog();
  ASSERT_EQ(panel.GetNumAttribs(), 1);
  EXPECT_EQ(panel.EditAttrib(0, ""), platform::EditResult::Ok);
  EXPECT_THAT(host.takeLog(),
              ElementsAre("reset light", "update manipulator 1", "redraw view 1"));
}

}  // namespace
}  // namespace tessel::test
