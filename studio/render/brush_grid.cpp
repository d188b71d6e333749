#include "studio/render/brush_grid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "studio/render/face_owners.h"
#include "studio/render/seen_memo.h"

namespace tessel::studio {

void BrushGrid::clear() {
  std::vector<std::uint32_t>().swap(handles_);
  std::vector<std::uint32_t>().swap(cellStart_);
  std::vector<std::uint32_t>().swap(runFirst_);
  std::vector<std::uint16_t>().swap(runLength_);
  std::vector<std::uint8_t>().swap(cellWiden_);
  columns_ = rows_ = 0;
  ownedCount_ = 0, reach_ = 0, widest_ = 0;
  owned_ = false;
}

void BrushGrid::build(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                      const VisibleDepth* depth, const SeenMemo* memo, const FaceOwners* owners) {
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
  // Owned faces find their cells in float, exactly for fewer than 2^24 cells (any real view).
  if (target == ComponentTarget::Faces && owners && owners->fits(m) && components > 0 &&
      cells < (1u << 24)) {
    buildOwned(m, project, depth, memo, *owners);
    return;
  }
  // Counting sort: the cell of each component first (kOut when it is not selectable), then
  // the handles scattered to their cells' ranges. cellOf is written whole before it is read:
  // not zeroed first.
  constexpr std::uint32_t kOut = 0xFFFFFFFFu;
  std::unique_ptr<std::uint32_t[]> cellOf(new std::uint32_t[components]);
  const CellIndex cellAt = cellFinder();
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
      auto place = [&](std::uint32_t handle, std::uint8_t state, auto... c) {
        const ScreenVertex s = centrePlace(c...);
        const bool in =
            onView(s, w, h) && (state != SeenMemo::kUnknown || depth->centreSeen(s, c...));
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

void BrushGrid::buildOwned(const Mesh& m, const ScreenProjector& project,
                           const VisibleDepth* depth, const SeenMemo* memo,
                           const FaceOwners& owners) {
  static_assert(FaceOwners::kRun == ChunkBoxes::kRun, "a run of faces is a run of the memo");
  owned_ = true;
  const int w = project.width(), h = project.height();
  const std::uint32_t vertices = m.vertexCount(), faces = m.faceCount();
  const float* p = m.positions.data();
  const float fw = static_cast<float>(w), fh = static_cast<float>(h);
  // A face's centre lies within two thirds of its farthest corner's reach from its owner (one of
  // the three corners). The reach kept, chosen from a sample of the vertices on the view: small
  // enough that the brush's rim holds few cells, large enough that few owners are placed apart.
  std::vector<float> sample;
  const std::uint32_t every = std::max(1u, vertices / 16384);
  for (std::uint32_t v = 0; v < vertices; v += every) {
    const ScreenVertex s = project(p + 3 * std::size_t{v});
    const float r = project.reachOf(s, owners.reach(v));
    if (onView(s, w, h) && r < 4096) sample.push_back(r);
  }
  float reach = 1.0f / 16;
  if (!sample.empty()) {
    auto at = sample.begin() + static_cast<std::ptrdiff_t>(sample.size() * 49 / 50);
    std::nth_element(sample.begin(), at, sample.end());
    reach = std::max(reach, *at);
  }
  // Faces are placed within this of their cells: two thirds of the reach, with room for the
  // rounding of a centre (far below a hundredth of a pixel on any view). Owners that reach
  // farther (along a crease, or nearer the eye) are kept with a reach of 4 or 16 times this,
  // marked on their cells; beyond that their faces are placed one by one.
  reach_ = reach * 2 / 3 + 0.01f;
  constexpr std::uint32_t kOut = 0xFFFFFFFFu, kApart = 0xFFFFFFFEu, kCell = (1u << 28) - 1;
  const CellIndex cellAt = cellFinder();
  const std::uint32_t columns = cellAt.columns;
  // The code of an owner whose faces do not all lie within the least reach of its place on the
  // view: its cell and how much wider they reach, kOut when none of them can have its centre on
  // the view, kApart when they are placed one by one (near the border, far, or by the eye).
  auto wider = [&](const ScreenVertex& s, float length) __attribute__((noinline)) {
    for (std::uint32_t widen = 0; widen < 3; ++widen) {
      const float limit = reach * static_cast<float>(1u << (2 * widen));
      if (!project.reachWithin(s, length, limit)) continue;
      if (onView(s, w, h)) return cellAt(s) | widen << 28;
      const float r = limit * 2 / 3 + 0.01f;
      return s.x >= -r && s.y >= -r && s.x < fw + r && s.y < fh + r ? kApart : kOut;
    }
    // Every corner at or behind the eye: no face it owns has a place.
    return !project.orthographic() && !(project.farthestWithin(s.depth, length) > 1e-12f)
               ? kOut
               : kApart;
  };
  // Each vertex's code. Written whole before it is read: not zeroed first. The slots past the
  // last vertex are those a face placed apart reads (see byOwner below).
  std::unique_ptr<std::uint32_t[]> code(new std::uint32_t[std::size_t{vertices} + 256]);
  std::fill_n(&code[vertices], 256, kApart);
  const std::uint8_t* reaches = owners.reaches();
  const float* lengths = owners.lengths();
  auto one = [&](std::uint32_t v, const ScreenVertex& s) {
    const float length = lengths[reaches[v]];
    code[v] = project.reachWithin(s, length, reach) && onView(s, w, h) ? cellAt(s)
                                                                        : wider(s, length);
  };
#if defined(__SSE2__)
  // Four at a time, cells found in float (exact: fewer than 2^24 cells) as cellAt finds them.
  const __m128 zero = _mm_setzero_ps(), width = _mm_set1_ps(fw), height = _mm_set1_ps(fh);
  const __m128 scale = _mm_set1_ps(cellAt.perPixel), across = _mm_set1_ps(static_cast<float>(columns));
  project.lanes(p, vertices,
      [&](std::uint32_t v, __m128 x, __m128 y, __m128 d) {
        const __m128 length = _mm_setr_ps(lengths[reaches[v]], lengths[reaches[v + 1]],
                                          lengths[reaches[v + 2]], lengths[reaches[v + 3]]);
        const __m128 on = _mm_and_ps(_mm_and_ps(_mm_cmpge_ps(x, zero), _mm_cmpge_ps(y, zero)),
                                     _mm_and_ps(_mm_cmplt_ps(x, width), _mm_cmplt_ps(y, height)));
        const int fits =
            _mm_movemask_ps(_mm_and_ps(on, project.reachWithinLanes(x, y, d, length, reach)));
        const __m128 row = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_mul_ps(y, scale)));
        const __m128 column = _mm_cvtepi32_ps(_mm_cvttps_epi32(_mm_mul_ps(x, scale)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&code[v]),
                         _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(row, across), column)));
        if (fits == 0xF) [[likely]] return;
        float xs[4], ys[4], ds[4];
        _mm_storeu_ps(xs, x), _mm_storeu_ps(ys, y), _mm_storeu_ps(ds, d);
        for (std::uint32_t k = 0; k < 4; ++k)
          if (!(fits >> k & 1)) code[v + k] = wider({xs[k], ys[k], ds[k]}, lengths[reaches[v + k]]);
      },
      one);
