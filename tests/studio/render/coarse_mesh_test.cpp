#include "studio/render/coarse_mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>

#include "bench/scan_fixture.h"
#include "studio/host/studio_host.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::studio {
namespace {

CoarseMesh coarseOf(const Mesh& m, int cells) {
  return clusterVertices(m.positions.data(), nullptr, m.vertexCount(), m.faces.data(),
                         m.faceCount(), cells);
}

TEST(CoarseMesh, AGridShrinksToValidDistinctTrianglesFacingTheSameWay) {
  const Mesh m = bench::noisyGrid(20'000);
  const CoarseMesh c = coarseOf(m, 20);
  const std::size_t vertices = c.positions.size() / 3;
  ASSERT_GT(c.triangles.size(), 0u);
  EXPECT_LT(c.triangles.size(), m.faces.size() / 8);
  std::set<std::array<std::uint32_t, 3>> seen;
  double area = 0;  // signed, seen from +z
  for (std::size_t i = 0; i < c.triangles.size(); i += 3) {
    std::array<std::uint32_t, 3> t{c.triangles[i], c.triangles[i + 1], c.triangles[i + 2]};
    for (std::uint32_t v : t) ASSERT_LT(v, vertices);
    EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
    EXPECT_TRUE(seen.insert(t).second) << "a cell triangle kept twice";
    const float* a = &c.positions[3 * t[0]];
    const float* b = &c.positions[3 * t[1]];
    const float* d = &c.positions[3 * t[2]];
    area += 0.5 * ((b[0] - a[0]) * (d[1] - a[1]) - (b[1] - a[1]) * (d[0] - a[0]));
  }
  // Seen from above, the stand-in covers the grid once, facing the same way: no holes, no
  // second layer, no winding turned over (a few folded slivers at cell corners cancel out).
  double gridArea = 0;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const float* a = &m.positions[3 * m.faces[3 * f]];
    const float* b = &m.positions[3 * m.faces[3 * f + 1]];
    const float* d = &m.positions[3 * m.faces[3 * f + 2]];
    gridArea += 0.5 * ((b[0] - a[0]) * (d[1] - a[1]) - (b[1] - a[1]) * (d[0] - a[0]));
  }
  ASSERT_GT(gridArea, 0);
  EXPECT_NEAR(area / gridArea, 1.0, 0.1);
  // Means of the vertices: inside the mesh's box.
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  for (std::size_t i = 0; i < m.positions.size(); ++i)
    lo[i % 3] = std::min(lo[i % 3], m.positions[i]), hi[i % 3] = std::max(hi[i % 3], m.positions[i]);
  for (std::size_t i = 0; i < c.positions.size(); ++i) {
    EXPECT_GE(c.positions[i], lo[i % 3]);
    EXPECT_LE(c.positions[i], hi[i % 3]);
  }
}

TEST(CoarseMesh, BadInputIsLeftOutNotDrawn) {
  // Two triangles side by side on a 1-cell-per-unit grid, plus a NaN vertex and a face past the end.
  const float nan = std::nanf("");
  const std::vector<float> p{0, 0, 0, 2, 0, 0, 0, 2, 0, 2, 2, 0, nan, 0, 0};
  const std::vector<std::uint32_t> f{0, 1, 2, 2, 1, 3, 0, 1, 4, 0, 1, 99};
  const CoarseMesh c = clusterVertices(p.data(), nullptr, 5, f.data(), 4, 2);
  EXPECT_EQ(c.positions.size(), 12u);
  EXPECT_EQ(c.triangles.size(), 6u);
  for (float v : c.positions) EXPECT_TRUE(std::isfinite(v));
  // Nothing to cluster, or everything in one point: nothing drawn, nothing divided by zero.
  EXPECT_TRUE(clusterVertices(p.data(), nullptr, 0, f.data(), 0, 8).triangles.empty());
  EXPECT_TRUE(clusterVertices(p.data(), nullptr, 4, f.data(), 2, 0).triangles.empty());
  const std::vector<float> same(9, 1.0f);
  const CoarseMesh point = clusterVertices(same.data(), nullptr, 3, f.data(), 1, 8);
  EXPECT_EQ(point.positions.size(), 3u);
  EXPECT_TRUE(point.triangles.empty());
}

class CoarseWhileMoving : public test::StudioFixture {};

// A tumble of a large mesh draws the stand-in while the button is held, and the full mesh the
// moment it is let go: the last image is exactly a still drawing from the same camera. So does a
// pan whose tool draws nothing as it ends.
TEST_F(CoarseWhileMoving, TheFullMeshIsBackWhenTheCameraStops) {
  start(TESSEL_MODULE_PATH);
  const auto file = dir.path / "large.ply";
  ASSERT_EQ(saveMeshFile(file, bench::noisyGrid(kCoarseFromFaces + kCoarseFromFaces / 10)), "");
  ASSERT_EQ(run("open " + file.string() + "\n"), "");
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
