#include "selection/degenerate_polygons.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "host/omCommand.h"
#include "host/omMesh.h"
#include "selection/face_scan.h"
#include "selection/omFaceSet.h"

namespace tessel::selection {
namespace {
double g_tolerance = 1e-08;

float length(const float* a, const float* b) {
  const float x = a[0] - b[0], y = a[1] - b[1], z = a[2] - b[2];
  return std::sqrt(x * x + y * y + z * z);
}

double norm(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }
}  // namespace

void SetDegenerateTolerance(double tolerance) { g_tolerance = tolerance; }
double degenerateTolerance() { return g_tolerance; }

double cornerHeight(const float* p, const float* s, const float* e) {
  const double dx = double(e[0]) - s[0], dy = double(e[1]) - s[1], dz = double(e[2]) - s[2];
  const double px = double(p[0]) - s[0], py = double(p[1]) - s[1], pz = double(p[2]) - s[2];
  const double toStart = norm(px, py, pz);
  if (std::fabs(dx) + std::fabs(dy) + std::fabs(dz) < 1e-6) return toStart;
  if (px * dx + py * dy + pz * dz < 0) return toStart;
  const double qx = double(p[0]) - e[0], qy = double(p[1]) - e[1], qz = double(p[2]) - e[2];
  if (qx * dx + qy * dy + qz * dz > 0) return norm(qx, qy, qz);
  return norm(py * dz - pz * dy, pz * dx - px * dz, px * dy - py * dx) / norm(dx, dy, dz);
}

bool isDegenerate(const float* v1, const float* v2, const float* v3, double tolerance) {
  if (length(v3, v2) < tolerance || length(v3, v1) < tolerance || length(v2, v1) < tolerance)
    return true;
  return cornerHeight(v1, v2, v3) < tolerance || cornerHeight(v2, v3, v1) < tolerance ||
         cornerHeight(v3, v1, v2) < tolerance;
}

namespace {

// Below this tolerance single-precision squares of the sides it compares with may underflow, so
// the full test alone decides.
constexpr double kLeastScreenedTolerance = 1e-15;

// True only for a face the full test finds sound, and cheaply: one cross product in double
// precision, which holds the differences and products of single-precision coordinates without
// underflow or overflow. Every corner lies at least the triangle's smallest height from the
// opposite side, and every side is at least that long; that height is twice the area |n| / 2
// over the longest side L. So |n|^2 > (1 + 1e-4) t^2 L^2 puts every measure above t by far more
// than the rounding of this test and of the full one (single-precision sides, double-precision
// heights). The second bound leaves out needles whose cross product could lose more than a
// millionth to cancellation; they, and faces within that margin of the tolerance, take the full
// test.
inline bool clearlySound(const float* a, const float* b, const float* c, double bound) {
  const double ux = double(b[0]) - a[0], uy = double(b[1]) - a[1], uz = double(b[2]) - a[2];
  const double wx = double(c[0]) - a[0], wy = double(c[1]) - a[1], wz = double(c[2]) - a[2];
  const double nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
  const double n2 = nx * nx + ny * ny + nz * nz;
  const double dx = wx - ux, dy = wy - uy, dz = wz - uz;
  const double l2 = std::max(std::max(ux * ux + uy * uy + uz * uz, wx * wx + wy * wy + wz * wz),
                             dx * dx + dy * dy + dz * dz);
  return n2 > bound * l2 && n2 > 1e-12 * l2 * l2 && l2 < 1e300;
}

// The full test of one face through the mesh's answers; excluded faces and faces the mesh does
// not have are neither sound nor degenerate.
enum class Verdict { kSkipped, kSound, kDegenerate };
Verdict fullTest(omMesh* mesh, std::uint32_t f, double tolerance) {
  std::uint32_t corners[3];
  float p[3][3];
  if (mesh->IsFaceExcluded(f) || mesh->GetFaceVertices(f, corners, 0) != 3) return Verdict::kSkipped;
  for (int k = 0; k < 3; ++k) mesh->GetVertexPosition(corners[k], p[k]);
  return isDegenerate(p[0], p[1], p[2], tolerance) ? Verdict::kDegenerate : Verdict::kSound;
}

// Below this tolerance the single-precision screen could meet underflow; the double one decides.
constexpr double kLeastFloatScreenedTolerance = 1e-10;

// The single-precision screen, which settles all but the faces within a few ten-thousandths of
// the tolerance.
//
// Rounding: with |u|, |w| <= L (the longest side), each component of the single-precision cross
// product is off by at most 4.001 eps (|u_i| |w_j| + |u_j| |w_i|), eps = 2^-24, so the whole
// vector by at most 12 eps L^2 <= E = 2e-6 L^2. The smallest height of the face is |n| / L (its
// longest side's); every side and every corner's distance to the opposite side is at least that,
// and the full test measures that one from the same corners in double precision. So the face is
//   sound when |n| > t L + E, which holds when n2 > (1 + k) t^2 L^2 + (1 + 1/k) E^2;
//   degenerate when |n| < t L - E, which holds when n2 < (1 - k) t^2 L^2 - E^2 / k
// (twice t L E lies between k t^2 L^2 and E^2 / k's sum, for any k > 0). With k = 1e-4, a factor
// of 1 +- 2e-4 on t^2 covers k, the rounding of L^2 and of these products, and the full test's;
// E^2 / k is 4e-8 L^4. The first asks |n| above 2e-4 L^2 and the second L below 5000 t, which
// keeps the full test's own rounding far inside that margin. For the degenerate side, L^2 above 1e-11 keeps the longest side clear of
// the full test's treatment of sides shorter than 1e-6 as points. The other bounds on L^2 keep
// every square and product clear of underflow and overflow for tolerances from
// kLeastFloatScreenedTolerance. Branch-free, so a face costs the same whatever it decides.
struct FloatScreen {
  float sound, flat;  // (1 + 2e-4) t^2, (1 - 2e-4) t^2
};
enum : int { kSureSound = 1, kSureDegenerate = 2 };

inline int screen(const float* a, const float* b, const float* c, const FloatScreen& s) {
  const float ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
  const float wx = c[0] - a[0], wy = c[1] - a[1], wz = c[2] - a[2];
  const float nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
  const float n2 = nx * nx + ny * ny + nz * nz;
  const float dx = wx - ux, dy = wy - uy, dz = wz - uz;
  const float uu = ux * ux + uy * uy + uz * uz, ww = wx * wx + wy * wy + wz * wz;
  const float dd = dx * dx + dy * dy + dz * dz;
  const float m = uu > ww ? uu : ww;
  const float l2 = m > dd ? m : dd;
  const float rounding = 4e-8f * (l2 * l2);
  const bool sound = (n2 > s.sound * l2 + rounding) & (l2 > 1e-14f) & (l2 < 1e16f);
  const bool degenerate = (n2 < s.flat * l2 - rounding) & (l2 > 1e-11f) & (l2 < 1e16f);
  return (sound ? kSureSound : 0) | (degenerate ? kSureDegenerate : 0);
}

#if defined(__SSE2__)
// `screen` for four faces at once, one in each lane: bit i for face i found sound, bit 4 + i for
// face i found degenerate. Each corner is read as a row of four floats (its three coordinates and
// the next one), so no corner may be the last vertex; four rows make columns of x, y and z. The
// arithmetic is `screen`'s, operation for operation.
inline int screen4(const float* const* a, const float* const* b, const float* const* c,
                   const FloatScreen& s) {
  auto columns = [](const float* const* p, __m128& x, __m128& y, __m128& z) {
    const __m128 r0 = _mm_loadu_ps(p[0]), r1 = _mm_loadu_ps(p[1]);
    const __m128 r2 = _mm_loadu_ps(p[2]), r3 = _mm_loadu_ps(p[3]);
    const __m128 xy01 = _mm_unpacklo_ps(r0, r1), xy23 = _mm_unpacklo_ps(r2, r3);
    x = _mm_movelh_ps(xy01, xy23);
    y = _mm_movehl_ps(xy23, xy01);
    z = _mm_movelh_ps(_mm_unpackhi_ps(r0, r1), _mm_unpackhi_ps(r2, r3));
  };
  __m128 ax, ay, az, bx, by, bz, cx, cy, cz;
  columns(a, ax, ay, az);
  columns(b, bx, by, bz);
  columns(c, cx, cy, cz);
  const __m128 ux = _mm_sub_ps(bx, ax), uy = _mm_sub_ps(by, ay), uz = _mm_sub_ps(bz, az);
  const __m128 wx = _mm_sub_ps(cx, ax), wy = _mm_sub_ps(cy, ay), wz = _mm_sub_ps(cz, az);
  const __m128 nx = _mm_sub_ps(_mm_mul_ps(uy, wz), _mm_mul_ps(uz, wy));
  const __m128 ny = _mm_sub_ps(_mm_mul_ps(uz, wx), _mm_mul_ps(ux, wz));
  const __m128 nz = _mm_sub_ps(_mm_mul_ps(ux, wy), _mm_mul_ps(uy, wx));
  auto dot = [](__m128 x, __m128 y, __m128 z) {
    return _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z));
  };
  auto above = [](__m128 x, float bound) { return _mm_cmpgt_ps(x, _mm_set1_ps(bound)); };
  auto below = [](__m128 x, float bound) { return _mm_cmplt_ps(x, _mm_set1_ps(bound)); };
  auto times = [](float k, __m128 x) { return _mm_mul_ps(_mm_set1_ps(k), x); };
  const __m128 n2 = dot(nx, ny, nz);
  const __m128 dd = dot(_mm_sub_ps(wx, ux), _mm_sub_ps(wy, uy), _mm_sub_ps(wz, uz));
  const __m128 l2 = _mm_max_ps(_mm_max_ps(dot(ux, uy, uz), dot(wx, wy, wz)), dd);
  const __m128 rounding = times(4e-8f, _mm_mul_ps(l2, l2));
  const __m128 inRange = below(l2, 1e16f);
  const __m128 sound = _mm_and_ps(_mm_cmpgt_ps(n2, _mm_add_ps(times(s.sound, l2), rounding)),
                                  _mm_and_ps(above(l2, 1e-14f), inRange));
  const __m128 degenerate = _mm_and_ps(_mm_cmplt_ps(n2, _mm_sub_ps(times(s.flat, l2), rounding)),
                                       _mm_and_ps(above(l2, 1e-11f), inRange));
  return _mm_movemask_ps(sound) | _mm_movemask_ps(degenerate) << 4;
}

