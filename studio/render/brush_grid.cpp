#include "studio/render/brush_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

namespace tessel::studio {

void BrushGrid::clear() {
  std::vector<std::uint32_t>().swap(handles_);
  std::vector<std::uint32_t>().swap(cellStart_);
  columns_ = rows_ = 0;
}

void BrushGrid::build(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                      const VisibleDepth* depth) {
  clear();
  target_ = target;
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0 || (depth && (depth->width() != w || depth->height() != h))) {
    cellStart_.assign(1, 0);
    return;
  }
  // Finer cells for denser meshes, so the brush's rim crosses fewer components: about a dozen a
  // cell at most, but cells no smaller than 2 pixels, whose offsets would outweigh the handles.
  const std::size_t components = target == ComponentTarget::Vertices ? m.vertexCount()
                            : target == ComponentTarget::Faces  ? m.faceCount()
                                                                : m.edgeCount();
  cellPixels_ = kCellPixels;
  while (cellPixels_ > 2 &&
         components * cellPixels_ * cellPixels_ > 12 * static_cast<std::size_t>(w) * h)
    cellPixels_ /= 2;
  columns_ = (w + cellPixels_ - 1) / cellPixels_, rows_ = (h + cellPixels_ - 1) / cellPixels_;
  const std::uint32_t cells = static_cast<std::uint32_t>(columns_) * rows_;
  constexpr std::uint32_t kOut = 0xFFFFFFFFu;
  // Counting sort: the cell of each component first (kOut when it is not selectable), then
  // the handles scattered to their cells' ranges.
  // cellOf is written whole before it is read: not zeroed first.
  std::unique_ptr<std::uint32_t[]> cellOf;
  std::uint32_t listed = 0;
  auto list = [&](std::uint32_t n) { cellOf.reset(new std::uint32_t[n]), listed = n; };
  std::vector<std::uint32_t> count(cells + 1, 0);
  const int shift = std::countr_zero(static_cast<unsigned>(cellPixels_));
  const auto columns = static_cast<std::uint32_t>(columns_);
  // seen(s) answers the depth test of a place on the view.
  auto cellFor = [&](const ScreenVertex& s, bool hidden, auto seen) {
    if (hidden || !onView(s, w, h) || (depth && !seen(s))) return kOut;
    const std::uint32_t c = (static_cast<std::uint32_t>(s.y) >> shift) * columns +
                            (static_cast<std::uint32_t>(s.x) >> shift);
    ++count[c + 1];
    return c;
  };
  // A centre's depth lies between its corners' nearest and farthest, which mostly decide.
  auto seenBetween = [&](float nearest, float farthest, auto exact) {
    return [=, &depth](const ScreenVertex& s) {
      return depth->visibleWithin(s.x, s.y, nearest, farthest, exact);
    };
  };
  const float* p = m.positions.data();
  if (target == ComponentTarget::Vertices) {
    list(m.vertexCount());
    constexpr std::uint32_t kRun = 256;
    ScreenVertex run[kRun];
    for (std::uint32_t first = 0, n = m.vertexCount(); first < n; first += kRun) {
      const std::uint32_t runLength = std::min(kRun, n - first);
      project.run(p + 3 * std::size_t{first}, runLength, run);
      for (std::uint32_t k = 0; k < runLength; ++k)
        cellOf[first + k] = cellFor(run[k], m.vertexFlags[first + k] & kHidden,
                                    [&](const ScreenVertex& s) {
                                      return depth->visible(s.x, s.y, s.depth);
                                    });
    }
  } else {
    withScreenVertices(m, project, NoCode{}, kWholeProjection, true, [&](auto corner) {
      if (target == ComponentTarget::Faces) {
        list(m.faceCount());
        const std::uint32_t* t = m.faces.data();
        for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, t += 3) {
          const ScreenVertex a = corner(t[0]).s, b = corner(t[1]).s, c = corner(t[2]).s;
          cellOf[f] = cellFor(centrePlace(a, b, c), m.faceFlags[f] & kHidden,
                              seenBetween(std::min({a.depth, b.depth, c.depth}),
                                          std::max({a.depth, b.depth, c.depth}),
                                          [&] { return centreDepth(a.depth, b.depth, c.depth); }));
        }
        return;
      }
      const bool boundaryOnly = target == ComponentTarget::Holes;
      const std::vector<Edge>& edges = m.edges();
      list(static_cast<std::uint32_t>(edges.size()));
      for (std::uint32_t e = 0, n = static_cast<std::uint32_t>(edges.size()); e < n; ++e) {
        const Edge& edge = edges[e];
        if (boundaryOnly && edge.f1 != kNoFace) {
          cellOf[e] = kOut;
          continue;
        }
        const ScreenVertex a = corner(edge.v0).s, b = corner(edge.v1).s;
        cellOf[e] = cellFor(centrePlace(a, b), m.edgeFlags[e] & kHidden,
                            seenBetween(std::min(a.depth, b.depth), std::max(a.depth, b.depth),
                                        [&] { return centreDepth(a.depth, b.depth); }));
      }
    });
  }
  for (std::uint32_t c = 0; c < cells; ++c) count[c + 1] += count[c];
  cellStart_ = count;
  handles_.resize(count[cells]);
  for (std::uint32_t i = 0; i < listed; ++i)
    if (cellOf[i] != kOut) handles_[count[cellOf[i]]++] = i;
}

