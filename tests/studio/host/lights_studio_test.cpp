// Lights, coordinate systems, the grid, the evaluation light and maps through Studio and the
// loaded module, and the plain functions they rest on.
#include <gtest/gtest.h>

#include <cmath>

#include "studio/host/eval_light.h"
#include "studio/render/light_merge.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

using studio::Vec3;

TEST(VirtualSphere, CentreFacesTheViewerAndOutsideGoesToTheRim) {
  auto centre = studio::virtualSphereDirection(100, 50, 200, 100);
  ASSERT_TRUE(centre);
  EXPECT_NEAR(centre->z, 1, 1e-12);
  // Half way to the right of a disc of radius 50: x 0.5, up 0.
  auto right = studio::virtualSphereDirection(125, 50, 200, 100);
  EXPECT_NEAR(right->x, 0.5, 1e-12);
  EXPECT_NEAR(right->z, std::sqrt(0.75), 1e-12);
  // Far outside, up and left: on the rim, unit length, y up.
  auto rim = studio::virtualSphereDirection(-500, -500, 200, 100);
  EXPECT_NEAR(studio::length(*rim), 1, 1e-12);
  EXPECT_EQ(rim->z, 0);
  EXPECT_LT(rim->x, 0);
  EXPECT_GT(rim->y, 0);
  EXPECT_FALSE(studio::virtualSphereDirection(10, 10, 0, 100));
  EXPECT_FALSE(studio::virtualSphereDirection(NAN, 10, 200, 100));
}

TEST(MergeLights, ClosestMergeFirstAndWeightIsKept) {
  std::vector<Vec3> d;
  for (int i = 0; i < 10; ++i) {
    const double a = i * 0.6;
    d.push_back({std::cos(a), std::sin(a), 0});
  }
  d[9] = d[0];  // two lights from one direction: merged first, direction unchanged
  const auto seven = studio::mergeLights(d, 7);
  ASSERT_EQ(seven.size(), 7u);
  double total = 0;
  for (const auto& l : seven) {
    total += l.weight;
    EXPECT_NEAR(studio::length(l.direction), 1, 1e-12);
  }
  EXPECT_EQ(total, 10);
  EXPECT_EQ(studio::mergeLights(d, 10).size(), 10u);
  EXPECT_TRUE(studio::mergeLights(d, 0).empty());
  // Opposite lights have no mean: the merged one keeps a real direction.
  const auto opposite = studio::mergeLights({{1, 0, 0}, {-1, 0, 0}}, 1);
  EXPECT_EQ(opposite[0].weight, 2);
  EXPECT_NEAR(studio::length(opposite[0].direction), 1, 1e-12);
}

class LightsStudio : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH, 160, 120); }
  int count(std::uint32_t type) {
    int n = 0;
    for (const auto& e : host->scene().entities()) n += e->type == type;
    return n;
  }
  std::vector<std::uint8_t> pixels() {
    host->drawPending();
    auto& v = host->views().active();
    host->drawView(v.index());
    return host->renderer().readPixels(v.rect);
  }
};

TEST_F(LightsStudio, TenLightsTheLimitAndSlotsFreedByDelete) {
  for (int i = 0; i < 10; ++i) ASSERT_EQ(run("id 33824\n"), "");
  take();
  ASSERT_EQ(run("id 33824\n"), "");
  EXPECT_TRUE(hasLine(take(), "messagebox: Light Creation Failure: Light creation failed - "
                              "maximum number of lights reached."));
  EXPECT_EQ(count(om::kEntityLight), 10);
  EXPECT_EQ(host->scene().lightGroup.GetMemberCount(), 10);
  // Delete the lights in slots 2 and 5; the next two lights take exactly those. (Choosing the
  // filter entry clears the selection: chosen first.)
  ASSERT_EQ(run("filter object \"Lights\"\n"), "");
  for (const auto& e : host->scene().entities())
    if (e->type == om::kEntityLight && (e->light.slot == 2 || e->light.slot == 5))
      host->scene().select(e->id, true);
  auto lines = output("command \"Light Delete\"\n");
  EXPECT_TRUE(hasLine(lines, "message: 2 objects deleted."));
  EXPECT_TRUE(has(lines, "notify: 13"));
  EXPECT_EQ(count(om::kEntityLight), 8);
  lines = output("id 33824\nid 33824\n");
  EXPECT_TRUE(has(lines, "(light, slot 2)"));
  EXPECT_TRUE(has(lines, "(light, slot 5)"));
  EXPECT_TRUE(has(output("id 33824\n"), "messagebox: Light Creation Failure"));
}

