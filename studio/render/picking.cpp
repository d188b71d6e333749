#include "studio/render/picking.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "studio/render/screen_regions.h"

namespace tessel::studio {
namespace {

// Möller-Trumbore; the ray parameter of the hit, or +inf.
double intersect(const Vec3& o, const Vec3& d, const Vec3& a, const Vec3& b, const Vec3& c) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  Vec3 e1 = b - a, e2 = c - a, p = cross(d, e2);
  double det = dot(e1, p);
  if (std::fabs(det) < 1e-30) return kInf;
  double inv = 1 / det;
  Vec3 t = o - a;
  double u = dot(t, p) * inv;
  if (u < 0 || u > 1) return kInf;
  Vec3 q = cross(t, e1);
  double v = dot(d, q) * inv;
  if (v < 0 || u + v > 1) return kInf;
  double s = dot(e2, q) * inv;
  return s > 0 ? s : kInf;
}

bool rayHitsBox(const Vec3& o, const Vec3& d, const Box& box) {
  double lo = -std::numeric_limits<double>::infinity(), hi = -lo;
  const double oo[3] = {o.x, o.y, o.z}, dd[3] = {d.x, d.y, d.z};
  const double mn[3] = {box.min.x, box.min.y, box.min.z}, mx[3] = {box.max.x, box.max.y, box.max.z};
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(dd[i]) < 1e-300) {
      if (oo[i] < mn[i] || oo[i] > mx[i]) return false;
      continue;
    }
    double t0 = (mn[i] - oo[i]) / dd[i], t1 = (mx[i] - oo[i]) / dd[i];
    if (t0 > t1) std::swap(t0, t1);
    lo = std::max(lo, t0), hi = std::min(hi, t1);
  }
  return lo <= hi && hi >= 0;
}

bool componentHidden(const Mesh& m, ComponentKind kind, std::uint32_t h) {
  switch (kind) {
    case ComponentKind::Vertices: return m.vertexFlags[h] & kHidden;
    case ComponentKind::Faces: return m.faceFlags[h] & kHidden;
    case ComponentKind::Edges: return m.edgeFlags[h] & kHidden;
  }
  return false;
}

ComponentTarget targetOf(ComponentKind kind) {
  switch (kind) {
    case ComponentKind::Vertices: return ComponentTarget::Vertices;
    case ComponentKind::Faces: return ComponentTarget::Faces;
    case ComponentKind::Edges: return ComponentTarget::Edges;
  }
  return ComponentTarget::Vertices;
}

// The plain way, one component at a time, each placed by screenPlace: the reference the fast
// region selection is checked against.
template <class Inside>
std::vector<std::uint32_t> componentsWhere(const Mesh& mesh, ComponentKind kind,
                                           const Camera& camera, ViewSize size,
                                           const DepthImage* depth, Inside inside,
                                           const Placement* placement = nullptr) {
  std::vector<std::uint32_t> out;
  const ScreenProjector project(camera, size.width, size.height,
                                placement ? *placement : Placement{});
  for (std::uint32_t h = 0, n = componentCount(mesh, kind); h < n; ++h) {
    if (componentHidden(mesh, kind, h)) continue;
    ScreenVertex s = screenPlace(mesh, targetOf(kind), project, h);
    if (!onView(s, size.width, size.height) || !inside(double{s.x}, double{s.y})) continue;
    if (depth && !depth->empty() && !depth->visible(s.x, s.y, s.depth)) continue;
    out.push_back(h);
  }
  return out;
}

}  // namespace

BoxOnScreen projectBox(const Camera& camera, ViewSize size, const Box& box) {
  BoxOnScreen b;
  b.x0 = b.y0 = std::numeric_limits<double>::infinity();
  b.x1 = b.y1 = -b.x0;
  if (box.empty()) {
    b.allInFront = false;
    return b;
  }
  const Projector project(camera, size.width, size.height);
  for (int i = 0; i < 8; ++i) {
    Vec3 corner{i & 1 ? box.max.x : box.min.x, i & 2 ? box.max.y : box.min.y,
                i & 4 ? box.max.z : box.min.z};
    ScreenPoint s = project(corner);
    b.allInFront = b.allInFront && s.inFront;
    b.x0 = std::min(b.x0, s.x), b.x1 = std::max(b.x1, s.x);
    b.y0 = std::min(b.y0, s.y), b.y1 = std::max(b.y1, s.y);
  }
  return b;
}

