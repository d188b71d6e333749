// Which curves meet which: the sorted search against a test of every pair, over end points on
// both sides of the one asked about, at the edge of the tolerance, and at large coordinates
// where the tolerance grows.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "studio/scene/end_point_index.h"

namespace tessel::test {
namespace {

using studio::Entity;
using studio::EndPointIndex;
using studio::Scene;
using studio::Vec3;

Entity& addCurve(Scene& scene, const std::string& name, Vec3 a, Vec3 b,
                 std::uint32_t kind = om::kEntityConnectedA) {
  auto e = std::make_unique<Entity>();
  e->name = name;
  e->type = kind;
  e->points = {a, b};
  return scene.add(std::move(e));
}

std::string names(const std::vector<Entity*>& entities) {
  std::string out;
  for (const Entity* e : entities) out += e->name;
  return out;
}

TEST(EndPointIndex, FindsWhatMeetsEitherEndOnceInTheScenesOrder) {
  Scene scene;
  // Added out of x order, so the scene's order is not the index's.
  addCurve(scene, "c", {2, 0, 0}, {3, 0, 0});
  addCurve(scene, "b", {1, 0, 0}, {2, 0, 0});
  addCurve(scene, "a", {0, 0, 0}, {1, 0, 0});
  addCurve(scene, "d", {5, 5, 0}, {6, 5, 0});
  addCurve(scene, "l", {1, 0, 0}, {0, 0, 0});  // meets a at both ends
  addCurve(scene, "s", {2, 0, 0}, {2, 1, 0}, om::kEntityConnectedB);
  addCurve(scene, "h", {3, 0, 0}, {4, 0, 0}).visible = false;
  addCurve(scene, "y", {1, 5, 0}, {1, 0, 0});  // same x as b's start, far in y, then on it
  const EndPointIndex curves(scene, om::kEntityConnectedA);
  EXPECT_EQ(names(curves.meeting(*scene.findByName("b"))), "caly");
  EXPECT_EQ(names(curves.meeting(*scene.findByName("a"))), "bly");
  EXPECT_EQ(names(curves.meeting(*scene.findByName("c"))), "b");  // h is hidden
  EXPECT_EQ(names(curves.meeting(*scene.findByName("d"))), "");
  // A spring asks the curves' index for the curves it ends on, and is not in it itself.
  EXPECT_EQ(names(curves.meeting(*scene.findByName("s"))), "cb");
  EXPECT_EQ(names(EndPointIndex(scene, om::kEntityConnectedB).meeting(*scene.findByName("b"))),
            "s");
}

TEST(EndPointIndex, TheToleranceIsRelativeAndHoldsOnBothSidesOfX) {
  Scene scene;
  const double big = 1e6;  // tolerance about 1.0 here, 1e-6 near the origin
  Entity& at = addCurve(scene, "o", {0, 0, 0}, {big, 0, 0});
  addCurve(scene, "n", {-0.9e-6, 0, 0}, {-1, 0, 0});  // just left of the origin: meets
  addCurve(scene, "f", {1.2e-6, 0, 0}, {1, 1, 0});    // just beyond the tolerance: does not
  addCurve(scene, "r", {big + 0.9, 0, 0}, {big, 9, 0});
  addCurve(scene, "q", {big - 0.7, 0.7, 0.7}, {big, 9, 9});  // within on each axis, not in length
  addCurve(scene, "x", {big - 1.1, 0, 0}, {0, 9, 0});
  EXPECT_EQ(names(EndPointIndex(scene, om::kEntityConnectedA).meeting(at)), "nr");
}

TEST(EndPointIndex, AgreesWithATestOfEveryPair) {
  // Ends on a coarse lattice, so many coincide and many share an x.
  Scene scene;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> cell(0, 6);
  auto point = [&] { return Vec3{cell(random) * 0.5, cell(random) * 0.5, 0.0}; };
  for (int i = 0; i < 300; ++i) addCurve(scene, "c", point(), point());
  const EndPointIndex index(scene, om::kEntityConnectedA);
  for (const auto& from : scene.entities()) {
    if (from->type != om::kEntityConnectedA) continue;
    std::vector<Entity*> want;
    for (const auto& to : scene.entities()) {
      if (to.get() == from.get() || to->type != om::kEntityConnectedA) continue;
      bool meet = false;
      for (const Vec3& p : {from->points.front(), from->points.back()})
        for (const Vec3& q : {to->points.front(), to->points.back()})
          meet = meet || length(p - q) <= EndPointIndex::tolerance(p);
      if (meet) want.push_back(to.get());
    }
    ASSERT_EQ(index.meeting(*from), want) << from->name;
  }
}

// A curve moved by its placement meets where it is shown, not where its points were drawn.
TEST(EndPointIndex, EndsMeetWhereTheyArePlaced) {
  Scene scene;
  Entity& a = addCurve(scene, "a", {0, 0, 0}, {1, 0, 0});
  Entity& b = addCurve(scene, "b", {1, 0, 0}, {2, 0, 0});
  Entity& c = addCurve(scene, "c", {5, 5, 0}, {6, 5, 0});
  b.placement.set(transform::placementTranslation({0, 3, 0}));
  c.placement.set(transform::placementTranslation({-4, -2, 0}));  // now from (1, 3) to (2, 3)
  const EndPointIndex index(scene, om::kEntityConnectedA);
  EXPECT_EQ(names(index.meeting(a)), "");
  EXPECT_EQ(names(index.meeting(b)), "c");
  EXPECT_EQ(names(index.meeting(c)), "b");
}

// A flood asks once per part; within one command the scene sorts the end points once, and
// anything added or moved in between is still found.
TEST(EndPointIndex, TheSceneSharesOneWhileLockedAndDropsItOnChange) {
  Scene scene;
  Entity& a = addCurve(scene, "a", {0, 0, 0}, {1, 0, 0});
  EXPECT_NE(scene.endPoints(om::kEntityConnectedA), scene.endPoints(om::kEntityConnectedA));
  scene.lock();
  const auto first = scene.endPoints(om::kEntityConnectedA);
  EXPECT_EQ(scene.endPoints(om::kEntityConnectedA), first);
  EXPECT_NE(scene.endPoints(om::kEntityConnectedB), first);
  Entity& b = addCurve(scene, "b", {1, 0, 0}, {2, 0, 0});
  EXPECT_EQ(names(scene.endPoints(om::kEntityConnectedA)->meeting(a)), "b");
  b.points.front() = {5, 5, 5};
  scene.geometryChanged();
  EXPECT_EQ(names(scene.endPoints(om::kEntityConnectedA)->meeting(a)), "");
  const auto last = scene.endPoints(om::kEntityConnectedA);
  scene.unlock();
  EXPECT_EQ(last.use_count(), 1) << "the scene let go of it";
}

}  // namespace
}  // namespace tessel::test
