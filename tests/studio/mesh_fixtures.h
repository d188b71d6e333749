// Tiny meshes with known answers, and temporary files to load them from.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "studio/scene/scene.h"
#include "tests/temp_config.h"

namespace tessel::test {

inline studio::Mesh makeMesh(std::vector<float> positions, std::vector<std::uint32_t> faces) {
  studio::Mesh m;
  m.positions = std::move(positions);
  m.faces = std::move(faces);
  studio::buildTopology(m);
  return m;
}

// A row of `n` triangles along x: vertices 0..n+1 zig-zag, face i = (i, i+1, i+2).
inline studio::Mesh strip(std::uint32_t n) {
  std::vector<float> p;
  for (std::uint32_t v = 0; v < n + 2; ++v)
    p.insert(p.end(), {static_cast<float>(v) * 0.5f, static_cast<float>(v % 2), 0.0f});
  std::vector<std::uint32_t> f;
  for (std::uint32_t i = 0; i < n; ++i) f.insert(f.end(), {i, i + 1, i + 2});
  return makeMesh(p, f);
}

// `mesh` as a polygon-mesh entity, ready for Scene::add.
inline std::unique_ptr<studio::Entity> meshEntity(studio::Mesh mesh, std::string name = "") {
  auto e = std::make_unique<studio::Entity>();
  e->name = std::move(name);
  e->type = om::kEntityPolygonMesh;
  e->mesh = std::make_unique<studio::Mesh>(std::move(mesh));
  return e;
}

// The edge joining vertices a and b (a test failure when there is none).
inline std::uint32_t edgeOf(const studio::Mesh& m, std::uint32_t a, std::uint32_t b) {
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e)
    if (m.edges()[e].v0 == std::min(a, b) && m.edges()[e].v1 == std::max(a, b)) return e;
  ADD_FAILURE() << "no edge " << a << "-" << b;
  return 0;
}

// The handles whose flags carry `bit`, in order.
inline std::vector<std::uint32_t> flagged(const std::vector<std::uint8_t>& flags,
                                          std::uint8_t bit = studio::kSelected) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t h = 0; h < flags.size(); ++h)
    if (flags[h] & bit) out.push_back(h);
  return out;
}

}  // namespace tessel::test
