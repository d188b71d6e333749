// The row table a lasso outline gives, built by the lasso tool's own builder, for feeding the
// host's scanline selection and its row regions directly.
#pragma once

#include <cstdint>
#include <vector>

#include "selection/lasso_rows.h"
#include "studio/render/screen_regions.h"

namespace tessel::test {

struct RowTable {
  std::vector<studio::ScanEdge> edges;
  std::vector<std::uint32_t> rowStart;  // rowCount + 1
  studio::LassoRegion region() const { return {edges, rowStart}; }
};

// The table as the lasso tool hands it to the host. outline: x, y pairs in drawing order.
template <class Number>
selection::LassoRows toolRows(const std::vector<Number>& outline, int rowCount) {
  std::vector<selection::LassoPoint> points;
  for (std::size_t i = 0; i + 1 < outline.size(); i += 2)
    points.push_back({static_cast<float>(outline[i]), static_cast<float>(outline[i + 1])});
  selection::LassoRows rows;
  selection::buildLassoRows(points, rowCount, rows);
  return rows;
}

// The same table as the host's lasso region reads it.
inline RowTable lassoRows(const std::vector<float>& outline, int rowCount) {
  const selection::LassoRows rows = toolRows(outline, rowCount);
  RowTable t;
  t.rowStart.push_back(0);
  for (const omScanRow& row : rows.rows) {
    for (std::int32_t k = 0; k < row.count; ++k)
      t.edges.push_back({row.edges[k].x0, row.edges[k].y0, row.edges[k].x1, row.edges[k].y1});
    t.rowStart.push_back(static_cast<std::uint32_t>(t.edges.size()));
  }
  if (rows.rows.empty()) t.rowStart.assign(static_cast<std::size_t>(rowCount > 0 ? rowCount : 0) + 1, 0);
  return t;
}

inline std::vector<double> asDoubles(const std::vector<float>& v) { return {v.begin(), v.end()}; }

}  // namespace tessel::test
