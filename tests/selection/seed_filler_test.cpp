// The seed filler's floods against a reference that knows nothing of its marks or lists: ring k
// is every face that shares a vertex with ring k-1 and may be selected.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "host/omCommand.h"
#include "selection/omISeedFillerImpl.h"
#include "studio/scene/mesh_access.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::test {
namespace {

using studio::Mesh;

bool shareVertex(const Mesh& m, std::uint32_t a, std::uint32_t b) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (m.faces[3 * a + i] == m.faces[3 * b + j]) return true;
  return false;
}

// Brute force over all face pairs; `start` counts as selected and spreads even when excluded
// is false for it only.
std::set<std::uint32_t> reference(const Mesh& m, std::set<std::uint32_t> start, std::uint32_t rings) {
  auto selectable = [&](std::uint32_t f) {
    return !(m.faceFlags[f] & (studio::kHidden | studio::kExcluded));
  };
  std::set<std::uint32_t> result = start, ring = start;
  for (std::uint32_t r = 0; r < rings && !ring.empty(); ++r) {
    std::set<std::uint32_t> next;
    for (std::uint32_t f : ring)
      for (std::uint32_t g = 0; g < m.faceCount(); ++g)
        if (!result.count(g) && selectable(g) && shareVertex(m, f, g)) next.insert(g);
    result.insert(next.begin(), next.end());
    ring = next;
  }
  return result;
}

std::set<std::uint32_t> asSet(const omFaceSet& s) { return {s.begin(), s.end()}; }

void expectNoMarks(const Mesh& m) {
  for (std::uint32_t f = 0; f < m.faceCount(); ++f)
    ASSERT_EQ(m.faceFlags[f] & (studio::kMarked | studio::kBlocked), 0) << "face " << f;
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
    ASSERT_EQ(m.vertexFlags[v] & studio::kMarked, 0) << "vertex " << v;
}

omFaceSet faceSet(std::initializer_list<std::uint32_t> faces) {
  omFaceSet s;
  std::vector<std::uint32_t> v(faces);
  s.insertMany(v);
  return s;
}

// A closed unit cube, two triangles per side; side k is faces 2k and 2k+1.
Mesh cube() {
  return makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1},
                  {0, 2, 1, 0, 3, 2, 4, 5, 6, 4, 6, 7, 0, 1, 5, 0, 5, 4,
                   1, 2, 6, 1, 6, 5, 2, 3, 7, 2, 7, 6, 3, 0, 4, 3, 4, 7});
}

TEST(SeedFiller, RingsOnAStripMatchTheReference) {
  Mesh m = strip(20);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  // 0 and 1 both grow one ring; 0xFFFFFFFF never stops early.
  for (std::uint32_t rings : {0u, 1u, 2u, 3u, 0xFFFFFFFFu}) {
    omFaceSet out;
    filler->FillFromFace(&mesh, 10, {}, &out, rings);
    EXPECT_EQ(asSet(out), reference(m, {10}, std::max(rings, 1u))) << rings << " rings";
    EXPECT_TRUE(std::is_sorted(out.begin(), out.end()));
    expectNoMarks(m);
  }
}

TEST(SeedFiller, BarriersStopTheFloodAndSeedsAreSelectedWithoutSpreading) {
  Mesh m = strip(12);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  // On a strip faces meet their second neighbours at a vertex, so a barrier takes two faces.
  omFaceSet out;
  filler->FillFromFace(&mesh, 0, faceSet({5, 6}), &out, 0xFFFFFFFFu);
  EXPECT_EQ(asSet(out), (std::set<std::uint32_t>{0, 1, 2, 3, 4}));
  expectNoMarks(m);

  omFaceSet fromVertex;
  filler->FillFromVertex(&mesh, 0, faceSet({5, 6}), &fromVertex);
  EXPECT_EQ(asSet(fromVertex), (std::set<std::uint32_t>{0, 1, 2, 3, 4, 5, 6}));
  expectNoMarks(m);
}

TEST(SeedFiller, ExcludedFacesOnACubeAreNeverSelectedAndExcludedSeedsNeverSpread) {
  Mesh m = cube();
  m.faceFlags[4] = m.faceFlags[5] = studio::kExcluded;
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  omFaceSet out;
  filler->FillFromSeeds(&mesh, faceSet({0}), &out, -1, 0xFFFFFFFFu);
  EXPECT_EQ(asSet(out), reference(m, {0}, 100));
  EXPECT_FALSE(out.contains(4));
  EXPECT_EQ(out.size(), 10u);
  expectNoMarks(m);

  omFaceSet fromExcluded;
  filler->FillFromSeeds(&mesh, faceSet({4}), &fromExcluded, -1, 0xFFFFFFFFu);
  EXPECT_TRUE(fromExcluded.empty());
  expectNoMarks(m);
}

