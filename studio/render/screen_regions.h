// Screen regions a selection gesture leaves (a rectangle, a lasso's row table, a brush circle),
// the depth test of "visible only", and the fast region selection of mesh components: each
// vertex projected once, faces and edges tested at the centre of their projected corners.
//
// [SECTION] regions
// [SECTION] visibility
// [SECTION] selection
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "studio/scene/mesh.h"
#include "studio/render/picking.h"
#include "studio/render/region_codes.h"
#include "studio/render/screen_projection.h"

namespace tessel::studio {

// [SECTION] regions

// Touching counts: a point on the border is inside.
struct RectRegion {
  float x0, y0, x1, y1;  // x0 <= x1, y0 <= y1
  bool contains(float x, float y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
  // out: #pixels classes of the view's pixels (region_codes.h), row-major.
  void classifyPixels(int width, int height, std::uint8_t* out) const;
};

// The circle test runs in double precision, so the brush and its plain reference agree exactly.
struct CircleRegion {
  float cx, cy, radius;
  bool contains(float x, float y) const {
    const double dx = double{x} - cx, dy = double{y} - cy;
    return dx * dx + dy * dy <= double{radius} * radius;
  }
};

// One outline segment of a lasso row table, from the segment's first to its second point, as the
// lasso tool stored it: its y span widened by half a pixel at each end.
struct ScanEdge {
  float x0, y0, x1, y1;
};

// The inside of a lasso, decided from its row table by the even-odd rule: a point at (x, y) looks
// only at the edges of row floor(y). The half-pixel widening is taken off again, so the answer
// is the one pointInPolygon gives for the outline itself, bit for bit, whenever the widening
// was exact in float (whole pixels, as the tool clamps its points, and finer steps alike).
//
// Most of a row lies clear of every edge reaching it, and there the answer cannot change along
// the row: the construction cuts each row at its edges' x extents into runs decided once, so a
// point is one search among a few cuts, and the crossing count runs only beside an edge.
class LassoRegion {
 public:
  // rows[r]: the edges that reach pixel row r (edges[rowStart[r] .. rowStart[r + 1])); a table
  // is well formed when every edge is in each row its widened y span reaches.
  LassoRegion(std::span<const ScanEdge> edges, std::span<const std::uint32_t> rowStart);
  [[gnu::always_inline]] bool contains(float x, float y) const {
    // Left of a row's cuts and right of them is outside, NaN x included.
    if (!(y >= minY_ && y <= maxY_ && y >= 0 && y < rowLimit_)) return false;
    const auto row = static_cast<std::uint32_t>(y);
    // cuts_[cutStart_[row] ..]: where the row's clear runs and its runs beside edges alternate,
    // a clear run first; runInside_ has one entry per clear run.
    const std::uint32_t first = cutStart_[row], last = cutStart_[row + 1];
    std::uint32_t k = 0;
    if (last - first <= 16) {  // counted without a branch: a search's would be guessed wrong
      for (std::uint32_t c = first; c < last; ++c) k += cuts_[c] <= x;
    } else {
      k = static_cast<std::uint32_t>(
          std::upper_bound(cuts_.data() + first, cuts_.data() + last, x) - (cuts_.data() + first));
    }
    if (k % 2 == 0) return runInside_[(first + k) / 2 + row] != 0;
    return crossings(row, x, y);
  }
  bool empty() const { return edges_.empty(); }
  // out: #pixels classes of the view's pixels (region_codes.h), row-major: a pixel inside one
  // clear run of its row takes the run's answer.
  void classifyPixels(int width, int height, std::uint8_t* out) const;

