#include "studio/render/screen_regions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "studio/render/chunk_boxes.h"
#include "studio/render/seen_memo.h"

namespace tessel::studio {

// [SECTION] regions

void RectRegion::classifyPixels(int width, int height, std::uint8_t* out) const {
  // Pixel p spans [p, p + 1): wholly inside [lo, hi] when p >= lo and p + 1 <= hi, wholly
  // outside when p + 1 <= lo or p > hi (whole numbers are exact in float).
  auto classOf = [](float lo, float hi, int p) {
    const auto a = static_cast<float>(p), b = static_cast<float>(p + 1);
    if (a >= lo && b <= hi) return kClassIn;
    if (b <= lo || a > hi) return kClassOut;
    return kClassMixed;
  };
  std::vector<std::uint8_t> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) columns[static_cast<std::size_t>(x)] = classOf(x0, x1, x);
  // A row inside has its columns' classes, a row outside none inside, a row across the border
  // (at most two) mixed wherever a column is not outside.
  for (int y = 0; y < height; ++y, out += width) {
    const std::uint8_t row = classOf(y0, y1, y);
    if (row == kClassIn) {
      std::copy(columns.begin(), columns.end(), out);
    } else if (row == kClassOut) {
      std::fill(out, out + width, kClassOut);
    } else {
      for (int x = 0; x < width; ++x)
        out[x] = columns[static_cast<std::size_t>(x)] == kClassOut ? kClassOut : kClassMixed;
    }
  }
}

ScanEdge unwidened(const ScanEdge& e) {
  // The tool moved each end half a pixel away from the other along y; a level edge stayed.
  if (e.y0 > e.y1) return {e.x0, e.y0 - 0.5f, e.x1, e.y1 + 0.5f};
  if (e.y0 < e.y1) return {e.x0, e.y0 + 0.5f, e.x1, e.y1 - 0.5f};
  return e;
}

LassoRegion::LassoRegion(std::span<const ScanEdge> edges, std::span<const std::uint32_t> rowStart)
    : rowStart_(rowStart.begin(), rowStart.end()),
      minY_(INFINITY), maxY_(-INFINITY) {
  edges_.reserve(edges.size());
  for (const ScanEdge& widened : edges) {
    const ScanEdge e = unwidened(widened);
    edges_.push_back({e.x1, e.y1, e.x0, e.y0});
    minY_ = std::min({minY_, e.y0, e.y1}), maxY_ = std::max({maxY_, e.y0, e.y1});
  }
  bool wellFormed = !rowStart_.empty() && rowStart_.back() <= edges_.size();
  for (std::size_t r = 1; wellFormed && r < rowStart_.size(); ++r)
    wellFormed = rowStart_[r - 1] <= rowStart_[r];
  if (!wellFormed) {
    // A table whose rows point past its edges selects nothing rather than read beyond them.
    edges_.clear();
    rowStart_.assign(1, 0);
  }
  // The runs of each row. Off every edge's x extent (widened by far more than the crossing
  // test's rounding) no crossing can change along the row, so the count at the run's middle
  // answers for all of it; the outermost runs are outside.
  constexpr double kClear = 1.0 / 64;
  const std::size_t rows = rowStart_.size() - 1;
  rowLimit_ = static_cast<float>(rows);
  cutStart_.assign(1, 0);
  std::vector<std::pair<double, double>> extents;
  for (std::size_t r = 0; r < rows; ++r) {
    extents.clear();
    for (std::uint32_t k = rowStart_[r]; k < rowStart_[r + 1]; ++k) {
      const Segment& s = edges_[k];
      double lo = std::min(s.xi, s.xj) - kClear, hi = std::max(s.xi, s.xj) + kClear;
      if (!std::isfinite(lo) || !std::isfinite(hi)) lo = -INFINITY, hi = INFINITY;
      extents.push_back({lo, hi});
    }
    std::sort(extents.begin(), extents.end());
    const std::size_t rowCuts = cuts_.size();
    for (const auto& [lo, hi] : extents) {
      if (cuts_.size() > rowCuts && lo <= cuts_.back()) {
        cuts_.back() = std::max(cuts_.back(), std::nextafter(static_cast<float>(hi), INFINITY));
        continue;
      }
      // Rounded outwards to float, so the runs beside edges only grow.
      cuts_.push_back(std::nextafter(static_cast<float>(lo), -INFINITY));
      cuts_.push_back(std::nextafter(static_cast<float>(hi), INFINITY));
    }
    runInside_.push_back(0);
    for (std::size_t c = rowCuts + 1; c + 1 < cuts_.size(); c += 2) {
      const double middle = (double{cuts_[c]} + cuts_[c + 1]) / 2;
      runInside_.push_back(crossings(r, middle, static_cast<double>(r) + 0.5));
    }
    if (cuts_.size() > rowCuts) runInside_.push_back(0);
    cutStart_.push_back(static_cast<std::uint32_t>(cuts_.size()));
  }
}

