// The translate, rotate, scale and synchronize panels and their "Ref Coord System" list, driven
// as the panel window drives them, against the fake scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "platform/omPAT_Float.h"
#include "platform/omPropertyObj.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using platform::EditResult;
using transform::Vec3;

constexpr double kCos30 = 0.86602540378443865;
constexpr double kSin15 = 0.25881904510252076;
constexpr double kCos15 = 0.96592582628906829;

void expectXY(const Vec3& p, double x, double y) {
  EXPECT_NEAR(p.x, x, 1e-6);
  EXPECT_NEAR(p.y, y, 1e-6);
}

constexpr std::uint32_t kRotate = 33836, kTranslate = 33837, kScale = 33838, kSync = 33839;

class TransformPanels : public ::testing::Test {
 protected:
  void SetUp() override {
    host.scene = &scene;
    ASSERT_TRUE(module.start(host));
    ref = &scene.addCoordSys("Ref30", {5, 0, 0}, {0, 0, kSin15, kCos15});
    ownFrame = &scene.addCoordSys("mesh frame", {0, 0, 0}, {0, 0, 0, 1});
    host.objectFilter.AddEntry("Mesh", om::kMaskMesh);
    host.objectFilter.SelectName("Mesh");
    mesh = &scene.add("mesh", om::kEntityPolygonMesh);
    mesh->display = ownFrame;
    scene.select(*mesh);
  }
  void TearDown() override {
    if (open_) open_->OnPropDestroy();
  }

  // Opens the panel of the button as Shift+click does, and the panel window shows it.
  platform::omPropertyObj& open(std::uint32_t id) {
    host.click(module.get(), id, true);
    EXPECT_TRUE(host.shownPanel);
    open_ = host.shownPanel;
    open_->OnPropInit();
    return *open_;
  }
  void close() {
    if (open_) open_->OnPropDestroy();
    open_ = nullptr;
  }
  int attrib(platform::omPropertyObj& p, const char* name) {
    for (int i = 0; i < p.GetNumAttribs(); ++i)
      if (std::string(p.GetAttribName(i)) == name) return i;
    ADD_FAILURE() << "no attribute " << name;
    return -1;
  }
  EditResult set(platform::omPropertyObj& p, const char* name, const char* text) {
    return p.EditAttrib(attrib(p, name), text);
  }
  std::string value(platform::omPropertyObj& p, const char* name) {
    return p.GetAttrib(attrib(p, name)).GetValueText();
  }
  bool logged(const std::string& line) {
    const auto log = host.takeLog();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  void event(std::int32_t code, void* param = nullptr) {
    omEvent e;
    e.code = code;
    module->OnNotify(&e, param);
  }
  std::vector<std::string> names(platform::omPropertyObj& p) {
    std::vector<std::string> out;
    for (int i = 0; i < p.GetNumAttribs(); ++i) out.push_back(p.GetAttribName(i));
    return out;
  }

  TempConfig config;
  LoadedModule module{TESSEL_MODULE_PATH};
  FakeScene scene;
  FakeHost host;
  FakeEntity* ref = nullptr;
  FakeEntity* ownFrame = nullptr;
  FakeEntity* mesh = nullptr;

 private:
  platform::omPropertyObj* open_ = nullptr;
};

TEST_F(TransformPanels, EachButtonHasItsPanelAndItsItemFollowsTheTool) {
  using V = std::vector<std::string>;
  const std::tuple<std::uint32_t, const char*, V> panels[] = {
      {kTranslate, "Base Translate",
       {"Ref Coord System", "X", "Y", "Z", "Movement Type", "Selection Type", "Apply"}},
      {kRotate, "Base Rotate",
       {"Ref Coord System", "Axis", "Axis X", "Axis Y", "Axis Z", "Angle (Deg)", "Movement Type",
        "Selection Type", "Apply"}},
      {kScale, "Scale", {"Ref Coord System", "Type", "X", "Y", "Z", "Apply"}},
      {kSync, "Synchronize", {"Ref Coord System", "SelectionType", "Box Reset"}}};
  for (const auto& [id, name, attributes] : panels) {
    platform::omPropertyObj& p = open(id);
    EXPECT_STREQ(p.GetName(), name);
    EXPECT_EQ(names(p), attributes) << name;
    close();
  }
  // The item is the tool's: off while the tool cannot start, though its command still could,
  // and checked while the tool is current.
  FakeCmdUI ui(kTranslate);
  host.unavailable = {"Base Translate"};
  host.update(module.get(), ui);
  EXPECT_EQ(ui.enabled, 0);
  host.unavailable.clear();
  host.update(module.get(), ui);
  EXPECT_EQ(ui.enabled, 1);
  EXPECT_EQ(ui.checked, 0);
  ASSERT_TRUE(host.ActivateTool("Base Translate"));
  host.update(module.get(), ui);
  EXPECT_EQ(ui.checked, 1);
}

TEST_F(TransformPanels, TheManipulatorStaysOnTheChosenReference) {
  struct Case {
    std::uint32_t id;
    const char* tool;
    const char* panel;
    FakeFrame* at;
    float* axes;
  };
  const Case cases[] = {
      {kTranslate, "Base Translate", "Base Translate", &host.translateManipulator.frame,
       host.translateManipulator.axes.matrix},
      {kRotate, "Base Rotate", "Base Rotate", &host.rotateManipulator.frame,
       host.rotateManipulator.axes.matrix},
      {kScale, "Base Scale", "Scale", &host.scaleManipulator.frame,
       host.scaleManipulator.axes.matrix}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.panel);
    ASSERT_TRUE(host.ActivateTool(c.tool));
    platform::omPropertyObj& p = open(c.id);
    // Picking a reference shows the old one's display again and hides the new one's; the
    // manipulator goes onto the new one all the same, turned with it.
    ASSERT_EQ(set(p, "Ref Coord System", "Ref30"), EditResult::Ok);
    EXPECT_FALSE(ref->shown);
    EXPECT_FLOAT_EQ(c.at->origin[0], 5);
    EXPECT_NEAR(c.axes[0], kCos30, 1e-6);
    EXPECT_NEAR(c.axes[1], 0.5, 1e-6);
    ASSERT_EQ(set(p, "Ref Coord System", "World"), EditResult::Ok);
    EXPECT_FLOAT_EQ(c.at->origin[0], 0);
    EXPECT_NEAR(c.axes[1], 0, 1e-6);
    close();
  }
  // Under another tool no manipulator is asked for: the host would show one nothing drives.
  host.ActivateTool("Object Select");
  platform::omPropertyObj& t = open(kTranslate);
  host.takeLog();
  ASSERT_EQ(set(t, "Ref Coord System", "Ref30"), EditResult::Ok);
  EXPECT_FALSE(logged("show translate manipulator"));
  EXPECT_FLOAT_EQ(host.translateManipulator.frame.origin[0], 0);
}

