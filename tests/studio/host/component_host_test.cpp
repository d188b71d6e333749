// Studio's main view answering the component tools' requests: box, lasso rows and brush steps
// through the host interface, with the module loaded.
#include <gtest/gtest.h>

#include "tests/studio/lasso_rows.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

using studio::kSelected;

class ComponentHost : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    // Two squares one behind the other, seen from the front: the near one (faces 2, 3) covers
    // the far one (faces 0, 1).
    ASSERT_EQ(open("stack.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 0 0 1\nv 1 0 1\nv 0 1 1\n"
                                "v 1 1 1\nf 1 2 3\nf 3 2 4\nf 5 6 7\nf 7 6 8\n"),
              "");
    ASSERT_EQ(run("mode component\n"), "");
    studio::StudioView& v = host->views().active();
    v.camera = studio::standardCamera(studio::ViewKind::Front);
    v.camera.orthographic = false;
    studio::frameBox(v.camera, host->scene().bounds(), 120, 90);
    mesh = host->scene().findByName("stack")->mesh.get();
    view = host->views().active().GetView();
  }
  std::vector<std::uint32_t> selectedFaces() const { return test::flagged(mesh->faceFlags); }
  studio::Mesh* mesh = nullptr;
  omViewport* view = nullptr;
};

TEST_F(ComponentHost, ABoxSelectsWhatIsSeenOrEverythingThrough) {
  const float all[4] = {0, 0, 120, 90};
  host->GetMainView()->SetKeepSelection(false);
  host->GetMainView()->SelectInRect(view, all, true, 0);
  EXPECT_EQ(selectedFaces(), (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(host->GetMainView()->GetSelection(-1)->GetCount(), 1);
  host->GetMainView()->SelectInRect(view, all, true, 1);
  EXPECT_EQ(selectedFaces(), (std::vector<std::uint32_t>{0, 1, 2, 3}));
  // Kept and removed: the near square goes, the far one stays.
  host->GetMainView()->SetKeepSelection(true);
  host->GetMainView()->SelectInRect(view, all, false, 0);
  EXPECT_EQ(selectedFaces(), (std::vector<std::uint32_t>{0, 1}));
  // Emptying the list in component mode lets go of the components with it.
  host->GetMainView()->GetSelection(-1)->Clear();
  EXPECT_TRUE(selectedFaces().empty());
  // A click in the middle takes the one face in front.
  host->GetMainView()->SetKeepSelection(false);
  host->GetMainView()->SelectAtPoint(view, 50, 50, true, 0);
  EXPECT_EQ(selectedFaces().size(), 1u);
  EXPECT_GE(selectedFaces()[0], 2u);
}

TEST_F(ComponentHost, LassoRowsSelectAsThePlainTestAndTheScriptSaysSo) {
  const std::vector<float> outline = {5, 5, 60, 3, 115, 5, 117, 45, 115, 85, 60, 87,
                                      5, 85, 3, 45, 30, 40, 20, 20, 40, 10, 50, 30};
  const selection::LassoRows table = toolRows(outline, 90);
  host->GetMainView()->SetKeepSelection(false);
  host->scene().componentMask = om::kMaskVertices;
  host->GetMainView()->SelectInScanlines(view, table.rows.data(), 90, true, true);
  std::string points;
  for (float v : outline) points += " " + std::to_string(v);
  EXPECT_EQ(run("check lasso through" + points + "\n"), "");
  EXPECT_TRUE(has(take(), "check: the selection is what a plain point-in-polygon test"));
  EXPECT_NE(run("check lasso" + points + "\n"), "") << "seen only, the far corners are not in";
  host->GetMainView()->SelectInScanlines(view, table.rows.data(), 90, true, false);
  EXPECT_EQ(run("check lasso" + points + "\n"), "");
  // No rows, or rows the module never filled, select nothing.
  host->GetMainView()->SelectInScanlines(view, nullptr, 90, true, true);
  EXPECT_EQ(host->GetMainView()->GetSelection(-1)->GetCount(), 0);
}

TEST_F(ComponentHost, BrushStepsPaintAndTheToolsEndLetsTheGridGo) {
  host->scene().componentMask = om::kMaskVertices;
  // The near square's corner (0, 0, 1) on screen.
  const auto corner = studio::project(host->views().active().camera, 120, 90, {0, 0, 1});
  host->GetMainView()->BeginPaint(view);
  std::int32_t area[3] = {-1, -1, -1};
  host->GetMainView()->PaintSelect(view, static_cast<std::int32_t>(corner.x), static_cast<std::int32_t>(corner.y),
                    6, area, true, 0);
  EXPECT_EQ(area[0], 1);
  EXPECT_TRUE(mesh->vertexFlags[4] & kSelected);
  EXPECT_FALSE(mesh->vertexFlags[0] & kSelected) << "the far corner is behind the near square";
  for (float bad : {0.0f, -3.0f, NAN, INFINITY}) {
    host->GetMainView()->PaintSelect(view, 60, 45, bad, area, true, 0);
    EXPECT_EQ(area[0], 0);
  }
  host->GetMainView()->PaintSelect(view, static_cast<std::int32_t>(corner.x), static_cast<std::int32_t>(corner.y),
                    6, nullptr, false, 0);
  EXPECT_FALSE(mesh->vertexFlags[4] & kSelected);
  EXPECT_EQ(host->components().brushBuilds(), 1u);
  const std::size_t withGrid = host->components().memoryBytes();
  host->GetMainView()->EndComponentTool();
  EXPECT_LT(host->components().memoryBytes(), withGrid);
  // Redraw requests wait for the flush.
  host->GetMainView()->PostRedrawRequest(view, omRedrawRequest{}, 0, 10);
  host->GetViewManager()->FlushRedraws(0);
}

TEST_F(ComponentHost, TheInvertStateIsCapsLockNotCtrl) {
  omView* active = host->GetViewManager()->GetActiveView();
  EXPECT_EQ(run("press left 10 10 ctrl\n"), "");
  EXPECT_FALSE(active->IsInvertActive());
  EXPECT_EQ(run("release left 10 10\ninvert on\n"), "");
  EXPECT_TRUE(active->IsInvertActive());
  EXPECT_EQ(run("invert off\n"), "");
  EXPECT_FALSE(active->IsInvertActive());
  EXPECT_NE(run("invert maybe\n"), "");
  EXPECT_NE(run("stroke left 1 2 3\n"), "");
  EXPECT_NE(run("check lasso 1 2 3 4\n"), "");
}

TEST_F(ComponentHost, HolesSelectTheSquaresOutlines) {
  host->scene().componentMask = om::kMaskHoles;
  const float all[4] = {0, 0, 120, 90};
  host->GetMainView()->SetKeepSelection(false);
  host->GetMainView()->SelectInRect(view, all, true, 1);
  EXPECT_EQ(test::flagged(mesh->edgeFlags).size(), 8u) << "both squares' four boundary edges, not their diagonals";
}

}  // namespace
}  // namespace tessel::test
