#include "studio/render/renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "tests/studio/mesh_fixtures.h"
#include "transform/transform_math.h"

namespace tessel::studio {
namespace {

constexpr int kW = 120, kH = 90;

// Two parallel squares, the near one (z = 1) covering the far one (z = 0) in a front view.
std::unique_ptr<Entity> stackedSquares() {
  return test::meshEntity(
      test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1},
                     {0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}),
      "stack");
}

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context = OffscreenContext::create(kW, kH, &error);
    ASSERT_TRUE(context) << error;
    renderer = std::make_unique<Renderer>(*context);
    entity = &scene.add(stackedSquares());
    camera = standardCamera(ViewKind::Front);
    frameBox(camera, scene.bounds(), kW, kH);
  }
  std::unique_ptr<OffscreenContext> context;
  std::unique_ptr<Renderer> renderer;
  Scene scene;
  Entity* entity = nullptr;
  Camera camera;
  const PixelRect rect{0, 0, kW, kH};
};

TEST_F(Drawing, TheMeshCoversItsProjectionAndNothingElse) {
  renderer->drawView(scene, camera, rect, false);
  auto px = renderer->readPixels(rect);
  auto at = [&](int x, int y) { return &px[(static_cast<std::size_t>(y) * kW + x) * 4]; };
  const std::uint8_t* background = at(1, 1);
  const std::uint8_t* centre = at(kW / 2, kH / 2);
  EXPECT_NE(std::vector<std::uint8_t>(centre, centre + 3),
            std::vector<std::uint8_t>(background, background + 3));
  // Selecting the mesh changes its colour, not the background's.
  scene.select(entity->id, true);
  renderer->drawView(scene, camera, rect, false);
  auto selected = renderer->readPixels(rect);
  EXPECT_NE(selected[(static_cast<std::size_t>(kH / 2) * kW + kW / 2) * 4],
            px[(static_cast<std::size_t>(kH / 2) * kW + kW / 2) * 4]);
  EXPECT_EQ(selected[(static_cast<std::size_t>(1) * kW + 1) * 4], background[0]);
}

TEST_F(Drawing, DepthReadBackHidesWhatIsBehind) {
  renderer->drawView(scene, camera, rect, false);
  DepthImage depth = renderer->readDepth(camera, scene, rect);
  ViewSize size{kW, kH};
  auto visible = componentsInRect(*entity->mesh, ComponentKind::Faces, camera, size, 0, 0, kW, kH,
                                  &depth);
  EXPECT_EQ(visible, (std::vector<std::uint32_t>{2, 3})) << "only the near square's faces";
  // Hidden faces are not drawn, so the far square shows through.
  entity->mesh->faceFlags[2] |= kHidden;
  entity->mesh->faceFlags[3] |= kHidden;
  renderer->drawView(scene, camera, rect, false);
  depth = renderer->readDepth(camera, scene, rect);
  visible = componentsInRect(*entity->mesh, ComponentKind::Faces, camera, size, 0, 0, kW, kH,
                             &depth);
  EXPECT_EQ(visible, (std::vector<std::uint32_t>{0, 1}));
}

// Two copies of a square, one turned over: every vertex normal sums to zero. The square must
// still draw lit, as bright as a plain square does.
TEST_F(Drawing, FacesFoldedOntoEachOtherStillShade) {
  auto brightness = [&](std::vector<float> p, std::vector<std::uint32_t> f) {
    Scene one;
    one.add(test::meshEntity(test::makeMesh(std::move(p), std::move(f))));
    renderer->drawView(one, camera, rect, false);
    return renderer->readPixels(rect)[(static_cast<std::size_t>(kH / 2) * kW + kW / 2) * 4];
  };
  const std::vector<float> square{0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1};
  const std::uint8_t plain = brightness(square, {0, 1, 2, 2, 1, 3});
  const std::uint8_t folded = brightness(square, {0, 1, 2, 2, 1, 3, 2, 1, 0, 3, 1, 2});
  EXPECT_GT(plain, 100);
  EXPECT_EQ(folded, plain);
}

