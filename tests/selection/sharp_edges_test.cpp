// Fold measures, sharp-edge collection and degenerate detection on meshes with known angles.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/omCommand.h"
#include "selection/degenerate_polygons.h"
#include "bench/scan_fixture.h"
#include "selection/omISeedFillerImpl.h"
#include "studio/scene/mesh_access.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::test {
namespace {

using studio::Mesh;

// Records what a command's progress object is told; cancels after `cancelAfter` steps.
struct RecordingProgress final : omProgress {
  void SetRange(std::int32_t total) override { range = total; }
  void Finish() override { finished = true; }
  void Step(std::int32_t count) override { steps += count; }
  bool IsCancelled() override { return cancelAfter >= 0 && steps >= cancelAfter; }
  void SetMessage(const char* text, std::int32_t) override { messages.emplace_back(text); }
  std::int32_t range = -1, steps = 0, cancelAfter = -1;
  bool finished = false;
  std::vector<std::string> messages;
};

// Triangle 0 in the xy plane; triangle 1 shares its edge 0-1 and stands in the xz plane (90°),
// triangle 2 shares edge 1-2 of triangle 0 and lies flat beside it (180°).
Mesh hinge() {
  return makeMesh({0, 0, 0, 1, 0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 1.5f, 1, 0},
                  {0, 1, 2, 1, 0, 3, 2, 1, 4});
}

// The cosine window for fold angles in degrees, as the panel makes it.
float bound(float degrees) { return -std::cos(3.1415927f * degrees * 0.0055555557f); }

TEST(EdgeCosines, FoldsBoundariesExcludedAndDegenerateFaces) {
  Mesh m = hinge();
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  EXPECT_NEAR(m.edgeValues()[edgeOf(m, 0, 1)], 0.0f, 1e-6f);  // 90°
  EXPECT_NEAR(m.edgeValues()[edgeOf(m, 1, 2)], 1.0f, 1e-6f);  // flat
  // A boundary edge reads no missing face.
  EXPECT_EQ(m.edgeValues()[edgeOf(m, 0, 2)], 1.0f);
  EXPECT_EQ(m.edgeValues()[edgeOf(m, 0, 3)], 1.0f);

  m.faceFlags[1] = studio::kExcluded;
  filler->ComputeEdgeCosines(&mesh);
  EXPECT_EQ(m.edgeValues()[edgeOf(m, 0, 1)], 1.0f);

  // A zero-area neighbour has no normal: its edges read 1.0, never NaN.
  Mesh sliver = makeMesh({0, 0, 0, 1, 0, 0, 0.5f, 1, 0, 2, 0, 0}, {0, 1, 2, 1, 0, 3});
  studio::MeshAccess sliverMesh(&sliver);
  filler->ComputeEdgeCosines(&sliverMesh);
  for (float v : sliver.edgeValues()) EXPECT_EQ(v, 1.0f);
}

TEST(EdgeCosines, ANonManifoldEdgeUsesItsTwoLowestFaces) {
  // Three faces on edge 0-1: face 0 flat in xy, face 1 standing in xz, face 2 folded back onto
  // face 0. The edge table answers faces 0 and 1, so the edge reads 90°, not the fold-back.
  Mesh m = makeMesh({0, 0, 0, 1, 0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f, 1, 0.01f},
                    {0, 1, 2, 1, 0, 3, 1, 0, 4});
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  EXPECT_NEAR(m.edgeValues()[edgeOf(m, 0, 1)], 0.0f, 1e-6f);
}

TEST(SharpEdgePolygons, TheWindowIsInclusiveAndMinAboveMaxSelectsNothing) {
  Mesh m = hinge();
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  auto select = [&](float minDeg, float maxDeg) {
    omFaceSet faces;
    filler->SelectSharpEdgePolygons(&mesh, bound(minDeg), bound(maxDeg), &faces, -1, nullptr);
    return std::vector<std::uint32_t>(faces.begin(), faces.end());
  };
  // The 90° fold marks vertices 0 and 1, which every face touches.
  EXPECT_EQ(select(0, 90), (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_TRUE(select(0, 30).empty());
  EXPECT_TRUE(select(100, 50).empty());
  // Exactly at the edge's own value on both ends.
  omFaceSet exact;
  const float v = m.edgeValues()[edgeOf(m, 0, 1)];
  filler->SelectSharpEdgePolygons(&mesh, v, v, &exact, -1, nullptr);
  EXPECT_EQ(exact.size(), 3u);
  // Boundary and flat edges (1.0) count only once Max Angle reaches 180.
  m.faceFlags[1] = studio::kExcluded;
  filler->ComputeEdgeCosines(&mesh);
  EXPECT_TRUE(select(0, 179).empty());
  EXPECT_EQ(select(0, 180), (std::vector<std::uint32_t>{0, 2}));
}

TEST(SharpEdgePolygons, FilterCountsAndCancelReachTheProgress) {
  Mesh m = hinge();
  m.faceFlags[2] = studio::kHidden;
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  RecordingProgress progress;
  omFaceSet faces;
  filler->SelectSharpEdgePolygons(&mesh, bound(0), bound(90), &faces,
                                    studio::kFaceFilterVisible, &progress);
  EXPECT_EQ(faces.size(), 2u);
  EXPECT_EQ(progress.range, 3);
  EXPECT_EQ(progress.steps, 3);
  EXPECT_TRUE(progress.finished);
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"Collecting faces on marked edges ...",
                                                         "2 sharp edge polygons have been selected."}));
  // Every matching face counts, also one the set already held.
  RecordingProgress again;
  filler->SelectSharpEdgePolygons(&mesh, bound(0), bound(90), &faces, -1, &again);
  EXPECT_EQ(again.messages.back(), "3 sharp edge polygons have been selected.");

