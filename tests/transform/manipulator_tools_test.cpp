// "Base Translate", "Base Rotate" and "Base Scale" through the loaded module against fake
// entities and fake manipulators that report the steps a test sets: where the manipulator is
// placed, which press starts which drag, what each step does to geometry and frames, and the
// faults a careless frame would have (a key's mode leaking into a missed press, brackets closed
// on the wrong meshes, displays of deleted entities shown, a dead manipulator used, a flattening
// scale or a non-finite step applied).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "host/om_codes.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using transform::Vec3;

constexpr double kEps = 2e-6;
constexpr double kSin45 = 0.70710678118654752;

void expectNear(const Vec3& v, double x, double y, double z) {
  EXPECT_NEAR(v.x, x, kEps);
  EXPECT_NEAR(v.y, y, kEps);
  EXPECT_NEAR(v.z, z, kEps);
}

Vec3 origin(const FakeEntity& e) { return {e.frame.origin[0], e.frame.origin[1], e.frame.origin[2]}; }

class ManipulatorTools : public ::testing::Test {
 protected:
  void SetUp() override {
    host.scene = &scene;
    ASSERT_TRUE(module.start(host));
    host.viewOn = true;
    host.objectFilter.AddEntry("Mesh", om::kMaskMesh);
    host.objectFilter.AddEntry("Lights", om::kMaskLights);
    host.objectFilter.SelectName("Mesh");
    mesh = &scene.add("mesh", om::kEntityPolygonMesh);
    mesh->points = {{0, 0, 0}, {2, 2, 2}};
    mesh->display = mesh;
    mesh->frame.origin[0] = 1;
    other = &scene.add("other", om::kEntityPolygonMesh);
    other->points = {{10, 0, 0}, {12, 2, 2}};
    host.takeLog();
  }
  omTool* start(const char* name) {
    EXPECT_TRUE(host.ActivateTool(name)) << name;
    host.takeLog();
    return host.GetCurrentTool();
  }
  void press(omTool* tool, float x, float y) {
    const float p[2] = {x, y};
    tool->MouseButton(om::kButtonLeft, om::kActionPress, p, &host.view);
  }
  void release(omTool* tool, float x, float y) {
    const float p[2] = {x, y};
    tool->MouseButton(om::kButtonLeft, om::kActionRelease, p, &host.view);
  }
  void drag(omTool* tool, float x, float y) {
    const float p[2] = {x, y};
    tool->MouseDrag(om::kButtonLeft, p, p, &host.view);
  }
  // Press at (10, 10), drag to (x, 10) and release there.
  void stroke(omTool* tool, float x = 20) {
    press(tool, 10, 10);
    drag(tool, x, 10);
    release(tool, x, 10);
  }
  // Where the mesh's geometry origin and its frame's origin stand, both on the x axis.
  void expectMeshAt(double geometryX, double frameX) {
    expectNear(mesh->transform.place({0, 0, 0}), geometryX, 0, 0);
    expectNear(origin(*mesh), frameX, 0, 0);
  }
  std::vector<std::string> log() { return host.takeLog(); }

  TempConfig config;
  LoadedModule module{TESSEL_MODULE_PATH};
  FakeScene scene;
  FakeHost host;
  FakeEntity* mesh = nullptr;
  FakeEntity* other = nullptr;
};

// [SECTION] the frame, through the translate tool

TEST_F(ManipulatorTools, TranslatePlacesTheManipulatorOnTheSelectionAndHidesItsFrame) {
  // One entity: its frame's origin and axes.
  scene.select(*mesh);
  mesh->frame.orientation[2] = static_cast<float>(kSin45);
  mesh->frame.orientation[3] = static_cast<float>(kSin45);
  EXPECT_TRUE(host.ActivateTool("Base Translate"));
  EXPECT_THAT(log(), ElementsAre("activate Base Translate", "hide manipulator",
                                 "show translate manipulator", "begin tool session", "notify: 14",
                                 "redraw 0", "refresh 1",
                                 "prompt: Drag the translation manipulator to translate objects.",
                                 "cursor 0"));
  EXPECT_FLOAT_EQ(host.translateManipulator.frame.origin[0], 1);
  // The frame's matrix turned 90 degrees about Z: its x axis is the world's y.
  EXPECT_NEAR(host.translateManipulator.axes.matrix[1], 1, kEps);
  EXPECT_FALSE(mesh->shown);
  EXPECT_EQ(mesh->interactiveDepth, 1);
  // Two entities: the centre of their joint box; the displays come back as the tool ends.
  scene.select(*other);
  EXPECT_TRUE(host.ActivateTool("Base Translate"));
  EXPECT_FLOAT_EQ(host.translateManipulator.frame.origin[0], 6);
  EXPECT_FLOAT_EQ(host.translateManipulator.frame.origin[1], 1);
  EXPECT_TRUE(host.ActivateTool("Base Rotate"));
  host.GetCurrentTool()->Deactivate();
  EXPECT_TRUE(mesh->shown);
  EXPECT_EQ(mesh->interactiveDepth, 0);
  EXPECT_EQ(other->interactiveDepth, 0);
}