 private:
  struct Segment {
    double xi, yi, xj, yj;  // the segment's second point (i) and first point (j)
  };
  // The crossing rule of pointInPolygon over row `row`'s edges.
  bool crossings(std::size_t row, double x, double y) const;
  std::vector<Segment> edges_;
  std::vector<std::uint32_t> rowStart_;
  std::vector<float> cuts_;
  std::vector<std::uint32_t> cutStart_;  // rows + 1 offsets into cuts_, each row's count even
  std::vector<std::uint8_t> runInside_;  // the clear runs, row by row (a row of c cuts: c/2 + 1)
  float minY_, maxY_;
  float rowLimit_ = 0;  // the row count
};

// The outline a widened edge came from.
ScanEdge unwidened(const ScanEdge& e);

// [SECTION] visibility

// "Visible only": a component counts when it is not behind the surfaces drawn at its pixel. The
// depth image is widened once to the farthest of each pixel's 3 x 3 neighbourhood, so the test is
// one read and answers exactly as DepthImage::visible does.
class VisibleDepth {
 public:
  explicit VisibleDepth(const DepthImage& image);
  // x, y on the image.
  bool visible(float x, float y, float depth) const {
    const auto px = static_cast<int>(x), py = static_cast<int>(y);
    const double farthest = farthest_[static_cast<std::size_t>(py) * width_ + px];
    return double{depth} <= farthest * (1 + 1e-3) + 1e-6;
  }
  // visible() of a depth known to lie within nearest .. farthest, which exact() gives: asked for
  // only when the bounds do not answer.
  template <class Exact>
  bool visibleWithin(float x, float y, float nearest, float farthest, Exact exact) const {
    const auto px = static_cast<int>(x), py = static_cast<int>(y);
    const double limit = farthest_[static_cast<std::size_t>(py) * width_ + px] * (1 + 1e-3) + 1e-6;
    if (double{farthest} <= limit) return true;
    if (double{nearest} > limit) return false;
    return double{exact()} <= limit;
  }
  // Whether the centre s of corners c... is seen: its depth lies between the corners' nearest
  // and farthest, which mostly decide without it.
  template <class... Corner>
  bool centreSeen(const ScreenVertex& s, const Corner&... c) const {
    return visibleWithin(s.x, s.y, std::min({c.depth...}), std::max({c.depth...}),
                         [&] { return centreDepth(c.depth...); });
  }
  int width() const { return width_; }
  int height() const { return height_; }
  // The widened depths of image row y.
  const float* row(int y) const { return &farthest_[static_cast<std::size_t>(y) * width_]; }
  std::size_t memoryBytes() const { return farthest_.size() * sizeof(float); }

 private:
  int width_, height_;
  std::vector<float> farthest_;
};

// [SECTION] selection

// The mesh component kinds Studio selects; Holes are boundary edges taken loop by loop.
enum class ComponentTarget { Vertices, Faces, Edges, Holes };

// How many components of `target`'s kind the mesh has (Holes: all its edges), the edge table
// built first for edges.
std::uint32_t componentCount(const Mesh& mesh, ComponentTarget target);

// The screen place of component `h`, or NaN coordinates behind the eye; without its depth (0)
// the place costs no division beyond the projections'.
ScreenVertex screenPlace(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
                         std::uint32_t h, bool withDepth = true);

class ChunkBoxes;
class SeenMemo;

// Handles, ascending, of the components whose screen place lies in `region` and on the view,
// that are not hidden and, with `depth`, not behind a surface. Holes answer the boundary edges
// in the region (whole loops are the caller's, see boundaryLoops). Meshes of more vertices than
// `wholeProjectionLimit` keep a window of projected vertices (ProjectionCache). `chunks`, boxes
// of the target's components of this mesh, decide runs of components at once where they can.
// `memo`, kept with `depth` for this mesh, projector and target (not Holes) and used with
// `chunks`, answers the depth test for the runs it has seen and learns the others.
template <class Region>
void componentsInRegion(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
                        const Region& region, const VisibleDepth* depth,
                        std::vector<std::uint32_t>& out,
                        std::uint32_t wholeProjectionLimit = kWholeProjection,
                        const ChunkBoxes* chunks = nullptr, SeenMemo* memo = nullptr);

// Sets (select) or clears kSelected on the components componentsInRegion answers, without
// listing them; answers how many there were. Not for Holes, whose loops the caller completes.
template <class Region>
std::size_t markInRegion(Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
                         const Region& region, const VisibleDepth* depth, bool select,
                         const ChunkBoxes* chunks = nullptr, SeenMemo* memo = nullptr);

// Fills `memo` (kept with `depth` for this mesh, projector and target, not Holes) for every run
// of components that reaches the view: the depth test of a whole view at once. What it answers
// changes only with the image, so it is made once with each new image, and requests in the view
// then read answers instead of testing.
void learnSeen(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
               const VisibleDepth& depth, const ChunkBoxes& chunks, SeenMemo& memo);

}  // namespace tessel::studio
