#include "studio/render/frame_budget.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

std::uint64_t nextBudget(std::uint64_t drawn, double seconds, double target) {
  const double grow = seconds > 0 ? std::min(2.0, target / seconds) : 2.0;
  const double budget = static_cast<double>(std::max(drawn, kLeastBudget)) * grow;
  return std::max(kLeastBudget, static_cast<std::uint64_t>(budget));
}

int levelFor(const std::vector<std::uint32_t>& sizes, std::uint64_t faces, std::uint64_t total,
             std::uint64_t budget) {
  const double share = total > 0 ? static_cast<double>(faces) * static_cast<double>(budget) /
                                       static_cast<double>(total)
                                 : 0.0;
  if (static_cast<double>(faces) <= share) return -1;
  for (std::size_t i = 0; i < sizes.size(); ++i)
    if (static_cast<double>(sizes[i]) <= share) return static_cast<int>(i);
  return sizes.empty() ? -1 : static_cast<int>(sizes.size()) - 1;
}

MovingDrawing movingDrawing(bool built, const std::vector<std::uint32_t>& sizes,
                            std::uint64_t faces, std::uint64_t total, std::uint64_t budget) {
  if (built) return {levelFor(sizes, faces, total, budget), 0};
  const double share = total > 0 ? static_cast<double>(faces) * static_cast<double>(budget) /
                                       static_cast<double>(total)
                                 : 0.0;
  if (static_cast<double>(faces) <= share) return {};
  // A lit point costs the software rasteriser more than the budget's triangles: with the whole
  // share, a 20M scan's first moving frame drew 105k points in 103-116 ms; with half, 45-75 ms.
  const double points = std::max(1.0, std::floor(share / kPointCost));
  return {-1, static_cast<std::uint32_t>(std::ceil(static_cast<double>(faces) / points))};
}

std::vector<PieceSpan> nextPiece(const std::vector<std::uint64_t>& sizes, PieceCursor& cursor,
                                 std::uint64_t budget) {
  std::vector<PieceSpan> spans;
  std::uint64_t left = std::max<std::uint64_t>(budget, 1);
  while (cursor.item < sizes.size()) {
    const std::uint64_t size = sizes[cursor.item];
    const std::uint64_t from = std::min(cursor.triangle, size);
    // A piece that has drawn something stops before an item it cannot start.
    if (left == 0 && size > from) break;
    const std::uint64_t to = std::min(size, from + left);
    spans.push_back({cursor.item, from, to});
    left -= to - from;
    if (to < size) {
      cursor.triangle = to;
      break;
    }
    ++cursor.item, cursor.triangle = 0;
  }
  return spans;
}

}  // namespace tessel::studio
