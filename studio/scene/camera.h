// A view's camera and the operations the navigation tools ask of it, as plain functions of the
// camera and screen deltas. Screen positions are view pixels, origin top left, y down. Every
// operation either yields a finite camera or leaves it as it was and answers false.
#pragma once

#include "studio/scene/vec3.h"

namespace tessel::studio {

enum class ViewKind { Perspective, Top, Front, Right };

struct Camera {
  Vec3 eye{0, 0, 5};
  Vec3 target{0, 0, 0};  // centre of the view; also the tumble pivot
  Vec3 up{0, 1, 0};      // unit, orthogonal to the view direction
  double fovDegrees = 40;  // vertical field of view, perspective
  bool orthographic = false;
  double orthoHeight = 2;  // world units across the view's height, orthographic
  bool operator==(const Camera&) const = default;
};

struct ScreenPoint {
  double x = 0, y = 0;
  double depth = 0;     // distance along the view direction
  bool inFront = false;  // false behind the eye (perspective)
};

Camera standardCamera(ViewKind kind);
Vec3 viewDirection(const Camera& c);
Vec3 viewRight(const Camera& c);
double targetDistance(const Camera& c);
// World units per pixel at the target's depth.
double worldPerPixel(const Camera& c, int height);

Mat4 viewMatrix(const Camera& c);
// Near and far planes that hold `scene` (a small range around the target for an empty scene).
void clipRange(const Camera& c, const Box& scene, double* nearPlane, double* farPlane);
Mat4 projectionMatrix(const Camera& c, int width, int height, double nearPlane, double farPlane);

ScreenPoint project(const Camera& c, int width, int height, const Vec3& p);

// project() with the camera's frame worked out once, for loops over many points.
class Projector {
 public:
  Projector(const Camera& c, int width, int height);
  ScreenPoint operator()(const Vec3& p) const;

 private:
  Vec3 eye_, forward_, right_, up_;
  double halfW_, halfH_, pixelsPerUnit_;  // orthographic scale, or perspective scale at depth 1
  bool ortho_;
};
// The ray through a pixel: origin and unit direction.
void pixelRay(const Camera& c, int width, int height, double x, double y, Vec3* origin,
              Vec3* direction);

// Orbits the eye about the target: `yaw` about the camera's up, `pitch` about its right, degrees.
bool tumble(Camera& c, double yawDegrees, double pitchDegrees);
// Moves eye and target so the content at the target's depth follows the cursor by (dx, dy) pixels.
bool pan(Camera& c, int height, double dx, double dy);
bool roll(Camera& c, double degrees);
// Moves the eye along the view direction by `amount` world units (towards the target when
// positive); stops short of the target. In an orthographic view it scales the view instead.
bool dolly(Camera& c, double amount);
// The limits the zoom and dolly operations stop at.
inline constexpr double kWidestFov = 135.0, kNarrowestFov = 0.01;
inline constexpr double kWidestOrtho = 1e20, kNarrowestOrtho = 0.001;
inline constexpr double kNearestDolly = 0.001;

// The view's width in world units, orthographic.
double orthoWidth(const Camera& c, int width, int height);
// Multiplies the field of view (or orthographic width) by `factor`, stopping at the limits above;
// answers the field of view or the width reached.
double zoomWithinLimits(Camera& c, double factor, int width, int height);
// Moves the eye by `amount` world units towards `pivot` (away for a negative amount), no nearer
// than kNearestDolly; answers the distance to the pivot. Orthographic: scales the width instead
// and answers it.
double dollyTowards(Camera& c, double amount, const Vec3& pivot, int width, int height);
// Moves towards the point under pixel (x, y) at the target's depth by `fraction` of the way
// (away for a negative one), eye and target scaled about that point; orthographic views scale
// their width by 1 - fraction about it. The point stays under the pixel.
bool dollyTowardsPixel(Camera& c, int width, int height, double x, double y, double fraction);
// Zooms so the pixel rectangle fills the view (in), or the view shrinks into it (out), within
// the limits; answers the field of view or width reached, the old one when the rectangle is empty.
double zoomRect(Camera& c, int width, int height, double x0, double y0, double x1, double y1,
                bool in);

// Fits the box to the view, keeping the direction of view.
bool frameBox(Camera& c, const Box& box, int width, int height);

}  // namespace tessel::studio
