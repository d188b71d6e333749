#include "studio/render/screen_regions.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

// [SECTION] regions

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

ScreenVertex screenPlace(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                         std::uint32_t h) {
  const float* p = m.positions.data();
  switch (target) {
    case ComponentTarget::Vertices: return project(p + 3 * std::size_t{h});
    case ComponentTarget::Faces: {
      const std::uint32_t* t = &m.faces[3 * std::size_t{h}];
      return centreOf(project(p + 3 * std::size_t{t[0]}), project(p + 3 * std::size_t{t[1]}),
                      project(p + 3 * std::size_t{t[2]}));
    }
    case ComponentTarget::Edges:
    case ComponentTarget::Holes:
      return centreOf(project(p + 3 * std::size_t{m.edges()[h].v0}),
                      project(p + 3 * std::size_t{m.edges()[h].v1}));
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

// Corner codes against a box (the rectangle cut to the view), given to a face's corners as they
// are projected: a face whose corners all lie clearly inside has its centre inside, one whose
// corners all lie clearly beyond the same side has it outside, whatever the rounding of the
// centre, so only the faces near the border are placed. The margin is far above that rounding
// for any place on a view. Other regions give no codes and every face is placed.
constexpr std::uint32_t kBeyond = 15, kInside = 16;
struct BoxCodes {
  float x0, y0, x1, y1;          // clearly inside between these
  float ox0, oy0, ox1, oy1;      // clearly outside beyond these
  std::uint32_t operator()(const ScreenVertex& s) const {
    return static_cast<std::uint32_t>(s.x < ox0) | static_cast<std::uint32_t>(s.x > ox1) << 1 |
           static_cast<std::uint32_t>(s.y < oy0) << 2 | static_cast<std::uint32_t>(s.y > oy1) << 3 |
           static_cast<std::uint32_t>(s.x >= x0 && s.x <= x1 && s.y >= y0 && s.y <= y1) << 4;
  }
};
inline BoxCodes codesFor(const RectRegion& r, int w, int h) {
  constexpr float kMargin = 1.0f / 16;
  const float x0 = std::max(r.x0, 0.0f), y0 = std::max(r.y0, 0.0f);
  const float x1 = std::min(r.x1, static_cast<float>(w)), y1 = std::min(r.y1, static_cast<float>(h));
  return {x0 + kMargin, y0 + kMargin, x1 - kMargin, y1 - kMargin,
          x0 - kMargin, y0 - kMargin, x1 + kMargin, y1 + kMargin};
}
template <class Region>
NoCode codesFor(const Region&, int, int) {
  return {};
}

// Calls take(h) for the faces or edges in the region, ascending; corner(v) answers vertex v's
// screen vertex and its code.
template <class Region, class Corner, class Take>
[[gnu::always_inline]] inline void visitPlaces(const Mesh& m, ComponentTarget target,
                                               const Region& region, const VisibleDepth* depth,
                                               int w, int h, Corner corner, Take take) {
  if (target == ComponentTarget::Faces) {
    const std::uint32_t* t = m.faces.data();
    const std::uint8_t* flags = m.faceFlags.data();
    for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, t += 3) {
      if (flags[f] & kHidden) continue;
      const auto a = corner(t[0]), b = corner(t[1]), c = corner(t[2]);
      const std::uint32_t code = a.code & b.code & c.code;
      if (code & kBeyond) continue;
      if ((code & kInside) && !depth) {
        take(f);
        continue;
      }
      if (takes(region, centrePlace(a.s, b.s, c.s), depth, w, h,
                [&] { return centreDepth(a.s.depth, b.s.depth, c.s.depth); }))
        take(f);
    }
    return;
  }
  const bool boundaryOnly = target == ComponentTarget::Holes;
  const std::vector<Edge>& edges = m.edges();
  for (std::uint32_t e = 0, n = static_cast<std::uint32_t>(edges.size()); e < n; ++e) {
    const Edge& edge = edges[e];
    if ((boundaryOnly && edge.f1 != kNoFace) || (m.edgeFlags[e] & kHidden)) continue;
    const auto a = corner(edge.v0), b = corner(edge.v1);
    const std::uint32_t code = a.code & b.code;
    if (code & kBeyond) continue;
    if ((code & kInside) && !depth) {
      take(e);
      continue;
    }
    if (takes(region, centrePlace(a.s, b.s), depth, w, h,
              [&] { return centreDepth(a.s.depth, b.s.depth); }))
      take(e);
  }
}

// Calls take(h) for the components componentsInRegion answers, ascending.
template <class Region, class Take>
void visitRegion(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                 const Region& region, const VisibleDepth* depth, std::uint32_t wholeLimit,
                 Take take) {
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0) return;
  // A depth image of another size than the view cannot answer for it: nothing counts as seen.
  if (depth && (depth->width() != w || depth->height() != h)) return;
  if (target == ComponentTarget::Vertices) {
    const float* p = m.positions.data();
    const std::uint8_t* flags = m.vertexFlags.data();
    for (std::uint32_t v = 0, n = m.vertexCount(); v < n; ++v) {
      if (flags[v] & kHidden) continue;
      const ScreenVertex s = project(p + 3 * std::size_t{v});
      if (takes(region, s, depth, w, h, [&] { return s.depth; })) take(v);
    }
    return;
  }
  withScreenVertices(m, project, codesFor(region, w, h), wholeLimit, [&](auto corner) {
    visitPlaces(m, target, region, depth, w, h, corner, take);
  });}

}  // namespace

template <class Region>
void componentsInRegion(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                        const Region& region, const VisibleDepth* depth,
                        std::vector<std::uint32_t>& out, std::uint32_t wholeProjectionLimit) {
  out.clear();
  visitRegion(m, target, project, region, depth, wholeProjectionLimit, [&out](std::uint32_t h) {
    out.push_back(h);
  });
}

template <class Region>
std::size_t markInRegion(Mesh& m, ComponentTarget target, const ScreenProjector& project,
                         const Region& region, const VisibleDepth* depth, bool select) {
  std::uint8_t* flags = (target == ComponentTarget::Vertices ? m.vertexFlags
                         : target == ComponentTarget::Faces  ? m.faceFlags
                                                             : m.tableEdgeFlags())
                            .data();
  std::size_t count = 0;
  if (select)
    visitRegion(m, target, project, region, depth, kWholeProjection, [&](std::uint32_t h) {
      flags[h] |= kSelected, ++count;
    });
  else
    visitRegion(m, target, project, region, depth, kWholeProjection, [&](std::uint32_t h) {
      flags[h] &= static_cast<std::uint8_t>(~kSelected), ++count;
    });
  return count;
}

#define TESSEL_REGION(Region)                                                                   \
  template void componentsInRegion<Region>(const Mesh&, ComponentTarget, const ScreenProjector&, \
                                           const Region&, const VisibleDepth*,                  \
                                           std::vector<std::uint32_t>&, std::uint32_t);         \
  template std::size_t markInRegion<Region>(Mesh&, ComponentTarget, const ScreenProjector&,      \
                                            const Region&, const VisibleDepth*, bool);
TESSEL_REGION(RectRegion)
TESSEL_REGION(LassoRegion)
TESSEL_REGION(CircleRegion)
#undef TESSEL_REGION

}  // namespace tessel::studio
