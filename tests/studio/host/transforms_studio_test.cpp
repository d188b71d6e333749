// Numeric transforms in Studio as a user runs them: scripts/transforms.tss on a scan (the sample
// scan when it is there, else a generated bumpy one of the same size), its printed frames and
// world boxes checked against values worked out here from the scan's vertices with the turns
// written out by hand; scripts/manipulators.tss on the same scan; and selection on a placed mesh
// against the same mesh saved in place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

constexpr double kCos30 = 0.86602540378443865, kSin30 = 0.5;

struct Point {
  double x, y, z;
};
struct WorldBox {
  Point lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
  void add(const Point& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  Point centre() const { return {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2}; }
};

// 30 degrees about the Z axis through (ox, oy).
Point turn30(const Point& p, double ox, double oy) {
  const double x = p.x - ox, y = p.y - oy;
  return {ox + x * kCos30 - y * kSin30, oy + x * kSin30 + y * kCos30, p.z};
}

// A bumpy height field about the sample scan's size, with a ridge for the fold tests.
std::string bumpyScan() {
  std::ostringstream obj;
  const int n = 48;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const double x = -0.1 + 0.2 * i / (n - 1), y = 0.05 + 0.15 * j / (n - 1);
      const double ridge = i > n / 2 ? 0.01 * (i - n / 2) : 0;
      const double z = 0.01 * std::sin(40 * x) * std::cos(30 * y) + ridge;
      obj << "v " << x << ' ' << y << ' ' << z << '\n';
    }
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i + 1, b = a + 1, c = a + n, d = c + 1;
      obj << "f " << a << ' ' << b << ' ' << d << "\nf " << a << ' ' << d << ' ' << c << '\n';
    }
  return obj.str();
}

// The numbers after `key` on a line: "box (a, b, c) - (d, e, f)" gives six.
std::vector<double> numbersAfter(const std::string& line, const std::string& key, int count) {
  std::vector<double> out;
  std::size_t at = line.find(key);
  if (at == std::string::npos) return out;
  const char* p = line.c_str() + at + key.size();
  while (static_cast<int>(out.size()) < count && *p) {
    char* end;
    const double v = std::strtod(p, &end);
    if (end != p) {
      out.push_back(v);
      p = end;
    } else {
      ++p;
    }
  }
  return out;
}

class TransformsScript : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 200, 150);
    const char* sample = std::getenv("TESSEL_SAMPLE");
    std::string scan = sample && std::ifstream(sample) ? sample : "";
    if (scan.empty()) scan = dir.write("dragon.obj", bumpyScan()).string();
    ASSERT_EQ(run("open " + scan + "\n"), "");
    const studio::Mesh& m = *host->scene().findByName("dragon")->mesh;
    for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
      local.push_back({m.positions[3 * v], m.positions[3 * v + 1], m.positions[3 * v + 2]});
    take();
  }
  // Runs scripts/NAME.tss with its shots in the test's folder; what it printed.
  std::vector<std::string> runScript(const std::string& name = "transforms") {
    std::string script = readFile(std::string(TESSEL_SOURCE_DIR) + "/scripts/" + name + ".tss");
    const std::string shots = "build/" + name + "/";
    for (std::size_t at; (at = script.find(shots)) != std::string::npos;)
      script.replace(at, shots.size(), dir.path.string() + "/");
    return output(script);
  }
  // Every line of the output naming `entity`'s frame, in order.
  static std::vector<std::string> framesOf(const std::vector<std::string>& out,
                                           const std::string& entity) {
    std::vector<std::string> lines;
    for (const std::string& l : out)
      if (l.rfind(entity + ": origin", 0) == 0) lines.push_back(l);
    return lines;
  }
  static void expectBox(const std::string& line, const WorldBox& want) {
    const std::vector<double> b = numbersAfter(line, " box ", 6);
    ASSERT_EQ(b.size(), 6u) << line;
    const double got[6] = {b[0], b[1], b[2], b[3], b[4], b[5]};
    const double expect[6] = {want.lo.x, want.lo.y, want.lo.z, want.hi.x, want.hi.y, want.hi.z};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(got[i], expect[i], 1.5e-4) << line;
  }
  static void expectOrigin(const std::string& line, const Point& want) {
    const std::vector<double> o = numbersAfter(line, " origin ", 3);
    ASSERT_EQ(o.size(), 3u) << line;
    EXPECT_NEAR(o[0], want.x, 1.5e-4) << line;
    EXPECT_NEAR(o[1], want.y, 1.5e-4) << line;
    EXPECT_NEAR(o[2], want.z, 1.5e-4) << line;
  }
  std::vector<Point> local;
};