// The point under a pixel is read back from the depth the drawing wrote, so it must convert that
// depth with the drawing's own depth range: it lies on the near square with a light's marker far
// behind widening that range, and on the turned square once the mesh is placed.
TEST_F(Drawing, TheSurfacePointUnderAPixelLiesOnTheDrawnSurface) {
  auto light = std::make_unique<Entity>();
  light->type = om::kEntityLight;
  light->light.position = {0.5, 0.5, -6};
  light->light.slot = 0;
  scene.add(std::move(light));
  scene.lightDisplayFlags = om::kLightDisplayBit;
  scene.lightFlags[0] = om::kLightDisplayBit;
  const auto turn = transform::axisAngle({1, 0, 0}, 30 * 3.14159265358979323846 / 180);
  for (const bool placed : {false, true}) {
    SCOPED_TRACE(placed ? "placed" : "in place");
    entity->placement.set(placed ? transform::placementRotationAbout(*turn, {0.5, 0.5, 0.5})
                                 : transform::identity());
    entity->placementChanged();
    renderer->drawView(scene, camera, rect, false);
    const auto point = renderer->surfacePointAt(scene, camera, rect, 0, kW / 2, kH / 2);
    ASSERT_TRUE(point);
    const Vec3 local = entity->placement.unplace(*point);
    // Within a pixel's depth on the turned square: the depth is the pixel centre's.
    EXPECT_NEAR(local.z, 1, 0.02);
    EXPECT_NEAR(local.x, 0.5, 0.02);
    EXPECT_GT(local.y, 0.45);
    EXPECT_LT(local.y, 1);
  }
}

// A square seen from its front, then turned over (its winding reversed): the back side takes the
// back-face tint, bluer than the front and far from black, whichever way its normals point.
TEST_F(Drawing, AFaceSeenFromBehindTakesTheBackFaceTint) {
  auto colourAt = [&](std::vector<float> p, std::vector<std::uint32_t> f, const Vec3& at) {
    Scene one;
    one.add(test::meshEntity(test::makeMesh(std::move(p), std::move(f))));
    Camera c = camera;
    frameBox(c, one.bounds(), kW, kH);
    renderer->drawView(one, c, rect, false);
    const auto px = renderer->readPixels(rect);
    const ScreenPoint s = project(c, kW, kH, at);
    const std::uint8_t* q =
        &px[(static_cast<std::size_t>(s.y) * kW + static_cast<std::size_t>(s.x)) * 4];
    return std::array<int, 3>{q[0], q[1], q[2]};
  };
  const std::vector<float> square{0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 1};
  const auto front = colourAt(square, {0, 1, 2, 2, 1, 3}, {0.5, 0.5, 1});
  const auto back = colourAt(square, {0, 2, 1, 2, 3, 1}, {0.5, 0.5, 1});
  EXPECT_LT(std::abs(front[2] - front[0]), 20) << "the front is the plain grey";
  EXPECT_GT(back[2] - back[0], 25) << "the back is tinted";
  EXPECT_GT(back[2], 60) << "and never black";
  // A sliver folded back under the square's edge: its corners on that edge take the square's
  // normals, which face the viewer, so its lit back side would be dark; the glow keeps it tinted.
  std::vector<float> folded = square;
  folded.insert(folded.end(), {0.5f, -0.6f, 1});
  const auto sliver = colourAt(folded, {0, 1, 2, 2, 1, 3, 0, 1, 4}, {0.5, -0.08, 1});
  EXPECT_GT(sliver[2] - sliver[0], 25) << "the sliver reads as a back side";
  EXPECT_GT(sliver[2], 85) << "not as a dark speck";
}