TEST_F(ManipulatorTools, TranslateDragsGeometryAndFramesAsTheKeysChoose) {
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  host.translateManipulator.step[0] = 1;
  press(tool, 10, 10);
  drag(tool, 20, 10);
  const std::vector<std::string> step = log();
  EXPECT_THAT(step, Contains("status: dx=     1.00, dy=     0.00, dz=     0.00"));
  EXPECT_THAT(step, Contains("notify: 36"));
  expectMeshAt(1, 2);
  release(tool, 20, 10);
  // CTRL: the frames alone; SHIFT: the geometry alone.
  host.view.ctrl = true;
  stroke(tool);
  expectMeshAt(1, 3);
  host.view.ctrl = false;
  host.view.shift = true;
  stroke(tool);
  expectMeshAt(2, 3);
  // A step the host could not make finite moves nothing.
  host.view.shift = false;
  host.translateManipulator.step[0] = std::numeric_limits<float>::quiet_NaN();
  stroke(tool);
  expectMeshAt(2, 3);
  // The pointer reaches the manipulator held within the view.
  press(tool, 10, 10);
  drag(tool, 500, -40);
  EXPECT_THAT(host.translateManipulator.drags.back(), ElementsAre(10, 10, 199, 0));
}

TEST_F(ManipulatorTools, TheReleaseSettlesEachEntityInTurnAndMarksTheDocumentModified) {
  scene.select(*mesh);
  scene.select(*other);
  const std::vector<std::string> perEntity = {
      "mesh: invalidate", "mesh: pass 1", "other: invalidate", "other: pass 1",
      "mesh: pass 2",     "mesh: pass 3", "other: pass 2",     "other: pass 3"};
  const std::vector<std::string> perPass = {
      "mesh: invalidate", "mesh: pass 1", "other: invalidate", "other: pass 1",
      "mesh: pass 2",     "other: pass 2", "mesh: pass 3",     "other: pass 3"};
  // Translate and rotate run the first pass over all, then the second and third for one entity
  // before the next; scale runs each pass over all.
  for (const auto& [name, passes] : {std::pair{"Base Translate", perEntity},
                                     std::pair{"Base Rotate", perEntity},
                                     std::pair{"Base Scale", perPass}}) {
    omTool* tool = start(name);
    press(tool, 10, 10);
    drag(tool, 20, 10);
    scene.log.clear();
    release(tool, 20, 10);
    EXPECT_EQ(scene.log, passes) << name;
  }
  omTool* tool = start("Base Translate");
  press(tool, 10, 10);
  drag(tool, 20, 10);
  log();
  release(tool, 20, 10);
  EXPECT_THAT(log(), ElementsAre("notify: 14", "end drag", "notify: 36", "notify: 36",
                                 "modified 1", "redraw 0", "refresh 0", "end interaction"));
}

TEST_F(ManipulatorTools, AKeyReleasedDuringADragNarrowsWhatItMoves) {
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  press(tool, 10, 10);  // no key: geometry and frames
  tool->Key(om::kKeyCtrl, 1, &host.view);
  drag(tool, 20, 10);
  expectMeshAt(0, 2);
  tool->Key(om::kKeyShift, 1, &host.view);
  drag(tool, 30, 10);
  expectMeshAt(1, 2);
}

TEST_F(ManipulatorTools, CancelRedrawsAndFlaggedInputIsRefused) {
  scene.select(*mesh);
  for (const auto& [name, first, prompt] :
       {std::tuple{"Base Translate", "redraw 0", "translation manipulator to translate"},
        std::tuple{"Base Rotate", "status: ", "rotation manipulator to rotate"},
        std::tuple{"Base Scale", "status: ", "scale manipulator to scale"}}) {
    omTool* tool = start(name);
    tool->Cancel();
    const std::vector<std::string> lines = log();
    EXPECT_EQ(lines.front(), first) << name;
    EXPECT_THAT(std::vector(lines.end() - 4, lines.end()),
                ElementsAre("redraw 0", "refresh 0",
                            "prompt: Drag the " + std::string(prompt) + " objects.", "cursor 0"))
        << name;
    EXPECT_TRUE(tool->AcceptsInput(0x10F)) << name;
    for (std::uint32_t flags : {0x10u, 0x80u, 0x100000u}) EXPECT_FALSE(tool->AcceptsInput(flags));
  }
}

