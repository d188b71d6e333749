#include "selection/lasso_rows.h"

#include <algorithm>
#include <cmath>

namespace tessel::selection {
namespace {

struct Span {
  omScanEdge edge;
  std::int32_t first, last;  // rows, inclusive; first > last: reaches no row
};

Span widen(LassoPoint a, LassoPoint b, std::int32_t rowCount) {
  omScanEdge e{a.x, a.y, b.x, b.y};
  if (e.y0 > e.y1) {
    e.y0 += 0.5f;
    e.y1 -= 0.5f;
  } else if (e.y0 < e.y1) {
    e.y0 -= 0.5f;
    e.y1 += 0.5f;
  }
  // In double, so far-off points clip instead of overflowing the row index.
  const double lo = std::min(std::floor(double(e.y0)), std::floor(double(e.y1)));
  const double hi = std::max(std::ceil(double(e.y0)), std::ceil(double(e.y1)));
  const double top = double(rowCount) - 1.0;
  if (hi < 0.0 || lo > top) return {e, 1, 0};
  return {e, static_cast<std::int32_t>(std::max(lo, 0.0)),
          static_cast<std::int32_t>(std::min(hi, top))};
}

bool finite(LassoPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

void buildLassoRows(std::span<const LassoPoint> points, std::int32_t rowCount, LassoRows& out) {
  out.clear();
  if (rowCount <= 0) return;
  const std::size_t n = points.size();
  std::vector<Span> spans;
  spans.reserve(n);
  // Segments in outline order, the closing one last.
  for (std::size_t i = 1; i <= n && n >= 2; ++i) {
    const LassoPoint a = points[i - 1], b = points[i % n];
    if (finite(a) && finite(b)) spans.push_back(widen(a, b, rowCount));
  }

  // Counting sort into rows: one pass to size them, one to fill.
  std::vector<std::uint32_t> start(static_cast<std::size_t>(rowCount) + 1, 0);
  for (const Span& s : spans)
    for (std::int32_t r = s.first; r <= s.last; ++r) ++start[static_cast<std::size_t>(r) + 1];
  for (std::size_t r = 1; r < start.size(); ++r) start[r] += start[r - 1];
  out.edges.resize(start.back());
  std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
  for (const Span& s : spans)
    for (std::int32_t r = s.first; r <= s.last; ++r) out.edges[fill[r]++] = s.edge;

  out.rows.resize(static_cast<std::size_t>(rowCount));
  for (std::size_t r = 0; r < out.rows.size(); ++r) {
    omScanEdge* first = out.edges.data() + start[r];
    omScanEdge* last = out.edges.data() + start[r + 1];
    std::stable_sort(first, last,
                     [](const omScanEdge& a, const omScanEdge& b) { return a.y0 < b.y0; });
    out.rows[r] = {first, static_cast<std::int32_t>(last - first)};
  }
}

}  // namespace tessel::selection
