#include "studio/scene/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessel::studio {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

bool isFinite(const Camera& c) {
  return studio::isFinite(c.eye) && studio::isFinite(c.target) && studio::isFinite(c.up) &&
         std::isfinite(c.fovDegrees) && std::isfinite(c.orthoHeight) && length(c.up) > 0.5 &&
         length(c.eye - c.target) > 0 && c.orthoHeight > 0;
}

// Commits `next` only when it is a usable camera.
bool commit(Camera& c, const Camera& next) {
  if (!isFinite(next)) return false;
  c = next;
  return true;
}

// Re-orthogonalises up against the view direction so rounding does not tilt the horizon.
void fixUp(Camera& c) {
  Vec3 d = normalized(c.target - c.eye);
  c.up = normalized(c.up - d * dot(c.up, d));
}

}  // namespace

Camera standardCamera(ViewKind kind) {
  Camera c;
  switch (kind) {
    case ViewKind::Perspective:
      c.eye = {3.5, 2.5, 3.5};
      c.up = {0, 1, 0};
      break;
    case ViewKind::Top:
      c.eye = {0, 5, 0}, c.up = {0, 0, -1}, c.orthographic = true;
      break;
    case ViewKind::Front:
      c.eye = {0, 0, 5}, c.up = {0, 1, 0}, c.orthographic = true;
      break;
    case ViewKind::Right:
      c.eye = {5, 0, 0}, c.up = {0, 1, 0}, c.orthographic = true;
      break;
  }
  fixUp(c);
  return c;
}

Vec3 viewDirection(const Camera& c) { return normalized(c.target - c.eye); }
Vec3 viewRight(const Camera& c) { return normalized(cross(viewDirection(c), c.up)); }
double targetDistance(const Camera& c) { return length(c.target - c.eye); }

double worldPerPixel(const Camera& c, int height) {
  double h = std::max(height, 1);
  if (c.orthographic) return c.orthoHeight / h;
  return 2 * targetDistance(c) * std::tan(c.fovDegrees * kDegree / 2) / h;
}

Mat4 viewMatrix(const Camera& c) {
  Vec3 f = viewDirection(c), s = viewRight(c), u = cross(s, f);
  return {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0,
          -dot(s, c.eye), -dot(u, c.eye), dot(f, c.eye), 1};
}

void clipRange(const Camera& c, const Box& scene, double* nearPlane, double* farPlane) {
  double dist = targetDistance(c);
  double lo = dist * 0.5, hi = dist * 2;
  if (!scene.empty()) {
    double centre = dot(scene.center() - c.eye, viewDirection(c));
    double r = scene.radius();
    lo = centre - r * 1.01, hi = centre + r * 1.01;
  }
  // Depth precision falls with far/near; a near plane too close to the eye wastes all of it.
  hi = std::max(hi, 1e-6);
  lo = std::max(lo, hi * 1e-4);
  if (c.orthographic) lo = std::min(lo, 0.0) - 1e-6 - std::fabs(hi);
  *nearPlane = lo, *farPlane = hi;
}

Mat4 projectionMatrix(const Camera& c, int width, int height, double n, double f) {
  double aspect = static_cast<double>(std::max(width, 1)) / std::max(height, 1);
  Mat4 m{};
  if (c.orthographic) {
    double t = c.orthoHeight / 2, r = t * aspect;
    m[0] = 1 / r, m[5] = 1 / t, m[10] = -2 / (f - n), m[14] = -(f + n) / (f - n), m[15] = 1;
  } else {
    double t = 1 / std::tan(c.fovDegrees * kDegree / 2);
    m[0] = t / aspect, m[5] = t, m[10] = -(f + n) / (f - n), m[11] = -1;
    m[14] = -2 * f * n / (f - n);
  }
  return m;
}

ScreenPoint project(const Camera& c, int width, int height, const Vec3& p) {
  Vec3 rel = p - c.eye;
  double z = dot(rel, viewDirection(c));
  double x = dot(rel, viewRight(c)), y = dot(rel, c.up);
  ScreenPoint s;
  s.depth = z;
  double scale;  // pixels per world unit at this depth
  if (c.orthographic) {
    scale = height / c.orthoHeight;
    s.inFront = true;
  } else {
    s.inFront = z > 1e-12;
    if (!s.inFront) return s;
    scale = height / (2 * z * std::tan(c.fovDegrees * kDegree / 2));
  }
  s.x = width / 2.0 + x * scale;
  s.y = height / 2.0 - y * scale;
  return s;
}

