// "Flood" and "Custom Select" as a user runs them: through their panels in Studio, on small
// meshes and curves with known answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "studio/host/panel_manager.h"
#include "studio/scene/face_flood.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

// A strip of n triangles as OBJ text (face i uses vertices i, i+1, i+2).
std::string stripObj(int n) {
  std::string text;
  for (int v = 0; v < n + 2; ++v)
    text += "v " + std::to_string(v * 0.5) + " " + std::to_string(v % 2) + " 0\n";
  for (int i = 0; i < n; ++i)
    text += "f " + std::to_string(i + 1) + " " + std::to_string(i + 2) + " " + std::to_string(i + 3) + "\n";
  return text;
}

std::vector<std::uint32_t> upTo(std::uint32_t last) {
  std::vector<std::uint32_t> v;
  for (std::uint32_t i = 0; i <= last; ++i) v.push_back(i);
  return v;
}

class FloodCommands : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    ASSERT_EQ(run("open " + dir.write("a.obj", stripObj(12)).string() + "\nopen " +
                  dir.write("b.obj", stripObj(12)).string() +
                  "\nmode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"),
              "");
    take();
  }
  studio::Mesh& mesh(const char* name) { return *host->scene().findByName(name)->mesh; }
  std::string flood(const std::string& settings) {
    return run("panel 34025\n" + settings + "apply \"Flood Select\"\n");
  }
  platform::omPropertyObj* panel(const char* title) { return host->panels().findPanel(title); }
  int attrib(platform::omPropertyObj* p, const char* name) {
    for (int i = 0; i < p->GetNumAttribs(); ++i)
      if (std::string(p->GetAttribName(i)) == name) return i;
    ADD_FAILURE() << "no attribute " << name;
    return -1;
  }
};

TEST_F(FloodCommands, RangeGrowsEachSelectedMeshByItsRingsOnce) {
  ASSERT_EQ(run("select \"a\" faces 0\nselect \"b\" faces 11\n"), "");
  ASSERT_EQ(flood("set \"Flood Select\" \"Fill All\" false\nset \"Flood Select\" \"Fill Range\" 2\n"), "");
  // Two selected meshes: each grows two rings, not four.
  EXPECT_EQ(flagged(mesh("a").faceFlags), upTo(4));
  EXPECT_EQ(flagged(mesh("b").faceFlags), (std::vector<std::uint32_t>{7, 8, 9, 10, 11}));
  ASSERT_EQ(flood("set \"Flood Select\" \"Fill All\" true\n"), "");
  EXPECT_EQ(flagged(mesh("a").faceFlags), upTo(11));
}

TEST_F(FloodCommands, FillRangeFollowsFillAllAndNothingRunsWithoutSelectedFaces) {
  ASSERT_EQ(run("panel 34025\n"), "");
  platform::omPropertyObj* p = panel("Flood Select");
  ASSERT_TRUE(p);
  const int range = attrib(p, "Fill Range");
  EXPECT_FALSE(p->IsAttribEnabled(range));
  EXPECT_NE(run("set \"Flood Select\" \"Fill Range\" 5\n"), "") << "disabled while Fill All";
  ASSERT_EQ(run("set \"Flood Select\" \"Fill All\" false\n"), "");
  EXPECT_TRUE(p->IsAttribEnabled(range));
  EXPECT_NE(run("set \"Flood Select\" \"Fill Range\" 0\n"), "") << "below the range";
  EXPECT_NE(run("set \"Flood Select\" \"Fill Range\" 100001\n"), "") << "above the range";
  EXPECT_EQ(run("set \"Flood Select\" \"Fill Range\" 100000\n"), "") << "its end is in it";
  take();
  EXPECT_NE(run("apply \"Flood Select\"\n").find("test:1: command \"Seed Select\" cannot run now"),
            std::string::npos);
  ASSERT_EQ(run("expect-refusal apply \"Flood Select\"\n"), "");
}

