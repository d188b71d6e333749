// Component selection in Studio's main view: what the module's component tools ask for (a pick,
// a box, a lasso's row table, brush steps), made on the visible meshes and point clouds that pass
// the object filter, as the component filter says.
//
// Rules kept here: a replacing request clears every mesh's components first, a kept one adds or
// removes; an entity is in the selection list exactly when it has selected components; hidden
// entities and hidden components are never selected. "Visible only" tests against a depth image
// of the surfaces alone, kept per view and camera and rendered again when stale; selecting
// through takes everything in the region.
//
// [SECTION] requests
// [SECTION] caches
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "studio/render/brush_grid.h"
#include "studio/render/chunk_boxes.h"
#include "studio/render/face_owners.h"
#include "studio/render/seen_memo.h"
#include "studio/render/renderer.h"
#include "studio/scene/scene.h"
#include "studio/render/screen_regions.h"

namespace tessel::studio {

// Where a request is made: a view's camera, its pixel size, and which view it is (the caches
// are kept per view).
struct ViewPlace {
  int index = 0;
  Camera camera;
  ViewSize size;
};

// What a request does to what it finds.
struct SelectMode {
  bool keep = false;     // add to or remove from the selection instead of replacing it
  bool select = true;    // add (or replace) when true, remove when false
  bool through = false;  // "Volume Select": also what lies behind surfaces
};

// The component filter mask as a kind of component of `entity`; false when the entity offers
// none of that kind.
bool componentTarget(const Entity& entity, std::uint32_t componentMask, ComponentTarget* out);

class ComponentSelection {
 public:
  // The depth of the scene's surfaces alone, as the view sees them.
  using DepthRenderer = std::function<DepthImage(const ViewPlace&)>;
  ComponentSelection(Scene& scene, DepthRenderer renderDepth);

  // [SECTION] requests
  // The one component under pixel (x, y): the face hit first by the pixel's ray, the vertex or
  // point nearest on screen within kPickPixels, the edge of the face hit nearest the pixel, or the
  // hole whose boundary passes nearest.
  void atPoint(const ViewPlace& view, double x, double y, SelectMode mode);
  void inRect(const ViewPlace& view, const RectRegion& rect, SelectMode mode);
  void inLasso(const ViewPlace& view, const LassoRegion& lasso, SelectMode mode);
  // A brush gesture: beginPaint brings the brush grids up to date for the view (rebuilt only when
  // the camera, the view, the scene or the filters changed), paint selects within `radius`
  // pixels of (x, y). paint keeps the selection whatever the mode says.
  void beginPaint(const ViewPlace& view, bool through);
  // Answers how many components the brush found at (x, y). Within one stroke the brush also
  // sweeps the way from the stroke's last step, so a fast drag paints a band, not dabs.
  std::size_t paint(const ViewPlace& view, double x, double y, double radius, SelectMode mode);
  // The next step starts a stroke (a button went down or up).
  void endStroke() { stroke_ = Stroke{}; }

  // The plain reference of a lasso: whether the components of the filter's kind selected on every
  // candidate are exactly those a plain point-in-polygon test over `outline` (x, y pairs) takes,
  // with the same depth image unless `through`; *count receives how many that is.
  bool matchesPlainPolygon(const ViewPlace& view, const std::vector<double>& outline, bool through,
                           std::size_t* count);

  // Filters, read at each request.
  std::uint32_t objectMask = om::kMaskMesh;
  std::uint32_t componentMask = om::kMaskFaces;
  static constexpr double kPickPixels = 5;

  // [SECTION] caches
  // Whoever moves vertices, hides components or changes the scene's surfaces otherwise calls
  // this; the caches also follow entities coming and going, visibility and mesh revisions.
  void sceneChanged() { ++edits_; }
  // Lets go of the brush grids (the end of a component tool).
  void releaseBrush() { brush_ = BrushCache{}; }
  // Bytes held between gestures: depth images and their memos, brush grids and the boxes of runs
  // of components.
  std::size_t memoryBytes() const;
  // How many times a depth image and a brush grid were built (tests and reports).
  std::size_t depthRenders() const { return depthRenders_; }
  std::size_t brushBuilds() const { return brushBuilds_; }

 private:
  struct Hit {
    Entity* entity;
    ComponentTarget target;
    std::vector<std::uint32_t> handles;
  };
  // The entities a request may touch, with the kind of component the filter asks of each.
  std::vector<std::pair<Entity*, ComponentTarget>> candidates() const;
  const VisibleDepth* depthFor(const ViewPlace& view);
  // The memo of depthFor(view)'s answers for an entity's components of a kind (not Holes),
  // complete from its making: the test of the whole view runs once for each image.
  SeenMemo* memoFor(const ViewPlace& view, const Entity& entity, ComponentTarget target,
                    const ScreenProjector& project);
  // Built on first use for each mesh and kind of component, kept while the scene stays as it is.
  const ChunkBoxes* chunksFor(const Mesh& mesh, ComponentTarget target);
  // The owners of a mesh's faces, for the brush; kept as the boxes are.
  const FaceOwners* ownersFor(const Mesh& mesh);
  template <class Region>
  void inRegion(const ViewPlace& view, const Region& region, SelectMode mode);
  void apply(std::vector<Hit>& hits, SelectMode mode);
  // apply's steps: a replacing request clears every mesh's components first; the hits are marked;
  // the entities touched join or leave the selection list.
  void startRequest(SelectMode mode);
  void mark(const Hit& hit, bool select);
  void listTouched(const std::vector<Entity*>& touched, SelectMode mode);
  std::uint64_t sceneStamp() const;
  bool brushCurrent(const ViewPlace& view, bool through) const;

  Scene& scene_;
  DepthRenderer renderDepth_;
  std::uint64_t edits_ = 0;
  struct DepthCache {
    Camera camera;
    ViewSize size;
    std::uint64_t stamp = 0;
    std::unique_ptr<VisibleDepth> depth;
    // What the depth test answered for each mesh's components of a kind (seen_memo.h), for
    // every component on the view; gone with the image.
    std::map<std::pair<const Mesh*, ComponentTarget>, SeenMemo> memos;
  };
  std::map<int, DepthCache> depths_;
  struct BrushCache {
    bool built = false;
    int view = -1;
    Camera camera;
    ViewSize size;
    std::uint64_t stamp = 0;
    bool through = false;
    std::uint32_t objectMask = 0, componentMask = 0;
    std::vector<std::pair<Entity*, BrushGrid>> grids;
  };
  BrushCache brush_;
  struct Stroke {
    bool on = false;
    int view = -1;
    double x = 0, y = 0;
  };
  Stroke stroke_;
  struct ChunkCache {
    std::uint64_t stamp = 0;
    std::map<std::pair<const Mesh*, ComponentTarget>, ChunkBoxes> boxes;
    std::map<const Mesh*, FaceOwners> owners;
  };
  ChunkCache chunks_;
  std::size_t depthRenders_ = 0, brushBuilds_ = 0;
};

}  // namespace tessel::studio