void LassoRegion::classifyPixels(int width, int height, std::uint8_t* out) const {
  for (int y = 0; y < height; ++y, out += width) {
    const auto top = static_cast<float>(y), bottom = static_cast<float>(y + 1);
    // contains() answers false above minY_, below maxY_ and past the table's rows; a row only
    // partly within that span depends on where in it a point is.
    if (bottom <= minY_ || top > maxY_ || top >= rowLimit_) {
      std::fill(out, out + width, kClassOut);
      continue;
    }
    if (!(top >= minY_ && bottom <= maxY_ && bottom <= rowLimit_)) {
      std::fill(out, out + width, kClassMixed);
      continue;
    }
    // A point's run is the count of the row's cuts at or left of it: pixel [x, x + 1) is in one
    // run when no cut lies strictly inside it, and that run is clear when the count is even.
    const auto row = static_cast<std::size_t>(y);
    const std::uint32_t first = cutStart_[row], last = cutStart_[row + 1];
    // Filled a span at a time: every pixel before the next cut's is in pixel x's run.
    std::uint32_t k = first;  // cuts_[first .. k) are at or left of x
    for (int x = 0; x < width;) {
      while (k < last && cuts_[k] <= static_cast<float>(x)) ++k;
      const std::uint32_t count = k - first;
      int end = width;
      if (k < last && cuts_[k] < static_cast<float>(width))
        end = static_cast<int>(std::floor(cuts_[k]));
      if (end <= x) {  // the next cut lies inside pixel x
        out[x++] = kClassMixed;
        continue;
      }
      std::fill(out + x, out + end,
                count % 2 != 0 ? kClassMixed : runInside_[(first + count) / 2 + row]);
      x = end;
    }
  }
}

bool LassoRegion::crossings(std::size_t row, double x, double y) const {
  bool in = false;
  // The crossing rule of pointInPolygon, operand for operand.
  for (std::uint32_t k = rowStart_[row], end = rowStart_[row + 1]; k < end; ++k) {
    const Segment& s = edges_[k];
    if ((s.yi > y) != (s.yj > y) && x < (s.xj - s.xi) * (y - s.yi) / (s.yj - s.yi) + s.xi)
      in = !in;
  }
  return in;
}

// [SECTION] visibility

VisibleDepth::VisibleDepth(const DepthImage& image)
    : width_(image.empty() ? 0 : image.width), height_(image.empty() ? 0 : image.height) {
  if (width_ <= 0 || height_ <= 0) {
    width_ = height_ = 0;
    return;
  }
  // Separable: the farthest of three along each row, then of three such rows.
  const auto w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  std::vector<float> across(w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const float* in = &image.depth[y * w];
    float* out = &across[y * w];
    for (std::size_t x = 0; x < w; ++x) {
      float m = in[x];
      if (x > 0) m = std::max(m, in[x - 1]);
      if (x + 1 < w) m = std::max(m, in[x + 1]);
      out[x] = m;
    }
  }
  farthest_.resize(w * h);
  for (std::size_t y = 0; y < h; ++y)
    for (std::size_t x = 0; x < w; ++x) {
      float m = across[y * w + x];
      if (y > 0) m = std::max(m, across[(y - 1) * w + x]);
      if (y + 1 < h) m = std::max(m, across[(y + 1) * w + x]);
      farthest_[y * w + x] = m;
    }
}

