// The transform manipulators' geometry as plain functions of a pose, a camera and pixels: the
// handles' shapes at a constant size on screen, which handle lies under a pixel, and how far a
// pointer motion drags a handle (along an axis or across a plane, round a ring, or as a ratio of
// distances on screen). Drawing and the host objects build on these.
#pragma once

#include <optional>
#include <vector>

#include "studio/render/picking.h"
#include "studio/scene/camera.h"
#include "studio/scene/vec3.h"

namespace tessel::studio {

enum class ManipulatorKind { None, Translate, Rotate, Scale };
// Rotate uses X, Y, Z as its rings; scale uses them as its axis ends, Centre as uniform.
enum class ManipulatorHandle { None, X, Y, Z, XY, YZ, ZX, Centre };

const char* handleName(ManipulatorHandle handle);
// 0, 1, 2 for the X, Y and Z handles; -1 for the others.
int handleAxis(ManipulatorHandle handle);
// "X", "y", "XY", "centre", ... (any case); None for a name no handle has.
ManipulatorHandle handleNamed(const char* name);

struct ManipulatorPose {
  Vec3 origin;
  Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // unit, world
};

// An axis (or ring radius) is this many pixels long on screen, whatever the zoom.
inline constexpr double kManipulatorPixels = 90;
// A handle is grabbed within this many pixels of its drawing.
inline constexpr double kHandlePickPixels = 6;
// The smallest scale a drag reaches from where it started.
inline constexpr double kSmallestDragScale = 0.01;

// The world length that spans kManipulatorPixels at the pose's origin in this view.
double manipulatorWorldSize(const Camera& camera, ViewSize size, const Vec3& origin);

// One handle drawn as a polyline in world space.
struct HandleShape {
  ManipulatorHandle handle;
  std::vector<Vec3> points;
  bool closed = false;
};
// The handles of `kind`, `length` world units long (axes, plane squares, rings, end boxes).
std::vector<HandleShape> manipulatorShapes(ManipulatorKind kind, const ManipulatorPose& pose,
                                           double length);

// The handle under pixel (x, y): the centre within kHandlePickPixels + 2 of the origin on screen,
// else the nearest handle drawing within kHandlePickPixels; None otherwise. `grab` receives the
// world point of the handle nearest the pixel.
ManipulatorHandle pickHandle(ManipulatorKind kind, const ManipulatorPose& pose,
                             const Camera& camera, ViewSize size, double x, double y,
                             Vec3* grab = nullptr);

// Translate: the handle's motion in world units from the press pixel to the pointer's, along the
// axis or across the plane (the centre: the plane facing the view). Nothing when the axis runs
// along the line of sight or the plane is seen edge-on.
std::optional<Vec3> translateMotion(ManipulatorHandle handle, const ManipulatorPose& pose,
                                    const Camera& camera, ViewSize size, const double* press,
                                    const double* point);

// Rotate: the angle (radians, right-handed about the ring's axis) the pointer turned the ring
// from the press to now, in (-pi, pi]. The pointer is followed on the ring's plane; a ring seen
// nearly edge-on turns by the motion along its tangent at `grab`, a full turn for its
// circumference on screen.
std::optional<double> ringAngle(ManipulatorHandle handle, const ManipulatorPose& pose,
                                const Camera& camera, ViewSize size, const Vec3& grab,
                                const double* press, const double* point);

// Scale: the factor from the press to now: for an axis end, the ratio of the pointer's distances
// from the centre along the axis on screen; for the centre, 1 plus the motion right and up over
// the manipulator's size. Never below kSmallestDragScale; nothing when the press was on the
// centre's screen point along the axis.
std::optional<double> scaleRatio(ManipulatorHandle handle, const ManipulatorPose& pose,
                                 const Camera& camera, ViewSize size, const double* press,
                                 const double* point);

}  // namespace tessel::studio
