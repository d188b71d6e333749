// The lasso row table on small outlines whose rows were worked out by hand.
#include "selection/lasso_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessel::test {
namespace {

using selection::LassoPoint;
using selection::LassoRows;

struct E {
  float x0, y0, x1, y1;
  bool operator==(const E&) const = default;
};
std::ostream& operator<<(std::ostream& os, const E& e) {
  return os << "(" << e.x0 << "," << e.y0 << " " << e.x1 << "," << e.y1 << ")";
}

std::vector<E> row(const LassoRows& t, std::size_t r) {
  std::vector<E> out;
  for (std::int32_t i = 0; i < t.rows[r].count; ++i) {
    const omScanEdge& e = t.rows[r].edges[i];
    out.push_back({e.x0, e.y0, e.x1, e.y1});
  }
  return out;
}

LassoRows build(std::vector<LassoPoint> points, std::int32_t rows) {
  LassoRows t;
  selection::buildLassoRows(points, rows, t);
  return t;
}

TEST(LassoRows, ATriangleReachesOneRowBeyondEachEndAndRowsAreOrderedByFirstY) {
  // (0,0) -> (4,2) -> (0,4) and back. Widened: (0,-.5)-(4,2.5) rows 0..3; (4,1.5)-(0,4.5)
  // rows 1..5; the closing (0,4.5)-(0,-.5) rows 0..5.
  const LassoRows t = build({{0, 0}, {4, 2}, {0, 4}}, 6);
  ASSERT_EQ(t.rows.size(), 6u);
  const E down{0, -0.5f, 4, 2.5f}, back{4, 1.5f, 0, 4.5f}, closing{0, 4.5f, 0, -0.5f};
  EXPECT_EQ(row(t, 0), (std::vector<E>{down, closing}));
  for (std::size_t r : {1u, 2u, 3u}) EXPECT_EQ(row(t, r), (std::vector<E>{down, back, closing})) << r;
  for (std::size_t r : {4u, 5u}) EXPECT_EQ(row(t, r), (std::vector<E>{back, closing})) << r;
}

TEST(LassoRows, SegmentsWithTheSameFirstYAreAllKeptInOutlineOrder) {
  // Two downward segments start at y = 1 (widened 0.5): a sawtooth whose rows each need both.
  const LassoRows t = build({{0, 1}, {2, 3}, {3, 1}, {5, 3}, {5, 6}, {0, 6}}, 8);
  const E first{0, 0.5f, 2, 3.5f}, third{3, 0.5f, 5, 3.5f};
  for (std::size_t r : {0u, 1u, 2u, 3u}) {
    const auto edges = row(t, r);
    auto a = std::find(edges.begin(), edges.end(), first);
    auto b = std::find(edges.begin(), edges.end(), third);
    ASSERT_NE(a, edges.end()) << r;
    ASSERT_NE(b, edges.end()) << "the tie must not drop the second segment, row " << r;
    EXPECT_LT(a, b);
  }
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    const auto edges = row(t, r);
    EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end(),
                               [](const E& a, const E& b) { return a.y0 < b.y0; }));
  }
}

TEST(LassoRows, OutlinesBeyondTheViewAreClippedAndBadPointsLeftOut) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const LassoRows t = build({{0, -1e30f}, {3, 1e30f}, {6, 2}, {nan, 1}}, 4);
  ASSERT_EQ(t.rows.size(), 4u);
  // The segments to and from the NaN point are left out; the first crosses every row, the
  // second comes down from far below to (6, 2), widened to 1.5: rows 1 to 3.
  EXPECT_EQ(row(t, 0), (std::vector<E>{{0, -1e30f, 3, 1e30f}}));
  for (std::size_t r = 1; r < 4; ++r) EXPECT_EQ(row(t, r).size(), 2u) << r;
  EXPECT_TRUE(build({{0, 0}, {1, 1}}, 0).rows.empty());
  EXPECT_TRUE(build({{0, -9}, {5, -3}, {9, -7}}, 5).edges.empty()) << "wholly above the view";
}

}  // namespace
}  // namespace tessel::test