TEST_F(TransformPanels, TranslateApplyRunsTheCommandInTheChosenReference) {
  platform::omPropertyObj& t = open(kTranslate);
  // The list opens on the active entity's own coordinate system.
  EXPECT_EQ(value(t, "Ref Coord System"), "mesh frame");
  ASSERT_EQ(set(t, "Ref Coord System", "Ref30"), EditResult::Ok);
  ASSERT_EQ(set(t, "X", "2"), EditResult::Ok);
  ASSERT_EQ(set(t, "Movement Type", "Relative"), EditResult::Ok);
  ASSERT_EQ(set(t, "Selection Type", "Object Only"), EditResult::Ok);
  host.takeLog();
  ASSERT_EQ(set(t, "Apply", ""), EditResult::Ok);
  const auto log = host.takeLog();
  EXPECT_TRUE(std::find(log.begin(), log.end(), "execute Orient Translate with record") != log.end());
  EXPECT_EQ(log.back(), "notify: 14");
  expectXY(mesh->transform.place({0, 0, 0}), 2 * kCos30, 1);
  EXPECT_FLOAT_EQ(mesh->frame.origin[0], 0) << "Object Only";
}

TEST_F(TransformPanels, RotateAxisChoiceCustomAxisAndTheZeroAxisWarning) {
  platform::omPropertyObj& r = open(kRotate);
  ASSERT_EQ(set(r, "Axis", "Y"), EditResult::Ok);
  EXPECT_EQ(value(r, "Axis X") + value(r, "Axis Y") + value(r, "Axis Z"), "010");
  EXPECT_EQ(set(r, "Axis X", "3"), EditResult::ReadOnly);
  ASSERT_EQ(set(r, "Axis", "Custom"), EditResult::Ok);
  EXPECT_EQ(value(r, "Axis Y"), "1") << "Custom keeps the values";
  ASSERT_EQ(set(r, "Axis Y", "0"), EditResult::Ok);
  ASSERT_EQ(set(r, "Angle (Deg)", "30"), EditResult::Ok);
  host.takeLog();
  ASSERT_EQ(set(r, "Apply", ""), EditResult::Ok);
  EXPECT_EQ(host.takeLog(), std::vector<std::string>{"warning: Invalid axis specified."});
  EXPECT_EQ(mesh->transform.forward, transform::identity());
  // Z of the reference, through its origin (5, 0, 0), 30 degrees.
  ASSERT_EQ(set(r, "Ref Coord System", "Ref30"), EditResult::Ok);
  ASSERT_EQ(set(r, "Axis", "Z"), EditResult::Ok);
  ASSERT_EQ(set(r, "Apply", ""), EditResult::Ok);
  expectXY(mesh->transform.place({6, 0, 0}), 5 + kCos30, 0.5);
}

