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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
#if defined(__SSE2__)
  // run()'s projection handed over four lanes at a time, for callers that go on in lanes:
  // four(k, x, y, depth) for vertices k to k + 3, one(k, place) for each vertex left over.
  template <class Four, class One>
  void lanes(const float* positions, std::uint32_t count, Four four, One one) const;
#endif
  // The screen bounds {x0, y0, x1, y1} of every point of the box lo..hi (the entity's own
  // space, x y z each) as operator() projects it, rounding included; false when part of the box
  // may lie at or behind the eye, where no bounds hold.
  bool boxBounds(const float* lo, const float* hi, float* bounds) const;
  // How far (pixels) from s the place of any point within `length` (the entity's own space) of
  // the point s was projected from may lie; infinity when such a point may lie at or behind the
  // eye. In perspective a step (da, db, dd) across, along and in depth moves the place by
  // (scale da - x dd, scale db - y dd) / depth', x and y from the view's middle: at most
  // sqrt(scale^2 + x^2 + y^2) |step| / depth', and depth' is at least depth - |step|.
  float reachOf(const ScreenVertex& s, float length) const {
    const float step = length * stretch_;
    if (ortho_) return scale_ * step;
    const float nearest = s.depth - step, x = s.x - halfW_, y = s.y - halfH_;
    if (!(nearest > 1e-12f)) return std::numeric_limits<float>::infinity();
    return step * std::sqrt(scale_ * scale_ + x * x + y * y) / nearest;
  }
  // reachOf(s, length) <= limit, with multiplies only, so a pass over every vertex can afford it.
  bool reachWithin(const ScreenVertex& s, float length, float limit) const {
    const float step = length * stretch_;
    if (ortho_) return scale_ * step <= limit;
    const float nearest = s.depth - step, x = s.x - halfW_, y = s.y - halfH_;
    const float far = limit * nearest;
    return nearest > 1e-12f && step * step * (scale_ * scale_ + x * x + y * y) <= far * far;
  }
#if defined(__SSE2__)
  // reachWithin for four places at once (lanes()'s x, y and depth): a lane is all ones where it
  // holds. The same operations, so a lane answers what reachWithin answers.
  __m128 reachWithinLanes(__m128 x, __m128 y, __m128 depth, __m128 length, float limit) const {
    const __m128 step = _mm_mul_ps(length, _mm_set1_ps(stretch_));
    if (ortho_) return _mm_cmple_ps(_mm_mul_ps(_mm_set1_ps(scale_), step), _mm_set1_ps(limit));
    const __m128 nearest = _mm_sub_ps(depth, step);
    const __m128 dx = _mm_sub_ps(x, _mm_set1_ps(halfW_)), dy = _mm_sub_ps(y, _mm_set1_ps(halfH_));
    const __m128 far = _mm_mul_ps(_mm_set1_ps(limit), nearest);
    const __m128 spread = _mm_add_ps(_mm_add_ps(_mm_set1_ps(scale_ * scale_), _mm_mul_ps(dx, dx)),
                                     _mm_mul_ps(dy, dy));
    return _mm_and_ps(_mm_cmpgt_ps(nearest, _mm_set1_ps(1e-12f)),
                      _mm_cmple_ps(_mm_mul_ps(_mm_mul_ps(step, step), spread), _mm_mul_ps(far, far)));
  }
#endif
  // The greatest depth a point within `length` of one at `depth` may have.
  float farthestWithin(float depth, float length) const { return depth + length * stretch_; }
  bool orthographic() const { return ortho_; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  float eye_[3], forward_[3], right_[3], up_[3];
  float halfW_, halfH_, scale_;  // orthographic scale, or perspective scale at depth 1
  float stretch_;  // how much the view axes may lengthen a step: 1 unless the placement scales
  bool ortho_;
  int width_, height_;
};

