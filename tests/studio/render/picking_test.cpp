#include "studio/render/picking.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "studio/render/screen_projection.h"
#include "tests/studio/lasso_rows.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio {
namespace {

constexpr ViewSize kSize{400, 300};

// Looking down -z at the strip, which spans x 0..2.5 and y 0..1.
Camera frontCamera() {
  Camera c = standardCamera(ViewKind::Front);
  Box b;
  b.add({0, 0, 0});
  b.add({2.5, 1, 0});
  frameBox(c, b, kSize.width, kSize.height);
  return c;
}

TEST(Picking, FaceUnderThePixel) {
  Mesh m = test::strip(4);
  Camera c = frontCamera();
  // The centroid of face 2 projects onto face 2.
  ScreenPoint s = project(c, kSize.width, kSize.height, componentPosition(m, ComponentKind::Faces, 2));
  double t;
  EXPECT_EQ(pickFace(m, c, kSize, s.x, s.y, &t), 2u);
  EXPECT_EQ(pickFace(m, c, kSize, 1, 1, &t), kNoFace);
  m.faceFlags[2] |= kHidden;
  EXPECT_NE(pickFace(m, c, kSize, s.x, s.y, &t), 2u);
}

TEST(Picking, RectangleAndLassoAgreeOnARectangle) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> coord(-1, 1);
  Mesh cloud;
  for (int i = 0; i < 3000; ++i) cloud.positions.insert(cloud.positions.end(), {coord(rng), coord(rng), coord(rng)});
  buildTopology(cloud);
  Camera c = standardCamera(ViewKind::Perspective);
  Box b = cloud.bounds();
  frameBox(c, b, kSize.width, kSize.height);
  auto box = componentsInRect(cloud, ComponentKind::Vertices, c, kSize, 250, 90, 120, 220);
  auto lasso = componentsInPolygon(cloud, ComponentKind::Vertices, c, kSize,
                                   {120.0, 90.0, 250.0, 90.0, 250.0, 220.0, 120.0, 220.0});
  EXPECT_GT(box.size(), 100u);
  EXPECT_EQ(box, lasso);
  auto circle = componentsInCircle(cloud, ComponentKind::Vertices, c, kSize, 185, 155, 40);
  for (std::uint32_t v : circle)
    EXPECT_TRUE(std::binary_search(box.begin(), box.end(), v)) << "the circle is inside the box";
}

TEST(Picking, ComponentsOfEachKind) {
  Mesh m = test::strip(4);
  Camera c = frontCamera();
  // Left half of the view: x < 1.25 in the world.
  ScreenPoint mid = project(c, kSize.width, kSize.height, {1.25, 0.5, 0});
  auto faces = componentsInRect(m, ComponentKind::Faces, c, kSize, 0, 0, mid.x, kSize.height);
  EXPECT_EQ(faces, (std::vector<std::uint32_t>{0, 1}));  // centroids at x 0.5 and 1.0
  auto vertices = componentsInRect(m, ComponentKind::Vertices, c, kSize, 0, 0, mid.x, kSize.height);
  EXPECT_EQ(vertices, (std::vector<std::uint32_t>{0, 1, 2}));
  m.vertexFlags[1] |= kHidden;
  vertices = componentsInRect(m, ComponentKind::Vertices, c, kSize, 0, 0, mid.x, kSize.height);
  EXPECT_EQ(vertices, (std::vector<std::uint32_t>{0, 2}));
}

