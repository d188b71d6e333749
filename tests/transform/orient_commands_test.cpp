// The orient and synchronize commands as the loaded module runs them against a scene of fake
// entities, with a reference coordinate system turned 30 degrees about Z.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/host/fake_host.h"
#include "tests/temp_config.h"
#include "transform/omCmdOrientRotate.h"
#include "transform/omCmdOrientScale.h"
#include "transform/omCmdOrientSynchronize.h"
#include "transform/omCmdOrientTranslate.h"

namespace tessel::test {
namespace {

using transform::Vec3;

constexpr double kCos30 = 0.86602540378443865;
constexpr double kSin15 = 0.25881904510252076;
constexpr double kCos15 = 0.96592582628906829;
constexpr double kEps = 2e-6;  // values cross the boundary as float

void expectNear(const Vec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, kEps);
  EXPECT_NEAR(v.y, y, kEps);
  EXPECT_NEAR(v.z, z, kEps);
}

void expectOrigin(const FakeEntity& e, double x, double y, double z) {
  expectNear({e.frame.origin[0], e.frame.origin[1], e.frame.origin[2]}, x, y, z);
}

void expectOrientation(const FakeEntity& e, double x, double y, double z, double w) {
  EXPECT_NEAR(e.frame.orientation[0], x, kEps);
  EXPECT_NEAR(e.frame.orientation[1], y, kEps);
  EXPECT_NEAR(e.frame.orientation[2], z, kEps);
  EXPECT_NEAR(e.frame.orientation[3], w, kEps);
}

bool logged(const std::vector<std::string>& log, const std::string& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

class OrientCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    host.scene = &scene;
    ASSERT_TRUE(module.start(host));
    ref = &scene.addCoordSys("Ref30", {5, 0, 0}, {0, 0, kSin15, kCos15});
    mesh = &scene.add("mesh", om::kEntityPolygonMesh);
    mesh->points = {{0, 0, 0}, {1, 1, 1}};
  }
  void TearDown() override {
    for (omCommand* c : commands_) c->Release();
  }

  omCommand* command(const char* name) {
    omCommand* c = host.makeCommand(name);
    if (!c) return nullptr;
    c->SetApplication(&host);
    c->SetMainView(&host);
    commands_.push_back(c);
    return c;
  }
  template <class Record>
  Record* record(omCommand* c) {
    omCommandData* data = c->CreateData(0);
    records_.emplace_back(data);
    return static_cast<Record*>(data);
  }
  std::int32_t translate(float x, float y, float z, int movement, std::uint32_t selection,
                         omEntity* reference) {
    omCommand* c = command("Orient Translate");
    auto* r = record<transform::omCmdOrientTranslateData>(c);
    r->refCoordSys = reference;
    r->vector[0] = x, r->vector[1] = y, r->vector[2] = z;
    r->movementType = movement;
    r->selectionType = selection;
    return c->Execute(nullptr, r);
  }
  std::int32_t rotate(Vec3 axis, double degrees, int movement, std::uint32_t selection,
                      omEntity* reference, omProgress* progress = nullptr) {
    omCommand* c = command("Orient Rotate");
    auto* r = record<transform::omCmdOrientRotateData>(c);
    r->refCoordSys = reference;
    r->axis[0] = static_cast<float>(axis.x), r->axis[1] = static_cast<float>(axis.y);
    r->axis[2] = static_cast<float>(axis.z);
    r->angle = static_cast<float>(degrees * M_PI / 180);
    r->movementType = movement;
    r->selectionType = selection;
    return c->Execute(progress, r);
  }
  std::int32_t scale(float x, float y, float z, omEntity* reference) {
    omCommand* c = command("Orient Scale");
    auto* r = record<transform::omCmdOrientScaleData>(c);
    r->refCoordSys = reference;
    r->factors[0] = x, r->factors[1] = y, r->factors[2] = z;
    return c->Execute(nullptr, r);
  }
  std::int32_t sync(std::uint32_t selection, omEntity* reference, omProgress* progress) {
    omCommand* c = command("Orient Sync");
    auto* r = record<transform::omCmdOrientSynchronizeData>(c);
    r->refCoordSys = reference;
    r->selectionType = selection;
    return c->Execute(progress, r);
  }