#else
  for (std::uint32_t v = 0; v < vertices; ++v) one(v, project(p + 3 * std::size_t{v}));
#endif
  // Every face's cell in handle order, as runs of one cell (kOut for faces not in the grid):
  // run k is faces [end[k - 1], end[k]). Written without a branch for each face: a run's cell
  // and end are stored at every face and the count moves on where the cell changes, so a scan's
  // run every dozen faces costs no misprediction. Room for a run a face, touched only as used.
  std::unique_ptr<std::uint32_t[]> runCell(new std::uint32_t[std::size_t{faces} + 1]);
  std::unique_ptr<std::uint32_t[]> runEnd(new std::uint32_t[std::size_t{faces} + 1]);
  runCell[0] = kOut, runEnd[0] = 0;
  std::size_t n = 0;
  const std::uint8_t* flags = m.faceFlags.data();
  const std::uint32_t* t = m.faces.data();
  // A face placed on its own, as the plain grid places it.
  auto placed = [&](std::uint32_t f, bool test) __attribute__((noinline)) {
    const std::uint32_t* c = t + 3 * std::size_t{f};
    const ScreenVertex a = project(p + 3 * std::size_t{c[0]}),
                       b = project(p + 3 * std::size_t{c[1]}),
                       d = project(p + 3 * std::size_t{c[2]});
    const ScreenVertex s = centrePlace(a, b, d);
    const bool in = onView(s, w, h) && (!test || depth->centreSeen(s, a, b, d));
    return in ? cellAt(s) : kOut;
  };
  const std::uint8_t* steps = owners.steps();
  const std::uint32_t* cells = code.get();
  // The open run's cell kept apart from the stores: reading it back would chain every face to
  // the store before it.
  std::uint32_t openCell = kOut;
  auto add = [&](std::uint32_t f, std::uint32_t cell) {
    n += cell != openCell;
    openCell = cell;
    runCell[n] = cell, runEnd[n] = f + 1;
  };
  // The cell of a face's owner (kUnowned reads a slot past the vertices' codes, then dropped),
  // or of the face itself when it is placed apart.
  auto byOwner = [&](std::uint32_t f, std::uint32_t base) {
    const std::uint8_t step = steps[f];
    std::uint32_t cell = cells[base + step];
    cell = step == FaceOwners::kUnowned ? kApart : cell;
    if (cell == kApart) [[unlikely]] cell = placed(f, false);
    return cell;
  };
  for (std::uint32_t first = 0; first < faces; first += FaceOwners::kRun) {
    const std::uint32_t last = std::min(faces, first + FaceOwners::kRun);
    const std::uint32_t base = owners.base(first / FaceOwners::kRun);
    const std::uint8_t state = !depth ? std::uint8_t{SeenMemo::kAll}
                               : memo ? memo->run(first / ChunkBoxes::kRun)
                                      : std::uint8_t{SeenMemo::kUnknown};
    std::uint8_t hidden = 0;
    for (std::uint32_t f = first; f < last; ++f) hidden |= flags[f];
    hidden &= kHidden;
    if (state == SeenMemo::kAll && !hidden) {
      for (std::uint32_t f = first; f < last; ++f) add(f, byOwner(f, base));
    } else if (state != SeenMemo::kUnknown) {
      for (std::uint32_t f = first; f < last; ++f) {
        const bool out = (flags[f] & kHidden) || (state == SeenMemo::kSome && !memo->seen(f));
        add(f, out ? kOut : byOwner(f, base));
      }
    } else {
      // Not yet tested against the depth image: each face placed and tested.
      for (std::uint32_t f = first; f < last; ++f)
        add(f, flags[f] & kHidden ? kOut : placed(f, true));
    }
  }
  // Runs sorted by cell, as the plain grid sorts components: counted, then scattered, a run
  // longer than a length holds cut in pieces; each cell keeps the widest reach of its runs.
  constexpr std::uint32_t kLongest = 0xFFFF;
  const std::uint32_t cellCount = columns * static_cast<std::uint32_t>(rows_);
  cellStart_.assign(cellCount + 1, 0);
  cellWiden_.assign(cellCount, 0);
  std::size_t pieces = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    if (runCell[k] == kOut) continue;
    const std::uint32_t c = runCell[k] & kCell, length = runEnd[k] - runEnd[k - 1];
    const std::uint32_t cut = (length + kLongest - 1) / kLongest;
    cellStart_[c + 1] += cut, pieces += cut;
    cellWiden_[c] = std::max(cellWiden_[c], static_cast<std::uint8_t>(runCell[k] >> 28));
    widest_ = std::max(widest_, cellWiden_[c]);
  }
  for (std::uint32_t c = 0; c < cellCount; ++c) cellStart_[c + 1] += cellStart_[c];
  runFirst_.resize(pieces);
  runLength_.resize(pieces);
  std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
  for (std::size_t k = 1; k <= n; ++k) {
    if (runCell[k] == kOut) continue;
    std::uint32_t& at = next[runCell[k] & kCell];
    for (std::uint32_t f = runEnd[k - 1]; f < runEnd[k]; f += kLongest, ++at) {
      runFirst_[at] = f;
      runLength_[at] = static_cast<std::uint16_t>(std::min(kLongest, runEnd[k] - f));
    }
    ownedCount_ += runEnd[k] - runEnd[k - 1];
  }
}