TEST(Picking, OccludedComponentsAreLeftOutWhenAsked) {
  // Two parallel squares, the near one (z = 1) covering the far one (z = 0) in a front view.
  Mesh m = test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1},
                          {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7});
  Camera c = standardCamera(ViewKind::Front);
  frameBox(c, m.bounds(), kSize.width, kSize.height);
  // A depth image as the renderer would read it: the near square everywhere.
  DepthImage depth{kSize.width, kSize.height,
                   std::vector<float>(static_cast<std::size_t>(kSize.width) * kSize.height,
                                      static_cast<float>(project(c, kSize.width, kSize.height, {0.5, 0.5, 1}).depth))};
  auto all = componentsInRect(m, ComponentKind::Faces, c, kSize, 0, 0, kSize.width, kSize.height);
  auto visible = componentsInRect(m, ComponentKind::Faces, c, kSize, 0, 0, kSize.width,
                                  kSize.height, &depth);
  EXPECT_EQ(all, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  EXPECT_EQ(visible, (std::vector<std::uint32_t>{2, 3}));
}

TEST(Picking, ObjectsByPixelAndRectangleHonourTheFilter) {
  Scene scene;
  const std::uint32_t id = scene.add(test::meshEntity(test::strip(4), "strip")).id;
  Camera c = frontCamera();
  ScreenPoint s = project(c, kSize.width, kSize.height, {1.0, 0.5, 0});
  EXPECT_EQ(objectAt(scene, c, kSize, s.x, s.y, om::kMaskMesh), id);
  EXPECT_EQ(objectAt(scene, c, kSize, s.x, s.y, om::kMaskPointCloud), 0u);
  EXPECT_EQ(objectsInRect(scene, c, kSize, 0, 0, kSize.width, kSize.height, om::kMaskMesh),
            (std::vector<std::uint32_t>{id}));
  EXPECT_TRUE(objectsInRect(scene, c, kSize, 0, 0, 5, 5, om::kMaskMesh).empty());
  // The global coordinate system sits at the origin, the strip's first vertex.
  ScreenPoint origin = project(c, kSize.width, kSize.height, {0, 0, 0});
  EXPECT_EQ(objectAt(scene, c, kSize, origin.x + 2, origin.y + 2, om::kMaskCoordSys),
            scene.globalCoordSys().id);
}