template <class Take>
void BrushGrid::visit(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                      float radius, Take take) const {
  if (handles_.empty() || !(radius >= 0) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const CircleRegion circle{cx, cy, radius};
  const int cell = cellPixels_;
  auto cellIndex = [cell](double v, int limit) {
    const double c = std::floor(v / cell);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(limit - 1)));
  };
  // Places on the view only: cells beyond the border hold nothing.
  if (cx + radius < 0 || cy + radius < 0 || cx - radius >= static_cast<float>(columns_ * cell) ||
      cy - radius >= static_cast<float>(rows_ * cell))
    return;
  const int r0 = cellIndex(cy - radius, rows_), r1 = cellIndex(cy + radius, rows_);
  // Each grid row is visited across the circle's chord over it only: a cell wholly outside the
  // circle (with room for the rounding, as below) holds nothing the brush takes.
  const double outer = double{radius} + 1e-3;
  // A cell is wholly inside when its farthest corner is, with room for the circle test's
  // rounding (far below a thousandth of a pixel).
  const double inner = std::max(0.0, double{radius} - 1e-3);
  auto cornerInside = [&](int column, int row) {
    const double dx = std::max(std::abs(column * cell - double{cx}),
                               std::abs((column + 1) * cell - double{cx}));
    const double dy = std::max(std::abs(row * cell - double{cy}),
                               std::abs((row + 1) * cell - double{cy}));
    return dx * dx + dy * dy <= inner * inner;
  };
  auto rim = [&](std::uint32_t begin, std::uint32_t end) {
    for (std::uint32_t k = begin; k < end; ++k) {
      const ScreenVertex s = screenPlace(m, target_, project, handles_[k], false);
      if (circle.contains(s.x, s.y)) take(k, k + 1);
    }
  };
  for (int r = r0; r <= r1; ++r) {
    const double dy = std::max({0.0, r * cell - double{cy}, double{cy} - (r + 1) * cell});
    if (dy > outer) continue;
    const double chord = std::sqrt(outer * outer - dy * dy);
    const int c0 = cellIndex(cx - chord, columns_), c1 = cellIndex(cx + chord, columns_);
    // The cells of one grid row are one run of handles; the cells wholly inside are a run within.
    const std::size_t rowCells = static_cast<std::size_t>(r) * columns_;
    int in0 = c0;
    while (in0 <= c1 && !cornerInside(in0, r)) ++in0;
    int in1 = c1;
    while (in1 >= in0 && !cornerInside(in1, r)) --in1;
    if (in0 > in1) {
      rim(cellStart_[rowCells + c0], cellStart_[rowCells + c1 + 1]);
      continue;
    }
    rim(cellStart_[rowCells + c0], cellStart_[rowCells + in0]);
    take(cellStart_[rowCells + in0], cellStart_[rowCells + in1 + 1]);
    rim(cellStart_[rowCells + in1 + 1], cellStart_[rowCells + c1 + 1]);
  }
}

void BrushGrid::query(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                      float radius, std::vector<std::uint32_t>& out) const {
  visit(m, project, cx, cy, radius, [&](std::uint32_t first, std::uint32_t last) {
    out.insert(out.end(), handles_.begin() + first, handles_.begin() + last);
  });
}

std::size_t BrushGrid::mark(Mesh& m, const ScreenProjector& project, float cx, float cy,
                            float radius, bool select) const {
  std::uint8_t* flags = (target_ == ComponentTarget::Vertices ? m.vertexFlags
                         : target_ == ComponentTarget::Faces  ? m.faceFlags
                                                              : m.tableEdgeFlags())
                            .data();
  const std::uint8_t set = select ? kSelected : 0;
  const auto keep = static_cast<std::uint8_t>(~kSelected);
  std::size_t count = 0;
  visit(m, project, cx, cy, radius, [&](std::uint32_t first, std::uint32_t last) {
    for (std::uint32_t k = first; k < last; ++k) {
      std::uint8_t& f = flags[handles_[k]];
      f = static_cast<std::uint8_t>((f & keep) | set);
    }
    count += last - first;
  });
  return count;
}

}  // namespace tessel::studio
