// Studio's tool and command managers and filters, driven with the probe module's tools.
#include <gtest/gtest.h>

#include "studio/host/command_manager.h"
#include "studio/host/mask_list.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class Managers : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_PROBE_PATH, 64, 48); }
};

TEST_F(Managers, PushedToolsReturnToTheOneUnderThem) {
  studio::ToolManager& tools = host->tools();
  ASSERT_TRUE(tools.IsToolActive("Object Select"));
  EXPECT_TRUE(tools.PushTool("Dolly"));
  EXPECT_TRUE(tools.IsToolActive("Dolly"));
  EXPECT_FALSE(tools.PushTool("Dolly")) << "a tool does not stack on itself";
  EXPECT_TRUE(tools.PopTool());
  EXPECT_TRUE(tools.IsToolActive("Object Select"));
  EXPECT_FALSE(tools.PopTool());
  // Activating a tool ends whatever was stacked.
  EXPECT_TRUE(tools.PushTool("Dolly"));
  EXPECT_TRUE(tools.ActivateTool("Component Select"));
  EXPECT_FALSE(tools.PopTool());
  EXPECT_FALSE(tools.ActivateTool("Pan")) << "listed, but the probe has no factory for it";
  tools.unavailable.insert("Dolly");
  EXPECT_FALSE(tools.IsToolAvailable("Dolly"));
  EXPECT_FALSE(tools.ActivateTool("Dolly"));
  EXPECT_EQ(tools.FindTool("Dolly"), tools.FindTool("Dolly")) << "one instance a name";
}

TEST_F(Managers, CommandsRunWithARecordAndRefuseWhenUnavailable) {
  studio::CommandManager& commands = host->commands();
  omCommandData* record = commands.CreateCommandData("View All");
  EXPECT_NE(record, nullptr);
  EXPECT_TRUE(commands.ExecuteCommand("View All", record));
  delete record;
  EXPECT_EQ(commands.CreateCommandData("Select All"), nullptr) << "a command without a record";
  EXPECT_FALSE(commands.ExecuteCommand("No Such", nullptr));
  commands.unavailable.insert("Select All");
  EXPECT_FALSE(commands.ExecuteCommand("Select All", nullptr));
  EXPECT_FALSE(has(take(), "Select All ran"));
}

TEST(TerminalProgress, CancelsAfterTheRequestedSteps) {
  std::vector<std::string> echoed;
  studio::TerminalProgress progress([&](const std::string& l) { echoed.push_back(l); });
  progress.SetRange(100);
  progress.cancelAfterSteps(30);
  progress.Step(20);
  EXPECT_FALSE(progress.IsCancelled());
  progress.Step(10);
  EXPECT_TRUE(progress.IsCancelled());
  progress.SetMessage("Selected 3 polygons.", 0);
  EXPECT_EQ(echoed, (std::vector<std::string>{"message: Selected 3 polygons."}));
}

TEST(Filters, StepWrapsAndOnlyRealChangesAreAnnounced) {
  studio::MaskList list;
  int changes = 0;
  list.onChange = [&](studio::MaskList&) { ++changes; };
  EXPECT_FALSE(list.StepEntry(1));
  list.AddEntry("Mesh", om::kMaskMesh);
  list.AddEntry("Lights", om::kMaskLights);
  EXPECT_TRUE(list.SelectName("Mesh"));
  EXPECT_TRUE(list.SelectName("Mesh"));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(list.StepEntry(1));
  EXPECT_EQ(list.GetCurrentMask(), om::kMaskLights);
  EXPECT_TRUE(list.StepEntry(1));
  EXPECT_STREQ(list.GetCurrentName(), "Mesh");
  EXPECT_TRUE(list.StepEntry(-3));
  EXPECT_STREQ(list.GetCurrentName(), "Lights");
  EXPECT_FALSE(list.SelectName("Curve"));
  EXPECT_EQ(changes, 4);
}

}  // namespace
}  // namespace tessel::test

namespace tessel::test {
namespace {

class HostWithScene : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    for (const char* name : {"a.obj", "b.obj"})
      ASSERT_EQ(open(name, "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n"), "");
    take();
  }
};

// A filter refill raised while the module handles a document change is delivered after it, and
// the module ends with both filters filled.
TEST_F(HostWithScene, EventsRaisedDuringAnEventFollowIt) {
  host->GetObjectFilter()->Clear();
  host->GetComponentFilter()->Clear();
  omEvent event;
  event.code = om::kEventDocumentKindChanged;
  host->Notify(&event, nullptr);
  auto lines = take();
  EXPECT_TRUE(has(lines, "notify: 9"));
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Mesh");
  EXPECT_STREQ(host->GetComponentFilter()->GetCurrentName(), "Faces");
}

TEST_F(HostWithScene, SaveWritesTheLastSelectedMesh) {
  auto target = dir.path / "out.ply";
  host->scene().select(host->scene().findByName("b")->id, true);
  host->scene().select(host->scene().findByName("a")->id, true);
  EXPECT_TRUE(has(output("save " + target.string() + "\n"), "saved: a to "));
  host->scene().clearSelection();
  EXPECT_EQ(run("save " + target.string() + "\n"), "");
  EXPECT_TRUE(has(take(), "saved: a to ")) << "nothing selected: the first mesh";
  EXPECT_NE(run("save " + (dir.path / "x.stl").string() + "\n").find("cannot save as \".stl\""),
            std::string::npos);
}

// The first file frames all four views, the three not shown too: switched to four, each shows
// the scene framed for its quarter (they stayed at the standard cameras, the scene a speck).
TEST_F(HostWithScene, TheFirstFileFramesTheViewsNotShownToo) {
  ASSERT_EQ(run("layout quad\n"), "");
  const studio::Box box = host->scene().bounds();
  for (int i = 1; i < 4; ++i) {
    const studio::StudioView& v = host->views().view(i);
    studio::Camera framed = v.camera;
    studio::frameBox(framed, box, v.rect.width, v.rect.height);
    EXPECT_NEAR(v.camera.orthoHeight, framed.orthoHeight, 1e-9 * framed.orthoHeight) << i;
    EXPECT_EQ(v.camera.target, framed.target) << i;
  }
}

}  // namespace
}  // namespace tessel::test
