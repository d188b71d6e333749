// Mesh vertices projected into a view's pixels in single precision: the one pass every screen
// selection starts from. Faces and edges are placed at the centre of their projected corners,
// so a region test never projects a vertex twice.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
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
  // Projects `count` vertices (x, y, z each) into out, each exactly as operator() does, four at a
  // time where the processor has the lanes: the same operations in the same order, so a face
  // placed from these corners lands where the plain path puts it, bit for bit.
  void run(const float* positions, std::uint32_t count, ScreenVertex* out) const;
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

// Faces and edges are placed from their corners' screen vertices. Up to this many vertices they
// are projected into one array first, which the allocator hands out again request after request;
// beyond it a fresh array costs more in page faults than the projection itself, and a window
// (below) is used instead.
constexpr std::uint32_t kWholeProjection = 2'000'000;

// A vertex's screen place and the code a region gives it (region_codes.h), so most faces are
// decided from their corners' codes without being placed.
struct ScreenSlot {
  ScreenVertex s;
  std::uint32_t code;
};

// The code of no region: mixed (2), which decides nothing.
struct NoCode {
  std::uint32_t operator()(const ScreenVertex&) const { return 2; }
};

// out: `count` slots of the vertices from `first` on.
template <class Classify>
void projectSlots(const ScreenProjector& project, const float* positions, std::uint32_t first,
                  std::uint32_t count, const Classify& classify, ScreenSlot* out) {
  constexpr std::uint32_t kRun = 256;
  ScreenVertex run[kRun];
  for (std::uint32_t done = 0; done < count; done += kRun) {
    const std::uint32_t n = std::min(kRun, count - done);
    project.run(positions + 3 * (std::size_t{first} + done), n, run);
    for (std::uint32_t k = 0; k < n; ++k) out[done + k] = {run[k], classify(run[k])};
  }
}

// The screen vertices of a mesh as faces or edges ask for them, in index order more or less: the
// last kSize vertices by index are kept, projected a run at a time when a higher one is asked for.
// Scans and most files list a face's corners near the faces before it, so each vertex is projected
// once into a buffer that stays in cache, and nothing the size of the mesh is allocated. A corner
// behind the window is projected again; when that happens often (a mesh whose vertices are listed
// in no useful order) every vertex is projected once into a buffer the size of the mesh instead.
template <class Classify = NoCode>
class ProjectionWindow {
 public:
  // `classify` is kept by reference.
  ProjectionWindow(const Mesh& mesh, const ScreenProjector& project, const Classify& classify)
      : project_(project), classify_(classify), positions_(mesh.positions.data()),
        count_(mesh.vertexCount()), buffer_(kSize) {}
  [[gnu::always_inline]] ScreenSlot slot(std::uint32_t v) {
    if (v < next_) [[likely]] {
      if (next_ - v <= kSize) [[likely]] return buffer_[v & kMask];
      return behind(v);
    }
    advance(v);
    return buffer_[v & kMask];
  }
  [[gnu::always_inline]] ScreenVertex operator[](std::uint32_t v) { return slot(v).s; }

 private:
  static constexpr std::uint32_t kSize = 1u << 15, kMask = kSize - 1, kRun = 512;
  [[gnu::noinline]] ScreenSlot behind(std::uint32_t v) {
    if (all_.empty() && ++misses_ > std::max(kSize, count_ / 16)) {
      all_.resize(count_);
      projectSlots(project_, positions_, 0, count_, classify_, all_.data());
    }
    if (!all_.empty()) return all_[v];
    ScreenSlot s;
    projectSlots(project_, positions_, v, 1, classify_, &s);
    return s;
  }
  [[gnu::noinline]] void advance(std::uint32_t v) {
    const std::uint32_t end = std::min(count_, std::max(v + 1, next_ + kRun));
    // Vertices that would leave the window again before this run ends are not projected. A run
    // never wraps the buffer: kSize is a multiple of kRun, and so is every start but the last.
    std::uint32_t from = end > kSize ? std::max(next_, end - kSize) : next_;
    while (from < end) {
      const std::uint32_t stop = std::min(end, (from | kMask) + 1);
      projectSlots(project_, positions_, from, stop - from, classify_, &buffer_[from & kMask]);
      from = stop;
    }
    next_ = end;
  }
  ScreenProjector project_;
  const Classify& classify_;
  const float* positions_;
  std::uint32_t count_, next_ = 0, misses_ = 0;
  std::vector<ScreenSlot> buffer_, all_;
};

// Calls use(corner), corner(v) answering vertex v's screen slot: from one array of the whole
// projection up to `wholeLimit` vertices, from a window beyond.
template <class Classify, class Use>
void withScreenVertices(const Mesh& mesh, const ScreenProjector& project, const Classify& classify,
                        std::uint32_t wholeLimit, Use use) {
  if (mesh.vertexCount() <= wholeLimit) {
    // Left uninitialised: every slot is written before it is read, and zeroing the array first
    // would cost as much as projecting into it.
    const std::unique_ptr<ScreenSlot[]> all(new ScreenSlot[mesh.vertexCount()]);
    projectSlots(project, mesh.positions.data(), 0, mesh.vertexCount(), classify, all.get());
    use([s = all.get()](std::uint32_t v) { return s[v]; });
  } else {
    ProjectionWindow window(mesh, project, classify);
    use([&window](std::uint32_t v) { return window.slot(v); });
  }
}

}  // namespace tessel::studio