TEST_F(TransformsScript, EveryStepMovesTheScanAndItsFrameAsTheReferenceSays) {
  const std::vector<std::string> lines = runScript();
  const std::vector<std::string> scan = framesOf(lines, "dragon");
  const std::vector<std::string> ref = framesOf(lines, "Ref");
  ASSERT_EQ(scan.size(), 9u);
  const double ox = 0.05, oy = 0.1;  // Ref's origin
  const Point along{0.05 * kCos30, 0.05 * kSin30, 0};  // 0.05 along Ref's turned X

  WorldBox b0;
  for (const Point& p : local) b0.add(p);
  expectBox(scan[0], b0);
  // Box Reset: the frame at the box centre, unturned.
  expectOrigin(scan[1], b0.centre());
  EXPECT_NE(scan[1].find("orientation (0.0000, 0.0000, 0.0000, 1.0000)"), std::string::npos);
  // Relative translate of scan and frame along Ref's X.
  WorldBox b1;
  std::vector<Point> world;
  for (const Point& p : local) world.push_back({p.x + along.x, p.y + along.y, p.z});
  for (const Point& p : world) b1.add(p);
  expectBox(scan[2], b1);
  const Point c0 = b0.centre();
  const Point frame1{c0.x + along.x, c0.y + along.y, c0.z};
  expectOrigin(scan[2], frame1);
  // Rotate, Object Only: the scan turns about Ref's origin, the frame stays.
  EXPECT_TRUE(has(lines, "Rotated selected objects."));
  WorldBox b2;
  for (Point& p : world) p = turn30(p, ox, oy), b2.add(p);
  expectBox(scan[3], b2);
  expectOrigin(scan[3], frame1);
  // The zero axis: refused, and nothing moved.
  EXPECT_TRUE(has(lines, "Invalid axis specified."));
  EXPECT_EQ(scan[4], scan[3]);
  // Rotate, Coord Sys Only: the frame turns about Ref's origin, the scan stays.
  expectBox(scan[5], b2);
  expectOrigin(scan[5], turn30(frame1, ox, oy));
  EXPECT_NE(scan[5].find("orientation (0.0000, 0.0000, 0.2588, 0.9659)"), std::string::npos);
  // Twice as long along Ref's X about Ref's origin: w + ((w - o) . u) u, u = (cos 30, sin 30).
  WorldBox b3;
  for (Point& p : world) {
    const double s = (p.x - ox) * kCos30 + (p.y - oy) * kSin30;
    p = {p.x + s * kCos30, p.y + s * kSin30, p.z};
    b3.add(p);
  }
  expectBox(scan[6], b3);
  // Synchronize, frames only: the scan's frame is Ref's; the scan stays.
  EXPECT_TRUE(has(lines, "Synchronized selected objects."));
  expectOrigin(scan[7], {ox, oy, 0});
  EXPECT_NE(scan[7].find("orientation (0.0000, 0.0000, 0.2588, 0.9659)"), std::string::npos);
  expectBox(scan[7], b3);
  for (const std::string& l : ref) EXPECT_EQ(l, ref.front());
  // View All looks at the moved scan's box centre.
  std::string camera;
  for (const std::string& l : lines)
    if (l.rfind("camera:", 0) == 0) camera = l;
  const std::vector<double> target = numbersAfter(camera, " target ", 3);
  ASSERT_EQ(target.size(), 3u) << camera;
  const Point c3 = b3.centre();
  EXPECT_NEAR(target[0], c3.x, 1e-4);
  EXPECT_NEAR(target[1], c3.y, 1e-4);
  EXPECT_NEAR(target[2], c3.z, 1e-4);
  // Saved and opened again: the same world box, now without a placement.
  const std::vector<std::string> moved = framesOf(lines, "moved");
  ASSERT_EQ(moved.size(), 1u);
  expectBox(moved[0], b3);
  EXPECT_EQ(moved[0].find("placement"), std::string::npos);
}

