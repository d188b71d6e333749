// Entity placements: the arithmetic against values worked out by hand (30 degrees, where a
// transposed matrix turns the other way), refusals that leave the placement as it was, and the
// placed paths (world positions, tight boxes, projection, picking, normals) against the same
// mesh with its vertices moved instead.
#include <gtest/gtest.h>

#include <cmath>

#include "studio/render/picking.h"
#include "studio/render/screen_projection.h"
#include "studio/scene/scene.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::test {
namespace {

using studio::Box;
using studio::Entity;
using studio::Placement;
using studio::Vec3;

constexpr double kCos30 = 0.86602540378443865;  // sqrt(3) / 2
constexpr double kSin30 = 0.5;
// The unit quaternion of 30 degrees about +Z: (0, 0, sin 15, cos 15).
constexpr float kTurn30Z[4] = {0.0f, 0.0f, 0.25881904510252076f, 0.96592582628906829f};

void expectNear(const Vec3& got, const Vec3& want, double tol = 1e-6) {
  EXPECT_NEAR(got.x, want.x, tol);
  EXPECT_NEAR(got.y, want.y, tol);
  EXPECT_NEAR(got.z, want.z, tol);
}


// The unit square (0,0)-(1,1) at z = 0 as two triangles.
studio::Mesh square() { return makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {0, 1, 2, 0, 2, 3}); }

TEST(Placement, RotateAboutACentreThenTranslateComposeAfterThePlacement) {
  studio::Scene scene;
  Entity& e = scene.add(meshEntity(square()));
  omTransform* t = e.GetTransform();
  ASSERT_NE(t, nullptr);
  const float centre[3] = {1, 0, 0}, up2[3] = {0, 2, 0};
  t->Rotate(kTurn30Z, centre);
  t->Translate(up2);
  // (2,0,0) is 1 from the centre along x: turned to (cos 30, sin 30), then moved up by 2.
  expectNear(e.placement.place({2, 0, 0}), {1 + kCos30, kSin30 + 2, 0});
  // (1,1,0) is 1 from the centre along y: turned to (-sin 30, cos 30).
  expectNear(e.placement.place({1, 1, 0}), {1 - kSin30, kCos30 + 2, 0});
  expectNear(e.placement.unplace({1 + kCos30, kSin30 + 2, 0}), {2, 0, 0});
  // The matrices cross as floats, rows of a row-vector matrix: the first row is where x goes.
  float f[16], inv[16];
  t->GetForwardMatrix(f);
  t->GetInverseMatrix(inv);
  EXPECT_NEAR(f[0], kCos30, 1e-6);
  EXPECT_NEAR(f[1], kSin30, 1e-6);
  EXPECT_NEAR(f[4], -kSin30, 1e-6);
  EXPECT_NEAR(f[13], 2 - kSin30, 1e-6);  // the origin lands at (1 - cos 30, -sin 30 + 2)
  EXPECT_NEAR(inv[1], -kSin30, 1e-6);
}

TEST(Placement, UnusableStepsAreRefusedAndChangeNothing) {
  studio::Scene scene;
  Entity& e = scene.add(meshEntity(square()));
  omTransform* t = e.GetTransform();
  const float origin[3] = {0, 0, 0}, nan = std::numeric_limits<float>::quiet_NaN();
  const float flat[3] = {1, 0, 1}, inf[3] = {std::numeric_limits<float>::infinity(), 0, 0};
  const float nanStep[3] = {nan, 0, 0}, zeroQuat[4] = {0, 0, 0, 0};
  t->Scale(flat, origin);  // one zero factor would make the placement singular
  t->Translate(inf);
  t->Translate(nanStep);
  t->Rotate(zeroQuat, origin);
  float singular[16] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  t->MultMatrix(singular);
  EXPECT_TRUE(e.placement.isIdentity());
  EXPECT_EQ(e.placement.revision(), 0u);
  // A quaternion twice unit length turns exactly as the unit one: it does not scale.
  const float doubled[4] = {0, 0, 2 * kTurn30Z[2], 2 * kTurn30Z[3]};
  t->Rotate(doubled, origin);
  expectNear(e.placement.place({1, 0, 0}), {kCos30, kSin30, 0});
}

