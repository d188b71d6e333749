#include "studio/host/studio_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessel::studio {

StudioView::StudioView(int index, ViewKind kind, const InputState& input, ViewHost& host)
    : camera(standardCamera(kind)), index_(index), kind_(kind), input_(input), host_(host) {
  ResetTumbleReference(0, 0);
}

void StudioView::ResetTumbleReference(std::int32_t, std::int32_t) {
  tumbleReference_ = camera;
  lastFrom_[0] = lastFrom_[1] = std::numeric_limits<float>::quiet_NaN();
}

void StudioView::GetCursorPosition(float* xy) {
  if (!xy) return;
  xy[0] = input_.x, xy[1] = input_.y;
}

void StudioView::SetViewCursor(const omCursor* cursor) { cursor_ = cursor ? *cursor : omCursor{}; }

void StudioView::Tumble(float* angles, const float* from, const float* to) {
  float ignored[2];
  if (!angles) angles = ignored;
  angles[0] = angles[1] = 0;
  if (!from || !to) return;
  // A new anchor (SHIFT pressed mid-drag) starts the offsets again from the camera as it is.
  if (from[0] != lastFrom_[0] || from[1] != lastFrom_[1]) {
    tumbleReference_ = camera;
    lastFrom_[0] = from[0], lastFrom_[1] = from[1];
  }
  tumbleCamera(camera, tumbleReference_, tumbleMode, to[0] - from[0], to[1] - from[1],
               rect.height, tumbleDegreesPerHeight, angles);
}

void StudioView::Pan(float* translation, const float* from, const float* to) {
  float ignored[2];
  if (!translation) translation = ignored;
  translation[0] = translation[1] = 0;
  if (!from || !to) return;
  const Vec3 before = camera.eye;
  const Vec3 right = viewRight(camera), up = camera.up;
  if (!pan(camera, rect.height, to[0] - from[0], to[1] - from[1])) return;
  const Vec3 moved = camera.eye - before;
  translation[0] = static_cast<float>(dot(moved, right));
  translation[1] = static_cast<float>(dot(moved, up));
}

float StudioView::Roll(const float* from, const float* to) {
  if (!from || !to) return 0;
  const double degrees = (to[0] - from[0]) * rollDegreesPerWidth / std::max(rect.width, 1);
  return roll(camera, degrees) ? static_cast<float>(degrees) : 0.0f;
}

// A drag across the whole width halves (or doubles) the field of view or the distance.
float StudioView::Zoom(const float* from, const float* to) {
  const double dx = from && to ? to[0] - from[0] : 0;
  const double factor = std::exp2(-dx / std::max(rect.width, 1));
  return static_cast<float>(zoomWithinLimits(camera, factor, rect.width, rect.height));
}

float StudioView::Dolly(const float* from, const float* to, const float* pivot) {
  const double dx = from && to ? to[0] - from[0] : 0;
  const Vec3 p = pivot ? Vec3{pivot[0], pivot[1], pivot[2]} : camera.target;
  const double distance = length(p - camera.eye);
  const double amount = distance * (1 - std::exp2(-dx / std::max(rect.width, 1)));
  return static_cast<float>(dollyTowards(camera, amount, p, rect.width, rect.height));
}

float StudioView::ZoomInToRect(const float* min, const float* max) {
  return static_cast<float>(zoomRect(camera, rect.width, rect.height, min[0], min[1], max[0],
                                     max[1], true));
}

float StudioView::ZoomOutFromRect(const float* min, const float* max) {
  return static_cast<float>(zoomRect(camera, rect.width, rect.height, min[0], min[1], max[0],
                                     max[1], false));
}

const char* StudioView::kindName() const {
  switch (kind_) {
    case ViewKind::Perspective: return "perspective";
    case ViewKind::Top: return "top";
    case ViewKind::Front: return "front";
    case ViewKind::Right: return "right";
  }
  return "";
}

void tumbleCamera(Camera& camera, const Camera& reference, int mode, double dx, double dy,
                  int height, double degreesPerHeight, float* angles) {
  angles[0] = angles[1] = 0;
  double k = degreesPerHeight / std::max(height, 1);
  double yaw = dx * k, pitch = dy * k;
  if (!std::isfinite(yaw) || !std::isfinite(pitch)) return;
  if (yaw == 0 && pitch == 0) {
    camera = reference;  // back at the anchor: exactly where the gesture started
    return;
  }
  // From the reference every time: a drag back to its start returns the camera exactly.
  Camera next = reference;
  bool ok = true;
  switch (mode) {
    case 0: {
      // Turntable: about the world's vertical through the target; vertical motion is ignored.
      Vec3 offset = rotate(reference.eye - reference.target, {0, 1, 0}, -yaw * 3.14159265358979 / 180);
      next.eye = reference.target + offset;
      next.up = rotate(reference.up, {0, 1, 0}, -yaw * 3.14159265358979 / 180);
      angles[0] = static_cast<float>(yaw);
      break;
    }
    case 2:
      ok = roll(next, yaw);
      angles[0] = static_cast<float>(yaw);
      break;
    default:
      ok = tumble(next, yaw, pitch);
      angles[0] = static_cast<float>(yaw), angles[1] = static_cast<float>(pitch);
      break;
  }
  if (ok && isFinite(next.eye) && isFinite(next.up)) camera = next;
}

}  // namespace tessel::studio
