#include "selection/degenerate_polygons.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
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
  std::int32_t count = 0;
  bool cancelled = false;
  std::uint32_t corners[3];
  float p[3][3];
  for (std::uint32_t f = mesh->FirstFace(); f != om::kNoHandle; f = mesh->NextFace(f)) {
    if (mesh->IsFaceExcluded(f) || mesh->GetFaceVertices(f, corners, 0) != 3) continue;
    for (int k = 0; k < 3; ++k) mesh->GetVertexPosition(corners[k], p[k]);
    if (isDegenerate(p[0], p[1], p[2], tolerance)) {
      found.push_back(f);
      ++count;
      continue;
    }
    if (!stepOrCancel(progress)) {
      cancelled = true;
      break;
    }
  }
  faces->insertMany(found);
  finishScan(progress, cancelled, "Degenerate polygon selection canceled.",
             "%d degenerate polygons have been selected.", count);
  return !cancelled;
}

}  // namespace tessel::selection
