#include "studio/render/level_of_detail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <stop_token>

#include "bench/scan_fixture.h"
#include "studio/render/level_builder.h"
#include "studio/host/studio_host.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::studio {
namespace {

// The area the triangles cover seen from +z, signed by their winding.
double areaFromAbove(const std::vector<float>& p, const std::vector<std::uint32_t>& t) {
  double area = 0;
  for (std::size_t i = 0; i < t.size(); i += 3) {
    const float* a = &p[3 * t[i]];
    const float* b = &p[3 * t[i + 1]];
    const float* d = &p[3 * t[i + 2]];
    area += 0.5 * ((b[0] - a[0]) * (d[1] - a[1]) - (b[1] - a[1]) * (d[0] - a[0]));
  }
  return area;
}

// A sphere of radius 1 from `rings` rings of 2 * `rings` vertices and a vertex at each pole.
Mesh sphere(std::uint32_t rings) {
  Mesh m;
  const std::uint32_t around = 2 * rings;
  const double pi = std::acos(-1.0);
  m.positions.insert(m.positions.end(), {0, 0, 1});
  for (std::uint32_t r = 1; r < rings; ++r)
    for (std::uint32_t a = 0; a < around; ++a) {
      const double theta = pi * r / rings, phi = 2 * pi * a / around;
      m.positions.insert(m.positions.end(),
                         {static_cast<float>(std::sin(theta) * std::cos(phi)),
                          static_cast<float>(std::sin(theta) * std::sin(phi)),
                          static_cast<float>(std::cos(theta))});
    }
  m.positions.insert(m.positions.end(), {0, 0, -1});
  const std::uint32_t south = m.vertexCount() - 1;
  auto at = [&](std::uint32_t r, std::uint32_t a) { return 1 + (r - 1) * around + a % around; };
  for (std::uint32_t a = 0; a < around; ++a) {
    m.faces.insert(m.faces.end(), {0, at(1, a), at(1, a + 1)});
    m.faces.insert(m.faces.end(), {south, at(rings - 1, a + 1), at(rings - 1, a)});
    for (std::uint32_t r = 1; r + 1 < rings; ++r)
      m.faces.insert(m.faces.end(), {at(r, a), at(r + 1, a), at(r + 1, a + 1), at(r, a),
                                     at(r + 1, a + 1), at(r, a + 1)});
  }
  return m;
}

TEST(DetailLevels, AGridHalvesLevelByLevelCoveringItOnceFacingTheSameWay) {
  const Mesh m = bench::grid(bench::scanLikeSurface(400'000));
  const std::vector<DetailLevel> levels =
      detailLevels(m.positions.data(), m.vertexCount(), m.faces.data(), m.faceCount(), 5'000);
  ASSERT_GE(levels.size(), 3u);
  EXPECT_LE(levels[0].triangleCount(), m.faceCount() / 6);
  EXPECT_GE(levels[0].triangleCount(), m.faceCount() / 12);
  EXPECT_LE(levels.back().triangleCount(), 5'000u);
  const double gridArea = areaFromAbove(m.positions, m.faces);
  ASSERT_GT(gridArea, 0);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    const DetailLevel& level = levels[i];
    if (i > 0) {
      const double ratio = static_cast<double>(level.triangleCount()) / levels[i - 1].triangleCount();
      EXPECT_GT(ratio, 0.3) << i;
      EXPECT_LT(ratio, 0.7) << i;
    }
    ASSERT_EQ(level.triangles.size(), 3 * level.sources.size());
    std::set<std::array<std::uint32_t, 3>> seen;
    for (std::size_t t = 0; t < level.triangles.size(); t += 3) {
      std::array<std::uint32_t, 3> c{level.triangles[t], level.triangles[t + 1],
                                     level.triangles[t + 2]};
      for (std::uint32_t v : c) ASSERT_LT(v, m.vertexCount());
      ASSERT_TRUE(c[0] != c[1] && c[1] != c[2] && c[0] != c[2]);
      std::rotate(c.begin(), std::min_element(c.begin(), c.end()), c.end());
      EXPECT_TRUE(seen.insert(c).second) << "a cell triangle kept twice";
      // The face it stands for lies under it: within two cells of it.
      const std::uint32_t f = level.sources[t / 3];
      ASSERT_LT(f, m.faceCount());
      const double cell = 1.0 / std::sqrt(level.triangleCount() / 2.0);
      for (int k = 0; k < 2; ++k)
        EXPECT_NEAR(m.positions[3 * m.faces[3 * f] + k], m.positions[3 * c[0] + k], 2.5 * cell);
    }
    // Seen from above, every level covers the grid once, facing the same way: no holes, no
    // second layer, no winding turned over (a few folded slivers at cell corners cancel out; the
    // border moves in by up to about a cell of the coarsest levels).
    const double area = areaFromAbove(m.positions, level.triangles) / gridArea;
    EXPECT_NEAR(area, 1.0, 0.05) << i;
  }
  // Too small to need levels.
  const Mesh small = bench::noisyGrid(kDetailLevelsFromFaces / 2);
  EXPECT_TRUE(detailLevels(small.positions.data(), small.vertexCount(), small.faces.data(),
                           small.faceCount())
                  .empty());
}

// Clustering that stands for a cell by the mean of its vertices pulls a curved outline inwards;
// standing for it by one of its vertices keeps every corner on the surface and the outline where
// it was, within one cell.
TEST(DetailLevels, TheOutlineStaysOnTheSurfaceWithinACell) {
  const Mesh m = sphere(200);
  for (int cells : {6, 12, 24}) {
    const DetailLevel level = clusterLevel(m.positions.data(), m.vertexCount(), m.faces.data(),
                                           nullptr, m.faceCount(), cells);
    ASSERT_GT(level.triangleCount(), 0u) << cells;
    float lo[3] = {1, 1, 1}, hi[3] = {-1, -1, -1};
    for (std::uint32_t v : level.triangles) {
      const float* p = &m.positions[3 * v];
      EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0, 1e-5);
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    }
    const double cell = 2.0 / cells;
    for (int k = 0; k < 3; ++k) {
      EXPECT_LT(lo[k], -1 + cell) << cells << " axis " << k;
      EXPECT_GT(hi[k], 1 - cell) << cells << " axis " << k;
    }
  }
}

TEST(DetailLevels, BadInputIsLeftOutNotDrawn) {
  // Two triangles side by side on a 1-cell-per-unit grid, plus a NaN vertex and a face past the end.
  const float nan = std::nanf("");
  const std::vector<float> p{0, 0, 0, 2, 0, 0, 0, 2, 0, 2, 2, 0, nan, 0, 0};
  const std::vector<std::uint32_t> f{0, 1, 2, 2, 1, 3, 0, 1, 4, 0, 1, 99};
  const DetailLevel c = clusterLevel(p.data(), 5, f.data(), nullptr, 4, 2);
  EXPECT_EQ(c.triangles, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_EQ(c.sources, (std::vector<std::uint32_t>{0, 1}));
  // Nothing to cluster, or everything in one point: nothing drawn, nothing divided by zero.
  EXPECT_TRUE(clusterLevel(p.data(), 0, f.data(), nullptr, 0, 8).triangles.empty());
  EXPECT_TRUE(clusterLevel(p.data(), 4, f.data(), nullptr, 2, 0).triangles.empty());
  const std::vector<float> same(9, 1.0f);
  EXPECT_TRUE(clusterLevel(same.data(), 3, f.data(), nullptr, 1, 8).triangles.empty());
}

// A build on its own thread makes what the call makes; asked to stop, a build gives up and leaves
// nothing to take, and a mesh built anew is built again.
TEST(LevelBuilder, BuildsWhatTheCallBuildsAndGivesUpWhenStopped) {
  const Mesh m = bench::noisyGrid(3 * kDetailLevelsFromFaces);
  const std::vector<DetailLevel> direct =
      detailLevels(m.positions.data(), m.vertexCount(), m.faces.data(), m.faceCount());
  ASSERT_GE(direct.size(), 2u);
  std::stop_source stop;
  stop.request_stop();
  EXPECT_TRUE(detailLevels(m.positions.data(), m.vertexCount(), m.faces.data(), m.faceCount(),
                           kSmallestLevel, stop.get_token())
                  .empty());
  EXPECT_TRUE(clusterLevel(m.positions.data(), m.vertexCount(), m.faces.data(), nullptr,
                           m.faceCount(), 64, stop.get_token())
                  .triangles.empty());

  LevelBuilder builder;
  builder.start(m);
  builder.wait();
  ASSERT_TRUE(builder.ready(m));
  EXPECT_EQ(builder.reading(), nullptr);
  const std::vector<DetailLevel> built = builder.take();
  ASSERT_EQ(built.size(), direct.size());
  for (std::size_t i = 0; i < built.size(); ++i) {
    EXPECT_EQ(built[i].triangles, direct[i].triangles) << i;
    EXPECT_EQ(built[i].sources, direct[i].sources) << i;
  }
  EXPECT_FALSE(builder.ready(m)) << "taken once";
  builder.start(m);
  EXPECT_EQ(builder.reading(), nullptr) << "the same revision is not built twice";

  Mesh changed = m;
  buildTopology(changed);
  builder.start(changed);
  builder.stop();
  EXPECT_EQ(builder.reading(), nullptr);
  EXPECT_FALSE(builder.ready(changed));
  builder.start(changed);
  builder.wait();
  EXPECT_TRUE(builder.ready(changed));
  EXPECT_FALSE(builder.ready(m));
}

class LevelsWhileMoving : public test::StudioFixture {};

// Until its levels are built, on a thread of their own, a moving frame draws a sample of the mesh
// within its budget. A delete stops a build before the faces change (under the thread sanitizer
// a build left running is a data race), and the levels of the mesh as it is then come next.
TEST_F(LevelsWhileMoving, ASampleUntilTheLevelsAreBuiltAndAnEditStopsTheBuild) {
  start(TESSEL_MODULE_PATH);
  const auto file = dir.path / "large.ply";
  ASSERT_EQ(saveMeshFile(file, bench::noisyGrid(8 * kDetailLevelsFromFaces)), "");
  ASSERT_EQ(run("open " + file.string() + "\ntool \"Tumble\"\n"), "");
  const std::uint32_t faces = host->scene().findByName("large")->mesh->faceCount();
  Renderer& renderer = host->renderer();
  renderer.setMovingTriangles(kSmallestLevel);
  bool building = false;
  auto movingFrame = [&](float x) {
    host->mouseButton(om::kButtonLeft, true, 100, 75);
    host->mouseMove(x, 80);
    host->drawPending();
    const std::uint64_t drawn = renderer.lastDrawn();
    building = renderer.buildingLevels();
    host->mouseButton(om::kButtonLeft, false, x, 80);
    return drawn;
  };
  const std::uint64_t first = movingFrame(112);
  EXPECT_GT(first, 0u);
  EXPECT_LE(first, kSmallestLevel);
  ASSERT_TRUE(building) << "a build of most of a second, begun by that frame";
  // Each edit of the arrays says so first, with the mesh still as it was.
  std::vector<std::uint32_t> changing;
  const auto stop = host->scene().onMeshChanging;
  host->scene().onMeshChanging = [&](const Mesh& m) {
    changing.push_back(m.faceCount());
    stop(m);
  };
  ASSERT_EQ(run("mode component\nselect \"large\" faces 0 1 2 3 4 5 6 7 8 9\ndelete\n"), "");
  EXPECT_FALSE(renderer.buildingLevels()) << "the delete stopped it";
  ASSERT_EQ(host->scene().findByName("large")->mesh->faceCount(), faces - 10);
  EXPECT_EQ(changing, std::vector<std::uint32_t>{faces});
  movingFrame(120);  // starts the build of the mesh as it is now, if the delete's frame did not
  renderer.waitForLevels();
  const std::uint64_t level = movingFrame(130);
  EXPECT_GT(level, 0u);
  EXPECT_LE(level, kSmallestLevel);
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(changing, (std::vector<std::uint32_t>{faces, faces - 10}));
  EXPECT_GT(movingFrame(140), 0u);
  ASSERT_EQ(run("redo\nmode object\npick \"large\"\ndelete\n"), "");
  EXPECT_EQ(changing, (std::vector<std::uint32_t>{faces, faces - 10, faces, faces - 10}))
      << "a redo, then the mesh taken out of the scene";
  EXPECT_FALSE(renderer.buildingLevels());
  host->scene().onMeshChanging = stop;
}

// A tumble of a large mesh draws a level while the button is held, and the full mesh the moment
// it is let go: the last image is exactly a still drawing from the same camera. So does a pan
// whose tool draws nothing as it ends.
TEST_F(LevelsWhileMoving, TheFullMeshIsBackWhenTheCameraStops) {
  start(TESSEL_MODULE_PATH);
  const auto file = dir.path / "large.ply";
  ASSERT_EQ(saveMeshFile(file, bench::noisyGrid(kDetailLevelsFromFaces + kDetailLevelsFromFaces / 10)), "");
  ASSERT_EQ(run("open " + file.string() + "\n"), "");
  // A budget below the mesh, as a slow machine's frame time would give it.
  host->renderer().setMovingTriangles(kSmallestLevel);
  const PixelRect rect = host->views().active().rect;
  // The view while dragging, right after the release, and drawn again still.
  auto drag = [&](std::int32_t button, float x, float y) {
    host->mouseButton(button, true, 100, 75);
    host->mouseMove(x, y);
    host->drawPending();
    std::array<std::vector<std::uint8_t>, 3> images;
    images[0] = host->renderer().readPixels(rect);
    host->mouseButton(button, false, x, y);
    host->drawPending();
    images[1] = host->renderer().readPixels(rect);
    host->views().active().RedrawView(0);
    host->drawPending();
    images[2] = host->renderer().readPixels(rect);
    return images;
  };
  ASSERT_TRUE(host->tools().ActivateTool("Tumble"));
  const auto tumble = drag(om::kButtonLeft, 112, 80);
  EXPECT_EQ(tumble[1], tumble[2]);
  EXPECT_NE(tumble[0], tumble[1]);
  // With ALT held from the start the tool keeps the drawing mode and draws nothing as it lets
  // go: the full mesh still comes back.
  host->setModifiers(false, false, true);
  ASSERT_TRUE(host->tools().ActivateTool("Pan"));
  const auto pan = drag(om::kButtonMiddle, 110, 70);  // ALT pans with the middle button
  EXPECT_NE(pan[0], pan[1]);
  EXPECT_EQ(pan[1], pan[2]);
}

}  // namespace
}  // namespace tessel::studio
