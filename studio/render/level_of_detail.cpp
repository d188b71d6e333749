#include "studio/render/level_of_detail.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tessel::studio {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

bool finite(const float* positions, std::uint32_t v) {
  const float* p = positions + 3 * static_cast<std::size_t>(v);
  return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// Thrown by Poll once a stop is asked for, and caught where the build began: a sort has no other
// way out part way.
struct Stopped {};

// Called at every step of a loop or a sort's comparison; looks at the stop token every 2^14th.
class Poll {
 public:
  explicit Poll(std::stop_token stop) : stop_(std::move(stop)), live_(stop_.stop_possible()) {}
  void operator()() {
    if (live_ && (++steps_ & 0x3FFF) == 0 && stop_.stop_requested()) throw Stopped{};
  }

 private:
  std::stop_token stop_;
  bool live_;
  std::uint32_t steps_ = 0;
};

DetailLevel cluster(const float* positions, std::uint32_t vertexCount,
                    const std::uint32_t* triangles, const std::uint32_t* sources,
                    std::uint32_t count, int cells, Poll& poll) {
  DetailLevel out;
  if (!positions || !triangles || vertexCount == 0 || cells < 1) return out;
  // The vertices the triangles use, once each.
  std::vector<std::uint32_t> cluster(vertexCount, kNone);
  constexpr std::uint32_t kUsed = kNone - 1;
  std::vector<std::uint32_t> used;
  float lo[3], hi[3];
  for (int k = 0; k < 3; ++k) lo[k] = std::numeric_limits<float>::max(), hi[k] = -lo[k];
  for (std::size_t i = 0; i < 3 * static_cast<std::size_t>(count); ++i) {
    poll();
    const std::uint32_t v = triangles[i];
    if (v >= vertexCount || cluster[v] != kNone || !finite(positions, v)) continue;
    cluster[v] = kUsed;
    used.push_back(v);
    for (int k = 0; k < 3; ++k) {
      const float c = positions[3 * static_cast<std::size_t>(v) + k];
      lo[k] = std::min(lo[k], c), hi[k] = std::max(hi[k], c);
    }
  }
  if (used.empty()) return out;
  const double extent = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]});
  const double scale = extent > 0 ? cells / extent : 0;
  const std::uint64_t side = static_cast<std::uint64_t>(cells) + 1;

  // (cell, vertex) sorted by cell: each run of one cell is one cluster.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byCell;
  byCell.reserve(used.size());
  for (std::uint32_t v : used) {
    poll();
    const float* p = positions + 3 * static_cast<std::size_t>(v);
    std::uint64_t key = 0;
    for (int k = 0; k < 3; ++k)
      key = key * side +
            static_cast<std::uint64_t>(std::min<double>((p[k] - lo[k]) * scale, cells));
    byCell.push_back({key, v});
  }
  used = {};
  std::sort(byCell.begin(), byCell.end(), [&poll](const auto& a, const auto& b) {
    poll();
    return a < b;
  });
  // Each cluster's vertex nearest to its mean stands for it.
  std::vector<std::uint32_t> standIn;
  for (std::size_t begin = 0; begin < byCell.size();) {
    poll();
    std::size_t end = begin;
    double mean[3] = {0, 0, 0};
    for (; end < byCell.size() && byCell[end].first == byCell[begin].first; ++end)
      for (int k = 0; k < 3; ++k)
        mean[k] += positions[3 * static_cast<std::size_t>(byCell[end].second) + k];
    for (double& m : mean) m /= static_cast<double>(end - begin);
    double best = std::numeric_limits<double>::max();
    std::uint32_t chosen = byCell[begin].second;
    for (std::size_t i = begin; i < end; ++i) {
      const std::uint32_t v = byCell[i].second;
      double d = 0;
      for (int k = 0; k < 3; ++k) {
        const double e = positions[3 * static_cast<std::size_t>(v) + k] - mean[k];
        d += e * e;
      }
      if (d < best) best = d, chosen = v;
      cluster[v] = static_cast<std::uint32_t>(standIn.size());
    }
    standIn.push_back(chosen);
    begin = end;
  }
  byCell = {};

  // Each cell triangle once, turned to start at its smallest corner so its winding is kept; of
  // the faces that make the same one, the first stands for them.
  std::vector<std::array<std::uint32_t, 4>> kept;
  for (std::uint32_t t = 0; t < count; ++t) {
    poll();
    const std::uint32_t* c3 = triangles + 3 * static_cast<std::size_t>(t);
    if (c3[0] >= vertexCount || c3[1] >= vertexCount || c3[2] >= vertexCount) continue;
    std::array<std::uint32_t, 3> c{cluster[c3[0]], cluster[c3[1]], cluster[c3[2]]};
    if (c[0] >= kUsed || c[1] >= kUsed || c[2] >= kUsed) continue;
    if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2]) continue;
    std::rotate(c.begin(), std::min_element(c.begin(), c.end()), c.end());
    kept.push_back({c[0], c[1], c[2], sources ? sources[t] : t});
  }
  cluster = {};
  std::sort(kept.begin(), kept.end(), [&poll](const auto& a, const auto& b) {
    poll();
    return a < b;
  });
  kept.erase(std::unique(kept.begin(), kept.end(),
                         [](const auto& a, const auto& b) {
                           return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
                         }),
             kept.end());
  out.triangles.reserve(3 * kept.size());
  out.sources.reserve(kept.size());
  for (const auto& c : kept) {
    out.triangles.insert(out.triangles.end(), {standIn[c[0]], standIn[c[1]], standIn[c[2]]});
    out.sources.push_back(c[3]);
  }
  return out;
}