TEST_F(ManipulatorTools, TranslateStepsLinkedItemsByTheStepItself) {
  FakeEntity& owner = scene.add("owner", om::kEntityConnectedA);
  FakeEntity& partner = scene.add("partner", om::kEntityConnectedB);
  FakeEntity& sub = scene.add("sub", om::kEntityConnectedB);
  owner.points = {{0, 0, 0}, {1, 1, 1}};
  owner.attached = &partner;
  sub.attached = &owner;
  owner.itemList.links = {FakeItem(&sub)};
  // An item placed apart from its owner keeps its offset.
  sub.transform.forward = transform::placementTranslation({0, 5, 0});
  scene.select(owner);
  stroke(start("Base Translate"));
  expectNear(owner.transform.place({0, 0, 0}), 1, 0, 0);
  expectNear(partner.transform.place({0, 0, 0}), 1, 0, 0);
  expectNear(sub.transform.place({0, 0, 0}), 1, 5, 0);
}

TEST_F(ManipulatorTools, AKeyTappedBeforeAPressThatMissesMovesNothing) {
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  tool->Key(om::kKeyCtrl, 0, &host.view);
  tool->Key(om::kKeyCtrl, 1, &host.view);
  press(tool, 150, 10);  // off the manipulator
  drag(tool, 160, 10);
  release(tool, 160, 10);
  EXPECT_THAT(log(), ElementsAre("pick 150 10"));
  expectMeshAt(0, 1);
  // A key pressed during a drag ends it; the next drag starts from a press again.
  press(tool, 10, 10);
  drag(tool, 20, 10);
  tool->Key(om::kKeyShift, 0, &host.view);
  EXPECT_THAT(log(), Contains("end drag"));
  drag(tool, 30, 10);
  EXPECT_THAT(log(), Not(Contains("drag")));
}

TEST_F(ManipulatorTools, BracketsAreClosedOnTheMeshesTheyWereOpenedOn) {
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  scene.selection.items = {other};  // the selection changes under the tool
  tool->Deactivate();
  EXPECT_EQ(mesh->interactiveDepth, 0);
  EXPECT_EQ(other->interactiveDepth, 0);
}

TEST_F(ManipulatorTools, DisplaysOfEntitiesThatMayBeGoneAreNotShownAgain) {
  scene.select(*mesh);
  for (std::int32_t code : {0, 21, 23, 25}) {
    mesh->shown = true;
    omTool* tool = start("Base Translate");
    ASSERT_FALSE(mesh->shown);
    omEvent gone{code};
    tool->OnNotify(&gone, nullptr);
    tool->Deactivate();
    EXPECT_FALSE(mesh->shown) << "event " << code;
  }
}

TEST_F(ManipulatorTools, DependentsOfTheDraggedMeshFollowAtTheRelease) {
  int meshA = 0;
  mesh->mesh = reinterpret_cast<omMesh*>(&meshA);
  FakeEntity& fromA = scene.add("fromA", 0x40002000u);
  fromA.sourceTarget = mesh->mesh;
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  press(tool, 10, 10);
  drag(tool, 20, 10);
  EXPECT_TRUE(fromA.referenceMatrix.empty()) << "not while dragging";
  release(tool, 20, 10);
  ASSERT_EQ(fromA.referenceMatrix.size(), 16u);
  EXPECT_FLOAT_EQ(fromA.referenceMatrix[12], 1);
}

TEST_F(ManipulatorTools, DraggingALightTurnsLightUpdatesOffForTheRedrawOnly) {
  host.objectFilter.SelectName("Lights");
  FakeEntity& light = scene.add("light", om::kEntityLight);
  light.points = {{0, 0, 0}};
  scene.select(light);
  omTool* tool = start("Base Translate");
  press(tool, 10, 10);
  log();
  drag(tool, 20, 10);
  const std::vector<std::string> step = log();
  const auto off = std::find(step.begin(), step.end(), "light update mode 0");
  ASSERT_NE(off, step.end());
  EXPECT_EQ(*(off + 1), "redraw 12");
  EXPECT_EQ(*(off + 3), "light update mode 1");
  EXPECT_EQ(host.lightUpdateMode, 1);
}