bool DepthImage::visible(double x, double y, double d) const {
  int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
  if (px < 0 || py < 0 || px >= width || py >= height) return false;
  // A point on the surface itself reads back within rasterisation error of its own depth; the
  // farthest of the 3x3 neighbourhood absorbs the half-pixel offset of centres and midpoints.
  float farthest = 0;
  for (int j = std::max(py - 1, 0); j <= std::min(py + 1, height - 1); ++j)
    for (int i = std::max(px - 1, 0); i <= std::min(px + 1, width - 1); ++i)
      farthest = std::max(farthest, depth[static_cast<std::size_t>(j) * width + i]);
  return d <= farthest * (1 + 1e-3) + 1e-6;
}

std::uint32_t pickFace(const Mesh& mesh, const Camera& camera, ViewSize size, double x, double y,
                       double* distance, const Placement* placement) {
  Vec3 o, d;
  pixelRay(camera, size.width, size.height, x, y, &o, &d);
  if (placement && !placement->isIdentity())
    o = placement->unplace(o), d = placement->unplaceVector(d);
  std::uint32_t best = kNoFace;
  double bestT = std::numeric_limits<double>::infinity();
  if (mesh.faces.empty() || !rayHitsBox(o, d, mesh.bounds())) return kNoFace;
  for (std::uint32_t f = 0, n = mesh.faceCount(); f < n; ++f) {
    if (mesh.faceFlags[f] & kHidden) continue;
    const std::uint32_t* t = &mesh.faces[3 * static_cast<std::size_t>(f)];
    double s = intersect(o, d, mesh.position(t[0]), mesh.position(t[1]), mesh.position(t[2]));
    if (s < bestT) bestT = s, best = f;
  }
  if (distance) *distance = bestT;
  return best;
}

std::uint32_t objectAt(Scene& scene, const Camera& camera, ViewSize size, double x, double y,
                       std::uint32_t mask, double tolerance) {
  std::uint32_t best = 0;
  double bestDistance = std::numeric_limits<double>::infinity();
  for (const auto& e : scene.entities()) {
    if (!e->visible || !(e->filterMask() & mask)) continue;
    if (e->type == om::kEntityLight && !scene.lightShown(*e)) continue;  // no marker to aim at
    if (e->isMesh()) {
      double t;
      if (pickFace(*e->mesh, camera, size, x, y, &t, &e->placement) != kNoFace &&
          t < bestDistance)
        bestDistance = t, best = e->id;
      continue;
    }
    // Points, origins and lights are picked by proximity on screen, nearest depth first.
    auto consider = [&](const Vec3& p) {
      ScreenPoint s = project(camera, size.width, size.height, p);
      if (s.inFront && std::hypot(s.x - x, s.y - y) <= tolerance && s.depth < bestDistance)
        bestDistance = s.depth, best = e->id;
    };
    if (e->mesh) {
      for (std::uint32_t v = 0, n = e->mesh->vertexCount(); v < n; ++v)
        consider(e->placement.place(e->mesh->position(v)));
    } else {
      consider(e->bounds().center());
    }
  }
  return best;
}

std::vector<std::uint32_t> objectsInRect(Scene& scene, const Camera& camera, ViewSize size,
                                         double x0, double y0, double x1, double y1,
                                         std::uint32_t mask) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  const Projector project(camera, size.width, size.height);
  auto inside = [&](const Vec3& p) {
    ScreenPoint s = project(p);
    return s.inFront && s.x >= x0 && s.x <= x1 && s.y >= y0 && s.y <= y1;
  };
  std::vector<std::uint32_t> out;
  for (const auto& e : scene.entities()) {
    if (!e->visible || !(e->filterMask() & mask)) continue;
    if (e->type == om::kEntityLight && !scene.lightShown(*e)) continue;  // no marker to aim at
    bool hit = false;
    if (e->mesh) {
      const Mesh& m = *e->mesh;
      // The projected bounding box settles most objects without looking at a vertex: one that
      // misses the rectangle has no vertex inside; one wholly inside has all of them inside.
      BoxOnScreen b = projectBox(camera, size, e->bounds());
      if (b.allInFront && (b.x1 < x0 || b.x0 > x1 || b.y1 < y0 || b.y0 > y1)) continue;
      if (b.allInFront && b.x0 >= x0 && b.x1 <= x1 && b.y0 >= y0 && b.y1 <= y1) {
        // Inside as long as one vertex is not hidden; the first one usually answers.
        if (std::any_of(m.vertexFlags.begin(), m.vertexFlags.end(),
                        [](std::uint8_t f) { return !(f & kHidden); }))
          out.push_back(e->id);
        continue;
      }
      for (std::uint32_t v = 0, n = m.vertexCount(); v < n && !hit; ++v)
        hit = !(m.vertexFlags[v] & kHidden) && inside(e->placement.place(m.position(v)));
    } else {
      hit = inside(e->bounds().center());
    }
    if (hit) out.push_back(e->id);
  }
  return out;
}