template <class Whole, class Rim>
void BrushGrid::cellsUnder(float cx, float cy, float radius, int width, int height, Whole whole,
                           Rim rim) const {
  if (cellStart_.size() < 2 || !(radius >= 0) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const int cell = cellPixels_;
  // How far from its cell a component may lie: nowhere but in it, unless faces are kept by
  // their owners.
  double reachOf[3] = {0, 0, 0};
  if (owned_)
    for (int k = 0; k < 3; ++k) reachOf[k] = (double{reach_} - 0.01) * (1 << (2 * k)) + 0.01;
  const double outer = double{radius} + reachOf[owned_ ? widest_ : 0] + 1e-3;
  if (cx + outer < 0 || cy + outer < 0 || cx - outer >= columns_ * cell ||
      cy - outer >= rows_ * cell)
    return;
  auto cellIndex = [cell](double v, int limit) {
    const double c = std::floor(v / cell);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(limit - 1)));
  };
  const int r0 = cellIndex(cy - outer, rows_), r1 = cellIndex(cy + outer, rows_);
  for (int r = r0; r <= r1; ++r) {
    // Each grid row is visited across the circle's chord over it only.
    const double y0 = r * cell, y1 = (r + 1) * cell;
    const double dy = std::max({0.0, y0 - double{cy}, double{cy} - y1});
    if (dy > outer) continue;
    const double chord = std::sqrt(outer * outer - dy * dy);
    const double farY = std::max(std::abs(y0 - double{cy}), std::abs(y1 - double{cy}));
    const int c0 = cellIndex(cx - chord, columns_), c1 = cellIndex(cx + chord, columns_);
    const std::size_t rowCells = static_cast<std::size_t>(r) * columns_;
    // Neighbouring cells wholly inside are one range of slots, taken at once.
    std::uint32_t wholeBegin = 0, wholeEnd = 0;
    for (int c = c0; c <= c1; ++c) {
      const std::size_t at = rowCells + c;
      const std::uint32_t begin = cellStart_[at], end = cellStart_[at + 1];
      if (begin == end) continue;
      const double reach = reachOf[owned_ ? cellWiden_[at] : 0];
      const double x0 = c * cell, x1 = (c + 1) * cell;
      const double dx = std::max({0.0, x0 - double{cx}, double{cx} - x1});
      const double near = double{radius} + reach + 1e-3;
      if (dx * dx + dy * dy > near * near) continue;
      // Wholly inside when the cell widened by its reach is inside the brush, with room for the
      // circle test's rounding (far below a thousandth of a pixel), and on the view: only owned
      // faces may lie off it.
      const double inner = double{radius} - 1e-3 - reach;
      const double farX = std::max(std::abs(x0 - double{cx}), std::abs(x1 - double{cx}));
      const bool onTheView = !owned_ || (x0 - reach >= 0 && y0 - reach >= 0 &&
                                         x1 + reach < width && y1 + reach < height);
      if (inner >= 0 && onTheView && farX * farX + farY * farY <= inner * inner) {
        if (begin != wholeEnd) {
          if (wholeEnd > wholeBegin) whole(wholeBegin, wholeEnd);
          wholeBegin = begin;
        }
        wholeEnd = end;
      } else {
        rim(begin, end);
      }
    }
    if (wholeEnd > wholeBegin) whole(wholeBegin, wholeEnd);
  }
}

