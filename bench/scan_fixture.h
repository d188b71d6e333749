// Synthetic scans for benchmarks: height fields of about `triangles` triangles, written once as
// binary PLY files in the temporary folder under names that carry every generator parameter.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

#include "studio/scene/mesh.h"
#include "studio/scene/mesh_io.h"
#include "studio/scene/scene.h"

namespace tessel::bench {

// What a generated surface looks like.
struct Surface {
  std::uint32_t triangles = 0;
  std::uint32_t seed = 1;
  // The standard deviation of the height noise, in the surface's units (it spans 1 x 1).
  float noise = 0;
  // Knife-edge ridges across the surface.
  std::uint32_t creases = 0;
  // Bumped whenever the generator's code changes what it makes from the same parameters.
  static constexpr int kVersion = 2;

  std::string key() const {
    char text[160];
    std::snprintf(text, sizeof text, "v%d-%u-tri-seed%u-noise%g-creases%u", kVersion, triangles,
                  seed, static_cast<double>(noise), creases);
    return text;
  }
};

inline std::uint32_t gridSide(std::uint32_t triangles) {
  return static_cast<std::uint32_t>(std::sqrt(triangles / 2.0)) + 1;  // vertices a row
}

// Noise of 0.002: at 4M triangles about three sample spacings, so most faces tilt at random and
// nearly half meet a fold sharper than 30 degrees. The worst case for the fold measure; no real
// scan is this rough.
inline Surface noisySurface(std::uint32_t triangles, std::uint32_t seed = 1) {
  return {triangles, seed, 0.002f, 0};
}

// A scan as a scanner delivers one: a smooth surface, three knife-edge ridges, and noise of a
// fiftieth of the sample spacing. Under 1% of its faces meet a fold sharper than 30 degrees.
inline Surface scanLikeSurface(std::uint32_t triangles, std::uint32_t seed = 1) {
  return {triangles, seed, 0.02f / static_cast<float>(gridSide(triangles)), 3};
}

inline studio::Mesh grid(const Surface& s) {
  const std::uint32_t side = gridSide(s.triangles);
  const float spacing = 1.0f / static_cast<float>(side);
  studio::Mesh m;
  m.positions.reserve(static_cast<std::size_t>(side) * side * 3);
  std::mt19937 rng(s.seed);
  std::normal_distribution<float> noise(0.0f, s.noise);
  // A ridge rises 5.7 spacings over 1 to each side: its two slopes meet at 20 degrees.
  const float ridgeHeight = 5.7f * spacing;
  for (std::uint32_t j = 0; j < side; ++j)
    for (std::uint32_t i = 0; i < side; ++i) {
      const float x = static_cast<float>(i) / static_cast<float>(side);
      const float y = static_cast<float>(j) / static_cast<float>(side);
      float z = 0.1f * std::sin(6 * x) * std::cos(5 * y);
      for (std::uint32_t k = 1; k <= s.creases; ++k) {
        const auto ridge = static_cast<std::int64_t>(side * k / (s.creases + 1));
        const auto away = std::llabs(static_cast<std::int64_t>(i) - ridge);
        if (away <= 1) z += ridgeHeight * static_cast<float>(1 - away);
      }
      if (s.noise > 0) z += noise(rng);
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

inline studio::Mesh noisyGrid(std::uint32_t triangles, std::uint32_t seed = 1) {
  return grid(noisySurface(triangles, seed));
}

// The scan-like surface of about `triangles` triangles as a mesh entity holding only what
// placement, selection and picking read: flags, no edge table.
inline std::unique_ptr<studio::Entity> scanEntity(std::uint32_t triangles,
                                                  std::string name = "scan") {
  auto e = std::make_unique<studio::Entity>();
  e->name = std::move(name);
  e->type = om::kEntityPolygonMesh;
  e->mesh = std::make_unique<studio::Mesh>(grid(scanLikeSurface(triangles)));
  studio::Mesh& m = *e->mesh;
  m.vertexFlags.assign(m.vertexCount(), 0);
  m.faceFlags.assign(m.faceCount(), 0);
  m.revision = 1;
  return e;
}

// The path of the surface's file, written on first use; a file made with other parameters (or
// by an older generator) has another name and is never taken for it.
inline std::filesystem::path scanFile(const Surface& s) {
  auto path = std::filesystem::temp_directory_path() / ("tessel-bench-grid-" + s.key() + ".ply");
  if (!std::filesystem::exists(path)) {
    std::string error = studio::saveMeshFile(path, grid(s));
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