TEST(FaceFlood, StopsAtHiddenAndExcludedFacesAndGrowsOneRingForZero) {
  studio::Mesh m = strip(12);
  m.faceFlags[0] = studio::kSelected;
  m.faceFlags[5] = m.faceFlags[6] = studio::kHidden;
  EXPECT_EQ(studio::growFaceSelection(m, 0), 2u);
  EXPECT_EQ(studio::growFaceSelection(m, -1), 2u);
  EXPECT_EQ(flagged(m.faceFlags), upTo(4));
  m.faceFlags[5] = m.faceFlags[6] = studio::kExcluded;
  EXPECT_EQ(studio::growFaceSelection(m, -1), 0u);
  m.faceFlags[5] = m.faceFlags[6] = 0;
  EXPECT_EQ(studio::growFaceSelection(m, -1), 7u);
  for (std::uint8_t v : m.vertexFlags) EXPECT_EQ(v & studio::kMarked, 0);
  // A selected face that is hidden or excluded seeds nothing.
  for (auto flag : {studio::kHidden, studio::kExcluded}) {
    studio::Mesh s = strip(6);
    s.faceFlags[0] = static_cast<std::uint8_t>(studio::kSelected | flag);
    EXPECT_EQ(studio::growFaceSelection(s, -1), 0u);
  }
}

// The seeds are found a block of flags at a time: selected faces on either side of a block's
// edge and in the tail past the last whole block each seed, one ring each.
TEST(FaceFlood, SeedsFromEveryBlockOfAScan) {
  studio::Mesh m = strip(1000);
  for (std::uint32_t f : {255u, 256u, 511u, 999u}) m.faceFlags[f] = studio::kSelected;
  m.faceFlags[700] = studio::kSelected | studio::kHidden;
  EXPECT_EQ(studio::growFaceSelection(m, 1), 4u + 4u + 2u);
  for (std::uint32_t f : {253u, 254u, 257u, 258u, 509u, 510u, 512u, 513u, 997u, 998u})
    EXPECT_TRUE(m.faceFlags[f] & studio::kSelected) << f;
  EXPECT_FALSE(m.faceFlags[699] & studio::kSelected);
}

class CustomSelect : public FloodCommands {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    // A 90° hinge (faces 0 and 1) and a needle (face 2) far off.
    ASSERT_EQ(run("open " +
                  dir.write("h.obj",
                            "v 0 0 0\nv 1 0 0\nv 0.5 1 0\nv 0.5 0 1\n"
                            "v 5 0 0\nv 6 0 0\nv 5.5 0.001 0\n"
                            "f 1 2 3\nf 2 1 4\nf 5 6 7\n")
                      .string() +
                  "\nmode object\nfilter object \"Coord Sys\"\npanel 34029\n"),
              "");
    take();
  }
  std::vector<std::string> apply(const std::string& settings, const char* prefix = "") {
    EXPECT_EQ(run("select \"h\" faces\n" + settings + prefix + "apply \"Custom Select\"\n"), "");
    return take();
  }
};

// The commands ask for redraws several times over (selection notices, update brackets, the
// module's own Redraw); Studio draws the view once for the line.
TEST_F(CustomSelect, FloodCustomSelectAndOpenDrawTheViewOncePerLine) {
  auto drawn = [&, last = host->drawStats().draws]() mutable {
    const std::uint64_t now = host->drawStats().draws, n = now - last;
    last = now;
    return n;
  };
  ASSERT_EQ(run("open " + dir.write("s.obj", stripObj(12)).string() + "\n"), "");
  EXPECT_EQ(drawn(), 1u) << "open";
  ASSERT_EQ(run("select \"h\" faces\n"), "");
  drawn();
  ASSERT_EQ(run("apply \"Custom Select\"\n"), "");
  EXPECT_EQ(drawn(), 1u) << "Custom Select";
  ASSERT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"
                "select \"s\" faces 0\npanel 34025\n"),
            "");
  drawn();
  ASSERT_EQ(run("apply \"Flood Select\"\n"), "");
  EXPECT_EQ(drawn(), 1u) << "Flood Select";
  EXPECT_EQ(flagged(host->scene().findByName("s")->mesh->faceFlags), upTo(11));
  ASSERT_EQ(run("apply \"Flood Select\"\nshot " + (dir.path / "v.png").string() + "\n"), "");
  EXPECT_EQ(drawn(), 1u) << "a shot after a line draws nothing more";
}