TEST_F(ManipulatorTools, HoverShowsTheSurfacePointUnderThePointer) {
  scene.select(*mesh);
  omTool* tool = start("Base Translate");
  const float p[2] = {5, 5};
  tool->MouseMove(0, p, &host.view);
  EXPECT_THAT(log(), ElementsAre());
  host.surfaceUnderPointer = true;
  host.surfacePoint[0] = 1.5f, host.surfacePoint[2] = -2;
  tool->MouseMove(0, p, &host.view);
  EXPECT_THAT(log(), ElementsAre("status: X=      1.50, Y=      0.00, Z=     -2.00"));
}

TEST_F(ManipulatorTools, NothingStartsWithoutASelectionOrOnTheGlobalCoordinateSystem) {
  EXPECT_FALSE(host.ActivateTool("Base Translate"));
  host.objectFilter.AddEntry("Coord Sys", om::kMaskCoordSys);
  host.objectFilter.SelectName("Coord Sys");
  scene.select(*scene.global);
  EXPECT_FALSE(host.ActivateTool("Base Rotate"));
}

// [SECTION] rotate

TEST_F(ManipulatorTools, RotateTurnsAboutTheManipulatorCentre) {
  scene.select(*mesh);
  omTool* tool = start("Base Rotate");
  auto& rotate = host.rotateManipulator;
  rotate.turn[2] = static_cast<float>(kSin45), rotate.turn[3] = static_cast<float>(kSin45);
  press(tool, 10, 10);
  drag(tool, 20, 10);
  EXPECT_THAT(log(), Contains("status: "));
  // 90 degrees about Z through (1, 0, 0).
  expectNear(mesh->transform.place({0, 0, 0}), 1, -1, 0);
  expectNear(origin(*mesh), 1, 0, 0);
  EXPECT_NEAR(mesh->frame.orientation[2], kSin45, kEps);
  release(tool, 20, 10);

  // CTRL: only the frames turn, each to the turned manipulator's orientation, its origin
  // about the centre.
  mesh->frame.origin[0] = 3;
  host.view.ctrl = true;
  press(tool, 10, 10);
  drag(tool, 20, 10);
  expectNear(mesh->transform.place({0, 0, 0}), 1, -1, 0);
  expectNear(origin(*mesh), 1, 2, 0);
  EXPECT_NEAR(mesh->frame.orientation[2], kSin45, kEps);
  // A turn that is not one (a zero quaternion) moves nothing.
  rotate.turn[2] = 0, rotate.turn[3] = 0;
  drag(tool, 30, 10);
  expectNear(origin(*mesh), 1, 2, 0);
}

TEST_F(ManipulatorTools, RotateTurnsFramesWithTheTurnedManipulatorAboutWhereItStands) {
  // The manipulator takes the frame's axes, turned 90 degrees about Z, and is then moved to
  // (1, 2, 0) as a panel's reference would put it.
  mesh->frame.orientation[2] = static_cast<float>(kSin45);
  mesh->frame.orientation[3] = static_cast<float>(kSin45);
  scene.select(*mesh);
  omTool* tool = start("Base Rotate");
  auto& rotate = host.rotateManipulator;
  rotate.frame.origin[1] = 2;
  rotate.turn[0] = static_cast<float>(kSin45), rotate.turn[3] = static_cast<float>(kSin45);
  press(tool, 10, 10);
  drag(tool, 20, 10);
  // 90 degrees about world X through (1, 2, 0), geometry and frame origin alike.
  expectNear(mesh->transform.place({1, 0, 0}), 1, 2, -2);
  expectNear(origin(*mesh), 1, 2, -2);
  // The frame ends as the manipulator turned by the step: the step after the turn about Z.
  EXPECT_NEAR(mesh->frame.orientation[0], 0.5, kEps);
  EXPECT_NEAR(mesh->frame.orientation[1], -0.5, kEps);
  EXPECT_NEAR(mesh->frame.orientation[2], 0.5, kEps);
  EXPECT_NEAR(mesh->frame.orientation[3], 0.5, kEps);
}

// [SECTION] scale