#if defined(__SSE2__)
template <class Four, class One>
void ScreenProjector::lanes(const float* p, std::uint32_t count, Four four, One one) const {
  const __m128 ex = _mm_set1_ps(eye_[0]), ey = _mm_set1_ps(eye_[1]), ez = _mm_set1_ps(eye_[2]);
  const __m128 f0 = _mm_set1_ps(forward_[0]), f1 = _mm_set1_ps(forward_[1]),
               f2 = _mm_set1_ps(forward_[2]);
  const __m128 r0 = _mm_set1_ps(right_[0]), r1 = _mm_set1_ps(right_[1]), r2 = _mm_set1_ps(right_[2]);
  const __m128 u0 = _mm_set1_ps(up_[0]), u1 = _mm_set1_ps(up_[1]), u2 = _mm_set1_ps(up_[2]);
  const __m128 halfW = _mm_set1_ps(halfW_), halfH = _mm_set1_ps(halfH_), scale = _mm_set1_ps(scale_);
  const __m128 nearest = _mm_set1_ps(1e-12f), nan = _mm_set1_ps(kNaN);
  std::uint32_t v = 0;
  for (; v + 4 <= count; v += 4, p += 12) {
    // x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3, regrouped by coordinate.
    const __m128 a = _mm_loadu_ps(p), b = _mm_loadu_ps(p + 4), c = _mm_loadu_ps(p + 8);
    const __m128 x = _mm_shuffle_ps(a, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2)),
                                    _MM_SHUFFLE(2, 0, 3, 0));
    const __m128 y = _mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1)),
                                    _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3)),
                                    _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 z = _mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(1, 1, 2, 2)),
                                    _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 3, 0, 0)),
                                    _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 rx = _mm_sub_ps(x, ex), ry = _mm_sub_ps(y, ey), rz = _mm_sub_ps(z, ez);
    const __m128 depth = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, f0), _mm_mul_ps(ry, f1)),
                                    _mm_mul_ps(rz, f2));
    const __m128 across = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, r0), _mm_mul_ps(ry, r1)),
                                     _mm_mul_ps(rz, r2));
    const __m128 along = _mm_add_ps(_mm_add_ps(_mm_mul_ps(rx, u0), _mm_mul_ps(ry, u1)),
                                    _mm_mul_ps(rz, u2));
    const __m128 s = ortho_ ? scale : _mm_div_ps(scale, depth);
    __m128 sx = _mm_add_ps(halfW, _mm_mul_ps(across, s));
    __m128 sy = _mm_sub_ps(halfH, _mm_mul_ps(along, s));
    if (!ortho_) {
      const __m128 front = _mm_cmpgt_ps(depth, nearest);
      sx = _mm_or_ps(_mm_and_ps(front, sx), _mm_andnot_ps(front, nan));
      sy = _mm_or_ps(_mm_and_ps(front, sy), _mm_andnot_ps(front, nan));
    }
    four(v, sx, sy, depth);
  }
  for (; v < count; ++v, p += 3) one(v, (*this)(p));
}
#endif

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
#if defined(__SSE2__)
  // x and y through one division, lane by lane the same operations as below: a division is the
  // dearest step of placing a face, and millions are placed at once.
  const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_setr_ps(a.x, a.y, 0, 0), _mm_setr_ps(b.x, b.y, 0, 0)),
                                _mm_setr_ps(c.x, c.y, 0, 0));
  const __m128 centre = _mm_div_ps(sum, _mm_set1_ps(3.0f));
  return {_mm_cvtss_f32(centre), _mm_cvtss_f32(_mm_shuffle_ps(centre, centre, 1)), 0};
#else
  return {(a.x + b.x + c.x) / 3.0f, (a.y + b.y + c.y) / 3.0f, 0};
#endif
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

// Faces and edges are placed from their corners' screen vertices. Up to this many vertices a
// request keeps a slot for every vertex; beyond it a fresh array costs more in page faults than
// the projection itself, and a window (ProjectionCache) is kept instead.
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