TEST_F(LightsStudio, CoordSysDeleteAndDeletionByIdentity) {
  ASSERT_EQ(run("id 33835\nid 33835\n"), "");
  EXPECT_FALSE(host->scene().globalCoordSys().visible) << "the new one stands where it was";
  ASSERT_EQ(run("filter object \"Coord Sys\"\n"), "");
  for (const auto& e : host->scene().entities()) host->scene().select(e->id, true);
  ASSERT_EQ(run("command \"Coord Sys Delete\"\n"), "");
  EXPECT_TRUE(hasLine(take(), "message: 2 coordinate system(s) deleted (Could not delete global "
                              "coordinate system)"));
  EXPECT_EQ(host->scene().entities().size(), 1u);
  // The global one, and an entity the scene does not hold, are left alone.
  studio::Entity stranger;
  host->mainView().DeleteEntity(nullptr, &host->scene().globalCoordSys());
  host->mainView().DeleteEntity(nullptr, &stranger);
  host->mainView().DeleteEntity(nullptr, nullptr);
  EXPECT_EQ(host->scene().entities().size(), 1u);
  EXPECT_FALSE(has(take(), "deleted"));
}

TEST_F(LightsStudio, GridEvalLightAndMapsChangeThePictureAndComeBack) {
  ASSERT_EQ(openSquare("sq"), "");
  const auto plain = pixels();
  ASSERT_EQ(run("id 33896\n"), "");
  const auto grid = pixels();
  EXPECT_NE(grid, plain);
  ASSERT_EQ(run("id 33896\n"), "");
  EXPECT_EQ(pixels(), plain) << "the grid goes with the switch";

  ASSERT_EQ(run("tool \"Eval Light\"\ndrag left 80 60 5 5\n"), "");
  const auto moved = pixels();
  EXPECT_NE(moved, plain);
  ASSERT_EQ(run("panel 34026\nset \"Eval Light\" \"Reset\" \"\"\n"), "");
  EXPECT_EQ(pixels(), plain) << "Reset brings the default placement back exactly";

  ASSERT_EQ(run("map \"sq\" \"height\" x\n"), "");
  EXPECT_NE(pixels(), plain);
  host->scene().select(host->scene().findByName("sq")->id, true);
  EXPECT_TRUE(hasLine(output("command \"Current Map Delete\"\n"), "message: Map deleted"));
  host->scene().clearSelection();
  EXPECT_EQ(pixels(), plain);
  EXPECT_NE(run("map \"nobody\" \"h\" x\n"), "");
}

TEST_F(LightsStudio, PlyPropertiesLoadAsMaps) {
  // A face property after the corners of a quad: the reader writes it at the face's handle,
  // which must have room (the sanitizer build catches a write past it).
  const auto path = dir.write("q.ply",
                              "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\n"
                              "property float y\nproperty float z\nproperty float quality\n"
                              "element face 2\nproperty list uchar int vertex_indices\n"
                              "property float weight\nend_header\n0 0 0 0.5\n1 0 0 1.5\n"
                              "1 1 0 2.5\n0 1 0 3.5\n4 0 1 2 3 0.25\n3 0 2 3 0.5\n");
  EXPECT_TRUE(has(output("open " + path.string() + "\n"), "maps: quality"));
  const studio::VertexMap* map = host->scene().findByName("q")->currentVertexMap();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->name, "quality") << "face properties make no vertex map";
  EXPECT_EQ(map->values, (std::vector<float>{0.5f, 1.5f, 2.5f, 3.5f}));
}

}  // namespace
}  // namespace tessel::test