// A bumpy 21 x 21 grid: each display mode changes the picture; the vertex dots of component mode
// stay off while the grid is small on screen and show once it is zoomed in.
TEST_F(Drawing, DisplayModesChangeThePictureAndDenseDotsStayOff) {
  std::vector<float> p;
  std::vector<std::uint32_t> f;
  constexpr std::uint32_t n = 21;
  for (std::uint32_t y = 0; y < n; ++y)
    for (std::uint32_t x = 0; x < n; ++x) {
      const float fx = static_cast<float>(x), fy = static_cast<float>(y);
      p.insert(p.end(), {fx / 20.0f, fy / 20.0f, 0.08f * std::sin(fx * 1.3f) * std::cos(fy * 1.1f)});
    }
  for (std::uint32_t y = 0; y + 1 < n; ++y)
    for (std::uint32_t x = 0; x + 1 < n; ++x) {
      const std::uint32_t v = y * n + x;
      f.insert(f.end(), {v, v + 1, v + n, v + n, v + 1, v + n + 1});
    }
  Scene grid;
  grid.add(test::meshEntity(test::makeMesh(std::move(p), std::move(f))));
  Camera view = standardCamera(ViewKind::Front);
  frameBox(view, grid.bounds(), kW, kH);
  auto draw = [&](DisplayMode mode) {
    renderer->setDisplay(mode);
    renderer->drawView(grid, view, rect, false);
    return renderer->readPixels(rect);
  };
  const auto smooth = draw(DisplayMode::Smooth);
  EXPECT_NE(draw(DisplayMode::Flat), smooth);
  EXPECT_NE(draw(DisplayMode::Wireframe), smooth);
  EXPECT_NE(draw(DisplayMode::Points), smooth);
  EXPECT_EQ(draw(DisplayMode::Smooth), smooth);

  grid.objectMode = false;
  const auto plain = draw(DisplayMode::Smooth);
  grid.showVertices = true;
  EXPECT_EQ(draw(DisplayMode::Smooth), plain) << "441 dots on a grid this small would cover it";
  view.orthoHeight *= 0.15;
  grid.showVertices = false;
  const auto near = draw(DisplayMode::Smooth);
  grid.showVertices = true;
  EXPECT_NE(draw(DisplayMode::Smooth), near) << "zoomed in, the dots are sparse enough";
  renderer->setDisplay(DisplayMode::Smooth);
}

// A grid of more triangles than one draw call takes, drawn in the mesh's own order (from its
// own triangles), then with its left half hidden and its right half selected (from an ordered
// copy), then in its own order again: each picture is the one a fresh renderer draws. Then all of
// it selected.
TEST_F(Drawing, HiddenAndSelectedFacesDrawAndTheMeshsOwnOrderComesBack) {
  constexpr std::uint32_t n = 200;
  std::vector<float> p;
  std::vector<std::uint32_t> f;
  for (std::uint32_t y = 0; y < n; ++y)
    for (std::uint32_t x = 0; x < n; ++x)
      p.insert(p.end(), {static_cast<float>(x) / (n - 1), static_cast<float>(y) / (n - 1),
                         0.05f * std::sin(static_cast<float>(x) * 0.3f)});
  for (std::uint32_t y = 0; y + 1 < n; ++y)
    for (std::uint32_t x = 0; x + 1 < n; ++x) {
      const std::uint32_t v = y * n + x;
      f.insert(f.end(), {v, v + 1, v + n, v + n, v + 1, v + n + 1});
    }
  f.insert(f.end(), {0, 0, 0});  // a face without area, last
  ASSERT_GT(f.size() / 3, Renderer::kFlushTriangles);
  Scene grid;
  Mesh& m = *grid.add(test::meshEntity(test::makeMesh(std::move(p), std::move(f)))).mesh;
  grid.objectMode = false;
  Camera view = standardCamera(ViewKind::Front);
  frameBox(view, grid.bounds(), kW, kH);
  auto draw = [&](Renderer& r) {
    r.drawView(grid, view, rect, false);
    return r.readPixels(rect);
  };
  auto fresh = [&] {
    Renderer r(*context);
    return draw(r);
  };
  const auto plain = draw(*renderer);
  EXPECT_EQ(plain, fresh());
  // Faces by their first corner's column: the left half hidden, the right half selected.
  for (std::uint32_t face = 0; face < m.faceCount(); ++face)
    m.faceFlags[face] = m.faces[3 * face] % n < n / 2 ? kHidden : kSelected;
  const auto halves = draw(*renderer);
  EXPECT_EQ(halves, fresh());
  const std::uint8_t* background = &plain[0];
  const std::size_t left = (std::size_t{kH} / 2 * kW + kW / 2 - 10) * 4;
  const std::size_t right = (std::size_t{kH} / 2 * kW + kW / 2 + 10) * 4;
  EXPECT_NE(std::vector(plain.begin() + left, plain.begin() + left + 3),
            std::vector(background, background + 3));
  EXPECT_EQ(std::vector(halves.begin() + left, halves.begin() + left + 3),
            std::vector(background, background + 3)) << "the hidden half is not drawn";
  EXPECT_NE(std::vector(halves.begin() + right, halves.begin() + right + 3),
            std::vector(plain.begin() + right, plain.begin() + right + 3)) << "selected";
  std::fill(m.faceFlags.begin(), m.faceFlags.end(), std::uint8_t{0});
  EXPECT_EQ(draw(*renderer), plain);
  // Every face selected is drawn in the mesh's own order, all of it in the selection's colour:
  // the picture an ordered copy draws while the face without area stays unselected.
  std::fill(m.faceFlags.begin(), m.faceFlags.end(), std::uint8_t{kSelected});
  const auto all = draw(*renderer);
  EXPECT_NE(all, plain);
  m.faceFlags.back() = 0;
  EXPECT_EQ(draw(*renderer), all);
  // Every face selected and the left half hidden as well: that half is still left out.
  for (std::uint32_t face = 0; face < m.faceCount(); ++face)
    m.faceFlags[face] = m.faces[3 * face] % n < n / 2 ? kSelected | kHidden : kSelected;
  const auto hiddenSelected = draw(*renderer);
  EXPECT_EQ(std::vector(hiddenSelected.begin() + left, hiddenSelected.begin() + left + 3),
            std::vector(background, background + 3));
}