std::vector<DetailLevel> levelsOf(const float* positions, std::uint32_t vertexCount,
                                  const std::uint32_t* faces, std::uint32_t faceCount,
                                  std::uint32_t smallest, Poll& poll) {
  std::vector<DetailLevel> levels;
  // The first level kept: an eighth of the faces, but no more than a moving frame could draw on
  // a fast machine, so the levels together hold a few bytes a face.
  double target = std::min(faceCount / 8.0, static_cast<double>(kLargestLevel));
  // A surface cut by an n-cell grid keeps about 2n^2 triangles. A rough one (noise of several
  // sample spacings) keeps more, as it fills cells above and below each other: a level that
  // misses its target is not kept, and the next pass clusters it again on a grid made coarser by
  // how far it missed.
  double cells = std::sqrt(target / 2.0);
  DetailLevel input;  // the last level made, kept or not
  bool fromFaces = true;
  while (cells >= 2) {
    DetailLevel next =
        fromFaces ? cluster(positions, vertexCount, faces, nullptr, faceCount,
                            static_cast<int>(cells), poll)
                  : cluster(positions, vertexCount, input.triangles.data(), input.sources.data(),
                            input.triangleCount(), static_cast<int>(cells), poll);
    const double made = next.triangleCount();
    if (made == 0) break;
    if (made <= 1.4 * target) {
      levels.push_back(next);
      if (made <= smallest) break;
      target = made / 2;
    }
    cells *= std::clamp(std::sqrt(target / made), 0.25, 0.8);
    input = std::move(next), fromFaces = false;
  }
  return levels;
}

}  // namespace

DetailLevel clusterLevel(const float* positions, std::uint32_t vertexCount,
                         const std::uint32_t* triangles, const std::uint32_t* sources,
                         std::uint32_t count, int cells, std::stop_token stop) {
  Poll poll(std::move(stop));
  try {
    return cluster(positions, vertexCount, triangles, sources, count, cells, poll);
  } catch (const Stopped&) {
    return {};
  }
}

std::vector<DetailLevel> detailLevels(const float* positions, std::uint32_t vertexCount,
                                      const std::uint32_t* faces, std::uint32_t faceCount,
                                      std::uint32_t smallest, std::stop_token stop) {
  if (faceCount < kDetailLevelsFromFaces) return {};
  Poll poll(std::move(stop));
  try {
    return levelsOf(positions, vertexCount, faces, faceCount, smallest, poll);
  } catch (const Stopped&) {
    return {};
  }
}

}  // namespace tessel::studio
