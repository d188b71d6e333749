#include "studio/script/script_runner.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "studio/host/menu_item.h"
#include "studio/scene/mesh_io.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class TesselScript : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH); }
};

class ProbeScript : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_PROBE_PATH); }
};

TEST(ScriptWords, QuotesGroupAndCommentsEnd) {
  std::string error;
  EXPECT_EQ(studio::tokenize(R"(set "Flood Select" "Fill \"Range\"" 3 # why)", &error),
            (std::vector<std::string>{"set", "Flood Select", "Fill \"Range\"", "3"}));
  EXPECT_TRUE(studio::tokenize("open \"a b", &error).empty());
  EXPECT_EQ(error, "unterminated quote");
  EXPECT_EQ(studio::virtualKey("w"), 'W');
  EXPECT_EQ(studio::virtualKey("F2"), 0x71);
  EXPECT_EQ(studio::virtualKey("F13"), 0);
}

TEST_F(TesselScript, ModuleUiIsMergedAndListedByNameAndHelpListsTheVerbs) {
  auto lines = output("print menu\n");
  EXPECT_TRUE(has(lines, "&File")) << "Studio's own menu";
  EXPECT_TRUE(has(lines, "[33814]")) << "the module's View All item";
  lines = output("print toolbars\nprint accelerators\n");
  EXPECT_TRUE(has(lines, "combo {Mesh, Coord Sys, Lights} = Mesh marked"));
  EXPECT_TRUE(has(lines, "combo {Faces, Holes, Vertices, Edges} = Faces marked"));
  EXPECT_TRUE(has(lines, "[34029] Custom Select panel"));
  EXPECT_TRUE(has(lines, "[34019] Object Filter combo {"));
  EXPECT_TRUE(has(lines, "W -> 33814 View All"));
  EXPECT_TRUE(has(lines, "Ctrl+A -> 33830 Select All"));
  EXPECT_TRUE(has(output("panel \"custom select\"\n"), "panel: Custom Select [34029]"));
  EXPECT_EQ(run("panel Nonsense\n"), "error: test:1: no command named \"Nonsense\"\n");
  EXPECT_EQ(run("panel 34029\n"), "") << "numbers still work";

  lines = output("help\n");
  EXPECT_TRUE(has(lines, "  drag left|middle|right X0 Y0 X1 Y1"));
  EXPECT_TRUE(has(lines, "  expect-refusal VERB"));
  EXPECT_TRUE(has(lines, "  help [VERB]"));
  EXPECT_TRUE(has(output("help panel\n"), "usage: panel ID|\"Name\""));
  EXPECT_EQ(run("help fly\n"), "error: test:1: no verb \"fly\"\n");
}

TEST_F(TesselScript, ACommandThatCannotRunFailsTheLineUnlessARefusalIsExpected) {
  EXPECT_EQ(run("# nothing is selected\ncommand \"View Selected\"\n"),
            "error: test:2: command \"View Selected\" did not run (start the line with "
            "\"expect-refusal\" when that is expected)\n");
  EXPECT_EQ(run("expect-refusal command \"View Selected\"\n"), "");
  // Through a key, as through a menu: the refusal comes from the command manager.
  EXPECT_EQ(run("expect-refusal key V\n"), "");
  EXPECT_NE(run("key V\n"), "");
  ASSERT_EQ(openSquare(), "");
  EXPECT_EQ(run("expect-refusal command \"View All\"\n"),
            "error: test:1: expected a refusal, but the line's command ran\n");
  EXPECT_EQ(run("expect-refusal\n"), "error: test:1: usage: expect-refusal VERB ... (the line's "
                                      "command must refuse to run)\n");
}

TEST_F(TesselScript, ChoosingAFilterRefillsTheComponentFilter) {
  auto lines = output("filter object \"Coord Sys\"\nprint toolbars\n");
  EXPECT_TRUE(has(lines, "filter: object Coord Sys"));
  EXPECT_TRUE(has(lines, "combo {Mesh, Coord Sys, Lights} = Coord Sys"));
  EXPECT_EQ(run("filter object Nonsense\n"), "error: test:1: the filter has no entry \"Nonsense\"\n");
}

TEST_F(TesselScript, OpenSelectAndPrint) {
  ASSERT_EQ(openSquare(), "");
  EXPECT_EQ(run("select quad faces 1\nselect quad vertices 0 3\n"
                "print selection\nprint scene\n"),
            "");
  auto lines = take();
  EXPECT_TRUE(has(lines, "loaded: quad: 4 vertices, 2 faces, 5 edges (4 boundary, 0 non-manifold"));
  EXPECT_TRUE(has(lines, "notify: 11"));
  EXPECT_TRUE(has(lines, "quad: vertices 2 [0 3]; faces 1 [1]; edges 0"));
  EXPECT_TRUE(has(lines, "2 quad (mesh) 4 vertices 2 faces 5 edges"));
  EXPECT_EQ(run("select quad faces 2\n"), "error: test:1: handle 2 out of range (quad has 2)\n");
  EXPECT_EQ(run("select nobody faces 0\n"), "error: test:1: no object \"nobody\"\n");
  // Names address objects, so a taken one is numbered, past every number taken.
  lines = output("curve quad 0 0 0 1 0 0\ncurve x 0 0 0 1 1 1\ncurve quad 0 0 0 2 0 0\n");
  EXPECT_TRUE(has(lines, "added: quad 2 (2 points)"));
  EXPECT_TRUE(has(lines, "added: quad 3 (2 points)"));
}

TEST_F(TesselScript, TheFirstShapeIsFramedWhetherCurveOrMesh) {
  // A curve far from the origin in an empty scene: the view turns to it, and a mesh opened
  // after it no longer takes the view away.
  EXPECT_TRUE(has(output("curve far 100 50 0 104 50 0\nprint camera\n"), "target (102, 50, 0)"));
  ASSERT_EQ(openSquare(), "");
  EXPECT_TRUE(has(output("print camera\n"), "target (102, 50, 0)"));
}

TEST_F(TesselScript, ViewsKeepTheirCamerasAcrossLayouts) {
  ASSERT_EQ(openSquare(), "");
  auto quad = output("layout quad\nview 3\nprint camera\n");
  EXPECT_TRUE(has(quad, "camera: view 3 (right)"));
  EXPECT_TRUE(has(quad, "projection orthographic"));
  EXPECT_EQ(run("layout single\nview 3\n"), "error: test:2: no view 3 in this layout (1 views)\n");
  EXPECT_TRUE(has(output("print camera\n"), "camera: view 0 (perspective) eye"));
}

TEST_F(TesselScript, BadFilesLoseNothingAlreadyLoaded) {
  auto bad = dir.write("bad.ply", "ply\nformat ascii 1.0\nelement vertex 9\nend_header\n1 2\n");
  EXPECT_EQ(openSquare(), "");
  std::string error = run("print scene\nopen " + bad.string() + "\nprint scene\n");
  EXPECT_EQ(error.rfind("error: test:2: " + bad.string() + ": ", 0), 0u) << error;
  EXPECT_EQ(run("open " + dir.path.string() + "\n"),
            "error: test:1: " + dir.path.string() + ": is a directory\n");
  EXPECT_TRUE(has(output("print scene\n"), "2 quad (mesh) 4 vertices"));
}

// The load line says what a file holds that the mesh does not show as a user would expect: faces
// that could not be kept, and a mesh whose every face sits at one point.
TEST_F(TesselScript, TheLoadLineTellsWhatTheFileHeld) {
  auto odd = dir.write("odd.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\nf 1 1 2\nf 1 2 3\n");
  std::string zeros(84 + 50 * 3, '\0');
  zeros[80] = 3;
  auto point = dir.write("point.stl", zeros);
  auto lines = output("open " + odd.string() + "\nopen " + point.string() + "\n");
  EXPECT_TRUE(hasLine(lines, "loaded: odd: 3 vertices, 2 faces, 4 edges (3 boundary, 0 non-manifold, "
                             "1 degenerate faces); 1 faces of the file with fewer than 3 corners "
                             "could not be read"));
  EXPECT_TRUE(has(lines, "loaded: point: 1 vertices, 3 faces, 1 edges (0 boundary, 1 non-manifold, "
                         "3 degenerate faces); all faces at one point"));
}

TEST_F(TesselScript, EveryMalformedLineNamesItsNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"frobnicate", "unknown verb \"frobnicate\""},
      {"layout triple", "usage: layout single|quad"},
      {"press left 10", "usage: press left|middle|right X Y [shift] [ctrl] [alt]"},
      {"press thumb 1 2", "unknown button \"thumb\""},
      {"move left 1 nan", "\"nan\" is not a coordinate"},
      {"drag left 0 0 9 9 steps 0", "steps must be a whole number from 1 to 10000"},
      {"drag left 0 0 9 9 hyper", "unexpected \"hyper\""},
      {"wheel x 1 1", "wheel delta \"x\" is not a whole number"},
      {"key Q", "no accelerator on Q"},
      {"key Hyper", "unknown key \"Hyper\""},
      {"id 0", "usage: id N [shift]"},
      {"tool \"No Such Tool\"", "no tool \"No Such Tool\""},
      {"command \"No Such\"", "no command \"No Such\""},
      {"set \"Nope\" \"A\" 1", "panel \"Nope\" has not been shown"},
      {"print colours", "cannot print \"colours\""},
      {"shot " "/no/such/dir/x.png", "/no/such/dir/x.png: cannot be written"},
      {"shot x.png window", "there is no window to shoot: Studio runs headless"},
      {"shot x.png dialog preferences",
       "there is no window to show the preferences dialog in: Studio runs headless"},
      {"shot x.png dialog about", "usage: shot PATH.png [frame|window|dialog preferences|shortcuts]"},
      {"save /tmp/x.ply", "nothing to save"},
      {"open \"unterminated", "unterminated quote"},
      {"coordsys \"Bad\" 1 2", "usage: coordsys"},
      {"coordsys \"Bad\" 0 0 0 0 0 0 0", "must be a finite, non-zero quaternion"},
  };
  for (auto [line, message] : cases) {
    std::string error = run("# a comment\n\nprint scene\n" + std::string(line) + "\nprint scene\n");
    EXPECT_EQ(error.rfind("error: test:4: ", 0), 0u) << line << " -> " << error;
    EXPECT_NE(error.find(message), std::string::npos) << line << " -> " << error;
  }
}

