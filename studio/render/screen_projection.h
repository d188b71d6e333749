// Mesh vertices projected into a view's pixels in single precision: the one pass every screen
// selection starts from. Faces and edges are placed at the centre of their projected corners,
// so a region test never projects a vertex twice.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "studio/scene/camera.h"
#include "studio/scene/mesh.h"
#include "studio/scene/placement.h"

namespace tessel::studio {

struct ViewSize;

// View pixels (origin top left, y down) and the distance along the view direction. x and y are
// NaN for a point behind the eye, so every inside test answers false for it without a branch.
struct ScreenVertex {
  float x, y, depth;
};

class ScreenProjector {
 public:
  ScreenProjector(const Camera& camera, int width, int height);
  // Projects points of an entity's own space as the camera sees them placed: the placement is
  // folded into the eye and the view axes, so a placed vertex costs what a world one does.
  ScreenProjector(const Camera& camera, int width, int height, const Placement& placement);

  ScreenVertex operator()(const float* p) const {
    const float rx = p[0] - eye_[0], ry = p[1] - eye_[1], rz = p[2] - eye_[2];
    const float depth = rx * forward_[0] + ry * forward_[1] + rz * forward_[2];
    const float across = rx * right_[0] + ry * right_[1] + rz * right_[2];
    const float along = rx * up_[0] + ry * up_[1] + rz * up_[2];
    if (!ortho_ && !(depth > 1e-12f)) return {kNaN, kNaN, depth};
    const float scale = ortho_ ? scale_ : scale_ / depth;
    return {halfW_ + across * scale, halfH_ - along * scale, depth};
  }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  float eye_[3], forward_[3], right_[3], up_[3];
  float halfW_, halfH_, scale_;  // orthographic scale, or perspective scale at depth 1
  bool ortho_;
  int width_, height_;
};

// The centre of projected corners: the place a face or an edge is selected by. Divided, not
// multiplied by a third, so a face whose corners meet sits exactly on them. Its depth is that of
// the surface at that pixel: in perspective 1/depth, not depth, varies linearly across the screen,
// so the corners' depths are averaged harmonically there (an arithmetic mean would put the centre
// of a large oblique face behind the face itself and "visible only" would drop it).
// Both in double, one division each: the products of float depths neither overflow nor lose a bit.
inline float centreDepth(float a, float b) {
  const double x = a, y = b;
  return a > 0 && b > 0 ? static_cast<float>(2 * x * y / (x + y))
                        : static_cast<float>((x + y) * 0.5);
}
inline float centreDepth(float a, float b, float c) {
  const double x = a, y = b, z = c;
  return a > 0 && b > 0 && c > 0 ? static_cast<float>(3 * x * y * z / (x * y + y * z + z * x))
                                 : static_cast<float>((x + y + z) / 3);
}
// The screen place alone (x, y; the depth left 0), for tests that need the depth only inside.
inline ScreenVertex centrePlace(const ScreenVertex& a, const ScreenVertex& b) {
  return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, 0};
}
inline ScreenVertex centrePlace(const ScreenVertex& a, const ScreenVertex& b,
                                const ScreenVertex& c) {
  return {(a.x + b.x + c.x) / 3.0f, (a.y + b.y + c.y) / 3.0f, 0};
}
inline ScreenVertex centreOf(const ScreenVertex& a, const ScreenVertex& b) {
  ScreenVertex s = centrePlace(a, b);
  s.depth = centreDepth(a.depth, b.depth);
  return s;
}
inline ScreenVertex centreOf(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  ScreenVertex s = centrePlace(a, b, c);
  s.depth = centreDepth(a.depth, b.depth, c.depth);
  return s;
}

// True when the point lies on the view's pixels [0, width) x [0, height); components off the view
// are never selected, whatever the region.
inline bool onView(const ScreenVertex& s, int width, int height) {
  return s.x >= 0 && s.y >= 0 && s.x < static_cast<float>(width) &&
         s.y < static_cast<float>(height);
}

// out: #V screen vertices of the mesh.
void projectVertices(const Mesh& mesh, const ScreenProjector& project,
                     std::vector<ScreenVertex>& out);

}  // namespace tessel::studio