TEST_F(CustomSelect, SharpEdgesWithTheDefaultAndTheWidestWindow) {
  auto lines = apply("");
  // The panel picks the filters it needs and leaves object mode.
  EXPECT_EQ(host->GetObjectFilter()->GetCurrentMask(), om::kMaskMesh);
  EXPECT_FALSE(host->scene().objectMode);
  EXPECT_TRUE(has(lines, "message: 0 sharp edge polygons have been selected."));
  EXPECT_TRUE(host->scene().selection().empty());

  lines = apply("set \"Custom Select\" \"Max Angle\" 90\n");
  EXPECT_TRUE(has(lines, "message: 2 sharp edge polygons have been selected."));
  EXPECT_EQ(flagged(mesh("h").faceFlags), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(host->scene().selection().size(), 1u);
  EXPECT_TRUE(host->scene().findByName("h")->state & studio::kStateComponents);

  // At 180° every boundary edge counts.
  lines = apply("set \"Custom Select\" \"Max Angle\" 180\n");
  EXPECT_TRUE(has(lines, "message: 3 sharp edge polygons have been selected."));
}

TEST_F(CustomSelect, ModesExcludeEachOtherAndAnglesStayOrdered) {
  platform::omPropertyObj* p = panel("Custom Select");
  ASSERT_TRUE(p);
  const int sharp = attrib(p, "Sharp Edge Polygons"), degenerate = attrib(p, "Degenerate Polygons");
  const int minAngle = attrib(p, "Min Angle"), maxAngle = attrib(p, "Max Angle");
  const int height = attrib(p, "Min Height");
  EXPECT_FALSE(p->IsAttribEnabled(height));
  EXPECT_STREQ(p->GetAttrib(height).GetValueText(), "0.000000");

  ASSERT_EQ(run("set \"Custom Select\" \"Degenerate Polygons\" true\n"), "");
  EXPECT_STREQ(p->GetAttrib(sharp).GetValueText(), "false");
  EXPECT_FALSE(p->IsAttribEnabled(minAngle));
  EXPECT_TRUE(p->IsAttribEnabled(height));
  ASSERT_EQ(run("set \"Custom Select\" \"Sharp Edge Polygons\" true\n"), "");
  EXPECT_STREQ(p->GetAttrib(degenerate).GetValueText(), "false");
  EXPECT_TRUE(p->IsAttribEnabled(maxAngle));
  EXPECT_FALSE(p->IsAttribEnabled(height));

  ASSERT_EQ(run("set \"Custom Select\" \"Max Angle\" 40\nset \"Custom Select\" \"Min Angle\" 60\n"), "");
  EXPECT_STREQ(p->GetAttrib(minAngle).GetValueText(), "40");
  ASSERT_EQ(run("set \"Custom Select\" \"Max Angle\" 10\n"), "");
  EXPECT_STREQ(p->GetAttrib(maxAngle).GetValueText(), "40");
  EXPECT_NE(run("set \"Custom Select\" \"Max Angle\" 181\n"), "");
  EXPECT_NE(run("set \"Custom Select\" \"Max Angle\" inf\n"), "");
  EXPECT_EQ(run("set \"Custom Select\" \"Min Angle\" 0\n"), "") << "the ends are in the range";
  EXPECT_STREQ(p->GetAttrib(minAngle).GetValueText(), "0");
  // An unbounded attribute still refuses what is not a number.
  ASSERT_EQ(run("set \"Custom Select\" \"Degenerate Polygons\" true\n"), "");
  EXPECT_NE(run("set \"Custom Select\" \"Min Height\" inf\n"), "");
  EXPECT_NE(run("set \"Custom Select\" \"Min Height\" nan\n"), "");
  // The panel's "%f" shows 1e-9 as 0.000000, the same as 0, though the two select differently:
  // the panel window shows a value its format rounds away as the shortest text that reads back.
  ASSERT_EQ(run("set \"Custom Select\" \"Min Height\" 1e-9\n"), "");
  EXPECT_EQ(studio::PanelManager::valueText(p->GetAttrib(height)), "1e-09");
  ASSERT_EQ(run("set \"Custom Select\" \"Min Height\" 0.25\n"), "");
  EXPECT_EQ(studio::PanelManager::valueText(p->GetAttrib(height)), "0.250000");
}

TEST_F(CustomSelect, DegenerateModeUsesMinHeightAndZeroFindsNothing) {
  // Only the sharp-edge mode picks the filters it needs.
  auto lines = apply("set \"Custom Select\" \"Degenerate Polygons\" true\n", "expect-refusal ");
  EXPECT_TRUE(has(lines, "command \"Custom Select\" cannot run now"));
  lines = apply("filter object \"Mesh\"\nfilter component \"Faces\"\n");
  EXPECT_TRUE(has(lines, "message: 0 degenerate polygons have been selected."));
  lines = apply("set \"Custom Select\" \"Min Height\" -3\n");
  platform::omPropertyObj* p = panel("Custom Select");
  EXPECT_STREQ(p->GetAttrib(attrib(p, "Min Height")).GetValueText(), "0.000000");
  lines = apply("set \"Custom Select\" \"Min Height\" 0.01\n");
  EXPECT_TRUE(has(lines, "message: 1 degenerate polygons have been selected."));
  EXPECT_EQ(flagged(mesh("h").faceFlags), std::vector<std::uint32_t>{2});
}

TEST_F(CustomSelect, TheButtonRunsWithTheSavedValuesBeforeThePanelIsShown) {
  ASSERT_EQ(run("set \"Custom Select\" \"Degenerate Polygons\" true\n"
                "set \"Custom Select\" \"Min Height\" 0.01\n"),
            "");
  // A new session over the same settings, where the panel is never shown: the button runs with
  // the stored degenerate mode and height.
  runner.reset();
  host.reset();
  start(TESSEL_MODULE_PATH, 120, 90);
  const auto needle = dir.write("needle.obj", "v 5 0 0\nv 6 0 0\nv 5.5 0.001 0\nf 1 2 3\n");
  ASSERT_EQ(run("open " + needle.string() +
                "\nfilter object \"Mesh\"\nfilter component \"Faces\"\nid 34029\n"),
            "");
  EXPECT_TRUE(has(take(), "message: 1 degenerate polygons have been selected."));
  EXPECT_EQ(flagged(mesh("needle").faceFlags), std::vector<std::uint32_t>{0});
}

class ConnectedFlood : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    // Curves a-b-c in a chain, d-e apart; springs s-t joined, u-v joined and u ending on curve a.
    ASSERT_EQ(run("curve a 0 0 0 1 0 0\ncurve b 1 0 0 2 0 0\ncurve c 2 0 0 3 0 0\n"
                  "curve d 5 5 0 6 5 0\ncurve e 6 5 0 7 5 0\n"
                  "spring s 0 1 0 1 1 0\nspring t 1 1 0 2 1 0\n"
                  "spring u 0 0 0 0 -1 0\nspring v 0 -1 0 0 -2 0\nmode object\n"),
              "");
    take();
  }
  std::string select(const char* filter, std::vector<const char*> start,
                     const std::string& settings) {
    EXPECT_EQ(run(std::string("filter object \"") + filter + "\"\n"), "");
    std::vector<std::uint32_t> ids;
    for (const char* name : start) ids.push_back(host->scene().findByName(name)->id);
    host->scene().setSelection(ids);
    EXPECT_EQ(run("panel 34025\n" + settings + "apply \"Flood Select\"\n"), "");
    return selected();
  }
};

