#include "studio/render/component_selection.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/studio/screen_fixtures.h"

namespace tessel::studio {
namespace {

constexpr ViewSize kSize{160, 120};

std::size_t selectedCount(const std::vector<std::uint8_t>& flags) {
  return test::flagged(flags).size();
}

// Two sheets side by side (left and right), a point cloud above them and a light, seen from the
// front; depth images come from casting rays, and are counted.
class ComponentRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    left = &addMesh("left", test::wavySheet(12, 1), 0);
    right = &addMesh("right", test::wavySheet(12, 2), 1.5f);
    auto cloud = std::make_unique<Entity>();
    cloud->name = "cloud";
    cloud->type = kEntityPointCloud;
    cloud->mesh = std::make_unique<Mesh>(test::makeMesh({0.2f, 1.5f, 0, 0.8f, 1.5f, 0}, {}));
    points = &scene.add(std::move(cloud));
    auto light = std::make_unique<Entity>();
    light->type = om::kEntityLight;
    scene.add(std::move(light));
    place.camera = standardCamera(ViewKind::Front);
    Box b;
    b.add({0, 0, -0.3});
    b.add({2.5, 1.6, 0.3});
    frameBox(place.camera, b, kSize.width, kSize.height);
    place.size = kSize;
  }
  Entity& addMesh(const char* name, Mesh m, float dx) {
    for (std::size_t i = 0; i < m.positions.size(); i += 3) m.positions[i] += dx;
    return scene.add(test::meshEntity(std::move(m), name));
  }
  DepthImage renderDepth(const ViewPlace& view) {
    ++renders;
    DepthImage out{view.size.width, view.size.height,
                   std::vector<float>(std::size_t(view.size.width) * view.size.height, INFINITY)};
    for (const auto& e : scene.entities()) {
      if (!e->visible || !e->isMesh()) continue;
      DepthImage one = test::rayDepth(*e->mesh, view.camera, view.size);
      for (std::size_t i = 0; i < out.depth.size(); ++i)
        out.depth[i] = std::min(out.depth[i], one.depth[i]);
    }
    return out;
  }
  // The screen x where the two sheets part.
  float between() const {
    return static_cast<float>(project(place.camera, kSize.width, kSize.height, {1.25, 0.5, 0}).x);
  }
  std::vector<std::string> listed() {
    std::vector<std::string> names;
    for (std::uint32_t id : scene.selection()) names.push_back(scene.find(id)->name);
    return names;
  }

  Scene scene;
  Entity *left = nullptr, *right = nullptr, *points = nullptr;
  int renders = 0;
  ComponentSelection select{scene, [this](const ViewPlace& v) { return renderDepth(v); }};
  ViewPlace place;
};

TEST_F(ComponentRequests, ReplaceKeepRemoveAndTheListFollowTheComponents) {
  const float mid = between();
  select.inRect(place, {0, 0, mid, 120}, {});
  EXPECT_GT(selectedCount(left->mesh->faceFlags), 0u);
  EXPECT_EQ(selectedCount(right->mesh->faceFlags), 0u);
  EXPECT_EQ(listed(), (std::vector<std::string>{"left"}));
  // Kept and added: both; the vertices of one as well.
  select.inRect(place, {mid, 0, 160, 120}, {.keep = true});
  select.componentMask = om::kMaskVertices;
  select.inRect(place, {mid, 0, 160, 120}, {.keep = true});
  EXPECT_EQ(listed(), (std::vector<std::string>{"left", "right"}));
  EXPECT_GT(selectedCount(right->mesh->vertexFlags), 0u);
  // Removing the left sheet's faces takes it off the list; the right keeps its faces.
  select.componentMask = om::kMaskFaces;
  select.inRect(place, {0, 0, mid, 120}, {.keep = true, .select = false});
  EXPECT_EQ(selectedCount(left->mesh->faceFlags), 0u);
  EXPECT_EQ(listed(), (std::vector<std::string>{"right"}));
  // A replacing request clears every mesh's components of every kind, even when it finds none.
  select.inRect(place, {0, 0, 1, 1}, {});
  EXPECT_EQ(selectedCount(right->mesh->faceFlags) + selectedCount(right->mesh->vertexFlags), 0u);
  EXPECT_TRUE(listed().empty());
}

TEST_F(ComponentRequests, HiddenEntitiesAndOtherKindsAreNeverSelected) {
  right->visible = false;
  select.inRect(place, {0, 0, 160, 120}, {.through = true});
  EXPECT_EQ(selectedCount(right->mesh->faceFlags), 0u);
  EXPECT_EQ(selectedCount(points->mesh->vertexFlags), 0u) << "the Mesh filter passes no clouds";
  EXPECT_EQ(listed(), (std::vector<std::string>{"left"}));
  // The cloud's points under the Point Cloud filter, whatever the component entry is.
  select.objectMask = om::kMaskPointCloud;
  select.componentMask = 0x8000;
  select.inRect(place, {0, 0, 160, 120}, {});
  EXPECT_EQ(selectedCount(points->mesh->vertexFlags), 2u);
  EXPECT_EQ(listed(), (std::vector<std::string>{"cloud"}));
  // A component filter that names nothing a mesh has selects nothing (and replaces).
  select.objectMask = om::kMaskMesh;
  select.componentMask = 0x100;
  select.inRect(place, {0, 0, 160, 120}, {});
  EXPECT_TRUE(listed().empty());
}

