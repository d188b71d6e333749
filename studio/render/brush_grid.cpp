#include "studio/render/brush_grid.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "studio/render/seen_memo.h"

namespace tessel::studio {

void BrushGrid::clear() {
  std::vector<std::uint32_t>().swap(handles_);
  std::vector<std::uint32_t>().swap(cellStart_);
  columns_ = rows_ = 0;
}

void BrushGrid::build(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                      const VisibleDepth* depth, const SeenMemo* memo) {
  clear();
  target_ = target;
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0 || (depth && (depth->width() != w || depth->height() != h))) {
    cellStart_.assign(1, 0);
    return;
  }
  const std::uint32_t components = componentCount(m, target);
  if (!depth || (memo && !memo->fits(target, components))) memo = nullptr;
  // Finer cells for denser meshes, so the brush's rim crosses fewer components: about a dozen a
  // cell at most, but cells no smaller than 2 pixels, whose offsets would outweigh the handles.
  cellPixels_ = kCellPixels;
  while (cellPixels_ > 2 && std::size_t{components} * cellPixels_ * cellPixels_ >
                                12 * static_cast<std::size_t>(w) * h)
    cellPixels_ /= 2;
  columns_ = (w + cellPixels_ - 1) / cellPixels_, rows_ = (h + cellPixels_ - 1) / cellPixels_;
  const std::uint32_t cells = static_cast<std::uint32_t>(columns_) * rows_;
  // Counting sort: the cell of each component first (kOut when it is not selectable), then
  // the handles scattered to their cells' ranges. cellOf is written whole before it is read:
  // not zeroed first.
  constexpr std::uint32_t kOut = 0xFFFFFFFFu;
  std::unique_ptr<std::uint32_t[]> cellOf(new std::uint32_t[components]);
  // A place on the view scaled by a power of two is exact, and truncates to the same cell as
  // its pixel shifted; the multiply is the cheaper of the two.
  const float perPixel = 1.0f / static_cast<float>(cellPixels_);
  const auto columns = static_cast<std::uint32_t>(columns_);
  auto cellAt = [=](const ScreenVertex& s) {
    return static_cast<std::uint32_t>(s.y * perPixel) * columns +
           static_cast<std::uint32_t>(s.x * perPixel);
  };
  // What the depth test answered for a run, where the memo has it: kAll and kSome runs need no
  // image read (and a component the memo did not see needs no place); kUnknown ones are tested.
  auto runState = [&](std::uint32_t handle) -> std::uint8_t {
    if (!depth) return SeenMemo::kAll;
    return memo ? memo->run(handle / ChunkBoxes::kRun) : std::uint8_t{SeenMemo::kUnknown};
  };
  const std::uint8_t* flags = target == ComponentTarget::Vertices ? m.vertexFlags.data()
                              : target == ComponentTarget::Faces  ? m.faceFlags.data()
                                                                  : m.edgeFlags.data();
  // Whether a component the memo answers for may be placed at all.
  auto maySee = [&](std::uint32_t handle, std::uint8_t state) {
    return state != SeenMemo::kSome || memo->seen(handle);
  };
  const float* p = m.positions.data();
  if (target == ComponentTarget::Vertices) {
    constexpr std::uint32_t kRun = ChunkBoxes::kRun;
    ScreenVertex run[kRun];
    for (std::uint32_t first = 0; first < components; first += kRun) {
      const std::uint32_t runLength = std::min(kRun, components - first);
      const std::uint8_t state = runState(first);
      project.run(p + 3 * std::size_t{first}, runLength, run);
      for (std::uint32_t k = 0; k < runLength; ++k) {
        const ScreenVertex& s = run[k];
        const std::uint32_t v = first + k;
        const bool in = !(flags[v] & kHidden) && onView(s, w, h) && maySee(v, state) &&
                        (state != SeenMemo::kUnknown || depth->visible(s.x, s.y, s.depth));
        cellOf[v] = in ? cellAt(s) : kOut;
      }
    }
  } else {
    withScreenVertices(m, project, NoCode{}, kWholeProjection, true, [&](auto corner) {
      // A centre's depth lies between its corners' nearest and farthest, which mostly decide.
      auto place = [&](std::uint32_t handle, std::uint8_t state, auto... c) {
        const ScreenVertex s = centrePlace(c...);
        const bool in = onView(s, w, h) &&
                        (state != SeenMemo::kUnknown ||
                         depth->visibleWithin(s.x, s.y, std::min({c.depth...}),
                                              std::max({c.depth...}),
                                              [&] { return centreDepth(c.depth...); }));
        cellOf[handle] = in ? cellAt(s) : kOut;
      };
      if (target == ComponentTarget::Faces) {
        const std::uint32_t* t = m.faces.data();
        for (std::uint32_t f = 0; f < components; ++f, t += 3) {
          const std::uint8_t state = runState(f);
          if ((flags[f] & kHidden) || !maySee(f, state)) cellOf[f] = kOut;
          else place(f, state, corner(t[0]).s, corner(t[1]).s, corner(t[2]).s);
        }
        return;
      }
      const bool boundaryOnly = target == ComponentTarget::Holes;
      const Edge* edges = m.edges().data();
      for (std::uint32_t e = 0; e < components; ++e) {
        const std::uint8_t state = runState(e);
        if ((boundaryOnly && edges[e].f1 != kNoFace) || (flags[e] & kHidden) || !maySee(e, state))
          cellOf[e] = kOut;
        else place(e, state, corner(edges[e].v0).s, corner(edges[e].v1).s);
      }
    });
  }
  // Neighbouring components mostly share a cell, and a count just written is slow to read
  // again: the components are taken four streams at a time, a quarter of them apart, whose
  // cells mostly differ. A cell's handles are then ascending within each stream only.
  const std::uint32_t quarter = (components + 3) / 4;
  auto byStreams = [&](auto each) {
    // Where all four streams have a component (the last may be shorter, or empty).
    const std::uint32_t whole = components >= 3 * quarter ? components - 3 * quarter : 0;
    for (std::uint32_t i = 0; i < whole; ++i)
      each(i), each(i + quarter), each(i + 2 * quarter), each(i + 3 * quarter);
    for (std::uint32_t i = whole; i < quarter; ++i)
      for (std::uint32_t k = i; k < components; k += quarter) each(k);
  };
  cellStart_.assign(cells + 1, 0);
  std::uint32_t* starts = cellStart_.data();
  byStreams([&](std::uint32_t i) {
    if (cellOf[i] != kOut) ++starts[cellOf[i] + 1];
  });
  for (std::uint32_t c = 0; c < cells; ++c) starts[c + 1] += starts[c];
  handles_.resize(starts[cells]);
  std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
  std::uint32_t* slots = next.data();
  std::uint32_t* handles = handles_.data();
  byStreams([&](std::uint32_t i) {
    if (cellOf[i] != kOut) handles[slots[cellOf[i]]++] = i;
  });
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
