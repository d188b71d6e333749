// Screen regions a selection gesture leaves (a rectangle, a lasso's row table, a brush circle),
// the depth test of "visible only", and the fast region selection of mesh components: each
// vertex projected once, faces and edges tested at the centre of their projected corners.
//
// [SECTION] regions
// [SECTION] visibility
// [SECTION] selection
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "studio/scene/mesh.h"
#include "studio/render/picking.h"
#include "studio/render/screen_projection.h"

namespace tessel::studio {

// [SECTION] regions

// Touching counts: a point on the border is inside.
struct RectRegion {
  float x0, y0, x1, y1;  // x0 <= x1, y0 <= y1
  bool contains(float x, float y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
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
class LassoRegion {
 public:
  // rows[r]: the edges that reach pixel row r (edges[rowStart[r] .. rowStart[r + 1])).
  LassoRegion(std::span<const ScanEdge> edges, std::span<const std::uint32_t> rowStart);
  bool contains(float x, float y) const;
  bool empty() const { return edges_.empty(); }

 private:
  struct Segment {
    double xi, yi, xj, yj;  // the segment's second point (i) and first point (j)
  };
  std::vector<Segment> edges_;
  std::vector<std::uint32_t> rowStart_;
  float minX_, minY_, maxX_, maxY_;
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
  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t memoryBytes() const { return farthest_.size() * sizeof(float); }

 private:
  int width_, height_;
  std::vector<float> farthest_;
};

// [SECTION] selection

// The mesh component kinds Studio selects; Holes are boundary edges taken loop by loop.
enum class ComponentTarget { Vertices, Faces, Edges, Holes };

// The screen place of component `h`, or NaN coordinates behind the eye.
ScreenVertex screenPlace(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
                         std::uint32_t h);

// Handles, ascending, of the components whose screen place lies in `region` and on the view,
// that are not hidden and, with `depth`, not behind a surface. Holes answer the boundary edges
// in the region (whole loops are the caller's, see boundaryLoops). `scratch` holds the projected
// vertices of faces and edges between calls.
template <class Region>
void componentsInRegion(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
                        const Region& region, const VisibleDepth* depth,
                        std::vector<ScreenVertex>& scratch, std::vector<std::uint32_t>& out);

}  // namespace tessel::studio