// scripts/manipulators.tss: each drag moves what its keys choose, along the handle dragged.
TEST_F(TransformsScript, ManipulatorDragsMoveWhatTheKeysChoose) {
  const std::vector<std::string> lines = runScript("manipulators");
  const std::vector<std::string> scan = framesOf(lines, "dragon");
  ASSERT_EQ(scan.size(), 7u);
  auto box = [](const std::string& l) { return numbersAfter(l, " box ", 6); };
  auto origin = [](const std::string& l) { return numbersAfter(l, " origin ", 3); };
  auto same = [](const std::vector<double>& a, const std::vector<double>& b,
                 std::initializer_list<int> which) {
    for (int i : which) EXPECT_NEAR(a[i], b[i], 1e-9) << i;
  };
  // The X handle: scan and frame along X only, by the same distance.
  EXPECT_TRUE(has(lines, "status: dx="));
  const double dx = box(scan[1])[0] - box(scan[0])[0];
  EXPECT_GT(dx, 0.005);
  EXPECT_NEAR(box(scan[1])[3] - box(scan[0])[3], dx, 1e-4);
  same(box(scan[1]), box(scan[0]), {1, 2, 4, 5});
  EXPECT_NEAR(origin(scan[1])[0] - origin(scan[0])[0], dx, 1e-4);
  // CTRL: the frame alone; SHIFT: the scan alone; a drag off the manipulator: nothing.
  EXPECT_GT(origin(scan[2])[1], origin(scan[1])[1] + 0.005);
  same(box(scan[2]), box(scan[1]), {0, 1, 2, 3, 4, 5});
  EXPECT_GT(box(scan[3])[1], box(scan[2])[1] + 0.005);
  same(origin(scan[3]), origin(scan[2]), {0, 1, 2});
  EXPECT_EQ(scan[4], scan[3]);
  // The Z ring: a turn about Z through the manipulator's centre, the frame's origin.
  same(origin(scan[5]), origin(scan[4]), {0, 1, 2});
  EXPECT_NE(scan[5].find("orientation (0.0000, 0.0000, "), std::string::npos) << scan[5];
  EXPECT_EQ(scan[5].find("orientation (0.0000, 0.0000, 0.0000, 1.0000)"), std::string::npos);
  same(box(scan[5]), box(scan[4]), {2, 5});
  // The scale's X end: the scan grows, and the line ends refusing scale in component mode.
  EXPECT_TRUE(has(lines, "status: sx="));
  EXPECT_GT(box(scan[6])[3] - box(scan[6])[0], box(scan[5])[3] - box(scan[5])[0]);
}