// [SECTION] selection

std::uint32_t componentCount(const Mesh& m, ComponentTarget target) {
  switch (target) {
    case ComponentTarget::Vertices: return m.vertexCount();
    case ComponentTarget::Faces: return m.faceCount();
    case ComponentTarget::Edges:
    case ComponentTarget::Holes: return static_cast<std::uint32_t>(m.edges().size());
  }
  return 0;
}

ScreenVertex screenPlace(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                         std::uint32_t h, bool withDepth) {
  const float* p = m.positions.data();
  const auto at = [&](std::uint32_t v) { return project(p + 3 * std::size_t{v}); };
  switch (target) {
    case ComponentTarget::Vertices: return at(h);
    case ComponentTarget::Faces: {
      const std::uint32_t* t = &m.faces[3 * std::size_t{h}];
      const ScreenVertex a = at(t[0]), b = at(t[1]), c = at(t[2]);
      return withDepth ? centreOf(a, b, c) : centrePlace(a, b, c);
    }
    case ComponentTarget::Edges:
    case ComponentTarget::Holes: {
      const ScreenVertex a = at(m.edges()[h].v0), b = at(m.edges()[h].v1);
      return withDepth ? centreOf(a, b) : centrePlace(a, b);
    }
  }
  return {NAN, NAN, 0};
}

