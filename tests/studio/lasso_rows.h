// The row table a lasso outline gives, built the way the lasso tool builds it (every edge kept,
// ordered by first y with ties kept), for feeding the host's scanline selection directly.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "studio/render/screen_regions.h"

namespace tessel::test {

struct RowTable {
  std::vector<studio::ScanEdge> edges;
  std::vector<std::uint32_t> rowStart;  // rowCount + 1
  studio::LassoRegion region() const { return {edges, rowStart}; }
};

// outline: x, y pairs in drawing order.
inline RowTable lassoRows(const std::vector<float>& outline, int rowCount) {
  std::vector<std::vector<studio::ScanEdge>> rows(static_cast<std::size_t>(std::max(rowCount, 0)));
  const std::size_t n = outline.size() / 2;
  for (std::size_t i = 1; i <= n && n >= 2; ++i) {
    const std::size_t a = i - 1, b = i % n;
    float ax = outline[2 * a], ay = outline[2 * a + 1], bx = outline[2 * b], by = outline[2 * b + 1];
    if (ay > by) ay += 0.5f, by -= 0.5f;
    else if (ay < by) ay -= 0.5f, by += 0.5f;
    const int lo = static_cast<int>(std::min(std::floor(ay), std::floor(by)));
    const int hi = static_cast<int>(std::max(std::ceil(ay), std::ceil(by)));
    for (int r = std::max(lo, 0); r <= std::min(hi, rowCount - 1); ++r) {
      auto& row = rows[static_cast<std::size_t>(r)];
      const studio::ScanEdge e{ax, ay, bx, by};
      row.insert(std::upper_bound(row.begin(), row.end(), e,
                                  [](const auto& x, const auto& y) { return x.y0 < y.y0; }),
                 e);
    }
  }
  RowTable t;
  t.rowStart.push_back(0);
  for (const auto& row : rows) {
    t.edges.insert(t.edges.end(), row.begin(), row.end());
    t.rowStart.push_back(static_cast<std::uint32_t>(t.edges.size()));
  }
  return t;
}

inline std::vector<double> asDoubles(const std::vector<float>& v) { return {v.begin(), v.end()}; }

}  // namespace tessel::test