// Whether the twelve corners of four faces, w[0..11], all lie below `limit`, given with its top
// bit flipped: flipping both sides' top bits makes the signed comparison an unsigned one.
inline bool allBelow(const std::uint32_t* w, __m128i flippedLimit) {
  const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
  auto below = [&](int i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 4 * i));
    return _mm_cmpgt_epi32(flippedLimit, _mm_xor_si128(v, flip));
  };
  return _mm_movemask_epi8(_mm_and_si128(_mm_and_si128(below(0), below(1)), below(2))) == 0xFFFF;
}
#endif

float squaredDistance(const float* p, const float* q) {
  const float x = p[0] - q[0], y = p[1] - q[1], z = p[2] - q[2];
  return x * x + y * y + z * z;
}

// isDegenerate, asking first what most often decides a face the screens let through: the height
// of the corner opposite the longest side. Its terms are the same, so is its answer.
bool likelyFirstIsDegenerate(const float* a, const float* b, const float* c, double tolerance) {
  const float ab = squaredDistance(a, b), bc = squaredDistance(b, c), ca = squaredDistance(c, a);
  const bool opposite = ab >= bc && ab >= ca ? cornerHeight(c, a, b) < tolerance
                        : bc >= ca           ? cornerHeight(a, b, c) < tolerance
                                             : cornerHeight(b, c, a) < tolerance;
  return opposite || isDegenerate(a, b, c, tolerance);
}