namespace {

// depthOf() gives the place's depth, asked only of places in the region: for a face or an edge
// it costs divisions the places outside never need.
template <class Region, class DepthOf>
[[gnu::always_inline]] inline bool takes(const Region& region, const ScreenVertex& s,
                                         const VisibleDepth* depth, int w, int h,
                                         DepthOf depthOf) {
  if (!region.contains(s.x, s.y) || !onView(s, w, h)) return false;
  return !depth || depth->visible(s.x, s.y, depthOf());
}

// For corners of one class by their codes (region_codes.h): 1 taken, 0 not, -1 when the place
// decides.
// Corners of an inside code within a pixel of each other may be decided for "visible only" too.
template <std::size_t N>
[[gnu::always_inline]] inline int sharedCode(const RegionCodes& codes, std::uint8_t shared,
                                             const VisibleDepth* depth,
                                             const std::array<ScreenVertex, N>& c) {
  if (shared == kClassOut) return 0;
  if (shared == kClassMixed) return -1;
  if (!depth) return 1;
  float x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y, d0 = c[0].depth, d1 = c[0].depth;
  for (std::size_t k = 1; k < N; ++k) {
    x0 = std::min(x0, c[k].x), x1 = std::max(x1, c[k].x);
    y0 = std::min(y0, c[k].y), y1 = std::max(y1, c[k].y);
    d0 = std::min(d0, c[k].depth), d1 = std::max(d1, c[k].depth);
  }
  // Short of a whole pixel, so that rounding cannot carry the centre two pixels away.
  if (!(x1 - x0 <= 0.99f && y1 - y0 <= 0.99f)) return -1;
  return codes.seen(c[0], d0, d1);
}

// Calls each(first, last, cls) over [0, n) in the order of the components: with the classes of
// runs of ChunkBoxes::kRun (`runs`), run by run, leaving out runs wholly out of the region and
// giving the class of those wholly in (kClassIn); without, once over all of them as mixed.
template <class Each>
[[gnu::always_inline]] inline void byChunks(std::uint32_t n, const std::vector<std::uint8_t>& runs,
                                            Each each) {
  if (runs.empty()) {
    each(0u, n, kClassMixed);
    return;
  }
  for (std::uint32_t c = 0, count = static_cast<std::uint32_t>(runs.size()); c < count; ++c) {
    if (runs[c] == kClassOut) continue;
    const std::uint32_t first = c * ChunkBoxes::kRun;
    each(first, std::min(n, first + ChunkBoxes::kRun), runs[c]);
  }
}

// What the loops below read, passed by value so that the flags a selection writes (bytes, which
// may alias anything) do not make the compiler read it again for every component.
template <class Region>
struct RegionTest {
  const Region* region;
  const RegionCodes* codes;
  const VisibleDepth* depth;
  int w, h;
};

// Faces first .. last, each decided by its corners' codes where they answer; all of them in the
// region when `inside`.
template <class Region, class Corner, class Take>
[[gnu::always_inline]] inline void faceRange(const Mesh& m, std::uint32_t first, std::uint32_t last,
                                             bool inside, RegionTest<Region> test,
                                             Corner& cornerOf, Take& take) {
  Corner corner = cornerOf;
  const RegionCodes& codes = *test.codes;
  const std::uint8_t* flags = m.faceFlags.data();
  const std::uint32_t* t = &m.faces[3 * std::size_t{first}];
  for (std::uint32_t f = first; f < last; ++f, t += 3) {
    if (flags[f] & kHidden) continue;
    const auto a = corner(t[0]), b = corner(t[1]), c = corner(t[2]);
    const std::uint8_t cls = inside                                   ? kClassIn
                             : a.code == b.code && a.code == c.code ? static_cast<std::uint8_t>(a.code & 3)
                                                                     : codes.neighbours(a.code, b.code, c.code);
    const int shared = sharedCode(codes, cls, test.depth, std::array{a.s, b.s, c.s});
    if (shared >= 0) {
      if (shared) take(f);
      continue;
    }
    if (takes(*test.region, centrePlace(a.s, b.s, c.s), test.depth, test.w, test.h,
              [&] { return centreDepth(a.s.depth, b.s.depth, c.s.depth); }))
      take(f);
  }
  cornerOf = corner;
}

// Edges first .. last, as faceRange.
template <class Region, class Corner, class Take>
[[gnu::always_inline]] inline void edgeRange(const Mesh& m, std::uint32_t first, std::uint32_t last,
                                             bool boundaryOnly, RegionTest<Region> test,
                                             Corner& cornerOf, Take& take) {
  Corner corner = cornerOf;
  const RegionCodes& codes = *test.codes;
  const Edge* edges = m.edges().data();
  const std::uint8_t* flags = m.edgeFlags.data();
  for (std::uint32_t e = first; e < last; ++e) {
    const Edge& edge = edges[e];
    if ((boundaryOnly && edge.f1 != kNoFace) || (flags[e] & kHidden)) continue;
    const auto a = corner(edge.v0), b = corner(edge.v1);
    const std::uint8_t cls = a.code == b.code ? static_cast<std::uint8_t>(a.code & 3)
                                              : codes.neighbours(a.code, b.code, b.code);
    const int shared = sharedCode(codes, cls, test.depth, std::array{a.s, b.s});
    if (shared >= 0) {
      if (shared) take(e);
      continue;
    }
    if (takes(*test.region, centrePlace(a.s, b.s), test.depth, test.w, test.h,
              [&] { return centreDepth(a.s.depth, b.s.depth); }))
      take(e);
  }
  cornerOf = corner;
}

// Vertices first .. first + count, projected into `run`, each decided by its pixel's class where
// that answers; all of them in the region when `inside`.
template <class Region, class Take>
[[gnu::always_inline]] inline void vertexSpan(const Mesh& m, const ScreenVertex* run,
                                              std::uint32_t first, std::uint32_t count,
                                              bool inside, RegionTest<Region> test, Take& take) {
  const std::uint8_t* flags = m.vertexFlags.data();
  const RegionCodes& codes = *test.codes;
  for (std::uint32_t k = 0; k < count; ++k) {
    const ScreenVertex& s = run[k];
    if (!inside) {
      if (!onView(s, test.w, test.h)) continue;
      const std::uint8_t c = codes.pixel(s.x, s.y);
      if (c == kClassOut || (c == kClassMixed && !test.region->contains(s.x, s.y))) continue;
    }
    if (flags[first + k] & kHidden) continue;
    if (!test.depth || test.depth->visible(s.x, s.y, s.depth)) take(first + k);
  }
}

// Vertices begin .. end, projected a run at a time, as vertexSpan.
template <class Region, class Take>
[[gnu::always_inline]] inline void vertexRange(const Mesh& m, const ScreenProjector& project,
                                               std::uint32_t begin, std::uint32_t end,
                                               bool inside, RegionTest<Region> test, Take& take) {
  constexpr std::uint32_t kRun = 256;
  ScreenVertex run[kRun];
  for (std::uint32_t first = begin; first < end; first += kRun) {
    const std::uint32_t count = std::min(kRun, end - first);
    project.run(&m.positions[3 * std::size_t{first}], count, run);
    vertexSpan(m, run, first, count, inside, test, take);
  }
}

// Calls take(h) for the components componentsInRegion answers, ascending, and takeRun(first,
// last) for runs of them wholly in the region, whose hidden ones takeRun leaves out.
template <class Region, class Take, class TakeRun>
void visitRegion(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                 const Region& region, const VisibleDepth* depth, std::uint32_t wholeLimit,
                 const ChunkBoxes* chunks, SeenMemo* memo, Take take, TakeRun takeRun) {
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0) return;
  // A depth image of another size than the view cannot answer for it: nothing counts as seen.
  if (depth && (depth->width() != w || depth->height() != h)) return;
  if (chunks && !chunks->fits(m, target)) chunks = nullptr;
  const std::uint32_t count = componentCount(m, target);
  // With a memo of the depth test (sharing the boxes' runs), regions are decided as when
  // selecting through, and what they take is kept to what the memo has seen.
  if (!depth || !chunks || target == ComponentTarget::Holes || (memo && !memo->fits(target, count)))
    memo = nullptr;
  const VisibleDepth* tested = memo ? nullptr : depth;  // what the loops below test against
  const RegionCodes codes(region, w, h, tested,
                          target != ComponentTarget::Vertices ? RegionCodes::Asks::Places
                          : chunks                            ? RegionCodes::Asks::Blocks
                                                              : RegionCodes::Asks::Pixels);
  const RegionTest<Region> test{&region, &codes, tested, w, h};
  // A run wholly inside is taken whole unless each of its components still faces the depth test.
  const bool takesRuns = !tested && target != ComponentTarget::Holes;
  std::vector<std::uint8_t> runs;  // the class of each run, when there are boxes
  std::size_t placed = 0;          // runs whose components are placed one by one
  if (chunks) {
    runs.resize(chunks->count());
    for (std::uint32_t c = 0; c < runs.size(); ++c) {
      runs[c] = chunks->classify(c, project, codes);
      placed += runs[c] == kClassMixed || (runs[c] == kClassIn && !takesRuns) ||
                (memo && runs[c] == kClassIn && memo->run(c) == SeenMemo::kUnknown);
    }
  }
  // The memo's part: a run's answers found when first reached (seen(h) of its components), then
  // the run taken whole where all of it is seen, else the components seen among those `inside`
  // or the region's loop (`place`) would take.
  const std::uint8_t* flags = target == ComponentTarget::Vertices ? m.vertexFlags.data()
                              : target == ComponentTarget::Faces  ? m.faceFlags.data()
                                                                  : m.edgeFlags.data();
  auto takeSeen = [&](std::uint32_t handle) {
    if (memo->seen(handle)) take(handle);
  };
  auto byMemo = [&](std::uint32_t first, std::uint32_t last, std::uint8_t cls, auto seen,
                    auto place) {
    const std::uint32_t c = first / ChunkBoxes::kRun;
    if (memo->run(c) == SeenMemo::kUnknown) memo->fill(c, seen);
    if (cls != kClassIn) return place();
    if (memo->run(c) == SeenMemo::kAll) return takeRun(first, last);
    for (std::uint32_t k = first; k < last; ++k)
      if (memo->seen(k) && !(flags[k] & kHidden)) take(k);
  };
  // Whether a place passes the depth test: for a centre, its depth lies between its corners'
  // nearest and farthest, which mostly decide without it.
  auto onSurface = [&](const ScreenVertex& s, float nearest, float farthest, auto exact) {
    return onView(s, w, h) && depth->visibleWithin(s.x, s.y, nearest, farthest, exact);
  };
  if (target == ComponentTarget::Vertices) {
    byChunks(count, runs, [&](std::uint32_t first, std::uint32_t last, std::uint8_t cls) {
      if (memo) {
        // Projected once for both the memo and the region, when either needs it.
        ScreenVertex run[ChunkBoxes::kRun];
        const bool projected =
            memo->run(first / ChunkBoxes::kRun) == SeenMemo::kUnknown || cls != kClassIn;
        if (projected) project.run(&m.positions[3 * std::size_t{first}], last - first, run);
        return byMemo(
            first, last, cls,
            [&](std::uint32_t v) {
              const ScreenVertex& s = run[v - first];
              return onSurface(s, s.depth, s.depth, [&] { return s.depth; });
            },
            [&] { vertexSpan(m, run, first, last - first, false, test, takeSeen); });
      }
      if (cls == kClassIn && takesRuns) return takeRun(first, last);
      vertexRange(m, project, first, last, cls == kClassIn, test, take);
    });
    return;
  }
  const bool most = runs.empty() || 2 * placed >= runs.size();
  withScreenVertices(m, project, codes, wholeLimit, most, [&](auto corner) {
    if (target == ComponentTarget::Faces) {
      const std::uint32_t* t = m.faces.data();
      byChunks(count, runs, [&](std::uint32_t first, std::uint32_t last, std::uint8_t cls) {
        if (memo) {
          return byMemo(
              first, last, cls,
              [&](std::uint32_t f) {
                const std::uint32_t* v = t + 3 * std::size_t{f};
                const ScreenVertex a = corner(v[0]).s, b = corner(v[1]).s, c = corner(v[2]).s;
                return onSurface(centrePlace(a, b, c), std::min({a.depth, b.depth, c.depth}),
                                 std::max({a.depth, b.depth, c.depth}),
                                 [&] { return centreDepth(a.depth, b.depth, c.depth); });
              },
              [&] { faceRange(m, first, last, false, test, corner, takeSeen); });
        }
        if (cls == kClassIn && takesRuns) return takeRun(first, last);
        faceRange(m, first, last, cls == kClassIn, test, corner, take);
      });
      return;
    }
    const bool boundaryOnly = target == ComponentTarget::Holes;
    const Edge* edges = m.edges().data();
    byChunks(count, runs, [&](std::uint32_t first, std::uint32_t last, std::uint8_t cls) {
      if (memo) {
        return byMemo(
            first, last, cls,
            [&](std::uint32_t e) {
              const ScreenVertex a = corner(edges[e].v0).s, b = corner(edges[e].v1).s;
              return onSurface(centrePlace(a, b), std::min(a.depth, b.depth),
                               std::max(a.depth, b.depth),
                               [&] { return centreDepth(a.depth, b.depth); });
            },
            [&] { edgeRange(m, first, last, boundaryOnly, test, corner, takeSeen); });
      }
      if (cls == kClassIn && takesRuns) return takeRun(first, last);
      edgeRange(m, first, last, boundaryOnly, test, corner, take);
    });
  });
}