template <class Take>
void BrushGrid::visit(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                      float radius, Take take) const {
  const CircleRegion circle{cx, cy, radius};
  cellsUnder(cx, cy, radius, project.width(), project.height(), take,
             [&](std::uint32_t begin, std::uint32_t end) {
               for (std::uint32_t k = begin; k < end; ++k) {
                 const ScreenVertex s = screenPlace(m, target_, project, handles_[k], false);
                 if (circle.contains(s.x, s.y)) take(k, k + 1);
               }
             });
}

template <class Take>
void BrushGrid::visitOwned(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                           float radius, Take take) const {
  const CircleRegion circle{cx, cy, radius};
  const int w = project.width(), h = project.height();
  // The faces of a run share most of their corners: each corner is projected once while it
  // stays in a small cache, and a face is placed from its corners as screenPlace places it.
  struct Corner {
    std::uint32_t v;
    ScreenVertex s;
  };
  constexpr std::uint32_t kCorners = 256;
  std::array<Corner, kCorners> corners;
  corners.fill({0xFFFFFFFFu, {}});
  const float* p = m.positions.data();
  auto corner = [&](std::uint32_t v) {
    Corner& c = corners[v % kCorners];
    if (c.v != v) c = {v, project(p + 3 * std::size_t{v})};
    return c.s;
  };
  const std::uint32_t* t = m.faces.data();
  cellsUnder(
      cx, cy, radius, w, h,
      [&](std::uint32_t begin, std::uint32_t end) {
        for (std::uint32_t k = begin; k < end; ++k)
          take(runFirst_[k], runFirst_[k] + runLength_[k]);
      },
      [&](std::uint32_t begin, std::uint32_t end) {
        for (std::uint32_t k = begin; k < end; ++k)
          for (std::uint32_t f = runFirst_[k], last = f + runLength_[k]; f < last; ++f) {
            const std::uint32_t* c = t + 3 * std::size_t{f};
            const ScreenVertex s = centrePlace(corner(c[0]), corner(c[1]), corner(c[2]));
            if (onView(s, w, h) && circle.contains(s.x, s.y)) take(f, f + 1);
          }
      });
}

void BrushGrid::query(const Mesh& m, const ScreenProjector& project, float cx, float cy,
                      float radius, std::vector<std::uint32_t>& out) const {
  if (owned()) {
    visitOwned(m, project, cx, cy, radius, [&](std::uint32_t first, std::uint32_t last) {
      for (std::uint32_t f = first; f < last; ++f) out.push_back(f);
    });
    return;
  }
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
  if (owned()) {
    visitOwned(m, project, cx, cy, radius, [&](std::uint32_t first, std::uint32_t last) {
      for (std::uint32_t f = first; f < last; ++f)
        flags[f] = static_cast<std::uint8_t>((flags[f] & keep) | set);
      count += last - first;
    });
    return count;
  }
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