  RecordingProgress cancel;
  cancel.cancelAfter = 1;
  omFaceSet partial;
  filler->SelectSharpEdgePolygons(&mesh, bound(0), bound(90), &partial, -1, &cancel);
  EXPECT_EQ(partial.size(), 2u);  // what was found before the cancel stays
  EXPECT_EQ(cancel.messages.back(), "Sharp polygons selection canceled.");
}

// Two triangles a cell over n x n vertices numbered row by row.
std::vector<std::uint32_t> gridFaces(std::uint32_t n) {
  std::vector<std::uint32_t> f;
  for (std::uint32_t y = 0; y + 1 < n; ++y)
    for (std::uint32_t x = 0; x + 1 < n; ++x) {
      const std::uint32_t a = y * n + x;
      f.insert(f.end(), {a, a + 1, a + n + 1, a, a + n + 1, a + n});
    }
  return f;
}

// A rough height field of n x n vertices, large enough that the passes go over several batches
// of edges and faces: some folds are sharp, some faces excluded, hidden or without area.
Mesh roughGrid(std::uint32_t n) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> height(-2.0f, 2.0f);
  std::vector<float> p;
  for (std::uint32_t y = 0; y < n; ++y)
    for (std::uint32_t x = 0; x < n; ++x)
      p.insert(p.end(), {static_cast<float>(x), static_cast<float>(y), height(rng)});
  // A few vertices sit on their neighbour, so the faces between them have no area.
  for (std::uint32_t v = 5 * n + 5; v + 1 < n * n; v += 97 * 3 + 1)
    std::copy_n(&p[3 * (v + 1)], 3, &p[3 * v]);
  Mesh m = makeMesh(p, gridFaces(n));
  for (std::uint32_t i = 0; i < m.faceCount(); i += 37) m.faceFlags[i] = studio::kExcluded;
  for (std::uint32_t i = 11; i < m.faceCount(); i += 53) m.faceFlags[i] = studio::kHidden;
  return m;
}