  TempConfig config;
  LoadedModule module{TESSEL_MODULE_PATH};
  FakeScene scene;
  FakeHost host;
  FakeEntity* ref = nullptr;
  FakeEntity* mesh = nullptr;

 private:
  std::vector<omCommand*> commands_;
  std::vector<std::unique_ptr<omCommandData>> records_;
};

TEST_F(OrientCommands, RelativeTranslateMovesAlongTheReferencesTurnedAxes) {
  scene.select(*mesh);
  EXPECT_EQ(translate(2, 0, 0, 1, 3, ref), om::kExecuteRan);
  // (2, 0, 0) in the reference's axes is (2 cos 30, 2 sin 30, 0) in the world's.
  expectNear(mesh->transform.place({0, 0, 0}), 2 * kCos30, 1, 0);
  expectNear(mesh->transform.place({1, 1, 1}), 1 + 2 * kCos30, 2, 1);
  expectOrigin(*mesh, 2 * kCos30, 1, 0);
  EXPECT_EQ(scene.endTransforms, 1);
  EXPECT_TRUE(logged(scene.log, "mesh: pass 3"));
}

TEST_F(OrientCommands, AbsoluteTranslatePutsEveryOriginOnTheOneTargetPoint) {
  FakeEntity& other = scene.add("other", om::kEntityPolygonMesh);
  other.frame.origin[0] = -4, other.frame.origin[2] = 9;
  mesh->frame.origin[1] = 3;
  scene.select(*mesh);
  scene.select(other);
  translate(2, 1, 0, 0, 3, ref);
  // o + M v = (5, 0, 0) + (2 cos 30 - sin 30, 2 sin 30 + cos 30, 0).
  const double px = 5 + 2 * kCos30 - 0.5, py = 1 + kCos30;
  expectOrigin(*mesh, px, py, 0);
  expectOrigin(other, px, py, 0);
  // The geometry went with each origin: what sat on the origin now sits on the target.
  expectNear(mesh->transform.place({0, 3, 0}), px, py, 0);
  expectNear(other.transform.place({-4, 0, 9}), px, py, 0);
}

TEST_F(OrientCommands, CoordSysOnlyLeavesGeometryAndStillUpdatesCoordinateSystemEntities) {
  FakeEntity& frameOnly = scene.addCoordSys("cs", {1, 1, 1}, {0, 0, 0, 1});
  scene.select(*mesh);
  scene.select(frameOnly);
  translate(1, 0, 0, 1, 2, ref);
  expectNear(mesh->transform.place({0, 0, 0}), 0, 0, 0);
  expectOrigin(*mesh, kCos30, 0.5, 0);
  expectOrigin(frameOnly, 1 + kCos30, 1.5, 1);
  EXPECT_FALSE(logged(scene.log, "mesh: pass 2"));
  EXPECT_TRUE(logged(scene.log, "cs: pass 2"));
  scene.log.clear();
  translate(0, 0, 1, 1, 1, ref);  // "Object Only": frames stay
  expectOrigin(*mesh, kCos30, 0.5, 0);
  expectNear(mesh->transform.place({0, 0, 0}), 0, 0, 1);
  EXPECT_TRUE(logged(scene.log, "mesh: pass 2"));
}

TEST_F(OrientCommands, NothingHappensWithoutReferenceSelectionOrUsableInput) {
  scene.select(*mesh);
  EXPECT_EQ(translate(1, 0, 0, 1, 3, nullptr), om::kExecuteRan);
  ref->hasFrame = false;  // a reference without a coordinate system
  translate(1, 0, 0, 1, 3, ref);
  ref->hasFrame = true;
  translate(NAN, 0, 0, 1, 3, ref);
  translate(INFINITY, 0, 0, 0, 3, ref);
  expectNear(mesh->transform.place({0, 0, 0}), 0, 0, 0);
  expectOrigin(*mesh, 0, 0, 0);
  EXPECT_EQ(scene.endTransforms, 0);
  // An entity without a coordinate system is passed over; the others still move.
  FakeEntity& bare = scene.add("bare", om::kEntityPolygonMesh);
  bare.hasFrame = false;
  scene.selection.items.insert(scene.selection.items.begin(), &bare);
  translate(1, 0, 0, 0, 3, ref);
  expectOrigin(*mesh, 5 + kCos30, 0.5, 0);
  EXPECT_EQ(scene.endTransforms, 1);
}

