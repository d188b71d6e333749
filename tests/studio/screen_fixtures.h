// A scan-like sheet, a camera low over it, and a depth image found by casting rays: fixtures for
// the screen selection tests, no OpenGL needed.
#pragma once

#include <cmath>
#include <random>

#include "studio/render/picking.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::test {

using studio::Camera;
using studio::DepthImage;
using studio::Mesh;
using studio::ViewSize;

// A wavy sheet of n x n vertices over the unit square, with a little noise: scan-like, with
// parts that face away and parts hidden behind others when seen at an angle.
inline Mesh wavySheet(std::uint32_t n, std::uint32_t seed = 1) {
  std::mt19937 rng(seed);
  std::normal_distribution<float> noise(0, 0.003f);
  std::vector<float> p;
  for (std::uint32_t j = 0; j < n; ++j)
    for (std::uint32_t i = 0; i < n; ++i) {
      const auto last = static_cast<float>(n - 1);
      float x = static_cast<float>(i) / last, y = static_cast<float>(j) / last;
      p.insert(p.end(), {x, y, 0.25f * std::sin(9 * x) * std::cos(7 * y) + noise(rng)});
    }
  std::vector<std::uint32_t> f;
  for (std::uint32_t j = 0; j + 1 < n; ++j)
    for (std::uint32_t i = 0; i + 1 < n; ++i) {
      std::uint32_t a = j * n + i, b = a + 1, c = a + n, d = c + 1;
      f.insert(f.end(), {a, b, d, a, d, c});
    }
  return makeMesh(p, f);
}

inline Camera obliqueCamera(ViewSize kSize) {
  Camera c = studio::standardCamera(studio::ViewKind::Perspective);
  studio::Box b;
  b.add({0, 0, -0.3});
  b.add({1, 1, 0.3});
  studio::frameBox(c, b, kSize.width, kSize.height);
  studio::tumble(c, 20, 60);  // low over the sheet, so its waves hide each other
  return c;
}

// The nearest of the mesh's surfaces per pixel, found by casting each pixel's ray: a depth image
// without OpenGL, the way the host's would look.
inline DepthImage rayDepth(const Mesh& m, const Camera& c, ViewSize size) {
  DepthImage d{size.width, size.height,
               std::vector<float>(static_cast<std::size_t>(size.width) * size.height, INFINITY)};
  const studio::Vec3 forward = studio::viewDirection(c);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      double t;
      if (studio::pickFace(m, c, size, x + 0.5, y + 0.5, &t) == studio::kNoFace) continue;
      studio::Vec3 o, dir;
      studio::pixelRay(c, size.width, size.height, x + 0.5, y + 0.5, &o, &dir);
      d.depth[static_cast<std::size_t>(y) * size.width + x] =
          static_cast<float>(studio::dot(o + dir * t - c.eye, forward));
    }
  return d;
}

}  // namespace tessel::test