TEST(Placement, WorldPositionsAreTheLocalArrayForTheIdentityAndPlacedOtherwise) {
  Placement p;
  const std::vector<float> local = {1, 0, 0, 0, 1, 0, 2, 3, 4};
  std::vector<float> scratch;
  EXPECT_EQ(studio::worldPositions(p, local.data(), 3, scratch), local.data());
  EXPECT_TRUE(scratch.empty());  // no copy for the identity
  p.set(transform::multiply(transform::placementRotation({0, 0, kTurn30Z[2], kTurn30Z[3]}),
                            transform::placementTranslation({10, 0, 0})));
  const float* w = studio::worldPositions(p, local.data(), 3, scratch);
  EXPECT_NEAR(w[0], 10 + kCos30, 1e-5);
  EXPECT_NEAR(w[1], kSin30, 1e-5);
  EXPECT_NEAR(w[3], 10 - kSin30, 1e-5);
  EXPECT_NEAR(w[4], kCos30, 1e-5);
  // (2, 3, 4): x' = 2 cos - 3 sin + 10, y' = 2 sin + 3 cos.
  EXPECT_NEAR(w[6], 2 * kCos30 - 3 * kSin30 + 10, 1e-5);
  EXPECT_NEAR(w[7], 2 * kSin30 + 3 * kCos30, 1e-5);
  EXPECT_NEAR(w[8], 4, 1e-5);
}

TEST(Placement, TheWorldBoxIsTightAndFollowsThePlacement) {
  studio::Scene scene;
  Entity& e = scene.add(meshEntity(square()));
  const float origin[3] = {0, 0, 0};
  e.GetTransform()->Rotate(kTurn30Z, origin);
  e.placementChanged();
  // The square's corners turned by 30 degrees: x from -sin 30 to cos 30, y from 0 to both.
  // (The turned local box would be the same here; a scan's is not, see the Studio test.)
  float box[6];
  ASSERT_TRUE(e.GetBoundingBox(box));
  EXPECT_NEAR(box[0], -kSin30, 1e-6);
  EXPECT_NEAR(box[1], 0, 1e-6);
  EXPECT_NEAR(box[3], kCos30, 1e-6);
  EXPECT_NEAR(box[4], kSin30 + kCos30, 1e-6);
  const float right[3] = {5, 0, 0};
  e.GetTransform()->Translate(right);
  ASSERT_TRUE(e.GetBoundingBox(box));
  EXPECT_NEAR(box[0], 5 - kSin30, 1e-6);
  EXPECT_NEAR(scene.bounds().max.x, 5 + kCos30, 1e-6);
}

TEST(Placement, NormalsOfANonUniformlyScaledMeshAreTheWorldSurfaces) {
  // The face through (0,0,0), (1,0,1), (0,1,0) leans 45 degrees; stretched twice along x its
  // corners are (0,0,0), (2,0,1), (0,1,0), whose normal is (-1, 0, 2) / sqrt 5.
  studio::Scene scene;
  Entity& e = scene.add(meshEntity(makeMesh({0, 0, 0, 1, 0, 1, 0, 1, 0}, {0, 1, 2})));
  const float stretch[3] = {2, 1, 1}, origin[3] = {0, 0, 0};
  e.GetTransform()->Scale(stretch, origin);
  float n[3];
  ASSERT_TRUE(e.GetMesh()->GetFaceNormal(0, n));
  EXPECT_NEAR(n[0], -1 / std::sqrt(5.0), 1e-6);
  EXPECT_NEAR(n[1], 0, 1e-6);
  EXPECT_NEAR(n[2], 2 / std::sqrt(5.0), 1e-6);
  float p[3];
  e.GetMesh()->GetVertexPosition(1, p);
  EXPECT_FLOAT_EQ(p[0], 2);
  EXPECT_FLOAT_EQ(p[2], 1);
}