// "Touching is enough": a vertex exactly on the rectangle's edge counts, for objects (whose
// projected bounds then touch the rectangle too) and for components alike.
TEST(Picking, TouchingTheRectangleIsEnough) {
  Scene scene;
  // Every vertex is a corner of the bounds, so it projects exactly where the corner does.
  const std::uint32_t id =
      scene.add(test::meshEntity(test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}))).id;
  for (ViewKind kind : {ViewKind::Front, ViewKind::Perspective}) {
    Camera c = standardCamera(kind);
    frameBox(c, scene.bounds(), kSize.width, kSize.height);
    const Projector at(c, kSize.width, kSize.height);
    const ScreenPoint right = at({1, 0, 0}), top = at({0, 1, 0}), origin = at({0, 0, 0});
    const std::vector<std::uint32_t> object{id}, none;
    // Each rectangle lies beside the triangle, meeting it at one vertex.
    EXPECT_EQ(objectsInRect(scene, c, kSize, right.x, 0, kSize.width, kSize.height, om::kMaskMesh),
              object);
    EXPECT_EQ(objectsInRect(scene, c, kSize, 0, 0, kSize.width, top.y, om::kMaskMesh), object);
    EXPECT_EQ(objectsInRect(scene, c, kSize, 0, 0, origin.x, kSize.height, om::kMaskMesh), object);
    EXPECT_EQ(objectsInRect(scene, c, kSize, right.x + 0.01, 0, kSize.width, kSize.height,
                            om::kMaskMesh),
              none);
    // A rectangle that is exactly the triangle's projected bounds holds it.
    EXPECT_EQ(objectsInRect(scene, c, kSize, origin.x, top.y, right.x, origin.y, om::kMaskMesh),
              object);
    // Components are where the selection's single-precision projection puts them.
    const Mesh& m = *scene.find(id)->mesh;
    const ScreenProjector place(c, kSize.width, kSize.height);
    const ScreenVertex rightVertex = place(&m.positions[3]), topVertex = place(&m.positions[6]);
    EXPECT_EQ(componentsInRect(m, ComponentKind::Vertices, c, kSize, rightVertex.x, 0, kSize.width,
                               kSize.height),
              (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(componentsInRect(m, ComponentKind::Vertices, c, kSize, 0, 0, kSize.width, topVertex.y),
              (std::vector<std::uint32_t>{2}));
  }
}

// The bounding-box shortcuts must not change the answer of a vertex-by-vertex test.
TEST(Picking, RectangleShortcutsAgreeWithAVertexScan) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> at(-5, 5), spread(0.05f, 1.5f);
  Scene scene;
  for (int i = 0; i < 60; ++i) {
    Mesh m;
    float cx = at(rng), cy = at(rng), cz = at(rng), r = spread(rng);
    for (int v = 0; v < 20; ++v)
      m.positions.insert(m.positions.end(), {cx + r * at(rng) / 5, cy + r * at(rng) / 5, cz + r * at(rng) / 5});
    buildTopology(m);
    if (i % 7 == 0) m.vertexFlags.assign(m.vertexCount(), kHidden);  // wholly hidden objects
    scene.add(test::meshEntity(std::move(m)));
  }
  std::uniform_real_distribution<double> px(-50, 450);
  for (ViewKind kind : {ViewKind::Perspective, ViewKind::Top}) {
    Camera c = standardCamera(kind);
    frameBox(c, scene.bounds(), kSize.width, kSize.height);
    dolly(c, targetDistance(c) * 0.4);  // some objects behind the eye or across the edges
    for (int trial = 0; trial < 40; ++trial) {
      double x0 = px(rng), x1 = px(rng), y0 = px(rng) * 0.75, y1 = px(rng) * 0.75;
      std::vector<std::uint32_t> expected;
      for (const auto& e : scene.entities()) {
        if (!e->mesh) continue;
        for (std::uint32_t v = 0; v < e->mesh->vertexCount(); ++v) {
          ScreenPoint s = project(c, kSize.width, kSize.height, e->mesh->position(v));
          if (!(e->mesh->vertexFlags[v] & kHidden) && s.inFront && s.x >= std::min(x0, x1) &&
              s.x <= std::max(x0, x1) && s.y >= std::min(y0, y1) && s.y <= std::max(y0, y1)) {
            expected.push_back(e->id);
            break;
          }
        }
      }
      EXPECT_EQ(objectsInRect(scene, c, kSize, x0, y0, x1, y1, om::kMaskMesh), expected)
          << "trial " << trial;
    }
  }
}

TEST(Picking, ScanlineTableAgreesWithThePolygonItCameFrom) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> px(0, 399), py(0, 299);
  for (int trial = 0; trial < 20; ++trial) {
    // Integer outlines, as a dragged lasso clamps them; many share a y with another vertex.
    std::vector<double> outline;
    for (int i = 0; i < 12 + trial; ++i) outline.insert(outline.end(), {double(px(rng)), double(py(rng))});
    const selection::LassoRows table = test::toolRows(outline, kSize.height);
    int inside = 0;
    for (double y = 0.25; y < kSize.height; y += 3.5)
      for (double x = 0.25; x < kSize.width; x += 3.5) {
        const bool expected = pointInPolygon(outline, x, y);
        ASSERT_EQ(insideScanlines(table.rows.data(), kSize.height, x, y), expected)
            << "trial " << trial << " at " << x << ", " << y;
        inside += expected;
      }
    EXPECT_GT(inside, 0);
  }
  // Outside the table's rows nothing is inside.
  const selection::LassoRows square = test::toolRows(std::vector<double>{10, 10, 50, 10, 50, 50, 10, 50}, 60);
  EXPECT_TRUE(insideScanlines(square.rows.data(), 60, 30, 30));
  EXPECT_FALSE(insideScanlines(square.rows.data(), 60, 30, -1));
  EXPECT_FALSE(insideScanlines(square.rows.data(), 60, 30, 60));
  EXPECT_FALSE(insideScanlines(nullptr, 0, 30, 30));
}

}  // namespace
}  // namespace tessel::studio
