#include "studio/render/manipulator_geometry.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

namespace tessel::studio {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRingSegments = 72;

using H = ManipulatorHandle;

// The two axes spanning a plane handle, and the one normal to it.
bool planeAxes(H h, int* a, int* b, int* n) {
  switch (h) {
    case H::XY: *a = 0, *b = 1, *n = 2; return true;
    case H::YZ: *a = 1, *b = 2, *n = 0; return true;
    case H::ZX: *a = 2, *b = 0, *n = 1; return true;
    default: return false;
  }
}

double segmentDistance(double px, double py, double ax, double ay, double bx, double by,
                       double* along) {
  const double dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / l2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  *along = t;
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

Vec3 ray(const Camera& c, ViewSize s, const double* p, Vec3* origin) {
  Vec3 d;
  pixelRay(c, s.width, s.height, p[0], p[1], origin, &d);
  return d;
}

// Where the ray meets the plane through `o` with normal `n`; nothing when it runs along it.
std::optional<Vec3> onPlane(const Vec3& e, const Vec3& d, const Vec3& o, const Vec3& n) {
  const double den = dot(d, n);
  if (std::fabs(den) < 1e-6) return std::nullopt;
  const double s = dot(o - e, n) / den;
  const Vec3 p = e + d * s;
  return isFinite(p) ? std::optional<Vec3>(p) : std::nullopt;
}

// The parameter along the axis line (o, a) of its point nearest the ray.
std::optional<double> alongAxis(const Vec3& e, const Vec3& d, const Vec3& o, const Vec3& a) {
  const Vec3 w = o - e;
  const double b = dot(a, d), den = 1 - b * b;
  if (den < 1e-6) return std::nullopt;
  const double t = (b * dot(d, w) - dot(a, w)) / den;
  return std::isfinite(t) ? std::optional<double>(t) : std::nullopt;
}

}  // namespace

int handleAxis(ManipulatorHandle h) { return h == H::X ? 0 : h == H::Y ? 1 : h == H::Z ? 2 : -1; }

const char* handleName(ManipulatorHandle h) {
  switch (h) {
    case H::X: return "X";
    case H::Y: return "Y";
    case H::Z: return "Z";
    case H::XY: return "XY";
    case H::YZ: return "YZ";
    case H::ZX: return "ZX";
    case H::Centre: return "centre";
    case H::None: break;
  }
  return "none";
}

ManipulatorHandle handleNamed(const char* name) {
  std::string n = name ? name : "";
  for (char& ch : n) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (n == "x") return H::X;
  if (n == "y") return H::Y;
  if (n == "z") return H::Z;
  if (n == "xy" || n == "yx") return H::XY;
  if (n == "yz" || n == "zy") return H::YZ;
  if (n == "zx" || n == "xz") return H::ZX;
  if (n == "centre" || n == "center") return H::Centre;
  return H::None;
}

double manipulatorWorldSize(const Camera& camera, ViewSize size, const Vec3& origin) {
  if (size.height <= 0) return 1;
  if (camera.orthographic) return camera.orthoHeight / size.height * kManipulatorPixels;
  const double depth = std::max(dot(origin - camera.eye, viewDirection(camera)), 1e-9);
  const double perPixel =
      2 * depth * std::tan(camera.fovDegrees * kPi / 360) / static_cast<double>(size.height);
  return perPixel * kManipulatorPixels;
}

std::vector<HandleShape> manipulatorShapes(ManipulatorKind kind, const ManipulatorPose& pose,
                                           double length) {
  std::vector<HandleShape> out;
  const Vec3& o = pose.origin;
  const Vec3* ax = pose.axes;
  if (kind == ManipulatorKind::Rotate) {
    for (int i = 0; i < 3; ++i) {
      const Vec3 u = ax[(i + 1) % 3], v = ax[(i + 2) % 3];
      HandleShape ring{static_cast<H>(static_cast<int>(H::X) + i), {}, true};
      for (int k = 0; k < kRingSegments; ++k) {
        const double t = 2 * kPi * k / kRingSegments;
        ring.points.push_back(o + (u * std::cos(t) + v * std::sin(t)) * length);
      }
      out.push_back(std::move(ring));
    }
    return out;
  }
  if (kind == ManipulatorKind::None) return out;
  for (int i = 0; i < 3; ++i) {
    const H h = static_cast<H>(static_cast<int>(H::X) + i);
    out.push_back({h, {o, o + ax[i] * length}, false});
    const Vec3 tip = o + ax[i] * length, u = ax[(i + 1) % 3], v = ax[(i + 2) % 3];
    const double s = length * 0.06;
    if (kind == ManipulatorKind::Translate) {
      // An arrow head in the axis' two planes.
      out.push_back({h, {tip + u * s - ax[i] * (3 * s), tip, tip - u * s - ax[i] * (3 * s)}, false});
      out.push_back({h, {tip + v * s - ax[i] * (3 * s), tip, tip - v * s - ax[i] * (3 * s)}, false});
    } else {
      // A square end facing along the axis.
      out.push_back({h, {tip + (u + v) * s, tip + (u - v) * s, tip - (u + v) * s, tip + (v - u) * s},
                     true});
    }
  }
  if (kind == ManipulatorKind::Translate) {
    for (H h : {H::XY, H::YZ, H::ZX}) {
      int a = 0, b = 1, n = 2;
      planeAxes(h, &a, &b, &n);
      const double lo = 0.25 * length, hi = 0.45 * length;
      out.push_back({h,
                     {o + ax[a] * lo + ax[b] * lo, o + ax[a] * hi + ax[b] * lo,
                      o + ax[a] * hi + ax[b] * hi, o + ax[a] * lo + ax[b] * hi},
                     true});
    }
  }
  return out;
}

ManipulatorHandle pickHandle(ManipulatorKind kind, const ManipulatorPose& pose,
                             const Camera& camera, ViewSize size, double x, double y, Vec3* grab) {
  if (kind == ManipulatorKind::None) return H::None;
  const ScreenPoint c = project(camera, size.width, size.height, pose.origin);
  if (kind != ManipulatorKind::Rotate && c.inFront &&
      std::hypot(x - c.x, y - c.y) <= kHandlePickPixels + 2) {
    if (grab) *grab = pose.origin;
    return H::Centre;
  }
  const double length = manipulatorWorldSize(camera, size, pose.origin);
  H best = H::None;
  double bestDistance = kHandlePickPixels;
  for (const HandleShape& shape : manipulatorShapes(kind, pose, length)) {
    const std::size_t n = shape.points.size();
    for (std::size_t i = 0; i + 1 < n + (shape.closed ? 1 : 0); ++i) {
      const Vec3& a = shape.points[i];
      const Vec3& b = shape.points[(i + 1) % n];
      const ScreenPoint pa = project(camera, size.width, size.height, a);
      const ScreenPoint pb = project(camera, size.width, size.height, b);
      if (!pa.inFront || !pb.inFront) continue;
      double t;
      const double d = segmentDistance(x, y, pa.x, pa.y, pb.x, pb.y, &t);
      if (d <= bestDistance) {
        bestDistance = d, best = shape.handle;
        if (grab) *grab = a + (b - a) * t;
      }
    }
  }
  return best;
}

std::optional<Vec3> translateMotion(ManipulatorHandle handle, const ManipulatorPose& pose,
                                    const Camera& camera, ViewSize size, const double* press,
                                    const double* point) {
  Vec3 e0, e1;
  const Vec3 d0 = ray(camera, size, press, &e0), d1 = ray(camera, size, point, &e1);
  if (const int i = handleAxis(handle); i >= 0) {
    const auto t0 = alongAxis(e0, d0, pose.origin, pose.axes[i]);
    const auto t1 = alongAxis(e1, d1, pose.origin, pose.axes[i]);
    if (!t0 || !t1) return std::nullopt;
    return pose.axes[i] * (*t1 - *t0);
  }
  int a = 0, b = 1, n = 2;
  Vec3 normal;
  if (planeAxes(handle, &a, &b, &n))
    normal = pose.axes[n];
  else if (handle == H::Centre)
    normal = viewDirection(camera);
  else
    return std::nullopt;
  // A plane seen edge-on would throw the geometry towards the horizon.
  if (std::fabs(dot(d0, normal)) < 0.05) return std::nullopt;
  const auto p0 = onPlane(e0, d0, pose.origin, normal);
  const auto p1 = onPlane(e1, d1, pose.origin, normal);
  if (!p0 || !p1) return std::nullopt;
  return *p1 - *p0;
}

std::optional<double> ringAngle(ManipulatorHandle handle, const ManipulatorPose& pose,
                                const Camera& camera, ViewSize size, const Vec3& grab,
                                const double* press, const double* point) {
  const int i = handleAxis(handle);
  if (i < 0) return std::nullopt;
  const Vec3 axis = pose.axes[i], o = pose.origin;
  Vec3 e0, e1;
  const Vec3 d0 = ray(camera, size, press, &e0), d1 = ray(camera, size, point, &e1);
  if (std::fabs(dot(d0, axis)) > 0.2) {
    const auto p0 = onPlane(e0, d0, o, axis), p1 = onPlane(e1, d1, o, axis);
    if (p0 && p1) {
      const Vec3 u = *p0 - o, v = *p1 - o;
      if (length(u) > 0 && length(v) > 0) return std::atan2(dot(cross(u, v), axis), dot(u, v));
    }
  }
  // Nearly edge-on: the motion along the ring's tangent at the grabbed point.
  const Vec3 tangent = normalized(cross(axis, grab - o));
  const ScreenPoint g = project(camera, size.width, size.height, grab);
  const ScreenPoint t = project(camera, size.width, size.height, grab + tangent * length(grab - o));
  if (!g.inFront || !t.inFront) return std::nullopt;
  const double tx = t.x - g.x, ty = t.y - g.y, tl = std::hypot(tx, ty);
  if (tl < 1e-9) return std::nullopt;
  const double moved = ((point[0] - press[0]) * tx + (point[1] - press[1]) * ty) / tl;
  double angle = moved / (2 * kPi * kManipulatorPixels) * 2 * kPi;
  angle = std::remainder(angle, 2 * kPi);
  return angle;
}

std::optional<double> scaleRatio(ManipulatorHandle handle, const ManipulatorPose& pose,
                                 const Camera& camera, ViewSize size, const double* press,
                                 const double* point) {
  double ratio;
  if (handle == H::Centre) {
    ratio = 1 + ((point[0] - press[0]) - (point[1] - press[1])) / kManipulatorPixels;
  } else {
    const int i = handleAxis(handle);
    if (i < 0) return std::nullopt;
    const double length = manipulatorWorldSize(camera, size, pose.origin);
    const ScreenPoint c = project(camera, size.width, size.height, pose.origin);
    const ScreenPoint e = project(camera, size.width, size.height, pose.origin + pose.axes[i] * length);
    if (!c.inFront || !e.inFront) return std::nullopt;
    double ux = e.x - c.x, uy = e.y - c.y;
    const double ul = std::hypot(ux, uy);
    // An axis along the line of sight has no direction on screen to measure along.
    if (ul < 2) return std::nullopt;
    ux /= ul, uy /= ul;
    const double from = (press[0] - c.x) * ux + (press[1] - c.y) * uy;
    const double to = (point[0] - c.x) * ux + (point[1] - c.y) * uy;
    if (std::fabs(from) < 2) return std::nullopt;
    ratio = to / from;
  }
  if (!std::isfinite(ratio)) return std::nullopt;
  return std::max(ratio, kSmallestDragScale);
}

}  // namespace tessel::studio