// The flags of the target's components, the edge table built first for edges.
const std::vector<std::uint8_t>& flagsOf(const Mesh& m, ComponentTarget target) {
  if (target == ComponentTarget::Vertices) return m.vertexFlags;
  if (target == ComponentTarget::Faces) return m.faceFlags;
  m.edges();
  return m.edgeFlags;
}

}  // namespace

template <class Region>
void componentsInRegion(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                        const Region& region, const VisibleDepth* depth,
                        std::vector<std::uint32_t>& out, std::uint32_t wholeProjectionLimit,
                        const ChunkBoxes* chunks, SeenMemo* memo) {
  out.clear();
  const std::uint8_t* flags = flagsOf(m, target).data();
  visitRegion(
      m, target, project, region, depth, wholeProjectionLimit, chunks, memo,
      [&out](std::uint32_t h) { out.push_back(h); },
      [&](std::uint32_t first, std::uint32_t last) {
        for (std::uint32_t h = first; h < last; ++h)
          if (!(flags[h] & kHidden)) out.push_back(h);
      });
}

template <class Region>
std::size_t markInRegion(Mesh& m, ComponentTarget target, const ScreenProjector& project,
                         const Region& region, const VisibleDepth* depth, bool select,
                         const ChunkBoxes* chunks, SeenMemo* memo) {
  std::uint8_t* flags = (target == ComponentTarget::Vertices ? m.vertexFlags
                         : target == ComponentTarget::Faces  ? m.faceFlags
                                                             : m.tableEdgeFlags())
                            .data();
  std::size_t count = 0;
  const auto keep = static_cast<std::uint8_t>(~kSelected);
  const std::uint8_t set = select ? kSelected : 0;
  visitRegion(
      m, target, project, region, depth, kWholeProjection, chunks, memo,
      [&](std::uint32_t h) {
        flags[h] = static_cast<std::uint8_t>((flags[h] & keep) | set), ++count;
      },
      [&](std::uint32_t first, std::uint32_t last) {
        // Eight flags a word: kSelected set or cleared where kHidden is not.
        static_assert(kSelected == 1 && kHidden == 2);
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        std::size_t taken = 0;
        std::uint32_t h = first;
        for (; h + 8 <= last; h += 8) {
          std::uint64_t word;
          std::memcpy(&word, flags + h, 8);
          const std::uint64_t shown = ~(word >> 1) & kOnes;
          word = (word & ~shown) | (select ? shown : 0);
          std::memcpy(flags + h, &word, 8);
          // One bit a byte: their sum lands in the top byte (a multiply, not a library call
          // where the processor's population count is not assumed).
          taken += static_cast<std::size_t>((shown * kOnes) >> 56);
        }
        for (; h < last; ++h) {
          const bool shown = !(flags[h] & kHidden);
          if (shown) flags[h] = static_cast<std::uint8_t>((flags[h] & keep) | set), ++taken;
        }
        count += taken;
      });
  return count;
}