// A square whose two triangles sit either side of the end of a draw call, after faces without
// area: it draws as the square alone does.
TEST_F(Drawing, TrianglesEitherSideOfADrawCallsEndAreDrawn) {
  const std::vector<float> corners{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
  std::vector<std::uint32_t> faces(3 * (Renderer::kFlushTriangles - 1), 0);
  faces.insert(faces.end(), {0, 1, 2, 2, 1, 3});
  Scene alone, split;
  alone.add(test::meshEntity(test::makeMesh(corners, {0, 1, 2, 2, 1, 3})));
  split.add(test::meshEntity(test::makeMesh(corners, std::move(faces))));
  Camera view = standardCamera(ViewKind::Front);
  frameBox(view, alone.bounds(), kW, kH);
  renderer->drawView(alone, view, rect, false);
  const auto square = renderer->readPixels(rect);
  renderer->drawView(split, view, rect, false);
  EXPECT_EQ(renderer->readPixels(rect), square);
}

TEST(VertexDots, ReadableUpToOneDotPerSixteenPixelsAndAlwaysWhenTheEyeIsInside) {
  EXPECT_TRUE(vertexDotsReadable(100, 1600));
  EXPECT_FALSE(vertexDotsReadable(101, 1600));
  Camera c = standardCamera(ViewKind::Perspective);
  Box unit;
  unit.add({0, 0, 0});
  unit.add({1, 1, 1});
  frameBox(c, unit, 200, 100);
  const double framed = projectedArea(c, 200, 100, unit);
  EXPECT_GT(framed, 1000);
  EXPECT_LE(framed, 200.0 * 100);
  c.eye = unit.center();
  EXPECT_TRUE(std::isinf(projectedArea(c, 200, 100, unit)));
  // A 2 x 1 box seen from the front, 4 units across the view's 100 pixels of height: 50 x 25.
  Camera front = standardCamera(ViewKind::Front);
  Box wide;
  wide.add({0, 0, 0});
  wide.add({2, 1, 0.5});
  front.eye = front.eye - front.target + wide.center();
  front.target = wide.center();
  front.orthoHeight = 4;
  EXPECT_NEAR(projectedArea(front, 200, 100, wide), 50.0 * 25.0, 1.0);
  EXPECT_EQ(projectedArea(c, 200, 100, Box{}), 0);
}

TEST_F(Drawing, PngShotsAreWrittenWholeOrNotAtAll) {
  test::TempDir dir;
  renderer->drawView(scene, camera, rect, false);
  auto px = renderer->readPixels(rect);
  EXPECT_EQ(writePng((dir.path / "a.png").string(), px, kW, kH), "");
  std::ifstream in(dir.path / "a.png", std::ios::binary);
  char magic[8];
  in.read(magic, 8);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
  EXPECT_NE(writePng((dir.path / "missing" / "b.png").string(), px, kW, kH), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

}  // namespace
}  // namespace tessel::studio