TEST_F(ComponentRequests, VisibleOnlyRendersOncePerCameraAndSelectsLessThanThrough) {
  place.camera = test::obliqueCamera(kSize);
  right->visible = false;
  select.componentMask = om::kMaskVertices;
  select.inRect(place, {0, 0, 160, 120}, {});
  const std::size_t visible = selectedCount(left->mesh->vertexFlags);
  select.inRect(place, {0, 0, 160, 120}, {});
  EXPECT_EQ(renders, 1) << "the same camera reuses its depth image";
  select.inRect(place, {0, 0, 160, 120}, {.through = true});
  const std::size_t through = selectedCount(left->mesh->vertexFlags);
  EXPECT_LT(visible, through);
  EXPECT_EQ(renders, 1) << "selecting through needs no depth";
  tumble(place.camera, 1, 0);
  select.inRect(place, {0, 0, 160, 120}, {});
  EXPECT_EQ(renders, 2) << "a new camera, a new image";
  right->visible = true;
  select.inRect(place, {0, 0, 160, 120}, {});
  EXPECT_EQ(renders, 3) << "an entity shown again";
  select.sceneChanged();
  select.atPoint(place, 80, 60, {});
  EXPECT_EQ(renders, 4);
  place.index = 1;
  select.atPoint(place, 80, 60, {});
  EXPECT_EQ(renders, 5) << "each view keeps its own";
}

// "Visible only" remembers what the depth test answered, as long as its depth image stands: a
// new camera or a changed scene answers afresh, as the plain test with a new image does.
TEST_F(ComponentRequests, WhatTheDepthTestAnsweredGoesWithItsImage) {
  place.camera = test::obliqueCamera(kSize);
  const RectRegion box{10, 10, 150, 110};
  auto plainMatches = [&](ComponentKind kind) {
    const DepthImage image = renderDepth(place);
    --renders;
    for (Entity* e : {left, right}) {
      const auto& flags =
          kind == ComponentKind::Vertices ? e->mesh->vertexFlags : e->mesh->faceFlags;
      if (test::flagged(flags) != componentsInRect(*e->mesh, kind, place.camera, kSize, box.x0, box.y0,
                                       box.x1, box.y1, &image))
        return false;
    }
    return true;
  };
  for (std::uint32_t mask : {om::kMaskVertices, om::kMaskFaces}) {
    const ComponentKind kind = mask == om::kMaskVertices ? ComponentKind::Vertices
                                                         : ComponentKind::Faces;
    select.componentMask = mask;
    select.inRect(place, box, {});
    EXPECT_TRUE(plainMatches(kind));
    select.inRect(place, box, {});  // from what was remembered
    EXPECT_TRUE(plainMatches(kind));
    tumble(place.camera, 1.2, 0.4);
    select.inRect(place, box, {});
    EXPECT_TRUE(plainMatches(kind)) << "a new camera";
    // The right sheet laid over the left one, nearer the eye.
    for (std::size_t i = 0; i < right->mesh->positions.size(); i += 3)
      right->mesh->positions[i] -= 1.2f, right->mesh->positions[i + 2] += 0.4f;
    select.sceneChanged();
    select.inRect(place, box, {});
    EXPECT_TRUE(plainMatches(kind)) << "a changed scene";
    for (std::size_t i = 0; i < right->mesh->positions.size(); i += 3)
      right->mesh->positions[i] += 1.2f, right->mesh->positions[i + 2] -= 0.4f;
    select.sceneChanged();
  }
  EXPECT_GT(select.memoryBytes(), 0u);
}

TEST_F(ComponentRequests, TheBrushIsBuiltPerGestureStateNotPerStep) {
  select.beginPaint(place, false);
  const float mid = between();
  for (int step = 0; step < 10; ++step) {
    select.beginPaint(place, false);
    select.paint(place, 10 + step * 3, 60, 6, {});
  }
  EXPECT_EQ(select.brushBuilds(), 1u);
  const std::size_t band = selectedCount(left->mesh->faceFlags);
  EXPECT_GT(band, 0u);
  EXPECT_EQ(selectedCount(right->mesh->faceFlags), 0u);
  // Painting keeps what was there; CTRL's removal takes the band away again.
  select.endStroke();
  select.paint(place, mid + 20, 60, 6, {});
  EXPECT_EQ(selectedCount(left->mesh->faceFlags), band);
  select.endStroke();
  for (int step = 0; step < 10; ++step) select.paint(place, 10 + step * 3, 60, 6, {.select = false});
  EXPECT_EQ(selectedCount(left->mesh->faceFlags), 0u);
  EXPECT_EQ(listed(), (std::vector<std::string>{"right"}));
  EXPECT_EQ(select.brushBuilds(), 1u);
  // A new camera, another component kind or a changed scene rebuild it once.
  place.camera.eye.x += 0.01;
  select.beginPaint(place, false);
  select.componentMask = om::kMaskEdges;
  select.beginPaint(place, false);
  select.sceneChanged();
  select.paint(place, 10, 60, 6, {});
  select.paint(place, 12, 60, 6, {});
  EXPECT_EQ(select.brushBuilds(), 4u);
  EXPECT_GT(selectedCount(left->mesh->edgeFlags), 0u);
  // The end of the tool lets the grids go; the view's depth image stays for the next request.
  const std::size_t painting = select.memoryBytes();
  select.releaseBrush();
  EXPECT_LT(select.memoryBytes(), painting);
  EXPECT_GE(select.memoryBytes(), std::size_t(kSize.width) * kSize.height * 4);
}