Projector::Projector(const Camera& c, int width, int height)
    : eye_(c.eye),
      forward_(viewDirection(c)),
      right_(viewRight(c)),
      up_(c.up),
      halfW_(width / 2.0),
      halfH_(height / 2.0),
      ortho_(c.orthographic) {
  pixelsPerUnit_ = ortho_ ? height / c.orthoHeight
                          : height / (2 * std::tan(c.fovDegrees * kDegree / 2));
}

ScreenPoint Projector::operator()(const Vec3& p) const {
  Vec3 rel = p - eye_;
  ScreenPoint s;
  s.depth = dot(rel, forward_);
  s.inFront = ortho_ || s.depth > 1e-12;
  if (!s.inFront) return s;
  double scale = ortho_ ? pixelsPerUnit_ : pixelsPerUnit_ / s.depth;
  s.x = halfW_ + dot(rel, right_) * scale;
  s.y = halfH_ - dot(rel, up_) * scale;
  return s;
}

void pixelRay(const Camera& c, int width, int height, double x, double y, Vec3* origin,
              Vec3* direction) {
  Vec3 f = viewDirection(c), r = viewRight(c);
  double ox = x - width / 2.0, oy = height / 2.0 - y;
  if (c.orthographic) {
    double k = c.orthoHeight / std::max(height, 1);
    *origin = c.eye + r * (ox * k) + c.up * (oy * k);
    *direction = f;
  } else {
    double k = 2 * std::tan(c.fovDegrees * kDegree / 2) / std::max(height, 1);
    *origin = c.eye;
    *direction = normalized(f + r * (ox * k) + c.up * (oy * k));
  }
}

bool tumble(Camera& c, double yawDegrees, double pitchDegrees) {
  Camera n = c;
  Vec3 offset = c.eye - c.target;
  Vec3 right = viewRight(c);
  offset = rotate(offset, c.up, -yawDegrees * kDegree);
  right = rotate(right, c.up, -yawDegrees * kDegree);
  offset = rotate(offset, right, -pitchDegrees * kDegree);
  n.up = rotate(c.up, right, -pitchDegrees * kDegree);
  n.eye = c.target + offset;
  fixUp(n);
  return commit(c, n);
}

bool pan(Camera& c, int height, double dx, double dy) {
  Camera n = c;
  double k = worldPerPixel(c, height);
  Vec3 move = viewRight(c) * (-dx * k) + c.up * (dy * k);
  n.eye = c.eye + move, n.target = c.target + move;
  return commit(c, n);
}

bool roll(Camera& c, double degrees) {
  Camera n = c;
  n.up = rotate(c.up, viewDirection(c), degrees * kDegree);
  fixUp(n);
  return commit(c, n);
}

bool dolly(Camera& c, double amount) {
  Camera n = c;
  double dist = targetDistance(c);
  if (c.orthographic) {
    // Moving an orthographic eye changes nothing on screen; scale the view as a user expects.
    n.orthoHeight = c.orthoHeight * std::exp(-amount / std::max(dist, 1e-12));
    return commit(c, n);
  }
  double next = dist - amount;
  double minimum = dist * 1e-3;
  if (next < minimum) return false;
  n.eye = c.target - viewDirection(c) * next;
  return commit(c, n);
}

double orthoWidth(const Camera& c, int width, int height) {
  return c.orthoHeight * std::max(width, 1) / std::max(height, 1);
}

double zoomWithinLimits(Camera& c, double factor, int width, int height) {
  // An infinite or zero factor (a huge drag) runs into a limit; only NaN and negatives mean nothing.
  if (std::isnan(factor) || factor < 0) factor = 1;
  if (c.orthographic) {
    double aspect = static_cast<double>(std::max(width, 1)) / std::max(height, 1);
    double w = std::clamp(orthoWidth(c, width, height) * factor, kNarrowestOrtho, kWidestOrtho);
    c.orthoHeight = w / aspect;
    return w;
  }
  c.fovDegrees = std::clamp(c.fovDegrees * factor, kNarrowestFov, kWidestFov);
  return c.fovDegrees;
}

double dollyTowards(Camera& c, double amount, const Vec3& pivot, int width, int height) {
  Vec3 toPivot = pivot - c.eye;
  double dist = length(toPivot);
  if (c.orthographic) {
    // The width scales as the distance would: by a factor, so that steps of the same drag keep
    // their effect at any width and reach both limits, as zooming does.
    double factor = dist > 0 ? (dist - amount) / dist : std::exp(-amount);
    if (std::isnan(factor)) factor = 1;
    return zoomWithinLimits(c, std::max(factor, 0.0), width, height);
  }
  if (!std::isfinite(amount) || !(dist > 0)) return dist;
  double next = std::clamp(dist - amount, kNearestDolly, 1e30);
  Camera n = c;
  Vec3 d = toPivot / dist;
  n.eye = pivot - d * next;
  if (!commit(c, n)) return dist;
  return next;
}