// A script file that is a directory reads as nothing: it fails rather than "succeeding". A
// leading byte order mark is skipped; bad bytes come back escaped, never raw to the terminal.
TEST_F(TesselScript, ScriptFilesAndTheirBytesAreTakenSafely) {
  std::ostringstream err;
  EXPECT_EQ(runner->runFile(dir.path.string(), err), 1);
  EXPECT_EQ(err.str(), "error: " + dir.path.string() + ": is a directory\n");
  err.str("");
  EXPECT_EQ(runner->runFile((dir.path / "missing.tss").string(), err), 1);
  EXPECT_EQ(err.str(), "error: " + (dir.path / "missing.tss").string() + ": cannot be read\n");
  err.str("");
  const auto bom = dir.write("bom.tss", "\xEF\xBB\xBFprint scene\n");
  EXPECT_EQ(runner->runFile(bom.string(), err), 0);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(run(std::string("frob\x1b[2J\0\xff\xc3\xa9!\n", 14)),
            "error: test:1: unknown verb \"frob\\x1b[2J\\x00\\xff\xc3\xa9!\"\n");
  EXPECT_EQ(studio::escapeBytes("\xed\xa0\x80 \xe2\x82\xac \xf4\x90\x80\x80"),
            "\\xed\\xa0\\x80 \xe2\x82\xac \\xf4\\x90\\x80\\x80")
      << "a surrogate and a code point past U+10FFFF are escaped; the euro sign is kept";
}

