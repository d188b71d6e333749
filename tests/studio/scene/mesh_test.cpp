#include "studio/scene/mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio {
namespace {

using test::makeMesh;

// The edge table checked against a brute-force count over all face sides.
void expectConsistentEdges(const Mesh& m) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::set<std::uint32_t>> expected;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f)
    for (int k = 0; k < 3; ++k) {
      std::uint32_t a = m.faces[3 * f + k], b = m.faces[3 * f + (k + 1) % 3];
      expected[{std::min(a, b), std::max(a, b)}].insert(f);
    }
  // Counted without the table first (the load reports these), then from it.
  std::uint32_t boundary = 0, nonManifold = 0;
  for (const auto& [edge, faces] : expected)
    boundary += faces.size() == 1 ? 1 : 0, nonManifold += faces.size() > 2 ? 1 : 0;
  EXPECT_FALSE(m.hasEdgeTable());
  const std::size_t held = m.memoryBytes();
  EXPECT_EQ(m.boundaryEdgeCount(), boundary);
  EXPECT_EQ(m.nonManifoldEdgeCount(), nonManifold);
  ASSERT_EQ(m.edgeCount(), expected.size());
  EXPECT_EQ(m.memoryBytes(), held) << "the counts keep what they built";
  ASSERT_EQ(m.edges().size(), expected.size());
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e) {
    const Edge& edge = m.edges()[e];
    auto it = expected.find({edge.v0, edge.v1});
    ASSERT_NE(it, expected.end());
    std::vector<std::uint32_t> faces = edgeFaces(m, e);
    EXPECT_EQ(std::set<std::uint32_t>(faces.begin(), faces.end()), it->second);
    EXPECT_EQ(faces.size(), it->second.size()) << "a face listed twice on edge " << e;
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end())) << "edge " << e;
    if (e > 0) {
      const Edge& before = m.edges()[e - 1];
      EXPECT_LT(std::pair(before.v0, before.v1), std::pair(edge.v0, edge.v1)) << "edge " << e;
    }
  }
  // The faces' edges come when asked for, not with the table.
  const std::size_t withTable = m.memoryBytes();
  EXPECT_EQ(m.faceEdges().size(), 3 * std::size_t{m.faceCount()});
  EXPECT_EQ(m.memoryBytes(), withTable + m.faceEdges().capacity() * 4);
  for (std::uint32_t f = 0; f < m.faceCount(); ++f)
    for (int k = 0; k < 3; ++k) {
      const Edge& edge = m.edges()[m.faceEdges()[3 * f + k]];
      std::uint32_t a = m.faces[3 * f + k], b = m.faces[3 * f + (k + 1) % 3];
      EXPECT_EQ(edge.v0, std::min(a, b));
      EXPECT_EQ(edge.v1, std::max(a, b));
    }
}

TEST(MeshTopology, StripHasBoundaryAndInteriorEdges) {
  Mesh m = test::strip(3);  // 5 vertices, 3 faces, 7 edges
  expectConsistentEdges(m);
  EXPECT_EQ(m.edgeCount(), 7u);
  int boundary = 0;
  for (const Edge& e : m.edges()) boundary += e.f1 == kNoFace;
  EXPECT_EQ(boundary, 5);
  std::uint32_t n;
  const std::uint32_t* around = m.facesAround(2, &n);
  EXPECT_EQ(std::vector<std::uint32_t>(around, around + n), (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(MeshTopology, NonManifoldFanAnswersLowestTwoFacesFirst) {
  // Three triangles on edge (0, 1).
  Mesh m = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1},
                    {0, 1, 2, 1, 0, 3, 0, 1, 4});
  expectConsistentEdges(m);
  std::uint32_t shared = m.faceEdges()[0];
  EXPECT_EQ(m.edges()[shared].f0, 0u);
  EXPECT_EQ(m.edges()[shared].f1, 1u);
  EXPECT_EQ(edgeFaces(m, shared), (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(MeshTopology, DegenerateAndIsolatedElementsAreKept) {
  // Face 1 repeats vertex 2; vertex 4 belongs to no face.
  Mesh m = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 5, 5, 5}, {0, 1, 2, 2, 2, 3});
  expectConsistentEdges(m);
  EXPECT_EQ(m.faceCount(), 2u);
  std::uint32_t n;
  m.facesAround(2, &n);
  EXPECT_EQ(n, 2u) << "a face that names a vertex twice is listed once around it";
  m.facesAround(4, &n);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(m.vertexFlags.size(), 5u);
}

TEST(MeshTopology, RandomSoupMatchesBruteForce) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::uint32_t> pick(0, 29);
  std::vector<float> p(90, 0.0f);
  std::vector<std::uint32_t> f;
  for (int i = 0; i < 200; ++i) f.insert(f.end(), {pick(rng), pick(rng), pick(rng)});
  expectConsistentEdges(makeMesh(p, f));
  // A fan of high valence around vertex 0 whose spokes are shared by many faces, in both
  // orientations, with faces that name a vertex twice among them.
  f.clear();
  for (std::uint32_t i = 0; i < 3000; ++i) {
    const std::uint32_t a = 1 + i % 29, b = 1 + (i * 7 + 3) % 29;
    f.insert(f.end(), i % 2 ? std::initializer_list<std::uint32_t>{0, a, b} : std::initializer_list<std::uint32_t>{b, a, 0});
  }
  expectConsistentEdges(makeMesh(p, f));
}

TEST(MeshValidation, NamesTheOffendingElement) {
  Mesh m;
  m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  m.faces = {0, 1, 3};
  EXPECT_EQ(validateMesh(m), "face 0 uses vertex 3 of 3");
  m.faces = {0, 1, 2};
  m.positions[4] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(validateMesh(m), "vertex 1 has a non-finite coordinate");
}

TEST(MeshTopology, EmptyMeshBuilds) {
  Mesh m;
  buildTopology(m);
  EXPECT_EQ(m.edgeCount(), 0u);
  EXPECT_TRUE(m.bounds().empty());
}

}  // namespace
}  // namespace tessel::studio
