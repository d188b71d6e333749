#include "selection/degenerate_polygons.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

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

// Corners of a block of faces gathered side by side, so the screen below runs several faces an
// instruction.
constexpr std::uint32_t kScreenBlock = 256;
struct CornerBlock {
  float ax[kScreenBlock], ay[kScreenBlock], az[kScreenBlock];
  float bx[kScreenBlock], by[kScreenBlock], bz[kScreenBlock];
  float cx[kScreenBlock], cy[kScreenBlock], cz[kScreenBlock];
  std::uint8_t sound[kScreenBlock];
};

// clearlySound in single precision over a whole block, branch-free. The rounding of a
// single-precision cross product is below 2e-6 of the longest side squared, so with |n| above a
// hundredth of it the area is known to 4e-4; a margin of 4e-3 on the tolerance covers that, the
// sides' rounding, and the full test's. The bounds on L^2 keep every square and product clear of
// underflow and overflow for tolerances from kLeastFloatScreenedTolerance.
void screenBlock(CornerBlock& k, float bound) {
  for (std::uint32_t i = 0; i < kScreenBlock; ++i) {
    const float ux = k.bx[i] - k.ax[i], uy = k.by[i] - k.ay[i], uz = k.bz[i] - k.az[i];
    const float wx = k.cx[i] - k.ax[i], wy = k.cy[i] - k.ay[i], wz = k.cz[i] - k.az[i];
    const float nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
    const float n2 = nx * nx + ny * ny + nz * nz;
    const float dx = wx - ux, dy = wy - uy, dz = wz - uz;
    const float uu = ux * ux + uy * uy + uz * uz, ww = wx * wx + wy * wy + wz * wz;
    const float dd = dx * dx + dy * dy + dz * dz;
    const float m = uu > ww ? uu : ww;
    const float l2 = m > dd ? m : dd;
    k.sound[i] = static_cast<std::uint8_t>((n2 > bound * l2) & (n2 > 1e-4f * l2 * l2) &
                                           (l2 > 1e-16f) & (l2 < 1e16f));
  }
}

inline void gather(CornerBlock& k, std::uint32_t i, const float* positions, const std::uint32_t* v) {
  const float* a = positions + 3 * std::size_t{v[0]};
  const float* b = positions + 3 * std::size_t{v[1]};
  const float* c = positions + 3 * std::size_t{v[2]};
  k.ax[i] = a[0], k.ay[i] = a[1], k.az[i] = a[2];
  k.bx[i] = b[0], k.by[i] = b[1], k.bz[i] = b[2];
  k.cx[i] = c[0], k.cy[i] = c[1], k.cz[i] = c[2];
}

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

// Over the host's flat arrays, a block of faces between progress steps and cancel checks.
bool scanFlat(omMesh* mesh, const std::uint32_t* corners, const float* positions,
              std::uint32_t vertexCount, std::uint32_t total, double tolerance,
              std::vector<std::uint32_t>& found, omProgress* progress) {
  constexpr std::uint32_t kBlock = 16 * kScreenBlock;
  const double bound = (1 + 1e-4) * tolerance * tolerance;
  // A tolerance too small for single precision screens nothing: every face takes the double test.
  const float floatBound = tolerance >= kLeastFloatScreenedTolerance
                               ? static_cast<float>((1 + 4e-3) * tolerance * tolerance)
                               : HUGE_VALF;
  auto screen = std::make_unique<CornerBlock>();
  for (std::uint32_t begin = 0; begin < total; begin += kBlock) {
    if (progress && progress->IsCancelled()) return false;
    const std::uint32_t end = std::min(total, begin + kBlock);
    std::int32_t sound = 0;
    for (std::uint32_t first = begin; first < end; first += kScreenBlock) {
      const std::uint32_t n = std::min(kScreenBlock, end - first);
      CornerBlock& k = *screen;
      const std::uint32_t* v = corners + 3 * std::size_t{first};
      std::uint32_t highest = 0;
      for (std::uint32_t i = 0; i < 3 * n; ++i) highest = std::max(highest, v[i]);
      if (n == kScreenBlock && highest < vertexCount) {
        for (std::uint32_t i = 0; i < kScreenBlock; ++i) gather(k, i, positions, v + 3 * i);
      } else {
        // A face with a vertex the mesh does not have, or past the block's end, reads as a
        // point: not sound, so the full test takes it.
        const std::uint32_t point[3] = {0, 0, 0};
        for (std::uint32_t i = 0; i < kScreenBlock; ++i) {
          const std::uint32_t* w = v + 3 * i;
          const bool inside = i < n && w[0] < vertexCount && w[1] < vertexCount && w[2] < vertexCount;
          gather(k, i, positions, inside ? w : point);
        }
      }
      screenBlock(k, floatBound);
      for (std::uint32_t i = 0; i < n; ++i) {
        if (k.sound[i]) {
          ++sound;
          continue;
        }
        const std::uint32_t f = first + i;
        const std::uint32_t* w = v + 3 * i;
        if (w[0] < vertexCount && w[1] < vertexCount && w[2] < vertexCount) {
          const float* a = positions + 3 * std::size_t{w[0]};
          const float* b = positions + 3 * std::size_t{w[1]};
          const float* c = positions + 3 * std::size_t{w[2]};
          // An excluded face is neither, but only a degenerate one needs asking about.
          if (clearlySound(a, b, c, bound) || !likelyFirstIsDegenerate(a, b, c, tolerance)) {
            ++sound;
            continue;
          }
          if (!mesh->IsFaceExcluded(f)) found.push_back(f);
          continue;
        }
        const Verdict verdict = fullTest(mesh, f, tolerance);
        if (verdict == Verdict::kDegenerate) found.push_back(f);
        sound += verdict == Verdict::kSound ? 1 : 0;
      }
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