// The measure of a large scan takes long enough that a cancel must not wait for its end.
TEST(EdgeCosines, ACancelStopsTheMeasureLongBeforeItsEnd) {
  Mesh m = roughGrid(70);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  std::fill(m.edgeValues().begin(), m.edgeValues().end(), 7.0f);
  RecordingProgress cancelled;
  cancelled.cancelAfter = 0;
  EXPECT_FALSE(filler->ComputeEdgeCosinesOrCancel(&mesh, &cancelled));
  const auto unmeasured = std::count(m.edgeValues().begin(), m.edgeValues().end(), 7.0f);
  EXPECT_GT(unmeasured, m.edgeCount() / 2);
  EXPECT_LT(unmeasured, m.edgeCount());
  // Collecting after a cancelled measure stops at once and says so.
  omFaceSet faces;
  filler->SelectSharpEdgePolygons(&mesh, bound(0), bound(30), &faces, -1, &cancelled);
  EXPECT_TRUE(faces.empty());
  EXPECT_EQ(cancelled.messages.back(), "Sharp polygons selection canceled.");
  RecordingProgress uncancelled;
  EXPECT_TRUE(filler->ComputeEdgeCosinesOrCancel(&mesh, &uncancelled));
  EXPECT_EQ(std::count(m.edgeValues().begin(), m.edgeValues().end(), 7.0f), 0);
}

TEST(SharpEdgePolygons, PassesOverManyBatchesMatchAPlainReference) {
  Mesh m = roughGrid(70);
  ASSERT_GT(m.edgeCount(), 8000u);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  std::size_t folds = 0;
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e) {
    const studio::Edge& edge = m.edges()[e];
    float n0[3], n1[3], expected = 1.0f;
    if (edge.f1 != studio::kNoFace && !((m.faceFlags[edge.f0] | m.faceFlags[edge.f1]) & studio::kExcluded) &&
        studio::faceNormal(m, edge.f0, n0) && studio::faceNormal(m, edge.f1, n1))
      expected = std::clamp(n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2], -1.0f, 1.0f);
    ASSERT_FLOAT_EQ(m.edgeValues()[e], expected) << "edge " << e;
    folds += expected < bound(40) ? 1 : 0;
  }
  ASSERT_GT(folds, 10u);

  const float lo = bound(0), hi = bound(40);
  std::vector<std::uint8_t> onFold(m.vertexCount());
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e)
    if (lo <= m.edgeValues()[e] && m.edgeValues()[e] <= hi) onFold[m.edges()[e].v0] = onFold[m.edges()[e].v1] = 1;
  std::vector<std::uint32_t> expected;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const std::uint32_t* v = &m.faces[3 * f];
    if (!(m.faceFlags[f] & (studio::kExcluded | studio::kHidden)) && (onFold[v[0]] || onFold[v[1]] || onFold[v[2]]))
      expected.push_back(f);
  }
  RecordingProgress progress;
  omFaceSet faces;
  filler->SelectSharpEdgePolygons(&mesh, lo, hi, &faces, studio::kFaceFilterVisible, &progress);
  EXPECT_EQ(std::vector<std::uint32_t>(faces.begin(), faces.end()), expected);
  EXPECT_EQ(progress.steps, static_cast<std::int32_t>(m.faceCount()));

  // A cancel in the middle of a batch keeps what the faces before it found, and no more.
  RecordingProgress cancel;
  cancel.cancelAfter = 2500;
  omFaceSet partial;
  filler->SelectSharpEdgePolygons(&mesh, lo, hi, &partial, studio::kFaceFilterVisible, &cancel);
  std::vector<std::uint32_t> before;
  for (std::uint32_t f : expected)
    if (f <= 2500) before.push_back(f);
  EXPECT_EQ(std::vector<std::uint32_t>(partial.begin(), partial.end()), before);
  EXPECT_EQ(cancel.steps, 2500);
  EXPECT_EQ(cancel.messages.back(), "Sharp polygons selection canceled.");
}

TEST(SharpEdgePolygons, TheWidestWindowTakesEveryFaceOfATiltedPlane) {
  // In-plane jitter gives every triangle its own rounding; some dot products of equal normals
  // come out a little above 1.
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  const std::uint32_t n = 40;
  std::vector<float> p;
  for (std::uint32_t y = 0; y < n; ++y)
    for (std::uint32_t x = 0; x < n; ++x) {
      const float u = static_cast<float>(x) + jitter(rng), v = static_cast<float>(y) + jitter(rng);
      p.insert(p.end(), {u, v, 0.37f * u + 0.61f * v});
    }
  Mesh m = makeMesh(p, gridFaces(n));
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  for (float v : m.edgeValues()) ASSERT_LE(v, 1.0f);
  omFaceSet faces;
  filler->SelectSharpEdgePolygons(&mesh, bound(0), bound(180), &faces, -1, nullptr);
  EXPECT_EQ(faces.size(), m.faceCount());
}