TEST_F(OrientCommands, RotateTurnsAboutTheReferenceAxisThroughItsOrigin) {
  FakeEntity& near = scene.addCoordSys("near", {1, 0, 0}, {0, 0, kSin15, kCos15});
  mesh->frame.origin[0] = 7;
  scene.select(*mesh);
  FakeProgress progress;
  // Reference Z is world Z here; 30 degrees about it through (1, 0, 0).
  rotate({0, 0, 1}, 30, 1, 3, &near, &progress);
  expectNear(mesh->transform.place({2, 0, 0}), 1 + kCos30, 0.5, 0);
  expectOrigin(*mesh, 1 + 6 * kCos30, 3, 0);
  expectOrientation(*mesh, 0, 0, kSin15, kCos15);
  EXPECT_EQ(progress.messages, std::vector<std::string>{"Rotated selected objects."});
  // Reference X is world (cos 30, sin 30, 0): 90 degrees about it takes (0, 0, 1) from the
  // centre to (sin 30, -cos 30, 0).
  FakeEntity& second = scene.add("second", om::kEntityPolygonMesh);
  scene.selection.items = {&second};
  rotate({3, 0, 0}, 90, 1, 1, &near);  // no progress: no message, no fault
  expectNear(second.transform.place({1, 0, 1}), 1.5, -kCos30, 0);
}

TEST_F(OrientCommands, RotateOrientationsAbsoluteAndRelative) {
  FakeEntity& world = *scene.global;
  mesh->frame.orientation[2] = static_cast<float>(kSin15);
  mesh->frame.orientation[3] = static_cast<float>(kCos15);
  scene.select(*mesh);
  rotate({0, 0, 1}, 30, 1, 2, &world);  // relative: 30 more degrees
  expectOrientation(*mesh, 0, 0, 0.5, kCos30);
  rotate({0, 0, 1}, 30, 0, 2, &world);  // absolute: the turn itself
  expectOrientation(*mesh, 0, 0, kSin15, kCos15);
  // A relative turn about another axis follows the frame's own: 90 degrees about world X of a
  // frame turned about Z.
  rotate({1, 0, 0}, 90, 1, 2, &world);
  const double h = std::sqrt(0.5);
  expectOrientation(*mesh, h * kCos15, -h * kSin15, h * kSin15, h * kCos15);
  rotate({1, 0, 0}, 0, 0, 2, &world);
  expectOrientation(*mesh, 0, 0, 0, 1);
  // A zero axis moves nothing, whatever the angle.
  mesh->frame.origin[0] = 2;
  rotate({0, 0, 0}, 45, 0, 3, &world);
  expectOrigin(*mesh, 2, 0, 0);
  expectOrientation(*mesh, 0, 0, 0, 1);
  expectNear(mesh->transform.place({1, 0, 0}), 1, 0, 0);
}

TEST_F(OrientCommands, ScaleStretchesAlongTheReferenceAxesAboutItsOrigin) {
  FakeEntity& atOrigin = scene.addCoordSys("turned", {0, 0, 0}, {0, 0, kSin15, kCos15});
  scene.select(*mesh);
  scale(2, 1, 1, &atOrigin);
  // Along the reference's X axis: doubled; along its Y axis: unchanged.
  expectNear(mesh->transform.place({kCos30, 0.5, 0}), 2 * kCos30, 1, 0);
  expectNear(mesh->transform.place({-0.5, kCos30, 0}), -0.5, kCos30, 0);
  expectOrigin(*mesh, 0, 0, 0);  // frames never scale
  // About the reference origin (5, 0, 0): the origin stays, (6, 0, 0) goes to (7, 0, 0)
  // for a scale of 2 on all three axes.
  FakeEntity& second = scene.add("second", om::kEntityPolygonMesh);
  scene.selection.items = {&second};
  scale(2, 2, 2, ref);
  expectNear(second.transform.place({5, 0, 0}), 5, 0, 0);
  expectNear(second.transform.place({6, 0, 0}), 7, 0, 0);
}

