// A synthetic scan for benchmarks: a height field of about `triangles` triangles with scan-like
// noise, written once per run as a binary PLY in the temporary folder.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "studio/mesh.h"
#include "studio/mesh_io.h"

namespace tessel::bench {

inline studio::Mesh noisyGrid(std::uint32_t triangles, std::uint32_t seed = 1) {
  auto side = static_cast<std::uint32_t>(std::sqrt(triangles / 2.0)) + 1;  // vertices a row
  studio::Mesh m;
  m.positions.reserve(static_cast<std::size_t>(side) * side * 3);
  std::mt19937 rng(seed);
  std::normal_distribution<float> noise(0.0f, 0.002f);
  for (std::uint32_t j = 0; j < side; ++j)
    for (std::uint32_t i = 0; i < side; ++i) {
      float x = static_cast<float>(i) / static_cast<float>(side);
      float y = static_cast<float>(j) / static_cast<float>(side);
      float z = 0.1f * std::sin(6 * x) * std::cos(5 * y) + noise(rng);
      m.positions.insert(m.positions.end(), {x, y, z});
    }
  m.faces.reserve(static_cast<std::size_t>(side - 1) * (side - 1) * 6);
  for (std::uint32_t j = 0; j + 1 < side; ++j)
    for (std::uint32_t i = 0; i + 1 < side; ++i) {
      std::uint32_t a = j * side + i, b = a + 1, c = a + side, d = c + 1;
      m.faces.insert(m.faces.end(), {a, b, d, a, d, c});
    }
  return m;
}

// The path of the fixture file, written on first use.
inline std::filesystem::path scanFile(std::uint32_t triangles) {
  auto path = std::filesystem::temp_directory_path() /
              ("tessel-bench-scan-" + std::to_string(triangles) + ".ply");
  if (!std::filesystem::exists(path)) {
    std::string error = studio::saveMeshFile(path, noisyGrid(triangles));
    if (!error.empty()) throw std::runtime_error(error);
  }
  return path;
}

}  // namespace tessel::bench

namespace tessel::bench {

// The same kind of surface cut into `pieces` meshes laid out on a grid of tiles, `triangles` in
// all: a scan split into parts.
inline std::vector<studio::Mesh> tiledScan(std::uint32_t triangles, std::uint32_t pieces) {
  std::vector<studio::Mesh> out;
  const auto columns = static_cast<std::uint32_t>(std::ceil(std::sqrt(pieces)));
  for (std::uint32_t k = 0; k < pieces; ++k) {
    studio::Mesh m = noisyGrid(triangles / pieces, k + 1);
    const float ox = static_cast<float>(k % columns), oy = static_cast<float>(k / columns);
    for (std::size_t i = 0; i < m.positions.size(); i += 3) m.positions[i] += ox, m.positions[i + 1] += oy;
    studio::buildTopology(m);
    out.push_back(std::move(m));
  }
  return out;
}

}  // namespace tessel::bench