// Over the host's flat arrays, straight from the corner and position arrays (no copies); a block
// of faces between progress steps and cancel checks.
bool scanFlat(omMesh* mesh, const std::uint32_t* corners, const float* positions,
              std::uint32_t vertexCount, std::uint32_t total, double tolerance,
              std::vector<std::uint32_t>& found, omProgress* progress) {
  constexpr std::uint32_t kBlock = 4096;
  const double bound = (1 + 1e-4) * tolerance * tolerance;
  // A tolerance too small for single precision settles nothing: every face takes the double test.
  const FloatScreen floatScreen =
      tolerance >= kLeastFloatScreenedTolerance
          ? FloatScreen{static_cast<float>((1 + 2e-4) * tolerance * tolerance),
                        static_cast<float>((1 - 2e-4) * tolerance * tolerance)}
          : FloatScreen{HUGE_VALF, 0};
  auto corner = [positions](std::uint32_t v) { return positions + 3 * std::size_t{v}; };
  // Face f as the screen left it; true when it is sound. An excluded face is neither, but only
  // a degenerate one needs asking about.
  auto settle = [&](std::uint32_t f, int screened) {
    if (screened & kSureSound) return true;
    if (!(screened & kSureDegenerate)) {
      const std::uint32_t* w = corners + 3 * std::size_t{f};
      if (std::max(std::max(w[0], w[1]), w[2]) >= vertexCount) {
        // A vertex the mesh does not have: the mesh's own answers decide.
        const Verdict verdict = fullTest(mesh, f, tolerance);
        if (verdict == Verdict::kDegenerate) found.push_back(f);
        return verdict == Verdict::kSound;
      }
      const float *a = corner(w[0]), *b = corner(w[1]), *c = corner(w[2]);
      if (clearlySound(a, b, c, bound) || !likelyFirstIsDegenerate(a, b, c, tolerance))
        return true;
    }
    if (!mesh->IsFaceExcluded(f)) found.push_back(f);
    return false;
  };
#if defined(__SSE2__)
  // Four faces whose corners all lie below the last vertex are read four floats a corner.
  const __m128i flippedRowsBelow =
      _mm_set1_epi32(static_cast<int>((vertexCount > 0 ? vertexCount - 1 : 0) ^ 0x80000000u));
#endif
  for (std::uint32_t begin = 0; begin < total; begin += kBlock) {
    if (progress && progress->IsCancelled()) return false;
    const std::uint32_t end = std::min(total, begin + kBlock);
    std::int32_t sound = 0;
    std::uint32_t f = begin;
#if defined(__SSE2__)
    for (; f + 4 <= end; f += 4) {
      const std::uint32_t* w = corners + 3 * std::size_t{f};
      int screened = 0;
      if (allBelow(w, flippedRowsBelow)) {
        const float* a[4] = {corner(w[0]), corner(w[3]), corner(w[6]), corner(w[9])};
        const float* b[4] = {corner(w[1]), corner(w[4]), corner(w[7]), corner(w[10])};
        const float* c[4] = {corner(w[2]), corner(w[5]), corner(w[8]), corner(w[11])};
        screened = screen4(a, b, c, floatScreen);
      }
      if ((screened & 0xF) == 0xF) {
        sound += 4;
        continue;
      }
      for (std::uint32_t i = 0; i < 4; ++i)
        sound += settle(f + i, (screened >> i & 1) | (screened >> (3 + i) & 2)) ? 1 : 0;
    }
#endif
    for (; f < end; ++f) {
      const std::uint32_t* w = corners + 3 * std::size_t{f};
      const int screened = std::max(std::max(w[0], w[1]), w[2]) < vertexCount
                               ? screen(corner(w[0]), corner(w[1]), corner(w[2]), floatScreen)
                               : 0;
      sound += settle(f, screened) ? 1 : 0;
    }
    if (progress) progress->Step(sound);
  }
  return true;
}

