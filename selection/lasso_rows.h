// The lasso's row table: for every pixel row of the view, the outline segments that reach it, so
// the host can decide inside or outside row by row (even-odd) without walking the whole outline
// per component.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/omView.h"

namespace tessel::selection {

struct LassoPoint {
  float x, y;  // view pixels
};

// An outline of fewer points is a click or a slip of the hand, not a lasso: it selects nothing.
inline constexpr std::size_t kMinLassoPoints = 10;

// The table handed to the host; `rows` points into `edges`, so keep both together.
struct LassoRows {
  std::vector<omScanEdge> edges;  // every row's edges, row after row
  std::vector<omScanRow> rows;    // one per pixel row

  void clear() {
    edges.clear();
    rows.clear();
  }
};

// Builds the table of the closed outline `points` (the last point joins the first) for
// `rowCount` rows. Each segment is widened by half a pixel at both ends along y (a horizontal one
// stays as it is) and entered into every row from floor to ceil of its widened ends, clipped to
// 0 .. rowCount - 1. A row's edges are ordered by their widened first y; segments with the same
// first y are all kept, in outline order, since dropping one would flip the even-odd count.
// Segments with a non-finite end are left out.
void buildLassoRows(std::span<const LassoPoint> points, std::int32_t rowCount, LassoRows& out);

}  // namespace tessel::selection