TEST(SeedFiller, FloodsThroughAVertexTwoTrianglesShareAndAroundANonManifoldFan) {
  // Two triangles meeting only at vertex 2.
  Mesh bow = makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 2, 1, 0, 2, 2, 0}, {0, 1, 2, 2, 3, 4});
  studio::MeshAccess bowMesh(&bow);
  selection::ScopedSeedFiller filler;
  omFaceSet out;
  filler->FillFromFace(&bowMesh, 0, {}, &out, 1);
  EXPECT_EQ(asSet(out), (std::set<std::uint32_t>{0, 1}));
  expectNoMarks(bow);

  // Four triangles on the one edge 0-1, plus a tail beyond the last.
  Mesh fan = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, -1, 0, 0, 0, -1, 0, -2, 0},
                      {0, 1, 2, 0, 1, 3, 0, 1, 4, 0, 1, 5, 4, 6, 1});
  studio::MeshAccess fanMesh(&fan);
  for (std::uint32_t rings : {1u, 0xFFFFFFFFu}) {
    omFaceSet all;
    filler->FillFromFace(&fanMesh, 1, {}, &all, rings);
    EXPECT_EQ(asSet(all), reference(fan, {1}, rings)) << rings;
    expectNoMarks(fan);
  }
}

TEST(SeedFiller, HiddenFacesAreNeitherSelectedNorMarked) {
  Mesh m = strip(10);
  m.faceFlags[3] = m.faceFlags[4] = studio::kHidden;
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  omFaceSet out;
  filler->FillFromFace(&mesh, 0, {}, &out, 0xFFFFFFFFu);
  EXPECT_EQ(asSet(out), (std::set<std::uint32_t>{0, 1, 2}));
  // The hidden faces around the start vertex are not picked up either.
  omFaceSet fromVertex;
  filler->FillFromVertex(&mesh, 5, {}, &fromVertex);
  EXPECT_EQ(asSet(fromVertex), reference(m, {5}, 100));
  EXPECT_FALSE(fromVertex.contains(3));
  expectNoMarks(m);
  EXPECT_EQ(m.faceFlags[3], studio::kHidden);
}

TEST(SeedFiller, AValueTestBlocksTheFacesThatFailIt) {
  Mesh m = strip(12);
  m.faceFlags[6] = m.faceFlags[7] = studio::kSelected;
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  omFaceSet out;
  filler->FillFromSeeds(&mesh, faceSet({0}), &out, studio::kSelected, 0xFFFFFFFFu);
  EXPECT_EQ(asSet(out), (std::set<std::uint32_t>{0, 1, 2, 3, 4, 5}));
  omFaceSet unfiltered;
  filler->FillFromSeeds(&mesh, faceSet({0}), &unfiltered, -1, 0xFFFFFFFFu);
  EXPECT_EQ(unfiltered.size(), 12u);
  expectNoMarks(m);
}

TEST(SeedFiller, ResultsMergeIntoWhatTheSetHeld) {
  Mesh m = strip(30);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  omFaceSet out = faceSet({2, 29});
  filler->FillFromFace(&mesh, 1, {}, &out, 1);
  EXPECT_EQ(asSet(out), (std::set<std::uint32_t>{0, 1, 2, 3, 29}));
  EXPECT_EQ(out.size(), 5u);
}

TEST(SeedFiller, AFaceAHostListsTwiceAroundAVertexIsSelectedOnce) {
  Mesh m = strip(8);
  // Vertex 4 names face 3 twice, as a host with repeated corners might.
  const std::uint32_t v = 4;
  m.vertexFaces().insert(m.vertexFaces().begin() + m.vertexFaceStart()[v], 3u);
  for (std::size_t i = v + 1; i < m.vertexFaceStart().size(); ++i) ++m.vertexFaceStart()[i];
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  for (std::uint32_t rings : {1u, 0xFFFFFFFFu}) {
    omFaceSet out;
    filler->FillFromFace(&mesh, 4, {}, &out, rings);
    EXPECT_EQ(asSet(out), reference(m, {4}, rings));
    EXPECT_EQ(out.size(), reference(m, {4}, rings).size());
    expectNoMarks(m);
  }
}

TEST(FaceSet, BulkInsertsSortAndDropRepeatsAtAnySize) {
  std::mt19937 rng(7);
  // Small (comparison sort), dense (bitmap) and spread over all handles (radix).
  for (std::uint32_t spread : {5u, 50000u, 0xFFFFFFF0u}) {
    const std::size_t n = spread == 5u ? 10u : 100000u;
    std::vector<std::uint32_t> values(n);
    for (auto& v : values) v = static_cast<std::uint32_t>(rng() % spread);
    std::set<std::uint32_t> expected(values.begin(), values.end());
    omFaceSet s = faceSet({0xFFFFFFFEu});
    expected.insert(0xFFFFFFFEu);
    s.insertMany(values);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(asSet(s), expected);
    EXPECT_EQ(s.size(), expected.size());
    EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
  }
  // Adopting keeps a whole-mesh reservation rather than copying into a smaller one; into a set
  // that holds faces it merges.
  std::vector<std::uint32_t> reserved{3, 1, 3};
  reserved.reserve(1u << 16);
  omFaceSet adopted;
  adopted.adopt(reserved);
  EXPECT_EQ(asSet(adopted), (std::set<std::uint32_t>{1, 3}));
  EXPECT_GE(adopted.capacityBytes(), (1u << 16) * sizeof(std::uint32_t));
  std::vector<std::uint32_t> more{2, 3};
  adopted.adopt(more);
  EXPECT_EQ(asSet(adopted), (std::set<std::uint32_t>{1, 2, 3}));
  EXPECT_TRUE(more.empty());

  omFaceSet one;
  EXPECT_TRUE(one.insert(5));
  EXPECT_FALSE(one.insert(5));
  EXPECT_TRUE(one.insert(1));
  EXPECT_EQ(one[0], 1u);
}

}  // namespace
}  // namespace tessel::test