// Face by face through the mesh's answers, for a host without flat arrays.
bool scanFaces(omMesh* mesh, double tolerance, std::vector<std::uint32_t>& found,
               omProgress* progress) {
  for (std::uint32_t f = mesh->FirstFace(); f != om::kNoHandle; f = mesh->NextFace(f)) {
    const Verdict verdict = fullTest(mesh, f, tolerance);
    if (verdict == Verdict::kDegenerate) found.push_back(f);
    if (verdict == Verdict::kSound && !stepOrCancel(progress)) return false;
  }
  return true;
}

}  // namespace

bool SelectDegeneratePolygons(omMesh* mesh, omFaceSet* faces, omProgress* progress) {
  if (!mesh || !faces) return false;
  const std::uint32_t total = mesh->GetFaceCount();
  if (total == 0) return false;
  if (progress) {
    progress->SetMessage("Detecting degenerate polygons...", 0);
    progress->SetRange(static_cast<std::int32_t>(std::min<std::uint32_t>(total, INT_MAX)));
  }
  const double tolerance = g_tolerance;
  std::vector<std::uint32_t> found;
  const std::uint32_t* corners = nullptr;
  const float* positions = nullptr;
  std::uint32_t vertexCount = 0;
  const bool flat = mesh->GetTriangleArrays(&corners, &positions, &vertexCount) == total &&
                    corners && positions && tolerance >= kLeastScreenedTolerance &&
                    std::isfinite(tolerance);
  const bool cancelled =
      !(flat ? scanFlat(mesh, corners, positions, vertexCount, total, tolerance, found, progress)
             : scanFaces(mesh, tolerance, found, progress));
  const auto count = static_cast<std::int32_t>(std::min<std::size_t>(found.size(), INT_MAX));
  faces->insertMany(found);
  finishScan(progress, cancelled, "Degenerate polygon selection canceled.",
             "%d degenerate polygons have been selected.", count);
  return !cancelled;
}

}  // namespace tessel::selection
