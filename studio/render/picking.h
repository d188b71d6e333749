// Hit-testing in screen space for the selection tools: the object under a pixel, objects in a
// rectangle, and mesh components (vertices, face centres, edge midpoints) inside a rectangle, a
// lasso polygon or a brush circle, optionally only those not hidden behind other surfaces.
#pragma once

#include <cstdint>
#include <vector>

#include "host/omView.h"
#include "studio/scene/camera.h"
#include "studio/scene/mesh.h"
#include "studio/scene/scene.h"

namespace tessel::studio {

enum class ComponentKind { Vertices, Faces, Edges };

struct ViewSize {
  int width = 0, height = 0;
};

// Distance along the view direction of the nearest surface, per pixel, row 0 at the top; what the
// renderer read back from the depth buffer. +inf where nothing was drawn.
struct DepthImage {
  int width = 0, height = 0;
  std::vector<float> depth;
  bool empty() const { return depth.empty(); }
  // True when a point at `depth` at pixel (x, y) is not behind the stored surface.
  bool visible(double x, double y, double depth) const;
};

// A box's corners on screen: their pixel bounds; allInFront false when one lies behind the eye
// (the bounds then mean nothing).
struct BoxOnScreen {
  double x0, y0, x1, y1;
  bool allInFront = true;
};
BoxOnScreen projectBox(const Camera& camera, ViewSize size, const Box& box);

// The nearest face hit by the ray through pixel (x, y), or kNoFace; *distance gets the ray length.
// A placed mesh is hit in its own space: the ray is brought there (the ray parameter, and so the
// distance along it, is the same in both spaces).
std::uint32_t pickFace(const Mesh& mesh, const Camera& camera, ViewSize size, double x, double y,
                       double* distance, const Placement* placement = nullptr);
// The entity under pixel (x, y): the nearest mesh face, else a point, coordinate system or light
// within `tolerance` pixels. 0 for none. Only visible entities whose filterMask is in `mask`.
std::uint32_t objectAt(Scene& scene, const Camera& camera, ViewSize size, double x, double y,
                       std::uint32_t mask, double tolerance = 5);
// Entities with at least one vertex (or their origin) projected inside the rectangle.
std::vector<std::uint32_t> objectsInRect(Scene& scene, const Camera& camera, ViewSize size,
                                         double x0, double y0, double x1, double y1,
                                         std::uint32_t mask);

Vec3 componentPosition(const Mesh& mesh, ComponentKind kind, std::uint32_t handle);
std::uint32_t componentCount(const Mesh& mesh, ComponentKind kind);

// Handles, ascending, of the components whose screen place (screenPlace: the vertex, or the
// centre of the projected corners) lies inside the region and on the view, one component at a
// time: the plain reference of the fast region selection (screen_regions.h). Hidden components
// are skipped; with `depth` given, so are those behind other surfaces.
std::vector<std::uint32_t> componentsInRect(const Mesh& mesh, ComponentKind kind,
                                            const Camera& camera, ViewSize size, double x0,
                                            double y0, double x1, double y1,
                                            const DepthImage* depth = nullptr);
// `polygon` is x, y pairs; a point is inside by the even-odd rule.
std::vector<std::uint32_t> componentsInPolygon(const Mesh& mesh, ComponentKind kind,
                                               const Camera& camera, ViewSize size,
                                               const std::vector<double>& polygon,
                                               const DepthImage* depth = nullptr,
                                               const Placement* placement = nullptr);
std::vector<std::uint32_t> componentsInCircle(const Mesh& mesh, ComponentKind kind,
                                              const Camera& camera, ViewSize size, double cx,
                                              double cy, double radius,
                                              const DepthImage* depth = nullptr);

bool pointInPolygon(const std::vector<double>& polygon, double x, double y);

// Even-odd test of (x, y) against a lasso's scanline table (rows[r]: the outline segments that
// reach pixel row r, each widened by half a pixel along y). The widening is undone before the
// crossing test, so the answer is that of pointInPolygon over the outline itself.
bool insideScanlines(const omScanRow* rows, std::int32_t rowCount, double x, double y);
std::vector<std::uint32_t> componentsInScanlines(const Mesh& mesh, ComponentKind kind,
                                                 const Camera& camera, ViewSize size,
                                                 const omScanRow* rows, std::int32_t rowCount,
                                                 const DepthImage* depth = nullptr);

}  // namespace tessel::studio