TEST_F(TransformPanels, ScaleLinksUniformFactorsAndRefusesAFlatAxis) {
  platform::omPropertyObj& s = open(kScale);
  ASSERT_EQ(set(s, "Z", "2"), EditResult::Ok);
  EXPECT_EQ(value(s, "X") + value(s, "Y") + value(s, "Z"), "222");
  ASSERT_EQ(set(s, "Type", "Nonuniform"), EditResult::Ok);
  ASSERT_EQ(set(s, "Y", "0"), EditResult::Ok);
  EXPECT_EQ(value(s, "X") + value(s, "Y") + value(s, "Z"), "202");
  host.takeLog();
  ASSERT_EQ(set(s, "Apply", ""), EditResult::Ok);
  EXPECT_EQ(host.takeLog(), std::vector<std::string>{"warning: Invalid scale specified."});
  EXPECT_EQ(mesh->transform.forward, transform::identity());
  // All three zero is taken as no scale at all.
  ASSERT_EQ(set(s, "X", "0"), EditResult::Ok);
  ASSERT_EQ(set(s, "Z", "0"), EditResult::Ok);
  ASSERT_EQ(set(s, "Apply", ""), EditResult::Ok);
  EXPECT_TRUE(logged("execute Orient Scale with record"));
  EXPECT_EQ(mesh->transform.forward, transform::identity());
  ASSERT_EQ(set(s, "Type", "Uniform"), EditResult::Ok);
  EXPECT_EQ(value(s, "Y") + value(s, "Z"), "00") << "Y and Z take X";
}

TEST_F(TransformPanels, HiddenDisplaysComeBackAfterRebuildsAndReferenceChanges) {
  platform::omPropertyObj& t = open(kTranslate);
  EXPECT_FALSE(ownFrame->shown) << "the active entity's frame is the reference and is hidden";
  ASSERT_EQ(set(t, "Ref Coord System", "Ref30"), EditResult::Ok);
  EXPECT_FALSE(ownFrame->shown) << "still hidden as the selection's own display";
  EXPECT_FALSE(ref->shown);
  ASSERT_EQ(set(t, "Ref Coord System", "World"), EditResult::Ok);
  EXPECT_TRUE(ref->shown) << "the old reference shows again";
  EXPECT_FALSE(scene.global->shown);
  // The scene changes: the list is rebuilt, and what it hid is still remembered.
  event(14);
  event(13);
  EXPECT_EQ(value(t, "Ref Coord System"), "World");
  close();
  EXPECT_TRUE(ownFrame->shown);
  EXPECT_TRUE(scene.global->shown);
  EXPECT_TRUE(ref->shown);
}

TEST_F(TransformPanels, RenamingACoordinateSystemRebuildsTheListKeepingTheChoice) {
  platform::omPropertyObj& t = open(kTranslate);
  ASSERT_EQ(set(t, "Ref Coord System", "Ref30"), EditResult::Ok);
  const int list = attrib(t, "Ref Coord System");
  event(14, mesh);  // the mesh's own frame keeps its name: nothing to rebuild
  ref->rename("Turned");
  event(14, ref);
  EXPECT_EQ(value(t, "Ref Coord System"), "Turned");
  EXPECT_STREQ(t.GetAttrib(list).GetChoice(1), "Turned");
  event(0);  // the host rebuilt its scene: nothing is shown again by this panel
  close();
  EXPECT_FALSE(ref->shown);
}

TEST_F(TransformPanels, SynchronizeFromTheButtonBeforeThePanelWasShownDoesNothing) {
  mesh->frame.origin[0] = 1;
  host.click(module.get(), kSync);
  EXPECT_FLOAT_EQ(mesh->frame.origin[0], 1);
  EXPECT_EQ(mesh->transform.forward, transform::identity());
}

TEST_F(TransformPanels, SynchronizePanelCarriesOntoTheReferenceAndBoxResets) {
  platform::omPropertyObj& y = open(kSync);
  ASSERT_EQ(set(y, "Ref Coord System", "Ref30"), EditResult::Ok);
  ASSERT_EQ(set(y, "SelectionType", "Coord Sys Only"), EditResult::Ok);
  host.click(module.get(), kSync);
  EXPECT_FLOAT_EQ(mesh->frame.origin[0], 5);
  EXPECT_NEAR(mesh->frame.orientation[2], kSin15, 1e-6);
  EXPECT_EQ(mesh->transform.forward, transform::identity());
  mesh->points = {{0, 0, 0}, {2, 4, 6}};
  host.takeLog();
  ASSERT_EQ(set(y, "Box Reset", ""), EditResult::Ok);
  EXPECT_TRUE(logged("execute Orient Reset with null record"));
  EXPECT_FLOAT_EQ(mesh->frame.origin[1], 2);
  EXPECT_FLOAT_EQ(mesh->frame.orientation[3], 1);
}

}  // namespace
}  // namespace tessel::test
