#include "studio/host/studio_manipulator.h"

#include <cmath>
#include <cstdio>

#include "studio/host/studio_view.h"

namespace tessel::studio {

namespace tm = tessel::transform;

namespace {

tm::Vec3 tv(const Vec3& v) { return {v.x, v.y, v.z}; }
Vec3 sv(const tm::Vec3& v) { return {v.x, v.y, v.z}; }

void write(const tm::Mat4& m, float* out) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
}

double clean(double v) { return std::fabs(v) < 5e-5 ? 0.0 : v; }

}  // namespace

ManipulatorPose ManipulatorPoseState::pose() const {
  ManipulatorPose p;
  p.origin = origin;
  p.axes[0] = sv(tm::rotate(orientation, {1, 0, 0}));
  p.axes[1] = sv(tm::rotate(orientation, {0, 1, 0}));
  p.axes[2] = sv(tm::rotate(orientation, {0, 0, 1}));
  return p;
}

// [SECTION] following the selection

std::optional<ManipulatorPoseState> followedPose(const ManipulatorPoseState& pose,
                                                 const SelectionAnchor& before,
                                                 const SelectionAnchor& after) {
  if (before.ids.empty() || before.ids != after.ids) return std::nullopt;
  const bool frameMoved = before.frame != after.frame;
  if (!frameMoved && before.placement == after.placement) return std::nullopt;
  const tm::Mat4& from = frameMoved ? before.frame : before.placement;
  const tm::Mat4& to = frameMoved ? after.frame : after.placement;
  const auto undo = tm::inverseAffine(from);
  if (!undo) return std::nullopt;
  // Row vectors: a point placed by `from` lands where `to` puts it through from^-1 to.
  const tm::Mat4 step = tm::multiply(*undo, to);
  ManipulatorPoseState moved;
  moved.origin = sv(tm::placePoint(tv(pose.origin), step));
  // The axes are the rows of the manipulator's own matrix; a scale in the step only stretches
  // them, so each is brought back to unit length before the turn is read.
  const tm::Mat4 axes = tm::multiply(tm::placementRotation(pose.orientation), step);
  tm::Mat4 rows = tm::identity();
  for (int r = 0; r < 3; ++r) {
    const auto unit = tm::normalized(tm::Vec3{axes[4 * r], axes[4 * r + 1], axes[4 * r + 2]});
    if (!unit) return std::nullopt;
    rows[4 * r] = unit->x, rows[4 * r + 1] = unit->y, rows[4 * r + 2] = unit->z;
  }
  const auto turn = tm::quatFromMatrix(tm::transpose(rows));
  if (!turn || !isFinite(moved.origin)) return std::nullopt;
  moved.orientation = *turn;
  return moved;
}

// [SECTION] frame and axes

void ManipulatorFrame::GetOrigin(float* xyz) {
  xyz[0] = static_cast<float>(state_.origin.x);
  xyz[1] = static_cast<float>(state_.origin.y);
  xyz[2] = static_cast<float>(state_.origin.z);
}

void ManipulatorFrame::SetOrigin(const float* xyz) {
  const Vec3 o{xyz[0], xyz[1], xyz[2]};
  if (isFinite(o)) state_.origin = o;
  if (placed_) placed_();
}

void ManipulatorFrame::GetOrientation(float* xyzw) {
  const tm::Quat& q = state_.orientation;
  xyzw[0] = static_cast<float>(q.x), xyzw[1] = static_cast<float>(q.y);
  xyzw[2] = static_cast<float>(q.z), xyzw[3] = static_cast<float>(q.w);
}

void ManipulatorFrame::SetOrientation(const float* xyzw) {
  if (const auto q = tm::normalized(tm::Quat{xyzw[0], xyzw[1], xyzw[2], xyzw[3]}))
    state_.orientation = *q;
  if (placed_) placed_();
}

void ManipulatorFrame::GetMatrix(float* m) {
  tm::Mat4 f = tm::placementRotation(state_.orientation);
  f[12] = state_.origin.x, f[13] = state_.origin.y, f[14] = state_.origin.z;
  write(f, m);
}

void ManipulatorAxes::GetMatrix(float* m) { write(tm::placementRotation(state_.orientation), m); }

void ManipulatorAxes::SetMatrix(const float* m) {
  tm::Mat4 rows = tm::identity();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) rows[4 * r + c] = m[4 * r + c];
  // The rows are the axes; the turn of column vectors is their transpose.
  if (const auto q = tm::quatFromMatrix(tm::transpose(rows))) state_.orientation = *q;
  if (placed_) placed_();
}

void ManipulatorAxes::GetRotation(float* xyzw) {
  const tm::Quat& q = state_.orientation;
  xyzw[0] = static_cast<float>(q.x), xyzw[1] = static_cast<float>(q.y);
  xyzw[2] = static_cast<float>(q.z), xyzw[3] = static_cast<float>(q.w);
}

// [SECTION] the shared part

ManipulatorHandle ManipulatorCore::handleAt(StudioView& v, double x, double y, Vec3* grab) const {
  return pickHandle(kind_, state.pose(), v.camera, v.size(), x, y, grab);
}