TEST_F(TesselScript, ShotAndSaveWriteFiles) {
  auto png = dir.path / "v.png", ply = dir.path / "out.ply";
  ASSERT_EQ(openSquare(), "");
  EXPECT_EQ(run("shot " + png.string() + "\nshot " +
                (dir.path / "f.png").string() + " frame\nsave " + ply.string() + "\n"),
            "");
  EXPECT_GT(std::filesystem::file_size(png), 100u);
  EXPECT_TRUE(has(take(), "saved: quad to " + ply.string()));
  EXPECT_EQ(studio::loadMeshFile(ply).mesh.faceCount(), 2u);
  // A save the disk cannot hold fails the script, and the file saved before stays.
  platform::test_seam::injectFailure(2, ENOSPC);
  EXPECT_EQ(run("save " + ply.string() + "\n"),
            "error: test:1: " + ply.string() + ": cannot be written: No space left on device\n");
  platform::test_seam::injectFailure(0, 0);
  EXPECT_EQ(studio::loadMeshFile(ply).mesh.faceCount(), 2u);
}

TEST_F(ProbeScript, ToolsCommandsAndPanelsAsAUserDrivesThem) {
  // Studio starts in the selection tool when the module has one.
  EXPECT_TRUE(host->tools().IsToolActive("Object Select"));
  auto lines = output("tool Dolly\ncommand \"Select All\"\n");
  EXPECT_TRUE(has(lines, "status: Dolly active"));
  EXPECT_TRUE(has(lines, "status: Select All ran"));
  EXPECT_TRUE(has(lines, "command: Select All ran"));
  // Shift+click on a command with a panel opens the panel; set and apply run it from there.
  EXPECT_EQ(run("id 33814 shift\nprint panel \"Probe Command\"\nset \"Probe Command\" "
                "\"All Views\" false\napply \"Probe Command\"\n"),
            "");
  lines = take();
  EXPECT_TRUE(has(lines, "panel: Probe Command [33814]"));
  EXPECT_TRUE(has(lines, "All Views = true"));
  EXPECT_TRUE(has(lines, "status: View All ran one"));
  // Shift+click on a tool's button opens its panel and makes the tool current, as a plain click
  // would, so the panel takes edits at once (a panel of a tool that is not current only shows).
  EXPECT_EQ(run("tool \"Dolly\"\nid 33826 shift\nset \"Probe Tool\" Size 7\n"), "");
  EXPECT_TRUE(host->tools().IsToolActive("Component Select"));
  // A tool's panel answers while its tool is active; there a disabled attribute and a value out
  // of range are refused with a reason.
  EXPECT_EQ(run("tool \"Component Select\"\nid 33826 shift\nset \"Probe Tool\" Locked true\n"),
            "error: test:3: attribute \"Locked\" is disabled\n");
  // The same pass checks the active tool's button.
  EXPECT_TRUE(has(output("print toolbars\n"), "  [33826] Component Select checked panel"));
  EXPECT_EQ(run("set \"Probe Tool\" Size 11\n"),
            "error: test:1: \"11\" is not a valid value for \"Size\"\n");
  lines = output("print panel \"Probe Tool\"\n");
  EXPECT_TRUE(has(lines, "Size = 7"));
  EXPECT_TRUE(has(lines, "Locked = false  disabled"));
  // The accelerator W routes to View All like the menu item.
  EXPECT_TRUE(has(output("key W\n"), "status: View All ran"));
}

