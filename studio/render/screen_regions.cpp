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
      minX_(INFINITY), minY_(INFINITY), maxX_(-INFINITY), maxY_(-INFINITY) {
  edges_.reserve(edges.size());
  for (const ScanEdge& widened : edges) {
    const ScanEdge e = unwidened(widened);
    edges_.push_back({e.x1, e.y1, e.x0, e.y0});
    minX_ = std::min({minX_, e.x0, e.x1}), maxX_ = std::max({maxX_, e.x0, e.x1});
    minY_ = std::min({minY_, e.y0, e.y1}), maxY_ = std::max({maxY_, e.y0, e.y1});
  }
  if (rowStart_.empty() || rowStart_.back() > edges_.size()) {
    // A table whose rows point past its edges selects nothing rather than read beyond them.
    edges_.clear();
    rowStart_.assign(1, 0);
  }
}

bool LassoRegion::contains(float fx, float fy) const {
  if (!(fx >= minX_ && fx <= maxX_ && fy >= minY_ && fy <= maxY_)) return false;
  const auto row = static_cast<std::size_t>(std::floor(fy));
  if (row + 1 >= rowStart_.size()) return false;
  const double x = fx, y = fy;
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
      return centreOf(project(p + 3 * std::size_t{m.edges[h].v0}),
                      project(p + 3 * std::size_t{m.edges[h].v1}));
  }
  return {NAN, NAN, 0};
}

namespace {

template <class Region>
bool takes(const Region& region, const ScreenVertex& s, const VisibleDepth* depth, int w, int h) {
  if (!region.contains(s.x, s.y) || !onView(s, w, h)) return false;
  return !depth || depth->visible(s.x, s.y, s.depth);
}

}  // namespace

template <class Region>
void componentsInRegion(const Mesh& m, ComponentTarget target, const ScreenProjector& project,
                        const Region& region, const VisibleDepth* depth,
                        std::vector<ScreenVertex>& scratch, std::vector<std::uint32_t>& out) {
  out.clear();
  const int w = project.width(), h = project.height();
  if (w <= 0 || h <= 0) return;
  // A depth image of another size than the view cannot answer for it: nothing counts as seen.
  if (depth && (depth->width() != w || depth->height() != h)) return;
  const float* p = m.positions.data();
  if (target == ComponentTarget::Vertices) {
    for (std::uint32_t v = 0, n = m.vertexCount(); v < n; ++v)
      if (takes(region, project(p + 3 * std::size_t{v}), depth, w, h) &&
          !(m.vertexFlags[v] & kHidden))
        out.push_back(v);
    return;
  }
  projectVertices(m, project, scratch);
  const ScreenVertex* s = scratch.data();
  if (target == ComponentTarget::Faces) {
    const std::uint32_t* t = m.faces.data();
    for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, t += 3)
      if (takes(region, centreOf(s[t[0]], s[t[1]], s[t[2]]), depth, w, h) &&
          !(m.faceFlags[f] & kHidden))
        out.push_back(f);
    return;
  }
  const bool boundaryOnly = target == ComponentTarget::Holes;
  for (std::uint32_t e = 0, n = m.edgeCount(); e < n; ++e) {
    const Edge& edge = m.edges[e];
    if (boundaryOnly && edge.f1 != kNoFace) continue;
    if (takes(region, centreOf(s[edge.v0], s[edge.v1]), depth, w, h) &&
        !(m.edgeFlags[e] & kHidden))
      out.push_back(e);
  }
}

template void componentsInRegion<RectRegion>(const Mesh&, ComponentTarget, const ScreenProjector&,
                                             const RectRegion&, const VisibleDepth*,
                                             std::vector<ScreenVertex>&,
                                             std::vector<std::uint32_t>&);
template void componentsInRegion<LassoRegion>(const Mesh&, ComponentTarget,
                                              const ScreenProjector&, const LassoRegion&,
                                              const VisibleDepth*, std::vector<ScreenVertex>&,
                                              std::vector<std::uint32_t>&);
template void componentsInRegion<CircleRegion>(const Mesh&, ComponentTarget,
                                               const ScreenProjector&, const CircleRegion&,
                                               const VisibleDepth*, std::vector<ScreenVertex>&,
                                               std::vector<std::uint32_t>&);

}  // namespace tessel::studio