// The scan placed by a turn, a shift and a uniform scale, and the same scan saved where it was
// placed and opened again: selection and framing see no difference.
class PlacedScan : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 200, 150);
    ASSERT_EQ(open("scan.obj", bumpyScan()), "");
    scan = host->scene().findByName("scan");
    take();
  }
  std::size_t selectedFaces(const studio::Entity& e) const {
    return flagged(e.mesh->faceFlags).size();
  }
  // Flood of three rings from face 700, then the faces on folds sharper than 30 degrees; counts.
  std::pair<std::size_t, std::size_t> floodAndFolds(studio::Entity& e) {
    EXPECT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"
                  "select \"" + e.name + "\" faces 700\npanel 34025\n"
                  "set \"Flood Select\" \"Fill All\" false\nset \"Flood Select\" \"Fill Range\" 3\n"
                  "apply \"Flood Select\"\n"),
              "");
    const std::size_t flooded = selectedFaces(e);
    EXPECT_EQ(run("panel 34029\nset \"Custom Select\" \"Sharp Edge Polygons\" true\n"
                  "set \"Custom Select\" \"Min Angle\" 0\nset \"Custom Select\" \"Max Angle\" 150\n"
                  "select \"" + e.name + "\" faces\napply \"Custom Select\"\n"),
              "");
    return {flooded, selectedFaces(e)};
  }
  // View All, then a box over the middle of the view; the camera line and the faces taken.
  std::pair<std::string, std::size_t> framedAndBoxed(studio::Entity& e) {
    EXPECT_EQ(run("mode object\nkey W\nprint camera\n"), "");
    std::string camera;
    for (const std::string& l : take())
      if (l.rfind("camera:", 0) == 0) camera = l;
    EXPECT_EQ(run("mode component\n"), "");
    host->GetMainView()->SetKeepSelection(false);
    const float rect[4] = {50, 40, 150, 110};
    host->GetMainView()->SelectInRect(host->views().active().GetView(), rect, true, 0);
    return {camera, selectedFaces(e)};
  }
  studio::Entity* scan = nullptr;
};

TEST_F(PlacedScan, FloodFoldsComponentSelectionAndViewAllCountTheSameAsTheMeshInPlace) {
  const auto before = floodAndFolds(*scan);
  EXPECT_GT(before.first, 10u);
  EXPECT_GT(before.second, 0u);
  EXPECT_LT(before.second, scan->mesh->faceCount());
  ASSERT_EQ(run("mode object\nfilter object \"Mesh\"\ncommand \"Select All\"\n"
                "tool \"Base Rotate\"\npanel 33836\n"
                "set \"Base Rotate\" \"Ref Coord System\" \"Global\"\n"
                "set \"Base Rotate\" \"Selection Type\" \"Object Only\"\n"
                "set \"Base Rotate\" \"Axis\" \"Custom\"\n"
                "set \"Base Rotate\" \"Axis X\" 1\nset \"Base Rotate\" \"Axis Y\" 2\n"
                "set \"Base Rotate\" \"Axis Z\" 0.5\n"
                "set \"Base Rotate\" \"Angle (Deg)\" 30\nset \"Base Rotate\" \"Apply\" 1\n"
                "tool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Ref Coord System\" \"Global\"\n"
                "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Translate\" \"Selection Type\" \"Object Only\"\n"
                "set \"Base Translate\" \"X\" 0.3\nset \"Base Translate\" \"Apply\" 1\n"
                "tool \"Base Scale\"\npanel 33838\nset \"Scale\" \"Ref Coord System\" \"Global\"\n"
                "set \"Scale\" \"Type\" \"Uniform\"\nset \"Scale\" \"X\" 1.5\n"
                "set \"Scale\" \"Apply\" 1\npanel close\n"),
            "");
  ASSERT_FALSE(scan->placement.isIdentity());
  EXPECT_EQ(floodAndFolds(*scan), before);
  const auto placed = framedAndBoxed(*scan);
  EXPECT_GT(placed.second, 0u);

  ASSERT_EQ(run("save " + (dir.path / "baked.ply").string() + "\nopen " +
                (dir.path / "baked.ply").string() + "\n"),
            "");
  studio::Entity* baked = host->scene().findByName("baked");
  ASSERT_NE(baked, nullptr);
  EXPECT_TRUE(baked->placement.isIdentity());
  scan->visible = false;
  host->scene().clearSelection();
  EXPECT_EQ(floodAndFolds(*baked), before);
  EXPECT_EQ(framedAndBoxed(*baked), placed);
}

}  // namespace
}  // namespace tessel::test