TEST_F(OrientCommands, ScaleRefusesAZeroFactorOnAnyAxisAndAReferenceLongerThanOneTurnsOnly) {
  scene.select(*mesh);
  scale(2, 0, 2, ref);
  scale(NAN, 1, 1, ref);
  expectNear(mesh->transform.place({1, 1, 1}), 1, 1, 1);
  EXPECT_TRUE(transform::inverseAffine(mesh->transform.forward).has_value());
  // A reference orientation of length 2 used as a turn must not scale the geometry.
  FakeEntity& longRef = scene.addCoordSys("long", {0, 0, 0}, {0, 0, 2 * kSin15, 2 * kCos15});
  translate(1, 0, 0, 1, 1, &longRef);
  expectNear(mesh->transform.place({0, 0, 0}), kCos30, 0.5, 0);
  scale(3, 1, 1, &longRef);
  // The translated origin sits on the reference's X axis, one unit out: three units out now.
  expectNear(mesh->transform.place({0, 0, 0}), 3 * kCos30, 1.5, 0);
}

TEST_F(OrientCommands, ResetCentresFramesOnTheirBoxesAndSkipsEmptyEntities) {
  mesh->points = {{0, 0, 0}, {2, 4, 6}};
  mesh->frame.orientation[2] = 1, mesh->frame.orientation[3] = 0;
  FakeEntity& empty = scene.add("empty", om::kEntityPolygonMesh);
  empty.frame.origin[0] = 9;
  scene.select(*mesh);
  scene.select(empty);
  command("Orient Reset")->Execute(nullptr, nullptr);
  expectOrigin(*mesh, 1, 2, 3);
  expectOrientation(*mesh, 0, 0, 0, 1);
  expectOrigin(empty, 9, 0, 0);
  EXPECT_TRUE(std::isfinite(empty.frame.origin[1]));
  EXPECT_EQ(scene.endTransforms, 1);
  scene.selection.items.clear();
  command("Orient Reset")->Execute(nullptr, nullptr);
  EXPECT_EQ(scene.endTransforms, 1) << "no transform to end for an empty selection";
}

TEST_F(OrientCommands, SynchronizeCarriesFramesOntoTheReference) {
  mesh->frame.origin[0] = 1;
  scene.select(*mesh);
  FakeProgress progress;
  sync(3, ref, &progress);
  EXPECT_EQ(progress.messages, std::vector<std::string>{"Synchronized selected objects."});
  // The entity's origin lands on the reference origin and its X axis on the reference's.
  expectNear(mesh->transform.place({1, 0, 0}), 5, 0, 0);
  expectNear(mesh->transform.place({2, 0, 0}), 5 + kCos30, 0.5, 0);
  expectOrigin(*mesh, 5, 0, 0);
  expectOrientation(*mesh, 0, 0, kSin15, kCos15);
  EXPECT_EQ(mesh->interactiveDepth, 0);
  EXPECT_TRUE(logged(scene.log, "mesh: begin interactive"));
  // Once there, a second run changes nothing.
  sync(3, ref, nullptr);
  expectNear(mesh->transform.place({2, 0, 0}), 5 + kCos30, 0.5, 0);
}

TEST_F(OrientCommands, SynchronizeWithNothingToDoReportsNothing) {
  FakeProgress progress;
  sync(3, ref, &progress);  // empty selection
  scene.select(*mesh);
  sync(3, nullptr, &progress);
  EXPECT_TRUE(progress.messages.empty());
  expectOrigin(*mesh, 0, 0, 0);
  omCommand* c = command("Orient Sync");
  EXPECT_TRUE(c->CanExecute());
  scene.selection.items.clear();
  EXPECT_FALSE(c->CanExecute());
  // Under the coordinate-system filter the global coordinate system never moves.
  scene.select(*scene.global);
  ASSERT_TRUE(host.objectFilter.SelectMask(om::kMaskCoordSys));
  EXPECT_FALSE(c->CanExecute());
  scene.selection.items = {ref};
  EXPECT_TRUE(c->CanExecute());
}