Vec3 componentPosition(const Mesh& m, ComponentKind kind, std::uint32_t h) {
  switch (kind) {
    case ComponentKind::Vertices: return m.position(h);
    case ComponentKind::Faces: {
      const std::uint32_t* t = &m.faces[3 * static_cast<std::size_t>(h)];
      return (m.position(t[0]) + m.position(t[1]) + m.position(t[2])) / 3;
    }
    case ComponentKind::Edges:
      return (m.position(m.edges()[h].v0) + m.position(m.edges()[h].v1)) * 0.5;
  }
  return {};
}

std::uint32_t componentCount(const Mesh& m, ComponentKind kind) {
  switch (kind) {
    case ComponentKind::Vertices: return m.vertexCount();
    case ComponentKind::Faces: return m.faceCount();
    case ComponentKind::Edges: return static_cast<std::uint32_t>(m.edges().size());
  }
  return 0;
}

std::vector<std::uint32_t> componentsInRect(const Mesh& mesh, ComponentKind kind,
                                            const Camera& camera, ViewSize size, double x0,
                                            double y0, double x1, double y1,
                                            const DepthImage* depth) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  return componentsWhere(mesh, kind, camera, size, depth, [&](double x, double y) {
    return x >= x0 && x <= x1 && y >= y0 && y <= y1;
  });
}

bool pointInPolygon(const std::vector<double>& p, double x, double y) {
  bool in = false;
  std::size_t n = p.size() / 2;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    double xi = p[2 * i], yi = p[2 * i + 1], xj = p[2 * j], yj = p[2 * j + 1];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

std::vector<std::uint32_t> componentsInPolygon(const Mesh& mesh, ComponentKind kind,
                                               const Camera& camera, ViewSize size,
                                               const std::vector<double>& polygon,
                                               const DepthImage* depth,
                                               const Placement* placement) {
  if (polygon.size() < 6) return {};
  return componentsWhere(
      mesh, kind, camera, size, depth,
      [&](double x, double y) { return pointInPolygon(polygon, x, y); }, placement);
}

std::vector<std::uint32_t> componentsInCircle(const Mesh& mesh, ComponentKind kind,
                                              const Camera& camera, ViewSize size, double cx,
                                              double cy, double radius, const DepthImage* depth) {
  return componentsWhere(mesh, kind, camera, size, depth, [&](double x, double y) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  });
}

bool insideScanlines(const omScanRow* rows, std::int32_t rowCount, double x, double y) {
  if (!rows || !(y >= 0) || y >= rowCount) return false;
  const omScanRow& row = rows[static_cast<std::int32_t>(y)];
  bool in = false;
  for (std::int32_t i = 0; i < row.count; ++i) {
    const omScanEdge& e = row.edges[i];
    double yi = e.y0, yj = e.y1;
    if (yi < yj) yi += 0.5, yj -= 0.5;
    else if (yi > yj) yi -= 0.5, yj += 0.5;
    const double xi = e.x0, xj = e.x1;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

std::vector<std::uint32_t> componentsInScanlines(const Mesh& mesh, ComponentKind kind,
                                                 const Camera& camera, ViewSize size,
                                                 const omScanRow* rows, std::int32_t rowCount,
                                                 const DepthImage* depth) {
  if (!rows || rowCount <= 0) return {};
  return componentsWhere(mesh, kind, camera, size, depth, [&](double x, double y) {
    return insideScanlines(rows, rowCount, x, y);
  });
}

}  // namespace tessel::studio