TEST(Placement, ApplyMovesTheFewPointsOfACurveAndLeavesAMeshToItsPlacement) {
  studio::Scene scene;
  auto curve = std::make_unique<Entity>();
  curve->type = om::kEntityConnectedA;
  curve->points = {{1, 0, 0}, {2, 0, 0}};
  Entity& c = scene.add(std::move(curve));
  const float origin[3] = {0, 0, 0};
  c.GetTransform()->Rotate(kTurn30Z, origin);
  c.GetTransform()->Apply();
  EXPECT_TRUE(c.placement.isIdentity());
  expectNear(c.points[1], {2 * kCos30, 2 * kSin30, 0});
  Entity& m = scene.add(meshEntity(square()));
  m.GetTransform()->Rotate(kTurn30Z, origin);
  m.GetTransform()->Apply();
  EXPECT_FALSE(m.placement.isIdentity());
  EXPECT_EQ(m.mesh->positions[3], 1.0f);  // the vertices stay in the mesh's own space
  // A coordinate system has a frame and nothing to place.
  EXPECT_EQ(scene.globalCoordSys().GetTransform(), nullptr);
}

// The same mesh placed and with its vertices moved by the placement: what the camera sees.
struct PlacedAndMoved {
  studio::Mesh local = strip(40);
  studio::Mesh moved;
  Placement placement;
  PlacedAndMoved() {
    placement.set(transform::multiply(
        transform::placementRotation({0, 0, kTurn30Z[2], kTurn30Z[3]}),
        transform::multiply(transform::placementScale({1.5, 0.5, 1}),
                            transform::placementTranslation({-5, 1, 0.25}))));
    std::vector<float> scratch;
    const float* w = studio::worldPositions(placement, local.positions.data(),
                                            local.vertexCount(), scratch);
    moved = makeMesh(std::vector<float>(w, w + scratch.size()), local.faces);
  }
};

TEST(Placement, ProjectionFoldsThePlacementAndPickingHitsInTheMeshsOwnSpace) {
  PlacedAndMoved m;
  studio::Camera camera;
  camera.eye = {2, -3, 12};
  camera.target = {2, 1, 0};
  const Vec3 f = studio::normalized(camera.target - camera.eye), yAxis{0, 1, 0};
  camera.up = studio::normalized(yAxis - f * studio::dot(yAxis, f));
  const studio::ScreenProjector world(camera, 400, 300);
  const studio::ScreenProjector folded(camera, 400, 300, m.placement);
  for (std::uint32_t v = 0; v < m.local.vertexCount(); ++v) {
    const studio::ScreenVertex a = world(&m.moved.positions[3 * v]);
    const studio::ScreenVertex b = folded(&m.local.positions[3 * v]);
    EXPECT_NEAR(a.x, b.x, 1e-3);
    EXPECT_NEAR(a.y, b.y, 1e-3);
    EXPECT_NEAR(a.depth, b.depth, 1e-4);
  }
  int hits = 0;
  for (int y = 0; y < 300; y += 7)
    for (int x = 0; x < 400; x += 7) {
      double dWorld = 0, dPlaced = 0;
      const std::uint32_t a = studio::pickFace(m.moved, camera, {400, 300}, x, y, &dWorld);
      const std::uint32_t b =
          studio::pickFace(m.local, camera, {400, 300}, x, y, &dPlaced, &m.placement);
      EXPECT_EQ(a, b);
      if (a == studio::kNoFace) continue;
      ++hits;
      EXPECT_NEAR(dWorld, dPlaced, 1e-4);
    }
  EXPECT_GT(hits, 20);
}

}  // namespace
}  // namespace tessel::test
