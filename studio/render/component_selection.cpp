#include "studio/render/component_selection.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "studio/scene/boundary_loops.h"

namespace tessel::studio {
namespace {

std::vector<std::uint8_t>& flagsOf(Mesh& m, ComponentTarget target) {
  switch (target) {
    case ComponentTarget::Vertices: return m.vertexFlags;
    case ComponentTarget::Faces: return m.faceFlags;
    case ComponentTarget::Edges:
    case ComponentTarget::Holes: return m.tableEdgeFlags();
  }
  return m.vertexFlags;
}

// Sixty-four flags at a time, with one branch for each: after a brush step that removed, this
// runs over every flag of a mesh with nothing else selected.
bool anySelected(const std::vector<std::uint8_t>& flags) {
  constexpr std::uint64_t kMask = 0x0101010101010101ull * kSelected;
  std::size_t i = 0, n = flags.size();
  for (; i + 64 <= n; i += 64) {
    std::uint64_t word[8];
    std::memcpy(word, &flags[i], 64);
    if ((word[0] | word[1] | word[2] | word[3] | word[4] | word[5] | word[6] | word[7]) & kMask)
      return true;
  }
  for (; i < n; ++i)
    if (flags[i] & kSelected) return true;
  return false;
}

// Distance from p to the segment a-b, pixels.
double segmentDistance(double px, double py, const ScreenVertex& a, const ScreenVertex& b) {
  const double dx = double{b.x} - a.x, dy = double{b.y} - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

}  // namespace

bool componentTarget(const Entity& e, std::uint32_t mask, ComponentTarget* out) {
  if (!e.mesh) return false;
  if (!e.isMesh()) {  // a point cloud offers its points whatever the entry is called
    *out = ComponentTarget::Vertices;
    return mask != 0;
  }
  if (mask & om::kMaskFaces) *out = ComponentTarget::Faces;
  else if (mask & om::kMaskVertices) *out = ComponentTarget::Vertices;
  else if (mask & om::kMaskEdges) *out = ComponentTarget::Edges;
  else if (mask & om::kMaskHoles) *out = ComponentTarget::Holes;
  else return false;
  return true;
}

ComponentSelection::ComponentSelection(Scene& scene, DepthRenderer renderDepth)
    : scene_(scene), renderDepth_(std::move(renderDepth)) {}

std::vector<std::pair<Entity*, ComponentTarget>> ComponentSelection::candidates() const {
  std::vector<std::pair<Entity*, ComponentTarget>> out;
  for (const auto& e : scene_.entities()) {
    ComponentTarget target;
    if (e->visible && (e->filterMask() & objectMask) && componentTarget(*e, componentMask, &target))
      out.push_back({e.get(), target});
  }
  return out;
}

// [SECTION] requests

void ComponentSelection::atPoint(const ViewPlace& view, double x, double y, SelectMode mode) {
  std::vector<Hit> hits;
  const int w = view.size.width, h = view.size.height;
  if (w > 0 && h > 0 && std::isfinite(x) && std::isfinite(y)) {
    const VisibleDepth* depth = mode.through ? nullptr : depthFor(view);
    // The face the pixel's ray meets first, over every candidate mesh.
    Entity* faceOwner = nullptr;
    std::uint32_t face = kNoFace;
    double nearest = std::numeric_limits<double>::infinity();
    // The vertex (or hole edge) nearest on screen; ties go to the nearer one in depth.
    Entity* pointOwner = nullptr;
    std::uint32_t point = 0;
    double bestDistance = kPickPixels, bestDepth = std::numeric_limits<double>::infinity();
    auto consider = [&](Entity* e, std::uint32_t handle, double distance, const ScreenVertex& s) {
      if (!onView(s, w, h) || (depth && !depth->visible(s.x, s.y, s.depth))) return;
      if (distance < bestDistance || (distance == bestDistance && s.depth < bestDepth))
        bestDistance = distance, bestDepth = s.depth, pointOwner = e, point = handle;
    };
    Entity* projected = nullptr;
    ScreenProjector project(view.camera, w, h);
    for (auto [e, target] : candidates()) {
      const Mesh& m = *e->mesh;
      if (projected != e) project = ScreenProjector(view.camera, w, h, e->placement), projected = e;
      if (target == ComponentTarget::Faces || target == ComponentTarget::Edges) {
        double t;
        std::uint32_t f = pickFace(m, view.camera, view.size, x, y, &t, &e->placement);
        if (f != kNoFace && t < nearest) nearest = t, face = f, faceOwner = e;
      } else if (target == ComponentTarget::Vertices) {
        for (std::uint32_t v = 0, n = m.vertexCount(); v < n; ++v) {
          if (m.vertexFlags[v] & kHidden) continue;
          const ScreenVertex s = project(&m.positions[3 * std::size_t{v}]);
          const double d = std::hypot(s.x - x, s.y - y);
          if (d <= kPickPixels) consider(e, v, d, s);
        }
      } else {
        const std::vector<Edge>& edges = m.edges();
        for (std::uint32_t k = 0, n = static_cast<std::uint32_t>(edges.size()); k < n; ++k) {
          if (edges[k].f1 != kNoFace || (m.edgeFlags[k] & kHidden)) continue;
          const ScreenVertex a = project(&m.positions[3 * std::size_t{edges[k].v0}]);
          const ScreenVertex b = project(&m.positions[3 * std::size_t{edges[k].v1}]);
          const double d = segmentDistance(x, y, a, b);
          if (d <= kPickPixels) consider(e, k, d, centreOf(a, b));
        }
      }
    }
    ComponentTarget target;
    if (faceOwner && componentTarget(*faceOwner, componentMask, &target)) {
      std::uint32_t chosen = face;
      if (target == ComponentTarget::Edges) {
        // The edge of the face hit that passes nearest the pixel.
        const Mesh& m = *faceOwner->mesh;
        project = ScreenProjector(view.camera, w, h, faceOwner->placement);
        double best = std::numeric_limits<double>::infinity();
        for (int k = 0; k < 3; ++k) {
          const std::uint32_t edge = m.faceEdges()[3 * std::size_t{face} + k];
          const double d =
              segmentDistance(x, y, project(&m.positions[3 * std::size_t{m.edges()[edge].v0}]),
                              project(&m.positions[3 * std::size_t{m.edges()[edge].v1}]));
          if (d < best && !(m.edgeFlags[edge] & kHidden)) best = d, chosen = edge;
        }
        if (!std::isfinite(best)) faceOwner = nullptr;
      }
      if (faceOwner) hits.push_back({faceOwner, target, {chosen}});
    } else if (pointOwner && componentTarget(*pointOwner, componentMask, &target)) {
      Hit hit{pointOwner, target, {point}};
      if (target == ComponentTarget::Holes) hit.handles = boundaryLoops(*pointOwner->mesh, {point});
      hits.push_back(std::move(hit));
    }
  }
  apply(hits, mode);
}

template <class Region>
void ComponentSelection::inRegion(const ViewPlace& view, const Region& region, SelectMode mode) {
  // Marked straight into the flags: a box over a scan takes millions of components, and listing
  // them first would cost as much again.
  startRequest(mode);
  std::vector<Entity*> touched;
  if (view.size.width > 0 && view.size.height > 0) {
    const VisibleDepth* depth = mode.through ? nullptr : depthFor(view);
    for (auto [e, target] : candidates()) {
      const ScreenProjector project(view.camera, view.size.width, view.size.height, e->placement);
      if (target == ComponentTarget::Holes) {
        Hit hit{e, target, {}};
        componentsInRegion(*e->mesh, target, project, region, depth, hit.handles,
                           kWholeProjection, chunksFor(*e->mesh, target));
        hit.handles = boundaryLoops(*e->mesh, hit.handles);
        if (hit.handles.empty()) continue;
        mark(hit, mode.select);
      } else if (!markInRegion(*e->mesh, target, project, region, depth, mode.select,
                               chunksFor(*e->mesh, target),
                               depth ? memoFor(view, *e, target, project) : nullptr)) {
        continue;
      }
      touched.push_back(e);
    }
  }
  listTouched(touched, mode);
}

void ComponentSelection::inRect(const ViewPlace& view, const RectRegion& rect, SelectMode mode) {
  inRegion(view, rect, mode);
}

void ComponentSelection::inLasso(const ViewPlace& view, const LassoRegion& lasso,
                                 SelectMode mode) {
  inRegion(view, lasso, mode);
}

bool ComponentSelection::brushCurrent(const ViewPlace& view, bool through) const {
  return brush_.built && brush_.view == view.index && brush_.camera == view.camera &&
         brush_.size.width == view.size.width && brush_.size.height == view.size.height &&
         brush_.through == through && brush_.objectMask == objectMask &&
         brush_.componentMask == componentMask && brush_.stamp == sceneStamp();
}

void ComponentSelection::beginPaint(const ViewPlace& view, bool through) {
  if (brushCurrent(view, through)) return;
  brush_ = BrushCache{};
  brush_.built = true;
  brush_.view = view.index, brush_.camera = view.camera, brush_.size = view.size;
  brush_.through = through, brush_.objectMask = objectMask, brush_.componentMask = componentMask;
  brush_.stamp = sceneStamp();
  ++brushBuilds_;
  if (view.size.width <= 0 || view.size.height <= 0) return;
  const VisibleDepth* depth = through ? nullptr : depthFor(view);
  for (auto [e, target] : candidates()) {
    const ScreenProjector project(view.camera, view.size.width, view.size.height, e->placement);
    const SeenMemo* memo =
        depth && target != ComponentTarget::Holes ? memoFor(view, *e, target, project) : nullptr;
    brush_.grids.emplace_back(e, BrushGrid{});
    brush_.grids.back().second.build(
        *e->mesh, target, project, depth, memo,
        target == ComponentTarget::Faces ? ownersFor(*e->mesh) : nullptr);
  }
}

std::size_t ComponentSelection::paint(const ViewPlace& view, double x, double y, double radius,
                                      SelectMode mode) {
  // A step without its gesture's beginning (or after the scene changed) builds what it needs.
  beginPaint(view, mode.through);
  mode.keep = true;
  std::size_t found = 0;
  std::vector<Entity*> touched;
  const bool valid = view.size.width > 0 && view.size.height > 0 && radius >= 0 &&
                     std::isfinite(radius) && std::isfinite(x) && std::isfinite(y);
  if (valid) {
    // The brush's places from the stroke's last step to this one, half a radius apart at most
    // (at least a pixel): the band between two of them is nowhere narrower than 97% of the
    // brush. A jump across the view is a few thousand steps at the most.
    std::vector<std::pair<double, double>> dabs;
    if (stroke_.on && stroke_.view == view.index) {
      const double dx = x - stroke_.x, dy = y - stroke_.y;
      const double spacing = std::max(radius / 2, 1.0);
      const int steps = static_cast<int>(std::min(std::ceil(std::hypot(dx, dy) / spacing), 4096.0));
      for (int i = 1; i < steps; ++i)
        dabs.push_back({stroke_.x + dx * i / steps, stroke_.y + dy * i / steps});
    }
    dabs.push_back({x, y});
    stroke_ = {true, view.index, x, y};
    const auto r = static_cast<float>(radius);
    for (auto& [e, grid] : brush_.grids) {
      const ScreenProjector project(view.camera, view.size.width, view.size.height, e->placement);
      std::size_t taken = 0;
      for (const auto& [dx, dy] : dabs) {
        const auto cx = static_cast<float>(dx), cy = static_cast<float>(dy);
        if (grid.target() == ComponentTarget::Holes) {
          Hit hit{e, grid.target(), {}};
          grid.query(*e->mesh, project, cx, cy, r, hit.handles);
          hit.handles = boundaryLoops(*e->mesh, hit.handles);
          mark(hit, mode.select);
          taken = hit.handles.size();
        } else {
          taken = grid.mark(*e->mesh, project, cx, cy, r, mode.select);
        }
        if (taken && (touched.empty() || touched.back() != e)) touched.push_back(e);
      }
      found += taken;  // what the brush found where the cursor is
    }
  }
  listTouched(touched, mode);
  return found;
}

void ComponentSelection::startRequest(SelectMode mode) {
  if (!mode.keep)
    for (const auto& e : scene_.entities())
      if (e->mesh) e->mesh->clearSelectedComponents();
}

void ComponentSelection::mark(const Hit& hit, bool select) {
  std::vector<std::uint8_t>& flags = flagsOf(*hit.entity->mesh, hit.target);
  if (select) {
    for (std::uint32_t h : hit.handles) flags[h] |= kSelected;
  } else {
    for (std::uint32_t h : hit.handles) flags[h] &= static_cast<std::uint8_t>(~kSelected);
  }
}

void ComponentSelection::listTouched(const std::vector<Entity*>& touched, SelectMode mode) {
  // The selection list follows the components: in when an entity has some, out otherwise. A kept
  // request changes only the entities it touched, and one that added knows the answer already.
  if (!mode.keep) {
    scene_.clearSelection();
    for (Entity* e : touched) scene_.select(e->id, mode.select);
    return;
  }
  for (Entity* e : touched) {
    const Mesh& m = *e->mesh;
    const bool has = mode.select || anySelected(m.faceFlags) || anySelected(m.vertexFlags) ||
                     anySelected(m.edgeFlags);
    scene_.select(e->id, has);
  }
}

void ComponentSelection::apply(std::vector<Hit>& hits, SelectMode mode) {
  startRequest(mode);
  std::vector<Entity*> touched;
  for (const Hit& hit : hits) {
    mark(hit, mode.select);
    if (!hit.handles.empty()) touched.push_back(hit.entity);
  }
  listTouched(touched, mode);
}

// [SECTION] caches

std::uint64_t ComponentSelection::sceneStamp() const {
  // FNV-1a over what the surfaces and the selectable components depend on.
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint64_t v) {
    for (int i = 0; i < 8; ++i, v >>= 8) h = (h ^ (v & 0xFF)) * 1099511628211ull;
  };
  mix(edits_);
  mix(scene_.geometryStamp());
  for (const auto& e : scene_.entities()) {
    mix(e->id), mix(e->visible), mix(e->type);
    if (e->mesh) {
      mix(e->mesh->revision);
      mix(reinterpret_cast<std::uintptr_t>(e->mesh->positions.data()));
      mix(e->mesh->positions.size()), mix(e->mesh->faces.size());
    }
  }
  return h;
}

const VisibleDepth* ComponentSelection::depthFor(const ViewPlace& view) {
  DepthCache& cache = depths_[view.index];
  const std::uint64_t stamp = sceneStamp();
  if (!cache.depth || cache.camera != view.camera ||
      cache.size.width != view.size.width || cache.size.height != view.size.height ||
      cache.stamp != stamp) {
    cache.camera = view.camera, cache.size = view.size, cache.stamp = stamp;
    cache.depth.reset();
    cache.memos.clear();
    // Only the widened image is kept: the plain one would double what a view holds.
    cache.depth = std::make_unique<VisibleDepth>(renderDepth_(view));
    ++depthRenders_;
  }
  return cache.depth.get();
}

SeenMemo* ComponentSelection::memoFor(const ViewPlace& view, const Entity& entity,
                                     ComponentTarget target, const ScreenProjector& project) {
  const Mesh& mesh = *entity.mesh;
  const std::uint32_t count = componentCount(mesh, target);
  DepthCache& cache = depths_[view.index];
  auto [at, added] = cache.memos.try_emplace({&mesh, target});
  if (added || !at->second.fits(target, count)) {
    at->second = SeenMemo(target, count);
    learnSeen(mesh, target, project, *cache.depth, *chunksFor(mesh, target), at->second);
  }
  return &at->second;
}

const ChunkBoxes* ComponentSelection::chunksFor(const Mesh& mesh, ComponentTarget target) {
  const std::uint64_t stamp = sceneStamp();
  if (chunks_.stamp != stamp) chunks_ = ChunkCache{stamp, {}, {}};
  if (target == ComponentTarget::Holes) target = ComponentTarget::Edges;
  auto [at, added] = chunks_.boxes.try_emplace({&mesh, target});
  if (added) at->second = ChunkBoxes(mesh, target);
  return &at->second;
}

const FaceOwners* ComponentSelection::ownersFor(const Mesh& mesh) {
  const std::uint64_t stamp = sceneStamp();
  if (chunks_.stamp != stamp) chunks_ = ChunkCache{stamp, {}, {}};
  auto [at, added] = chunks_.owners.try_emplace(&mesh);
  if (added || !at->second.fits(mesh)) at->second = FaceOwners(mesh);
  return &at->second;
}

bool ComponentSelection::matchesPlainPolygon(const ViewPlace& view,
                                             const std::vector<double>& outline, bool through,
                                             std::size_t* count) {
  // The plain depth image, rendered again: a check is rare, and the selection keeps only its own.
  const DepthImage image = through ? DepthImage{} : renderDepth_(view);
  const DepthImage* depth = through ? nullptr : &image;
  std::size_t taken = 0;
  bool same = true;
  for (auto [e, target] : candidates()) {
    if (target == ComponentTarget::Holes) return false;
    const Mesh& m = *e->mesh;
    const ComponentKind kind = target == ComponentTarget::Vertices ? ComponentKind::Vertices
                               : target == ComponentTarget::Faces  ? ComponentKind::Faces
                                                                   : ComponentKind::Edges;
    const std::vector<std::uint32_t> plain =
        componentsInPolygon(m, kind, view.camera, view.size, outline, depth, &e->placement);
    const std::vector<std::uint8_t>& flags = flagsOf(*e->mesh, target);
    std::vector<std::uint32_t> selected;
    for (std::uint32_t h = 0; h < flags.size(); ++h)
      if (flags[h] & kSelected) selected.push_back(h);
    same = same && selected == plain;
    taken += plain.size();
  }
  if (count) *count = taken;
  return same;
}

std::size_t ComponentSelection::memoryBytes() const {
  std::size_t bytes = 0;
  for (const auto& [index, cache] : depths_) {
    if (cache.depth) bytes += cache.depth->memoryBytes();
    for (const auto& [key, memo] : cache.memos) bytes += memo.memoryBytes();
  }
  for (const auto& [e, grid] : brush_.grids) bytes += grid.memoryBytes();
  for (const auto& [key, boxes] : chunks_.boxes) bytes += boxes.memoryBytes();
  for (const auto& [key, owners] : chunks_.owners) bytes += owners.memoryBytes();
  return bytes;
}

}  // namespace tessel::studio