TEST(DegeneratePolygons, CornerHeightsMeasureToTheSegment) {
  const float s[3] = {0, 0, 0}, e[3] = {2, 0, 0};
  const float above[3] = {1, 3, 0}, before[3] = {-3, 4, 0}, beyond[3] = {5, 4, 0};
  EXPECT_DOUBLE_EQ(selection::cornerHeight(above, s, e), 3.0);
  EXPECT_DOUBLE_EQ(selection::cornerHeight(before, s, e), 5.0);
  EXPECT_DOUBLE_EQ(selection::cornerHeight(beyond, s, e), 5.0);
  EXPECT_DOUBLE_EQ(selection::cornerHeight(above, s, s), std::sqrt(10.0));
}

TEST(DegeneratePolygons, StrictToleranceShortSidesAndFlatCorners) {
  const float a[3] = {0, 0, 0}, b[3] = {1, 0, 0}, c[3] = {0.5f, 0.25f, 0};
  EXPECT_FALSE(selection::isDegenerate(a, b, c, 0.0));
  EXPECT_FALSE(selection::isDegenerate(a, b, c, 0.25));  // height exactly the tolerance
  EXPECT_TRUE(selection::isDegenerate(a, b, c, 0.2501));
  const float near[3] = {1e-9f, 0, 0};
  EXPECT_TRUE(selection::isDegenerate(a, near, c, 1e-8));
  EXPECT_FALSE(selection::isDegenerate(a, near, c, 0.0));
}

TEST(DegeneratePolygons, SelectsReportsAndStops) {
  // Face 1 is a needle 0.001 high; face 2 is excluded and just as thin.
  Mesh m = makeMesh({0, 0, 0, 1, 0, 0, 0.5f, 1, 0, 0.5f, -0.001f, 0, 2, 0, 0, 1.5f, 0.001f, 0},
                    {0, 1, 2, 1, 0, 3, 1, 4, 5});
  m.faceFlags[2] = studio::kExcluded;
  studio::MeshAccess mesh(&m);
  const double saved = selection::degenerateTolerance();
  selection::SetDegenerateTolerance(0.01);
  RecordingProgress progress;
  omFaceSet faces;
  EXPECT_TRUE(selection::SelectDegeneratePolygons(&mesh, &faces, &progress));
  EXPECT_EQ(std::vector<std::uint32_t>(faces.begin(), faces.end()), std::vector<std::uint32_t>{1});
  EXPECT_EQ(progress.steps, 1);  // only the sound face advances the bar
  EXPECT_EQ(progress.messages, (std::vector<std::string>{"Detecting degenerate polygons...",
                                                         "1 degenerate polygons have been selected."}));

  RecordingProgress cancel;
  cancel.cancelAfter = 0;
  omFaceSet none;
  EXPECT_FALSE(selection::SelectDegeneratePolygons(&mesh, &none, &cancel));
  EXPECT_EQ(cancel.messages.back(), "Degenerate polygon selection canceled.");

  Mesh empty = makeMesh({}, {});
  studio::MeshAccess emptyMesh(&empty);
  RecordingProgress quiet;
  EXPECT_FALSE(selection::SelectDegeneratePolygons(&emptyMesh, &none, &quiet));
  EXPECT_TRUE(quiet.messages.empty());
  selection::SetDegenerateTolerance(saved);
}

