#include "studio/render/brush_grid.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

void BrushGrid::clear() {
  std::vector<std::uint32_t>().swap(handles_);
  std::vector<std::uint32_t>().swap(cellStart_);
  columns_ = rows_ = 0;
}

void BrushGrid::build(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                      const VisibleDepth* depth, std::vector<ScreenVertex>& scratch) {
  clear();
  target_ = target;
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0 || (depth && (depth->width() != w || depth->height() != h))) {
    cellStart_.assign(1, 0);
    return;
  }
  columns_ = (w + kCellPixels - 1) / kCellPixels, rows_ = (h + kCellPixels - 1) / kCellPixels;
  const std::uint32_t cells = static_cast<std::uint32_t>(columns_) * rows_;
  constexpr std::uint32_t kOut = 0xFFFFFFFFu;
  // Counting sort: the cell of each component first (kOut when it is not selectable), then
  // the handles scattered to their cells' ranges.
  std::vector<std::uint32_t> cellOf;
  std::vector<std::uint32_t> count(cells + 1, 0);
  auto cellFor = [&](const ScreenVertex& s, bool hidden) {
    if (hidden || !onView(s, w, h) || (depth && !depth->visible(s.x, s.y, s.depth))) return kOut;
    const std::uint32_t c = static_cast<std::uint32_t>(static_cast<int>(s.y) / kCellPixels) *
                                columns_ +
                            static_cast<std::uint32_t>(static_cast<int>(s.x) / kCellPixels);
    ++count[c + 1];
    return c;
  };
  const float* p = m.positions.data();
  if (target == ComponentTarget::Vertices) {
    cellOf.resize(m.vertexCount());
    for (std::uint32_t v = 0, n = m.vertexCount(); v < n; ++v)
      cellOf[v] = cellFor(project(p + 3 * std::size_t{v}), m.vertexFlags[v] & kHidden);
  } else {
    projectVertices(m, project, scratch);
    const ScreenVertex* s = scratch.data();
    if (target == ComponentTarget::Faces) {
      cellOf.resize(m.faceCount());
      const std::uint32_t* t = m.faces.data();
      for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, t += 3)
        cellOf[f] = cellFor(centreOf(s[t[0]], s[t[1]], s[t[2]]), m.faceFlags[f] & kHidden);
    } else {
      const bool boundaryOnly = target == ComponentTarget::Holes;
      cellOf.resize(m.edgeCount());
      for (std::uint32_t e = 0, n = m.edgeCount(); e < n; ++e) {
        const Edge& edge = m.edges[e];
        cellOf[e] = boundaryOnly && edge.f1 != kNoFace
                        ? kOut
                        : cellFor(centreOf(s[edge.v0], s[edge.v1]), m.edgeFlags[e] & kHidden);
      }
    }
    std::vector<ScreenVertex>().swap(scratch);
  }
  for (std::uint32_t c = 0; c < cells; ++c) count[c + 1] += count[c];
  cellStart_ = count;
  handles_.resize(count[cells]);
  for (std::uint32_t i = 0, n = static_cast<std::uint32_t>(cellOf.size()); i < n; ++i)
    if (cellOf[i] != kOut) handles_[count[cellOf[i]]++] = i;
}

void BrushGrid::query(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                      float radius, std::vector<std::uint32_t>& out) const {
  if (handles_.empty() || !(radius >= 0) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const CircleRegion circle{cx, cy, radius};
  auto cellIndex = [](float v, int limit) {
    const double c = std::floor(double{v} / kCellPixels);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(limit - 1)));
  };
  // Places on the view only: cells beyond the border hold nothing.
  if (cx + radius < 0 || cy + radius < 0 || cx - radius >= static_cast<float>(columns_ * kCellPixels) ||
      cy - radius >= static_cast<float>(rows_ * kCellPixels))
    return;
  const int c0 = cellIndex(cx - radius, columns_), c1 = cellIndex(cx + radius, columns_);
  const int r0 = cellIndex(cy - radius, rows_), r1 = cellIndex(cy + radius, rows_);
  for (int r = r0; r <= r1; ++r) {
    // The cells of one grid row are one run of handles.
    const std::uint32_t begin = cellStart_[static_cast<std::size_t>(r) * columns_ + c0];
    const std::uint32_t end = cellStart_[static_cast<std::size_t>(r) * columns_ + c1 + 1];
    for (std::uint32_t k = begin; k < end; ++k) {
      const ScreenVertex s = screenPlace(m, target_, project, handles_[k]);
      if (circle.contains(s.x, s.y)) out.push_back(handles_[k]);
    }
  }
}

}  // namespace tessel::studio
