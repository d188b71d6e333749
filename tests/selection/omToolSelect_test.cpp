#include "selection/omToolSelect.h"

#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class ObjectSelect : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 200, 150);
    // Two squares side by side; in the framed front view "a" fills the left, "b" the right.
    for (auto [name, offset] : {std::pair{"a.obj", 0}, {"b.obj", 2}}) {
      std::string obj;
      for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
        obj += "v " + std::to_string(x + offset) + " " + std::to_string(y) + " 0\n";
      ASSERT_EQ(run("open " + dir.write(name, obj + "f 1 2 3\nf 1 3 4\n").string() + "\n"), "");
    }
    studio::Camera& c = host->views().active().camera;
    c = studio::standardCamera(studio::ViewKind::Front);
    ASSERT_EQ(run("command \"View All\"\ntool \"Object Select\"\n"), "");
    take();
  }
  std::string selected() {
    std::string names;
    for (std::uint32_t id : host->scene().selection()) names += host->scene().find(id)->name;
    return names;
  }
  std::vector<std::uint8_t> pixels() {
    return host->renderer().readPixels(host->views().active().rect);
  }
};

TEST_F(ObjectSelect, BoxReplacesShiftAddsCtrlRemovesMiddleClears) {
  EXPECT_EQ(run("drag left 0 0 90 150\n"), "");
  EXPECT_EQ(selected(), "a");
  EXPECT_TRUE(has(take(), "notify: 10"));
  EXPECT_EQ(run("drag left 110 0 200 150\n"), "");
  EXPECT_EQ(selected(), "b") << "without keys the box replaces";
  EXPECT_EQ(run("drag left 0 0 90 150 shift\n"), "");
  EXPECT_EQ(selected(), "ba");
  EXPECT_EQ(run("drag left 110 0 200 150 ctrl\n"), "");
  EXPECT_EQ(selected(), "a");
  EXPECT_EQ(run("drag left 0 0 90 150 shift ctrl\n"), "");
  EXPECT_EQ(selected(), "") << "SHIFT and CTRL together remove";
  EXPECT_EQ(run("drag left 0 0 200 150\npress middle 5 5\nrelease middle 5 5\n"), "");
  EXPECT_EQ(selected(), "");
}

TEST_F(ObjectSelect, ShortDragsPickAndReleasesOutsideTheViewAreClamped) {
  studio::ScreenPoint centre = studio::project(host->views().active().camera, 200, 150,
                                               {2.5, 0.5, 0});
  std::string at = std::to_string(centre.x) + " " + std::to_string(centre.y);
  EXPECT_EQ(run("drag left " + at + " " + std::to_string(centre.x + 3) + " " +
                std::to_string(centre.y + 3) + "\n"),
            "");
  EXPECT_EQ(selected(), "b") << "a drag under five pixels picks the object under the release";
  EXPECT_EQ(run("drag left 5 5 5 6\n"), "");
  EXPECT_EQ(selected(), "") << "a pick on nothing replaces the selection with nothing";
  EXPECT_EQ(run("drag left 1 1 5000 5000\n"), "");
  EXPECT_EQ(selected(), "ab") << "the far corner is clamped into the view";
}

TEST_F(ObjectSelect, TheRubberBandIsXorSoRedrawingItErasesIt) {
  const auto clean = pixels();
  EXPECT_EQ(run("press left 20 20\n"), "");
  const auto pressed = pixels();
  EXPECT_EQ(run("move left 150 120\n"), "");
  const auto band = pixels();
  EXPECT_NE(band, clean);
  // The rectangle's corner pixel turned white over the background.
  const std::size_t corner = (static_cast<std::size_t>(120) * 200 + 150) * 4;
  EXPECT_NE(band[corner], clean[corner]);
  EXPECT_EQ(run("move left 20 20\n"), "");
  EXPECT_EQ(pixels(), pressed) << "erasing the band restores every pixel";
  EXPECT_EQ(run("release left 20 20\n"), "");
  EXPECT_EQ(pixels(), clean);
}

TEST_F(ObjectSelect, PromptsFollowTheModifiers) {
  EXPECT_EQ(run("press left 10 10 shift\nrelease left 10 10 shift\n"), "");
  EXPECT_TRUE(has(take(), "prompt: Press CTRL to remove from selection."));
  EXPECT_EQ(host->views().active().cursorId(), 5006);
  EXPECT_EQ(run("press left 10 10 ctrl\n"), "");
  EXPECT_TRUE(has(take(), "prompt: Press SHIFT to add to selection."));
  EXPECT_EQ(host->views().active().cursorId(), 5010);
  EXPECT_EQ(run("release left 10 10\n"), "");
  EXPECT_TRUE(has(take(), "prompt: Press SHIFT to add or CTRL to remove from selection."));
}

// Lights and coordinate systems are never selected together with other objects: the filter-step
// key clears the selection when it steps into them or out of them, and only then.
TEST_F(ObjectSelect, TheFilterStepKeyClearsTheSelectionAcrossLightsAndFrames) {
  auto step = [this] {
    host->tools().GetCurrentTool()->Key(om::kKeyFilterStep, 0, &host->views().active());
    return std::string(host->GetObjectFilter()->GetCurrentName());
  };
  auto light = std::make_unique<studio::Entity>();
  light->name = "Lamp";
  light->type = om::kEntityLight;
  const std::uint32_t lamp = host->scene().add(std::move(light)).id;
  EXPECT_EQ(run("drag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), "ab");
  host->tools().GetCurrentTool()->Key(om::kKeyFilterStep, 1, &host->views().active());
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Mesh") << "a key-up does nothing";
  EXPECT_EQ(step(), "Coord Sys");
  EXPECT_EQ(selected(), "") << "into coordinate systems";
  EXPECT_EQ(step(), "Lights");
  host->scene().select(lamp, true);
  EXPECT_EQ(step(), "Mesh");
  EXPECT_EQ(selected(), "") << "out of lights";
}

TEST_F(ObjectSelect, TheToolWaitsWhileTheSceneIsLocked) {
  EXPECT_EQ(run("tool Tumble\n"), "");
  host->Lock();
  EXPECT_EQ(run("tool \"Object Select\"\n"), "error: test:1: tool \"Object Select\" cannot start now\n");
  host->Unlock();
  EXPECT_EQ(run("tool \"Object Select\"\n"), "");
}

}  // namespace
}  // namespace tessel::test

#include "selection/omToolSelectModifyMask.h"

namespace tessel::test {
namespace {

TEST_F(ObjectSelect, ModifyMaskSelectRunsUnderATemporaryFilter) {
  EXPECT_EQ(run("drag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), "ab");
  auto* tool = static_cast<selection::omToolSelectModifyMask*>(
      host->tools().FindTool("Modify Mask Select"));
  ASSERT_NE(tool, nullptr);
  tool->SelectMask("Coord Sys");
  EXPECT_TRUE(host->tools().IsToolActive("Modify Mask Select"));
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Coord Sys");
  EXPECT_EQ(selected(), "") << "the selection is cleared on the way in";
  EXPECT_EQ(run("drag left 0 0 200 150\n"), "");
  EXPECT_EQ(selected(), "Global") << "only coordinate systems are selectable now";
  take();
  tool->SelectMask("Coord Sys");
  EXPECT_FALSE(has(take(), "notify: 10")) << "the same mask again changes nothing";
  EXPECT_EQ(run("tool Tumble\n"), "");
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Mesh");
  EXPECT_EQ(selected(), "");
}

}  // namespace
}  // namespace tessel::test