TEST_F(OrientCommands, DependentsTakeTheirOwnSourcesMatrix) {
  int meshA = 0, meshB = 0;
  FakeEntity& b = scene.add("b", om::kEntityPolygonMesh);
  mesh->mesh = reinterpret_cast<omMesh*>(&meshA);
  b.mesh = reinterpret_cast<omMesh*>(&meshB);
  b.transform.forward = transform::placementTranslation({0, 10, 0});
  FakeEntity& fromA = scene.add("fromA", 0x40002000u);
  FakeEntity& fromB = scene.add("fromB", 0x40002000u);
  FakeEntity& detached = scene.add("detached", 0x40002000u);
  fromA.sourceTarget = detached.sourceTarget = reinterpret_cast<omMesh*>(&meshA);
  fromB.sourceTarget = reinterpret_cast<omMesh*>(&meshB);
  detached.detached = true;
  scene.select(*mesh);
  scene.select(b);
  translate(1, 0, 0, 1, 1, scene.global);
  ASSERT_EQ(fromA.referenceMatrix.size(), 16u);
  ASSERT_EQ(fromB.referenceMatrix.size(), 16u);
  EXPECT_FLOAT_EQ(fromA.referenceMatrix[12], 1);
  EXPECT_FLOAT_EQ(fromA.referenceMatrix[13], 0);
  EXPECT_FLOAT_EQ(fromB.referenceMatrix[12], 1);
  EXPECT_FLOAT_EQ(fromB.referenceMatrix[13], 10);
  EXPECT_TRUE(detached.referenceMatrix.empty());
}

TEST_F(OrientCommands, AttachedPartnersFollowTheirOwnerAndArePreparedOnce) {
  // The first owner kind reaches its items through its item list's sub-entities, the second
  // through its items; an item without a partner of its own stays where it is.
  FakeEntity& owner = scene.add("owner", om::kEntityConnectedA);
  FakeEntity& partner = scene.add("partner", om::kEntityConnectedB);
  FakeEntity& sub = scene.add("sub", om::kEntityConnectedB);
  FakeEntity& loose = scene.add("loose", om::kEntityConnectedB);
  FakeEntity& stray = scene.add("stray", om::kEntityConnectedB);
  owner.attached = &partner;
  owner.needsPrepare = true;
  sub.attached = stray.attached = &owner;
  owner.itemList.links = {FakeItem(&sub), FakeItem(nullptr), FakeItem(&loose)};
  owner.items.items = {&stray};
  FakeEntity& ownerB = scene.add("ownerB", om::kEntityConnectedB);
  FakeEntity& partnerB = scene.add("partnerB", om::kEntityConnectedA);
  FakeEntity& item = scene.add("item", om::kEntityConnectedA);
  ownerB.attached = &partnerB;
  item.attached = &ownerB;
  ownerB.items.items = {&item};
  scene.select(owner);
  scene.select(ownerB);
  scene.ownersA.items = {&owner, &owner};
  translate(0, 2, 0, 1, 1, scene.global);
  expectNear(partner.transform.place({0, 0, 0}), 0, 2, 0);
  expectNear(sub.transform.place({0, 0, 0}), 0, 2, 0);
  expectNear(partnerB.transform.place({0, 0, 0}), 0, 2, 0);
  expectNear(item.transform.place({0, 0, 0}), 0, 2, 0);
  expectNear(loose.transform.place({0, 0, 0}), 0, 0, 0);
  expectNear(stray.transform.place({0, 0, 0}), 0, 0, 0);
  EXPECT_EQ(std::count(scene.log.begin(), scene.log.end(), "owner: prepare"), 1);
}

TEST_F(OrientCommands, SynchronizeTakesCurveAndSpringPointsWhichTheManipulatorsRefuse) {
  FakeEntity& curve = scene.add("curve", 0x40011001u);
  scene.select(curve);
  scene.objectMode = false;
  host.componentFilter.AddEntry("Curve Point", 0x100);
  host.componentFilter.AddEntry("Spring Point", 0x200);
  omCommand* c = command("Orient Sync");
  for (const char* points : {"Curve Point", "Spring Point"}) {
    host.componentFilter.SelectName(points);
    EXPECT_TRUE(c->CanExecute()) << points;
    EXPECT_FALSE(host.ActivateTool("Base Translate")) << points;
    EXPECT_FALSE(host.ActivateTool("Base Rotate")) << points;
  }
}

}  // namespace
}  // namespace tessel::test