bool dollyTowardsPixel(Camera& c, int width, int height, double x, double y, double fraction) {
  if (!std::isfinite(fraction) || !std::isfinite(x) || !std::isfinite(y)) return false;
  Vec3 origin, direction;
  pixelRay(c, width, height, x, y, &origin, &direction);
  const Vec3 forward = viewDirection(c);
  // The point under the pixel on the plane through the target, square to the view.
  const double along = dot(direction, forward);
  if (!(along > 0)) return false;
  const Vec3 point = origin + direction * (dot(c.target - origin, forward) / along);
  Camera n = c;
  if (c.orthographic) {
    const double before = n.orthoHeight;
    zoomWithinLimits(n, 1 - fraction, width, height);
    // The view scales about the point, so it keeps its pixel.
    const Vec3 shift = (point - c.target) * (1 - n.orthoHeight / before);
    n.eye = c.eye + shift, n.target = c.target + shift;
    return commit(c, n);
  }
  const Vec3 toPoint = point - c.eye;
  const double dist = length(toPoint);
  if (!(dist > 0)) return false;
  const double next = std::clamp(dist * (1 - fraction), kNearestDolly, 1e30);
  // Eye and target scale about the point: the direction of view is kept, the point stays on the
  // pixel's ray and at the target's depth, so each notch goes the same share of the way and a
  // notch out undoes a notch in.
  const double k = next / dist;
  n.eye = point + (c.eye - point) * k, n.target = point + (c.target - point) * k;
  return commit(c, n);
}

double zoomRect(Camera& c, int width, int height, double x0, double y0, double x1, double y1,
                bool in) {
  auto value = [&] { return c.orthographic ? orthoWidth(c, width, height) : c.fovDegrees; };
  double w = std::fabs(x1 - x0), h = std::fabs(y1 - y0);
  if (w < 1 || h < 1 || width < 1 || height < 1) return value();
  double factor = std::max(w / width, h / height);
  if (!in) factor = 1 / factor;
  // Centre the rectangle first, then scale: zooming in brings it to the whole view, zooming out
  // shrinks the whole view into it.
  Camera n = c;
  pan(n, height, width / 2.0 - (x0 + x1) / 2, height / 2.0 - (y0 + y1) / 2);
  if (!n.orthographic) {
    double t = std::tan(n.fovDegrees * kDegree / 2) * factor;
    double fov = 2 * std::atan(t) / kDegree;
    n.fovDegrees = std::clamp(fov, kNarrowestFov, kWidestFov);
    commit(c, n);
    return c.fovDegrees;
  }
  commit(c, n);
  return zoomWithinLimits(c, factor, width, height);
}

bool frameBox(Camera& c, const Box& box, int width, int height) {
  if (box.empty()) return false;
  Camera n = c;
  // A scene of one point (or of vertices that all coincide) has no size to fit: framed as a unit
  // sphere around it, or the eye would land on the target, where nothing projects.
  const bool point = !(box.radius() > 1e-9 * (1 + length(box.center())));
  const double r = point ? 1.0 : box.radius();
  double aspect = static_cast<double>(std::max(width, 1)) / std::max(height, 1);
  Vec3 d = viewDirection(c);
  n.target = box.center();
  if (c.orthographic) {
    // An orthographic view can fit the box's own outline rather than its bounding sphere.
    double halfW = 0, halfH = 0;
    Vec3 right = viewRight(c);
    for (int i = 0; i < 8; ++i) {
      Vec3 corner{i & 1 ? box.max.x : box.min.x, i & 2 ? box.max.y : box.min.y,
                  i & 4 ? box.max.z : box.min.z};
      halfW = std::max(halfW, std::fabs(dot(corner - n.target, right)));
      halfH = std::max(halfH, std::fabs(dot(corner - n.target, c.up)));
    }
    n.orthoHeight = std::max({2 * halfH, 2 * halfW / aspect, point ? 2 * r : 2e-9}) * 1.1;
    n.eye = n.target - d * (r * 3);
  } else {
    double narrow = std::min(aspect, 1.0);  // fit the narrower side
    double half = std::atan(std::tan(c.fovDegrees * kDegree / 2) * narrow);
    n.eye = n.target - d * (r / std::sin(half) * 1.05);
  }
  return commit(c, n);
}

}  // namespace tessel::studio