void learnSeen(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
               const VisibleDepth& depth, const ChunkBoxes& chunks, SeenMemo& memo) {
  // A region of the whole view reaches every run with a component on it; what it takes is not
  // wanted, only what the memo learns on the way. Corners come through the window, never a
  // fresh place for every vertex: this runs right after the image is drawn, and fresh pages
  // there cost four times the test itself (75 against 17 ms for a million vertices' faces).
  const RectRegion view{0, 0, static_cast<float>(project.width()),
                        static_cast<float>(project.height())};
  visitRegion(m, target, project, view, &depth, 0, &chunks, &memo,
              [](std::uint32_t) {}, [](std::uint32_t, std::uint32_t) {});
}

#define TESSEL_REGION(Region)                                                                   \
  template void componentsInRegion<Region>(const Mesh&, ComponentTarget, const ScreenProjector&, \
                                           const Region&, const VisibleDepth*,                  \
                                           std::vector<std::uint32_t>&, std::uint32_t,          \
                                           const ChunkBoxes*, SeenMemo*);                       \
  template std::size_t markInRegion<Region>(Mesh&, ComponentTarget, const ScreenProjector&,      \
                                            const Region&, const VisibleDepth*, bool,           \
                                            const ChunkBoxes*, SeenMemo*);
TESSEL_REGION(RectRegion)
TESSEL_REGION(LassoRegion)
TESSEL_REGION(CircleRegion)
#undef TESSEL_REGION

}  // namespace tessel::studio
