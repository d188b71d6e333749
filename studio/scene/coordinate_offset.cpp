#include "studio/scene/coordinate_offset.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tessel::studio {
namespace {

// A thousandth of the detail: the float step below which a coordinate counts as held.
constexpr double kStepOfDetail = 1e-3;
// How much nearer the origin a round offset must bring coordinates to be worth taking.
constexpr double kGain = 10;

double axis(const Vec3& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; }
double& axis(Vec3& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; }

// The largest absolute coordinate along axis a once shifted by o.
double reach(const Box& box, int a, double o) {
  return std::max(std::fabs(axis(box.min, a) - o), std::fabs(axis(box.max, a) - o));
}

}  // namespace

bool floatHolds(double magnitude, double spacing) {
  if (magnitude == 0) return true;
  if (!std::isfinite(magnitude)) return false;
  // A float's step between magnitude's power of two and the next: 24 bits of mantissa.
  const double step = std::ldexp(1.0, std::ilogb(magnitude) - 23);
  return step <= kStepOfDetail * spacing;
}

Vec3 roundOffset(const Box& box) {
  Vec3 out;
  if (box.empty()) return out;
  const Vec3 size = box.max - box.min;
  const double side = std::max({size.x, size.y, size.z});
  // A power of ten no larger than the box, so the shifted box reaches at most about its size
  // from the origin; whole units at least, which a user reads at a glance.
  const double step = side >= 1 ? std::pow(10.0, std::floor(std::log10(side))) : 1.0;
  for (int a = 0; a < 3; ++a) {
    const double o = std::round(axis(box.center(), a) / step) * step;
    if (o != 0 && reach(box, a, o) * kGain <= reach(box, a, 0)) axis(out, a) = o;
  }
  return out;
}

Vec3 chooseOffset(const Box& box, double spacing, const std::vector<Vec3>& inUse) {
  if (box.empty()) return {};
  auto holds = [&](const Vec3& o) {
    for (int a = 0; a < 3; ++a)
      if (!floatHolds(reach(box, a, axis(o, a)), spacing)) return false;
    return true;
  };
  if (holds({})) return {};
  for (const Vec3& o : inUse)
    if (o != Vec3{} && holds(o)) return o;
  Vec3 own = roundOffset(box);
  for (int a = 0; a < 3; ++a)
    if (floatHolds(reach(box, a, 0), spacing)) axis(own, a) = 0;
  return own;
}

double meanEdgeLength(const double* V, const std::uint32_t* F, std::size_t faceCount) {
  if (faceCount == 0) return 0;
  double sum = 0;
  for (std::size_t f = 0; f < faceCount; ++f)
    for (int k = 0; k < 3; ++k) {
      const double* p = V + 3 * std::size_t{F[3 * f + k]};
      const double* q = V + 3 * std::size_t{F[3 * f + (k + 1) % 3]};
      sum += std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                       (p[2] - q[2]) * (p[2] - q[2]));
    }
  return sum / (3.0 * static_cast<double>(faceCount));
}

double pointSpacing(const Box& box, std::size_t points) {
  if (box.empty() || points == 0) return 0;
  const Vec3 size = box.max - box.min;
  double s[3] = {size.x, size.y, size.z};
  std::sort(s, s + 3, [](double a, double b) { return a > b; });
  // A scan samples a surface: its two largest sides span it. A line of points spans one.
  const double area = s[0] * s[1];
  return area > 0 ? std::sqrt(area / static_cast<double>(points))
                  : s[0] / static_cast<double>(points);
}

void shiftFarCoordinates(Mesh& mesh, const std::vector<double>& coordinates,
                         const std::vector<Vec3>& inUse) {
  const std::size_t n = mesh.vertexCount();
  if (coordinates.size() != 3 * n || n == 0) return;
  Box box;
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (std::size_t i = 0; i < n; ++i)
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], coordinates[3 * i + a]);
      hi[a] = std::max(hi[a], coordinates[3 * i + a]);
    }
  box.min = {lo[0], lo[1], lo[2]};
  box.max = {hi[0], hi[1], hi[2]};
  const double spacing = mesh.faces.empty()
                             ? pointSpacing(box, n)
                             : meanEdgeLength(coordinates.data(), mesh.faces.data(), mesh.faceCount());
  const Vec3 offset = chooseOffset(box, spacing, inUse);
  if (offset == Vec3{}) return;
  const double o[3] = {offset.x, offset.y, offset.z};
  mesh.offset = offset;
  mesh.residuals.resize(3 * n);
  bool lost = false;
  for (std::size_t i = 0; i < 3 * n; ++i) {
    const double local = coordinates[i] - o[i % 3];
    const float f = static_cast<float>(local);
    mesh.positions[i] = f;
    mesh.residuals[i] = local - f;  // exact: f is local rounded, within a factor of two
    lost |= mesh.residuals[i] != 0;
  }
  // A file of floats shifted by a round offset loses nothing: no residuals to keep.
  if (!lost) releaseVector(mesh.residuals);
  mesh.invalidateBounds();
}

std::string offsetText(const Vec3& offset) {
  std::string out = "(";
  for (int a = 0; a < 3; ++a) {
    char text[400];  // the longest double in fixed notation
    // Fixed notation, never 5e+06: an easting reads as the number a map shows.
    const auto end = std::to_chars(text, text + sizeof text, axis(offset, a) + 0.0,
                                   std::chars_format::fixed).ptr;
    out.append(a ? ", " : "").append(text, end);
  }
  return out + ")";
}

}  // namespace tessel::studio