TEST_F(ConnectedFlood, CurvesAndSpringsFloodThroughSharedEndPoints) {
  EXPECT_EQ(select("Curve", {"a"}, "set \"Flood Select\" \"Fill All\" true\n"), "abc");
  EXPECT_EQ(select("Curve", {"b"}, "set \"Flood Select\" \"Fill All\" false\n"
                                   "set \"Flood Select\" \"Fill Range\" 1\n"), "bac");
  EXPECT_EQ(select("Curve", {"a"}, ""), "ab");
  EXPECT_EQ(select("Spring", {"s"}, "set \"Flood Select\" \"Fill All\" true\n"), "st");
  EXPECT_EQ(select("Spring", {"u"}, ""), "uv");
}

// Each part is walked once however many of its members are selected; a spring that a selected
// curve reached is still walked spring to spring when it is selected itself.
TEST_F(ConnectedFlood, EverySelectedMemberFloodsItsWholePart) {
  EXPECT_EQ(select("Curve", {"a", "b", "c", "d"}, "set \"Flood Select\" \"Fill All\" true\n"),
            "abcde");
  EXPECT_EQ(select("Spring", {"a", "u"}, ""), "auv");
  EXPECT_EQ(select("Spring", {"t", "s", "v"}, ""), "tsvu");
}

}  // namespace
}  // namespace tessel::test
