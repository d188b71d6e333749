// The filter combos in Studio: a pick that changes what can be selected clears the selection.
#include "module/filter_menus.h"

#include <gtest/gtest.h>

#include "host/om_codes.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class FilterCombo : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH);
    ASSERT_EQ(openSquare(), "");
    ASSERT_EQ(run("command \"View All\"\ntool \"Object Select\"\n"), "");
  }
  std::size_t selected() { return host->scene().selection().size(); }
};

TEST_F(FilterCombo, ChoosingLightsOrCoordSysClearsASelection) {
  ASSERT_EQ(run("drag left 0 0 200 150\n"), "");
  ASSERT_EQ(selected(), 1u);
  EXPECT_EQ(run("filter object \"Lights\"\n"), "");
  EXPECT_EQ(selected(), 0u);
  EXPECT_EQ(run("filter object \"Mesh\"\ndrag left 0 0 200 150\n"
                "filter object \"Coord Sys\"\n"),
            "");
  EXPECT_EQ(selected(), 0u);
}

TEST_F(FilterCombo, TheSensitiveMasks) {
  // Holes clear even an empty selection; the component kinds and lights only a real one.
  EXPECT_TRUE(module::clearsSelection(om::kMaskHoles, 0));
  for (std::uint32_t mask : {std::uint32_t{om::kMaskLights}, std::uint32_t{om::kMaskCoordSys},
                             std::uint32_t{om::kMaskVertices}, std::uint32_t{om::kMaskEdges},
                             std::uint32_t{om::kMaskFaces}}) {
    EXPECT_TRUE(module::clearsSelection(mask, 1)) << mask;
    EXPECT_FALSE(module::clearsSelection(mask, 0)) << mask;
  }
  for (std::uint32_t mask :
       {std::uint32_t{om::kMaskMesh}, std::uint32_t{om::kMaskCurve}, 0x8000u, 0u})
    EXPECT_FALSE(module::clearsSelection(mask, 3)) << mask;
}

}  // namespace
}  // namespace tessel::test