TEST_F(ManipulatorTools, ScaleAlongTheManipulatorsAxesAboutItsCentre) {
  scene.select(*mesh);
  // The frame (and so the manipulator) turned 90 degrees about Z: sx acts along world y.
  mesh->frame.orientation[2] = static_cast<float>(kSin45);
  mesh->frame.orientation[3] = static_cast<float>(kSin45);
  omTool* tool = start("Base Scale");
  host.scaleManipulator.factors[0] = 2;
  press(tool, 10, 10);
  log();
  drag(tool, 20, 10);
  const std::vector<std::string> step = log();
  EXPECT_EQ(step.front(), "prepare drag A");
  EXPECT_THAT(step, Contains("status: sx=     2.00, sy=     1.00, sz=     1.00"));
  expectNear(mesh->transform.place({0, 0, 0}), 0, 0, 0);
  expectNear(mesh->transform.place({2, 2, 2}), 2, 4, 2);
  release(tool, 20, 10);
  EXPECT_THAT(log(), Contains("end interaction"));
}

TEST_F(ManipulatorTools, ScaleOutsideObjectModeBakesTheStepAndKeepsThePlacement) {
  scene.select(*mesh);
  omTool* tool = start("Base Scale");
  scene.objectMode = false;  // turned to components with the tool still active
  host.scaleManipulator.factors[0] = 2;
  press(tool, 10, 10);
  scene.log.clear();
  drag(tool, 20, 10);
  ASSERT_GE(scene.log.size(), 3u);
  EXPECT_THAT(std::vector(scene.log.end() - 3, scene.log.end()),
              ElementsAre("translate", "apply", "mult matrix"));
  expectNear(mesh->transform.place({2, 2, 2}), 2, 2, 2);
}

TEST_F(ManipulatorTools, ScaleNeverAppliesAFactorAtOrThroughZero) {
  scene.select(*mesh);
  omTool* tool = start("Base Scale");
  press(tool, 10, 10);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (float bad : {0.0f, -1.0f, nan, std::numeric_limits<float>::infinity()}) {
    host.scaleManipulator.factors[1] = bad;
    drag(tool, 20, 10);
  }
  expectNear(mesh->transform.place({2, 2, 2}), 2, 2, 2);
  EXPECT_THAT(log(), Not(Contains("notify: 36")));
  // A press off the manipulator and its release settle nothing.
  press(tool, 150, 10);
  release(tool, 150, 10);
  EXPECT_THAT(log(), Not(Contains("end interaction")));
}

TEST_F(ManipulatorTools, ScaleIgnoresKeysAndEventsWithoutAnActiveEntityOrAfterDeactivate) {
  scene.select(*mesh);
  omTool* tool = start("Base Scale");
  omEvent selectionChanged{om::kNotifySelectionChanged};
  tool->Deactivate();
  host.scaleManipulator.frame.origin[0] = 7;
  tool->Key(om::kKeyShift, 1, &host.view);
  tool->OnNotify(&selectionChanged, nullptr);
  EXPECT_FLOAT_EQ(mesh->frame.origin[0], 1);
  EXPECT_FLOAT_EQ(host.scaleManipulator.frame.origin[0], 7);
  // Active again, with the selection emptied under it.
  tool = start("Base Scale");
  scene.selection.items.clear();
  tool->Key(om::kKeyShift, 1, &host.view);
  tool->OnNotify(&selectionChanged, nullptr);
  // With an active entity, SHIFT copies the manipulator's origin into its frame, CTRL its
  // orientation; another active entity brings the manipulator onto its frame.
  scene.select(*other);
  host.scaleManipulator.frame.origin[0] = 7;
  host.scaleManipulator.frame.orientation[2] = 1, host.scaleManipulator.frame.orientation[3] = 0;
  tool->Key(om::kKeyShift, 1, &host.view);
  tool->Key(om::kKeyCtrl, 1, &host.view);
  EXPECT_FLOAT_EQ(other->frame.origin[0], 7);
  EXPECT_FLOAT_EQ(other->frame.orientation[2], 1);
  scene.select(*mesh);
  tool->OnNotify(&selectionChanged, nullptr);
  EXPECT_FLOAT_EQ(host.scaleManipulator.frame.origin[0], 1);
}

TEST_F(ManipulatorTools, ScaleIsOfferedInObjectModeOnly) {
  scene.select(*mesh);
  scene.objectMode = false;
  host.componentFilter.AddEntry("Faces", om::kMaskFaces);
  host.componentFilter.SelectName("Faces");
  EXPECT_TRUE(host.ActivateTool("Base Translate"));
  EXPECT_FALSE(host.ActivateTool("Base Scale"));
  // Nor for lights, which have no size.
  scene.objectMode = true;
  host.objectFilter.SelectName("Lights");
  EXPECT_TRUE(host.ActivateTool("Base Translate"));
  EXPECT_FALSE(host.ActivateTool("Base Scale"));
}

}  // namespace
}  // namespace tessel::test
