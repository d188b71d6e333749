#include "studio/render/frame_budget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "studio/render/selection_order.h"
#include "studio/scene/mesh.h"

namespace tessel::studio {
namespace {

TEST(FrameBudget, FollowsTheMeasuredFrameTimeToTheTarget) {
  // A full frame of 20M triangles in 2 s: the first moving frame gets what fits its aim.
  EXPECT_NEAR(static_cast<double>(nextBudget(20'000'000, 2.0, 0.06)), 600'000.0, 1.0);
  // A fast frame grows the budget at most twofold; an instant or unmeasured one too.
  EXPECT_EQ(nextBudget(100'000, 0.001, 0.06), 200'000u);
  EXPECT_EQ(nextBudget(100'000, 0.0, 0.06), 200'000u);
  // Never below the least budget, even after a frame far too slow.
  EXPECT_EQ(nextBudget(30'000, 10.0, 0.06), kLeastBudget);
  EXPECT_EQ(nextBudget(0, 0.001, 0.06), 2 * kLeastBudget);
  // A machine that draws a frame in 10 ms plus 100 ns a triangle settles near the triangles
  // that fill the aim, from a frame far too small and from one far too large, and its frames
  // then stay within a tenth of the aim.
  for (std::uint64_t start : {20'000ull, 20'000'000ull}) {
    std::uint64_t budget = start;
    double seconds = 0;
    for (int frame = 0; frame < 30; ++frame) {
      seconds = 0.01 + 1e-7 * static_cast<double>(budget);
      budget = nextBudget(budget, seconds, 0.06);
    }
    EXPECT_NEAR(static_cast<double>(budget), 500'000.0, 50'000.0) << start;
    EXPECT_NEAR(seconds, 0.06, 0.006) << start;
  }
}

TEST(FrameBudget, ALevelIsTheLargestThatFitsTheMeshsShare) {
  const std::vector<std::uint32_t> sizes{1000, 500, 250};
  EXPECT_EQ(levelFor(sizes, 8000, 8000, 600), 1);
  EXPECT_EQ(levelFor(sizes, 8000, 8000, 1000), 0);
  EXPECT_EQ(levelFor(sizes, 8000, 8000, 8000), -1) << "the mesh itself fits";
  EXPECT_EQ(levelFor(sizes, 8000, 8000, 100), 2) << "nothing fits: the smallest";
  // Two meshes of the same size share the budget.
  EXPECT_EQ(levelFor(sizes, 8000, 16000, 1200), 1);
  EXPECT_EQ(levelFor({}, 8000, 8000, 100), -1);
}

// Built levels are chosen as levelFor chooses; until then a sample of the faces keeps to the
// mesh's share of the budget, its points counted at their cost, whatever the share.
TEST(FrameBudget, UntilTheLevelsAreBuiltASampleKeepsToTheMeshsShare) {
  const std::vector<std::uint32_t> sizes{1000, 500, 250};
  EXPECT_EQ(movingDrawing(true, sizes, 8000, 8000, 600), (MovingDrawing{1, 0}));
  EXPECT_EQ(movingDrawing(true, {}, 8000, 8000, 600), MovingDrawing{}) << "none built: the mesh";
  EXPECT_EQ(movingDrawing(false, sizes, 8000, 8000, 600), (MovingDrawing{-1, 27}));
  EXPECT_EQ(movingDrawing(false, {}, 8000, 16000, 1200), (MovingDrawing{-1, 27}));
  EXPECT_EQ(movingDrawing(false, {}, 8000, 8000, 8000), MovingDrawing{}) << "the mesh itself fits";
  for (std::uint64_t budget : {0ull, 1ull, 7ull, 599ull, 4001ull, 7999ull}) {
    const MovingDrawing d = movingDrawing(false, {}, 8000, 8000, budget);
    ASSERT_GT(d.stride, 0u) << budget;
    const std::uint64_t points = (8000 + d.stride - 1) / d.stride;
    const double share = static_cast<double>(budget) / kPointCost;
    EXPECT_LE(static_cast<double>(points), std::max(share, 1.0)) << budget;
    EXPECT_GT(2.0 * static_cast<double>(points), share / 2) << "not far below it";
  }
}

TEST(FramePieces, EachTriangleOnceInPiecesOfTheBudgetAndEveryItemEnds) {
  const std::vector<std::uint64_t> sizes{0, 250, 0, 100};
  PieceCursor cursor;
  std::vector<std::vector<PieceSpan>> pieces;
  for (int i = 0; i < 10; ++i) {
    auto spans = nextPiece(sizes, cursor, 100);
    if (spans.empty()) break;
    pieces.push_back(spans);
  }
  ASSERT_EQ(pieces.size(), 4u);
  std::vector<std::uint64_t> covered(sizes.size(), 0);
  std::vector<int> ends(sizes.size(), 0);
  for (const auto& piece : pieces) {
    std::uint64_t drawn = 0;
    for (const PieceSpan& s : piece) {
      EXPECT_EQ(s.from, covered[s.item]) << "spans of an item follow on";
      covered[s.item] = s.to;
      drawn += s.to - s.from;
      ends[s.item] += s.to == sizes[s.item];
    }
    EXPECT_LE(drawn, 100u);
  }
  EXPECT_EQ(covered, sizes);
  EXPECT_EQ(ends, std::vector<int>(sizes.size(), 1)) << "each item ends in exactly one piece";
  // The third piece ends the long item, passes the empty one and starts the last.
  ASSERT_EQ(pieces[2].size(), 3u);
  EXPECT_EQ(pieces[2][2].item, 3u);
  EXPECT_EQ(pieces[2][2].to, 50u);
  // A budget covering everything: one piece.
  PieceCursor all;
  EXPECT_EQ(nextPiece(sizes, all, 1'000).size(), 4u);
  EXPECT_TRUE(nextPiece(sizes, all, 1'000).empty());
}

TEST(SelectionOrder, UnselectedThenSelectedAndHiddenLeftOut) {
  const std::vector<std::uint32_t> tris{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const std::vector<std::uint8_t> flags{kSelected, 0, kHidden | kSelected, 0};
  std::vector<std::uint32_t> out;
  EXPECT_EQ(orderBySelection(tris.data(), nullptr, 4, flags.data(), out), 2u);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{3, 4, 5, 9, 10, 11, 0, 1, 2}));
  // Through sources: triangle t takes face sources[t]'s flags.
  const std::vector<std::uint32_t> sources{1, 0, 1, 2};
  EXPECT_EQ(orderBySelection(tris.data(), sources.data(), 4, flags.data(), out), 2u);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{0, 1, 2, 6, 7, 8, 3, 4, 5}));
}

TEST(SelectionOrder, TheSummaryChangesWithAnyByteAndKnowsTheBitsSet) {
  std::vector<std::uint8_t> flags(21, 0);
  const FlagSummary clear = summarizeFlags(flags.data(), flags.size());
  EXPECT_EQ(clear.any, 0);
  for (std::size_t i = 0; i < flags.size(); ++i) {
    flags[i] = kSelected;
    const FlagSummary one = summarizeFlags(flags.data(), flags.size());
    EXPECT_EQ(one.any, kSelected) << i;
    EXPECT_NE(one.hash, clear.hash) << i;
    // The same flag on the next face is another selection.
    if (i + 1 < flags.size()) {
      flags[i] = 0, flags[i + 1] = kSelected;
      EXPECT_NE(summarizeFlags(flags.data(), flags.size()).hash, one.hash) << i;
      flags[i + 1] = 0;
    }
    flags[i] = 0;
  }
  flags[20] = kHidden, flags[3] = kSelected;
  EXPECT_EQ(summarizeFlags(flags.data(), flags.size()).any, kSelected | kHidden);
  EXPECT_EQ(summarizeFlags(nullptr, 0).any, 0);
  // Bits in every byte, whole words and the tail alike; one byte without clears it.
  std::fill(flags.begin(), flags.end(), std::uint8_t{kSelected | kMarked});
  flags[20] |= kHidden;
  EXPECT_EQ(summarizeFlags(flags.data(), flags.size()).all, kSelected | kMarked);
  for (std::size_t i : {0u, 7u, 8u, 20u}) {
    flags[i] = kMarked;
    EXPECT_EQ(summarizeFlags(flags.data(), flags.size()).all, kMarked) << i;
    flags[i] = kSelected | kMarked;
  }
  EXPECT_EQ(summarizeFlags(flags.data(), 16).all, kSelected | kMarked);
  EXPECT_EQ(summarizeFlags(nullptr, 0).all, 0);
}

}  // namespace
}  // namespace tessel::studio