bool ManipulatorCore::handlePixel(StudioView& v, ManipulatorHandle handle, double* x,
                                  double* y) const {
  const ManipulatorPose p = state.pose();
  const ViewSize size = v.size();
  const double length = manipulatorWorldSize(v.camera, size, p.origin);
  Vec3 at = p.origin;
  if (handle != ManipulatorHandle::Centre) {
    bool found = false;
    for (const HandleShape& s : manipulatorShapes(kind_, p, length))
      if (s.handle == handle && !s.points.empty()) {
        // Along an axis, three quarters out; on a plane square or a ring, a point of it that
        // faces the viewer.
        if (s.points.size() == 2) {
          at = s.points[0] + (s.points[1] - s.points[0]) * 0.75;
        } else {
          at = s.points[0];
          double nearest = HUGE_VAL;
          for (const Vec3& q : s.points) {
            const double d = dot(q - v.camera.eye, viewDirection(v.camera));
            if (d < nearest - 1e-9 * length) nearest = d, at = q;
          }
          if (s.closed && kind_ != ManipulatorKind::Rotate) {
            at = Vec3{};
            for (const Vec3& q : s.points) at = at + q;
            at = at / static_cast<double>(s.points.size());
          }
        }
        found = true;
        break;
      }
    if (!found) return false;
  }
  const ScreenPoint sp = project(v.camera, size.width, size.height, at);
  if (!sp.inFront) return false;
  *x = sp.x, *y = sp.y;
  return handleAt(v, sp.x, sp.y) == handle;
}

bool ManipulatorCore::pick(omViewport* viewport, const float* point) {
  reset();
  StudioView* v = view(viewport);
  if (!v || !point) return false;
  picked = handleAt(*v, point[0], point[1], &grab_);
  pressPose_ = state.pose();
  return picked != ManipulatorHandle::None;
}

void ManipulatorCore::reset() {
  picked = ManipulatorHandle::None;
  lastMotion_ = {};
  lastAngle_ = 0;
  lastRatio_ = 1;
}

std::string ManipulatorCore::describe() const {
  const char* kinds[] = {"none", "translate", "rotate", "scale"};
  const tm::Quat& q = state.orientation;
  char text[320];
  std::snprintf(text, sizeof text,
                "manipulator: %s at (%.4f, %.4f, %.4f) orientation (%.4f, %.4f, %.4f, %.4f) "
                "hover %s picked %s%s",
                kinds[static_cast<int>(kind_)], clean(state.origin.x), clean(state.origin.y),
                clean(state.origin.z), clean(q.x), clean(q.y), clean(q.z), clean(q.w),
                handleName(hover), handleName(picked), restricted ? " restricted" : "");
  return text;
}

template <class Interface>
void StudioManipulator<Interface>::GetPosition(float* xyz) {
  xyz[0] = static_cast<float>(state.origin.x);
  xyz[1] = static_cast<float>(state.origin.y);
  xyz[2] = static_cast<float>(state.origin.z);
}

template class StudioManipulator<omTranslateManipulator>;
template class StudioManipulator<omRotateManipulator>;
template class StudioManipulator<omScaleManipulator>;

// [SECTION] drags

void TranslateManipulator::Drag(float* step, omViewport* viewport, const float* press,
                                const float* point) {
  step[0] = step[1] = step[2] = 0;
  StudioView* v = view(viewport);
  if (!v || picked == ManipulatorHandle::None || !press || !point) return;
  const double p0[2] = {press[0], press[1]}, p1[2] = {point[0], point[1]};
  const auto motion = translateMotion(picked, pressPose_, v->camera, v->size(), p0, p1);
  if (!motion) return;
  const Vec3 d = *motion - lastMotion_;
  lastMotion_ = *motion;
  state.origin = pressPose_.origin + *motion;
  step[0] = static_cast<float>(d.x), step[1] = static_cast<float>(d.y);
  step[2] = static_cast<float>(d.z);
}

const float* RotateManipulator::Drag(float* xyzw, omViewport* viewport, const float* press,
                                     const float* point) {
  xyzw[0] = xyzw[1] = xyzw[2] = 0, xyzw[3] = 1;
  StudioView* v = view(viewport);
  const int axis = handleAxis(picked);
  if (!v || axis < 0 || !press || !point) return xyzw;
  const double p0[2] = {press[0], press[1]}, p1[2] = {point[0], point[1]};
  const auto angle = ringAngle(picked, pressPose_, v->camera, v->size(), grab_, p0, p1);
  if (!angle) return xyzw;
  // Past half a turn atan2 wraps: the step is the short way from the last angle.
  const double step = std::remainder(*angle - lastAngle_, 2 * M_PI);
  lastAngle_ = *angle;
  const auto q = tm::axisAngle(tv(pressPose_.axes[axis]), step);
  if (!q) return xyzw;
  if (const auto turned = tm::normalized(tm::multiply(*q, state.orientation)))
    state.orientation = *turned;
  xyzw[0] = static_cast<float>(q->x), xyzw[1] = static_cast<float>(q->y);
  xyzw[2] = static_cast<float>(q->z), xyzw[3] = static_cast<float>(q->w);
  return xyzw;
}

void ScaleManipulator::Drag(float* factors, omViewport* viewport, const float* press,
                            const float* point) {
  factors[0] = factors[1] = factors[2] = 1;
  StudioView* v = view(viewport);
  if (!v || picked == ManipulatorHandle::None || !press || !point) return;
  const double p0[2] = {press[0], press[1]}, p1[2] = {point[0], point[1]};
  const auto ratio = scaleRatio(picked, pressPose_, v->camera, v->size(), p0, p1);
  if (!ratio) return;
  const double step = *ratio / lastRatio_;
  lastRatio_ = *ratio;
  const int axis = handleAxis(picked);
  if (axis < 0 || restricted)
    factors[0] = factors[1] = factors[2] = static_cast<float>(step);
  else
    factors[axis] = static_cast<float>(step);
}

}  // namespace tessel::studio