// Two steps of one stroke far apart paint the way between them, as a brush swept along it; the
// first step of the next stroke paints only where it is.
TEST_F(ComponentRequests, AStrokeSweepsTheWayBetweenItsSteps) {
  const Mesh& m = *left->mesh;
  const ScreenProjector project(place.camera, kSize.width, kSize.height, left->placement);
  const double r = 8, y = 60, x0 = 10, x1 = 40, x2 = 70;
  // How far a face's place lies from the segment (a, y) .. (b, y).
  auto away = [&](std::uint32_t f, double a, double b) {
    const ScreenVertex p = screenPlace(m, ComponentTarget::Faces, project, f);
    const double dx = p.x < a ? a - p.x : p.x > b ? p.x - b : 0;
    return std::hypot(dx, p.y - y);
  };
  select.beginPaint(place, true);
  select.paint(place, x0, y, r, {.through = true});
  select.paint(place, x1, y, r, {.through = true});
  select.endStroke();
  select.paint(place, x2, y, r, {.through = true});
  std::size_t inside = 0;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const bool selected = m.faceFlags[f] & kSelected;
    const double stroke = away(f, x0, x1), dab = away(f, x2, x2);
    if (stroke <= 0.95 * r || dab <= r) {
      EXPECT_TRUE(selected) << f;
      inside += stroke <= 0.95 * r;
    }
    if (stroke > r && dab > r) {
      EXPECT_FALSE(selected) << f;
    }
  }
  EXPECT_GT(inside, 20u) << "the band holds more than the two ends' dabs";
}

TEST_F(ComponentRequests, AClickSelectsTheOneComponentUnderIt) {
  const Mesh& m = *left->mesh;
  const Vec3 centre = (m.position(m.faces[30]) + m.position(m.faces[31]) + m.position(m.faces[32])) / 3;
  const ScreenPoint s = project(place.camera, kSize.width, kSize.height, centre);
  select.atPoint(place, s.x, s.y, {});
  EXPECT_EQ(selectedCount(m.faceFlags), 1u);
  EXPECT_TRUE(m.faceFlags[10] & kSelected);
  select.componentMask = om::kMaskVertices;
  const ScreenPoint v = project(place.camera, kSize.width, kSize.height, m.position(40));
  select.atPoint(place, v.x + 1, v.y - 1, {.keep = true});
  EXPECT_EQ(selectedCount(m.vertexFlags), 1u);
  EXPECT_TRUE(m.vertexFlags[40] & kSelected);
  select.componentMask = om::kMaskEdges;
  select.atPoint(place, s.x, s.y, {});
  EXPECT_EQ(selectedCount(m.edgeFlags), 1u);
  EXPECT_EQ(selectedCount(m.faceFlags) + selectedCount(m.vertexFlags), 0u) << "replaced";
  // Nothing under the pixel: a replacing click empties the selection.
  select.atPoint(place, 159, 1, {});
  EXPECT_TRUE(listed().empty());
  select.atPoint(place, NAN, 1, {});
  place.size = {0, 0};
  select.atPoint(place, 0, 0, {});
  EXPECT_TRUE(listed().empty());
}

TEST_F(ComponentRequests, HolesSelectWholeBoundaryLoops) {
  select.componentMask = om::kMaskHoles;
  right->visible = false;
  // The sheet's one hole is its outline; a click near its left side takes all of it.
  const Mesh& m = *left->mesh;
  const ScreenPoint s = project(place.camera, kSize.width, kSize.height, m.position(12 * 5));
  select.atPoint(place, s.x - 2, s.y, {});
  std::size_t boundary = 0;
  for (const Edge& e : m.edges()) boundary += e.f1 == kNoFace;
  EXPECT_EQ(selectedCount(m.edgeFlags), boundary);
  EXPECT_EQ(boundary, 44u);
  select.inRect(place, {0, 0, 2, 2}, {});
  EXPECT_EQ(selectedCount(m.edgeFlags), 0u);
}

}  // namespace
}  // namespace tessel::studio