TEST_F(ProbeScript, PointerInputReachesTheCurrentTool) {
  // The probe tools only report activation; a press with SHIFT held must leave the key state
  // as the script said, and the drag must end with no button or key held.
  EXPECT_EQ(run("press left 10 10 shift\nmove left 20 20 shift\nrelease left 20 20\n"
                "drag right 0 0 50 40 steps 3 ctrl\nwheel 120 5 5\n"),
            "");
  EXPECT_FALSE(host->IsKeyDown(om::kKeyShift));
  EXPECT_FALSE(host->IsKeyDown(om::kKeyCtrl));
  EXPECT_EQ(host->views().active().IsButtonUp(om::kButtonRight), 1);
  float xy[2];
  host->views().active().GetCursorPosition(xy);
  EXPECT_EQ(xy[0], 5);
}

// The wheel under a tool that does not take it moves the view, in a script as in the window,
// towards the point under the cursor; under Dolly the tool alone answers it.
TEST_F(ProbeScript, TheWheelMovesTheViewTowardsTheCursorUnderAnyToolButDolly) {
  studio::StudioView& view = host->views().active();
  const studio::Camera start = view.camera;
  ASSERT_EQ(run("tool \"Object Select\"\nwheel 240 5 5\n"), "");
  EXPECT_GT(studio::dot(view.camera.eye - start.eye, studio::viewDirection(start)), 0.0)
      << "a notch forward moves the eye forward";
  // Towards the corner the cursor is in, not the centre: the target leaves the view's axis.
  EXPECT_GT(studio::length(view.camera.target - start.target), 0.0);
  const studio::Camera moved = view.camera;
  ASSERT_EQ(run("preference wheel-to-cursor off\n"), "");
  ASSERT_EQ(run("wheel 240 5 5\n"), "");
  EXPECT_EQ(view.camera.target, moved.target) << "towards the centre, the target stays";
  EXPECT_FALSE(view.camera == moved);
  const studio::Camera centred = view.camera;
  ASSERT_EQ(run("tool \"Dolly\"\nwheel 240 5 5\n"), "");
  EXPECT_TRUE(view.camera == centred) << "the probe's Dolly tool takes the wheel itself";
}

TEST(StudioMenus, ReferencesBalanceWhenTheModuleGoes) {
  TempConfig config;
  int before = studio::MenuItem::live();
  {
    std::string error;
    studio::StudioHost host([](const std::string&) {},
                            studio::OffscreenContext::create(64, 64, &error));
    ASSERT_EQ(host.loadModule(TESSEL_MODULE_PATH), "");
    EXPECT_GT(studio::MenuItem::live(), before + 40);
    host.unloadModule();
    EXPECT_EQ(studio::MenuItem::live(), before + 18) << "Studio's own three menus remain";
  }
  EXPECT_EQ(studio::MenuItem::live(), before);
}

}  // namespace
}  // namespace tessel::test
