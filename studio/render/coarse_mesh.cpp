#include "studio/render/coarse_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace tessel::studio {

int coarseCellsFor(std::uint32_t faceCount) {
  // A surface cut by an n-cell grid keeps about n^2 cells and twice as many triangles.
  const double cells = std::sqrt(static_cast<double>(faceCount) / 24.0);
  return static_cast<int>(std::clamp(cells, 16.0, 1024.0));
}

CoarseMesh clusterVertices(const float* positions, const float* normals,
                           std::uint32_t vertexCount, const std::uint32_t* faces,
                           std::uint32_t faceCount, int cells) {
  CoarseMesh out;
  if (!positions || !faces || vertexCount == 0 || cells < 1) return out;
  auto finite = [&](std::uint32_t v) {
    const float* p = positions + 3 * static_cast<std::size_t>(v);
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
  };
  float lo[3], hi[3];
  for (int k = 0; k < 3; ++k) lo[k] = std::numeric_limits<float>::max(), hi[k] = -lo[k];
  for (std::uint32_t v = 0; v < vertexCount; ++v) {
    if (!finite(v)) continue;
    for (int k = 0; k < 3; ++k) {
      const float c = positions[3 * static_cast<std::size_t>(v) + k];
      lo[k] = std::min(lo[k], c), hi[k] = std::max(hi[k], c);
    }
  }
  if (lo[0] > hi[0]) return out;  // no finite vertex
  const double extent = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  const double scale = extent > 0 ? cells / extent : 0;
  const std::uint64_t side = static_cast<std::uint64_t>(cells) + 1;

  // (cell, vertex) sorted by cell: each run of one cell is one cluster.
  constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byCell;
  byCell.reserve(vertexCount);
  for (std::uint32_t v = 0; v < vertexCount; ++v) {
    if (!finite(v)) continue;
    const float* p = positions + 3 * static_cast<std::size_t>(v);
    std::uint64_t key = 0;
    for (int k = 0; k < 3; ++k) {
      const auto i = static_cast<std::uint64_t>(std::min<double>((p[k] - lo[k]) * scale, cells));
      key = key * side + i;
    }
    byCell.push_back({key, v});
  }
  std::sort(byCell.begin(), byCell.end());
  std::vector<std::uint32_t> cluster(vertexCount, kNone);
  std::vector<double> sums;  // position xyz, normal xyz, count: 7 a cluster
  for (std::size_t i = 0; i < byCell.size(); ++i) {
    if (i == 0 || byCell[i].first != byCell[i - 1].first) sums.resize(sums.size() + 7, 0.0);
    const std::uint32_t v = byCell[i].second;
    const std::size_t c = sums.size() / 7 - 1;
    cluster[v] = static_cast<std::uint32_t>(c);
    double* s = &sums[7 * c];
    for (int k = 0; k < 3; ++k) {
      s[k] += positions[3 * static_cast<std::size_t>(v) + k];
      if (normals) s[3 + k] += normals[3 * static_cast<std::size_t>(v) + k];
    }
    s[6] += 1;
  }
  const std::size_t clusters = sums.size() / 7;
  out.positions.resize(3 * clusters);
  out.normals.resize(3 * clusters);
  for (std::size_t c = 0; c < clusters; ++c) {
    const double* s = &sums[7 * c];
    const double n = std::sqrt(s[3] * s[3] + s[4] * s[4] + s[5] * s[5]);
    for (int k = 0; k < 3; ++k) {
      out.positions[3 * c + k] = static_cast<float>(s[k] / s[6]);
      out.normals[3 * c + k] = n > 0 ? static_cast<float>(s[3 + k] / n) : 0.0f;
    }
  }

  // Each cell triangle once, turned to start at its smallest corner so its winding is kept.
  std::vector<std::array<std::uint32_t, 3>> kept;
  for (std::uint32_t f = 0; f < faceCount; ++f) {
    const std::uint32_t* t = faces + 3 * static_cast<std::size_t>(f);
    if (t[0] >= vertexCount || t[1] >= vertexCount || t[2] >= vertexCount) continue;
    std::array<std::uint32_t, 3> c{cluster[t[0]], cluster[t[1]], cluster[t[2]]};
    if (c[0] == kNone || c[1] == kNone || c[2] == kNone) continue;
    if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2]) continue;
    std::rotate(c.begin(), std::min_element(c.begin(), c.end()), c.end());
    kept.push_back(c);
  }
  std::sort(kept.begin(), kept.end());
  kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
  out.triangles.reserve(3 * kept.size());
  for (const auto& c : kept) out.triangles.insert(out.triangles.end(), c.begin(), c.end());
  return out;
}

}  // namespace tessel::studio