// The screen slots of a mesh's vertices as faces or edges ask for them, each run of kRun
// consecutive vertices projected when one of them is first asked for: vertices that only faces a
// region left out use are never projected. Up to `wholeLimit` vertices every run keeps its own
// place; beyond, runs share the places of a window, which in-order meshes (scans, and most files,
// list a face's corners near the faces before it) pass through once. A run projected again after
// it left the window is counted, and when that happens often (a mesh listed in no useful order)
// the cache turns to a place for every vertex.
template <class Classify = NoCode>
class ProjectionCache {
 public:
  static constexpr std::uint32_t kRun = 64;
  // Where the runs are: the caller keeps a copy, which fill() renews, so that the stores a
  // selection makes to its flags (bytes, which may alias anything) do not make the compiler
  // read these again for every corner.
  struct Lines {
    ScreenSlot* line;  // kRun slots a line
    const std::uint32_t* tags;  // the run each line holds
    std::uint32_t mask;         // a run's line is run & mask
    [[gnu::always_inline]] bool holds(std::uint32_t v) const {
      return tags[v / kRun & mask] == v / kRun;
    }
    [[gnu::always_inline]] ScreenSlot operator[](std::uint32_t v) const {
      return line[std::size_t{v / kRun & mask} * kRun + v % kRun];
    }
  };
  // `classify` is kept by reference.
  ProjectionCache(const Mesh& mesh, const ScreenProjector& project, const Classify& classify,
                  std::uint32_t wholeLimit)
      : project_(project), classify_(classify), positions_(mesh.positions.data()),
        count_(mesh.vertexCount()), runs_((count_ + kRun - 1) / kRun) {
    if (count_ <= wholeLimit) makeWhole();
    else place(kWindowRuns), mask_ = kWindowRuns - 1, seen_.assign((runs_ + 7) / 8, 0);
  }
  Lines lines() const { return {slots_.get(), tags_.data(), mask_}; }
  // Projects the run of vertex v into its line; answers the lines as they are now.
  [[gnu::noinline]] Lines fill(std::uint32_t v) {
    const std::uint32_t run = v / kRun;
    if (!seen_.empty()) {
      const bool again = seen_[run / 8] & 1u << run % 8;
      if (again && ++again_ > std::max(kWindowRuns, runs_ / 16)) makeWhole();
      else seen_[run / 8] = static_cast<std::uint8_t>(seen_[run / 8] | 1u << run % 8);
    }
    const std::uint32_t first = run * kRun, line = run & mask_;
    projectSlots(project_, positions_, first, std::min(kRun, count_ - first), classify_,
                 &slots_[std::size_t{line} * kRun]);
    tags_[line] = run;
    return lines();
  }

 private:
  static constexpr std::uint32_t kWindowRuns = 512, kNone = 0xFFFFFFFFu;
  // Left uninitialised: a run is written whole before any of it is read, and zeroing the slots
  // first would cost as much as projecting into them.
  void place(std::uint32_t lines) {
    slots_.reset(new ScreenSlot[std::size_t{lines} * kRun]);
    tags_.assign(lines, kNone);
  }
  void makeWhole() { place(runs_), mask_ = ~0u, seen_.clear(); }
  ScreenProjector project_;
  const Classify& classify_;
  const float* positions_;
  std::uint32_t count_, runs_, mask_ = 0, again_ = 0;
  std::unique_ptr<ScreenSlot[]> slots_;
  std::vector<std::uint32_t> tags_;
  std::vector<std::uint8_t> seen_;  // window only: a bit for each run ever projected
};

// Vertex v's screen slot, corner(v), from a ProjectionCache. A plain value: whoever loops over
// many faces keeps a copy, whose lines stay in registers.
template <class Classify>
struct CachedCorner {
  ProjectionCache<Classify>* cache;
  typename ProjectionCache<Classify>::Lines lines;
  [[gnu::always_inline]] ScreenSlot operator()(std::uint32_t v) {
    if (!lines.holds(v)) [[unlikely]] lines = cache->fill(v);
    return lines[v];
  }
};

// Vertex v's screen slot from an array of all of them.
struct WholeCorner {
  const ScreenSlot* all;
  [[gnu::always_inline]] ScreenSlot operator()(std::uint32_t v) const { return all[v]; }
};

// Calls use(corner), corner(v) answering vertex v's screen slot: when `most` of the vertices
// will be asked for and there are no more than `wholeLimit`, from a WholeCorner over all of
// them projected at once (nothing to check a corner for); from a CachedCorner otherwise.
template <class Classify, class Use>
void withScreenVertices(const Mesh& mesh, const ScreenProjector& project, const Classify& classify,
                        std::uint32_t wholeLimit, bool most, Use use) {
  if (most && mesh.vertexCount() <= wholeLimit) {
    // Left uninitialised: every slot is written before it is read.
    const std::unique_ptr<ScreenSlot[]> all(new ScreenSlot[mesh.vertexCount()]);
    projectSlots(project, mesh.positions.data(), 0, mesh.vertexCount(), classify, all.get());
    use(WholeCorner{all.get()});
    return;
  }
  ProjectionCache cache(mesh, project, classify, wholeLimit);
  use(CachedCorner<Classify>{&cache, cache.lines()});
}

}  // namespace tessel::studio