// The detector screens faces before the full test; whatever the screens let through or stop,
// the faces found are exactly those the full test finds face by face. On the benchmark's grids
// (tolerances at the crowded middle of their heights, the default, one too small to screen) and
// on needles, slivers and far-out coordinates, with excluded faces.
TEST(DegeneratePolygons, ScreenedScanFindsWhatTheFullTestFinds) {
  std::vector<Mesh> meshes;
  meshes.push_back(bench::grid(bench::noisySurface(200'000)));
  meshes.push_back(bench::grid(bench::scanLikeSurface(200'000)));
  {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> unit(-1, 1);
    std::vector<float> p;
    std::vector<std::uint32_t> f;
    for (std::uint32_t i = 0; i < 30'000; ++i) {
      const float scale = std::pow(10.0f, static_cast<float>(static_cast<int>(i % 13) - 6));
      const float thin = std::pow(10.0f, -static_cast<float>(i % 9));
      const float x = unit(rng) * scale, y = unit(rng) * scale, z = unit(rng) * scale;
      // A needle or sliver: the third corner near the line through the first two.
      p.insert(p.end(), {x, y, z, x + scale, y, z, x + scale * unit(rng), y + scale * thin * unit(rng), z});
      f.insert(f.end(), {3 * i, 3 * i + 1, 3 * i + 2});
    }
    meshes.push_back(makeMesh(std::move(p), std::move(f)));
  }
  {
    // Triangles whose smallest height lies a hair either side of 5e-4 (the first tolerance
    // below), long and short, near and far from the origin, turned at random: the screens'
    // margins are ten-thousandths, so these are the faces they must leave to the full test.
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(-1, 1);
    std::vector<float> p;
    std::vector<std::uint32_t> f;
    const double hair[] = {-1e-2, -1e-3, -3e-4, -2e-4, -1e-4, -1e-5, 0, 1e-5, 1e-4, 2e-4, 3e-4, 1e-3, 1e-2};
    for (std::uint32_t i = 0; i < 40'000; ++i) {
      const double height = 5e-4 * (1 + hair[i % 13]);
      const double length = 5e-4 * std::pow(10.0, (i / 13) % 9 - 1.0);  // 5e-5 to 5e3
      const double offset = std::pow(10.0, (i / 117) % 5 - 2.0) * unit(rng);
      const double along = length * (0.5 + 0.5 * unit(rng));
      // A rotation from three random angles.
      const double a = 3.2 * unit(rng), b = 3.2 * unit(rng), c = 3.2 * unit(rng);
      auto turn = [&](double x, double y) {
        const double x1 = x * std::cos(a) - y * std::sin(a), y1 = x * std::sin(a) + y * std::cos(a);
        const double y2 = y1 * std::cos(b), z2 = y1 * std::sin(b);
        return std::array<double, 3>{x1 * std::cos(c) - z2 * std::sin(c), y2,
                                     x1 * std::sin(c) + z2 * std::cos(c)};
      };
      for (auto [x, y] : {std::pair{0.0, 0.0}, {length, 0.0}, {along, height}}) {
        const auto q = turn(x, y);
        for (double v : q) p.push_back(static_cast<float>(offset + v));
      }
      f.insert(f.end(), {3 * i, 3 * i + 1, 3 * i + 2});
    }
    meshes.push_back(makeMesh(std::move(p), std::move(f)));
  }
  for (Mesh& m : meshes) {
    studio::buildTopology(m);
    for (std::uint32_t f = 0; f < m.faceCount(); f += 97) m.faceFlags[f] = studio::kExcluded;
  }
  const double saved = selection::degenerateTolerance();
  for (Mesh& m : meshes)
    for (double tolerance : {5e-4, 7e-4, 1e-3, 1e-8, 1e-6, 1e-2, 1e-12, 0.0}) {
      std::vector<std::uint32_t> expected;
      for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
        const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
        if (!(m.faceFlags[f] & studio::kExcluded) &&
            selection::isDegenerate(&m.positions[3 * v[0]], &m.positions[3 * v[1]],
                                    &m.positions[3 * v[2]], tolerance))
          expected.push_back(f);
      }
      selection::SetDegenerateTolerance(tolerance);
      studio::MeshAccess mesh(&m);
      omFaceSet faces;
      RecordingProgress progress;
      EXPECT_TRUE(selection::SelectDegeneratePolygons(&mesh, &faces, &progress));
      EXPECT_EQ(std::vector<std::uint32_t>(faces.begin(), faces.end()), expected)
          << m.faceCount() << " faces, tolerance " << tolerance;
    }
  selection::SetDegenerateTolerance(saved);
}

}  // namespace
}  // namespace tessel::test
