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
    ASSERT_EQ(openSquare("a"), "");
    ASSERT_EQ(openSquare("b", 2), "");
    studio::Camera& c = host->views().active().camera;
    c = studio::standardCamera(studio::ViewKind::Front);
    ASSERT_EQ(run("command \"View All\"\ntool \"Object Select\"\n"), "");
    take();
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

TEST_F(ObjectSelect, TheToolWaitsWhileTheSceneIsLocked) {
  EXPECT_EQ(run("tool Tumble\n"), "");
  host->GetMainView()->Lock();
  EXPECT_EQ(run("tool \"Object Select\"\n"),
            "error: test:1: tool \"Object Select\" cannot start now (start the line with "
            "\"expect-refusal\" when that is expected)\n");
  host->GetMainView()->Unlock();
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

// The tool gives back exactly the temporary mask it pushed: none when it had no name, or a name
// the filter lacks, even after SelectMask has named another mask meanwhile. A mask someone else
// pushed underneath stays in force.
TEST_F(ObjectSelect, ModifyMaskSelectPopsOnlyWhatItPushed) {
  auto* tool = static_cast<selection::omToolSelectModifyMask*>(
      host->tools().FindTool("Modify Mask Select"));
  ASSERT_NE(tool, nullptr);
  omMaskList* filter = host->GetObjectFilter();
  ASSERT_TRUE(filter->PushTemporaryMask("Lights"));
  EXPECT_EQ(run("tool \"Modify Mask Select\"\n"), "");
  EXPECT_STREQ(filter->GetCurrentName(), "Lights") << "no name yet: nothing pushed";
  tool->SelectMask("Coord Sys");
  EXPECT_STREQ(filter->GetCurrentName(), "Coord Sys");
  EXPECT_EQ(run("tool \"Object Select\"\n"), "");
  EXPECT_STREQ(filter->GetCurrentName(), "Lights");
  filter->PopTemporaryMask();
  EXPECT_STREQ(filter->GetCurrentName(), "Mesh");

  // With a curve beside the meshes the filter offers "Mesh" and "Curve", and no "Lights".
  EXPECT_EQ(run("curve \"c\" 5 5 0 6 6 0\n"), "");
  ASSERT_TRUE(filter->PushTemporaryMask("Curve"));
  tool->SelectMask("Lights");
  EXPECT_TRUE(host->tools().IsToolActive("Modify Mask Select"));
  EXPECT_STREQ(filter->GetCurrentName(), "Curve");
  EXPECT_EQ(run("tool \"Object Select\"\n"), "");
  EXPECT_STREQ(filter->GetCurrentName(), "Curve") << "the refused push is not popped";
}

}  // namespace
}  // namespace tessel::test

namespace tessel::test {
namespace {

// Tab is Studio's filter-step key: it reaches the tool as key code 4 and steps the object filter;
// lights and coordinate systems are never selected together with other objects, so a step from
// or to them drops the selection.
TEST_F(ObjectSelect, TheFilterStepKeyStepsTheObjectFilterAndDropsMixedSelections) {
  EXPECT_EQ(run("drag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), "ab");
  take();
  EXPECT_EQ(run("key Tab\n"), "");
  auto lines = take();
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Coord Sys");
  EXPECT_EQ(count(lines, "filter: object Coord Sys"), 1) << "one step per press";
  EXPECT_EQ(selected(), "") << "a step to \"Coord Sys\" clears the selection";
  EXPECT_EQ(run("drag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), "Global");
  EXPECT_EQ(run("key Tab\n"), "");
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Lights");
  EXPECT_EQ(selected(), "") << "a step from \"Coord Sys\" clears it too";
  take();
  EXPECT_EQ(run("key Tab\n"), "");
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Mesh") << "the last entry wraps";
  lines = take();
  EXPECT_EQ(count(lines, "prompt: Press SHIFT to add or CTRL to remove from selection."), 2)
      << "the prompt follows the key down and the key up";
}

TEST_F(ObjectSelect, FilterStepsBetweenOtherKindsKeepTheSelection) {
  // A curve beside the meshes: the object filter offers "Mesh" and "Curve" only.
  EXPECT_EQ(run("curve \"c\" 5 5 0 6 6 0\nfilter object Mesh\ndrag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), "ab");
  EXPECT_EQ(run("key Tab\n"), "");
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Curve");
  EXPECT_EQ(selected(), "ab");
  EXPECT_EQ(run("key Tab shift\n"), "");
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Mesh");
  EXPECT_EQ(selected(), "ab");
}

TEST_F(ObjectSelect, TheFilterStepKeyIsHeldLikeTheModifiersAndIsNoAccelerator) {
  omView& view = host->views().active();
  EXPECT_EQ(view.IsKeyUp(om::kKeyFilterStep), 1);
  host->setFilterStepKey(true);
  EXPECT_EQ(view.IsKeyUp(om::kKeyFilterStep), 0);
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Coord Sys");
  host->setFilterStepKey(true);
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Coord Sys")
      << "a key held down (auto-repeat) is one press";
  host->setFilterStepKey(false);
  EXPECT_EQ(view.IsKeyUp(om::kKeyFilterStep), 1);
  for (bool ctrl : {false, true})
    for (bool shift : {false, true})
      for (bool alt : {false, true})
        EXPECT_EQ(host->frame().acceleratorFor(studio::kFilterStepKey, ctrl, shift, alt), 0u);
}

}  // namespace
}  // namespace tessel::test
