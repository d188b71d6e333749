// Headless drawing only when something reads a view: the lines in between draw nothing, and
// what is read (a shot, a pick) is what a host drawing every line would have shown.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

// A wavy sheet of 2 x 8 x 8 triangles over [0, 4] x [0, 4], lying in z = 0 up to its waves.
std::string sheetObj() {
  std::string text;
  for (int j = 0; j <= 8; ++j)
    for (int i = 0; i <= 8; ++i)
      text += "v " + std::to_string(i * 0.5) + " " + std::to_string(j * 0.5) + " " +
              std::to_string(0.1 * ((i + j) % 3)) + "\n";
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) {
      const int a = j * 9 + i + 1, b = a + 1, c = a + 9, d = c + 1;
      text += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(d) +
              "\nf " + std::to_string(a) + " " + std::to_string(d) + " " + std::to_string(c) +
              "\n";
    }
  return text;
}

class DrawWhenRead : public StudioFixture {
 protected:
  // Runs `script` (SHEET: the sheet's path, SHOT: a name for this run's shots) on a fresh host,
  // drawing every line or only when read; the number of draws, and the shots' contents by name.
  struct Outcome {
    std::uint64_t draws = 0;
    std::vector<std::string> shots;
  };
  Outcome session(bool whenRead, std::string script, const std::vector<std::string>& shots) {
    start(TESSEL_MODULE_PATH, 160, 120);
    host->setDrawOnlyWhenRead(whenRead);
    const std::string sheet = dir.write("sheet.obj", sheetObj()).string();
    const std::string prefix = (dir.path / (whenRead ? "read-" : "every-")).string();
    for (std::size_t at; (at = script.find("SHEET")) != std::string::npos;)
      script.replace(at, 5, sheet);
    for (std::size_t at; (at = script.find("SHOT")) != std::string::npos;)
      script.replace(at, 4, prefix);
    Outcome o;
    EXPECT_EQ(run(script), "");
    o.draws = host->drawStats().draws;
    for (const std::string& s : shots) o.shots.push_back(readFile(prefix + s));
    TearDown();
    return o;
  }
};

TEST_F(DrawWhenRead, LinesWithoutAShotDrawNothingAndAShotShowsWhatEveryLineDrawingShows) {
  const std::string changes =
      "open SHEET\ntool Tumble\ndrag left 80 60 100 50 steps 3\nmode component\n"
      "filter object \"Mesh\"\nfilter component \"Faces\"\nselect \"sheet\" faces 0 5 9 40\n"
      "panel 34025\nset \"Flood Select\" \"Fill All\" false\nset \"Flood Select\" \"Fill Range\" 1\n"
      "apply \"Flood Select\"\nlayout quad\nview 2\n";
  EXPECT_EQ(session(true, changes, {}).draws, 0u);
  const Outcome every = session(false, changes + "shot SHOTa.png frame\n", {"a.png"});
  const Outcome read = session(true, changes + "shot SHOTa.png frame\n", {"a.png"});
  EXPECT_GT(every.draws, 4u);
  EXPECT_EQ(read.draws, 4u) << "the shot of the frame draws each of the four views once";
  ASSERT_FALSE(every.shots[0].empty());
  EXPECT_EQ(read.shots[0], every.shots[0]);
}

// A rubber band drawn over a view that has not been drawn yet shows in a later shot as it would
// over a view drawn at once; a change after it covers it, as a drawing of the change would.
TEST_F(DrawWhenRead, ARubberBandOverAViewNotDrawnYetShowsInTheShot) {
  const std::string script =
      "open SHEET\nmode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"
      "tool \"Component Select\"\npress left 30 30\nmove left 120 90\nshot SHOTband.png\n"
      "select \"sheet\" faces 3\nmove left 90 70\nshot SHOTafter.png\n"
      "select \"sheet\" faces 4\nmove left 60 100\nselect \"sheet\" faces 5\n"
      "shot SHOTcovered.png\nrelease left 60 100\n";
  const Outcome every = session(false, script, {"band.png", "after.png", "covered.png"});
  const Outcome read = session(true, script, {"band.png", "after.png", "covered.png"});
  for (std::size_t i = 0; i < every.shots.size(); ++i) {
    ASSERT_FALSE(every.shots[i].empty());
    EXPECT_EQ(read.shots[i], every.shots[i]) << "shot " << i;
  }
  EXPECT_NE(read.shots[0], read.shots[2]);
  EXPECT_EQ(read.draws, 3u);
}

// A pick reads the depth of the view's last drawing: a view not drawn yet is drawn first.
TEST_F(DrawWhenRead, APickOnAViewNotDrawnYetFindsTheSurface) {
  start(TESSEL_MODULE_PATH, 160, 120);
  host->setDrawOnlyWhenRead(true);
  ASSERT_EQ(open("sheet.obj", sheetObj()), "");
  ASSERT_EQ(host->drawStats().draws, 0u);
  studio::StudioView& view = host->views().active();
  float x = 0, y = 0, z = 0;
  ASSERT_EQ(host->mainView().PickPoint(&view, 80, 60, &x, &y, &z, 0, 0), 1);
  EXPECT_EQ(host->drawStats().draws, 1u);
  EXPECT_NEAR(x, 2, 0.5);
  EXPECT_NEAR(y, 2, 0.5);
  EXPECT_NEAR(z, 0.1, 0.15);
}

}  // namespace
}  // namespace tessel::test
