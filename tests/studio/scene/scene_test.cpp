// The scene's bookkeeping of selection and lookup, which keeps no list of all entities to scan:
// exactly one active entity (the last selected) through selecting, deselecting, cycling and
// removing, and lookups by id and address that stay right across removals.
#include <gtest/gtest.h>

#include <string>

#include "studio/scene/scene.h"

namespace tessel::test {
namespace {

using studio::Entity;
using studio::Scene;

Entity& addCurve(Scene& scene, const std::string& name) {
  auto e = std::make_unique<Entity>();
  e->name = name;
  e->type = om::kEntityConnectedA;
  e->points = {{0, 0, 0}, {1, 0, 0}};
  return scene.add(std::move(e));
}

// The names of the selected entities in order, with the active ones in capitals.
std::string marks(Scene& scene) {
  std::string out;
  for (std::uint32_t id : scene.selection()) out += scene.find(id)->name;
  out += "|";
  for (const auto& e : scene.entities())
    if (e->state & studio::kStateActive) out += e->name + "*";
  return out;
}

TEST(Scene, OnlyTheLastSelectedIsActive) {
  Scene scene;
  Entity& a = addCurve(scene, "a");
  Entity& b = addCurve(scene, "b");
  Entity& c = addCurve(scene, "c");
  scene.setSelection({a.id, b.id, c.id});
  EXPECT_EQ(marks(scene), "abc|c*");
  scene.select(c.id, false);
  EXPECT_EQ(marks(scene), "ab|b*");
  scene.select(a.id, false);  // not the active one
  EXPECT_EQ(marks(scene), "b|b*");
  scene.select(c.id, true);
  scene.select(a.id, true);
  EXPECT_EQ(marks(scene), "bca|a*");
  scene.cycleActive();
  EXPECT_EQ(marks(scene), "cab|b*");
  scene.clearSelection();
  EXPECT_EQ(marks(scene), "|");
  EXPECT_EQ(a.state & studio::kStateSelected, 0u);
}

TEST(Scene, LookupsHoldAcrossRemovals) {
  Scene scene;
  Entity& a = addCurve(scene, "a");
  Entity& b = addCurve(scene, "b");
  Entity& c = addCurve(scene, "c");
  const std::uint32_t bId = b.id;
  const omEntity* removed = &b;
  scene.setSelection({a.id, b.id});
  ASSERT_TRUE(scene.remove(bId));
  EXPECT_EQ(marks(scene), "a|a*") << "the removed entity left the selection and the mark";
  EXPECT_EQ(scene.find(bId), nullptr);
  EXPECT_EQ(scene.findByAddress(removed), nullptr);
  EXPECT_EQ(scene.find(c.id), &c);
  EXPECT_EQ(scene.findByAddress(&c), &c);
  Entity& d = addCurve(scene, "d");
  EXPECT_EQ(scene.find(d.id), &d);
  EXPECT_EQ(scene.find(d.id + 1), nullptr);
  EXPECT_FALSE(scene.remove(scene.entities().front()->id)) << "the global coordinate system";
}

TEST(Scene, BoundsHoldShownShapesNotMarkers) {
  Scene scene;
  auto light = std::make_unique<Entity>();
  light->type = om::kEntityLight;
  light->light.position = {50, 50, 50};
  scene.add(std::move(light));
  EXPECT_TRUE(scene.bounds().empty());  // the global system and a light frame nothing
  Entity& curve = addCurve(scene, "a");
  curve.points = {{-2, 0, 1}, {3, 4, 1}};
  for (const studio::Box& box : {scene.bounds(), scene.looseBounds()}) {
    EXPECT_EQ(box.min.x, -2);
    EXPECT_EQ(box.max.y, 4);
  }
  curve.visible = false;
  EXPECT_TRUE(scene.bounds().empty());
  EXPECT_TRUE(scene.looseBounds().empty());
}

}  // namespace
}  // namespace tessel::test
