// Which faces a deletion takes under each component filter, and the removal put back exactly:
// faces in their old order, face, vertex and edge flags, the table of edges built or not.
#include "studio/edit/delete_faces.h"
#include "studio/edit/separate_faces.h"

#include <gtest/gtest.h>

#include "host/om_codes.h"
#include "studio/scene/scene.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio::edit {
namespace {

using test::edgeOf;

// A square of faces 0 (0 1 2) and 1 (0 2 3), and face 2 (2 1 4) beyond edge 1-2; vertex 5 is
// in the file but in no face.
Mesh fan() {
  return test::makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 1, 0, 5, 5, 5},
                        {0, 1, 2, 0, 2, 3, 2, 1, 4});
}

TEST(FacesToDelete, EachFilterTakesItsFaces) {
  Mesh m = fan();
  m.faceFlags[1] = kSelected;
  m.vertexFlags[4] = kSelected;
  m.tableEdgeFlags()[edgeOf(m, 0, 2)] = kSelected;
  EXPECT_EQ(facesToDelete(m, om::kMaskFaces), (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(facesToDelete(m, om::kMaskVertices), (std::vector<std::uint32_t>{2}))
      << "the face using vertex 4, its last corner";
  m.vertexFlags[4] = 0;
  m.vertexFlags[1] = kSelected;
  EXPECT_EQ(facesToDelete(m, om::kMaskVertices), (std::vector<std::uint32_t>{0, 2}))
      << "every face using vertex 1";
  EXPECT_EQ(facesToDelete(m, om::kMaskEdges), (std::vector<std::uint32_t>{0, 1}))
      << "both faces on edge 0-2";
  EXPECT_TRUE(facesToDelete(m, om::kMaskHoles).empty());
  Mesh none = fan();  // no edge table yet: no edge can be selected, and none is built
  EXPECT_TRUE(facesToDelete(none, om::kMaskEdges).empty());
  EXPECT_FALSE(none.hasEdgeTable());
}

TEST(FacesToDelete, EveryFaceOnANonManifoldEdge) {
  // Three faces on edge 0-1.
  Mesh m = test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1},
                          {0, 1, 2, 1, 0, 3, 0, 1, 4});
  m.tableEdgeFlags()[edgeOf(m, 0, 1)] = kSelected;
  EXPECT_EQ(facesToDelete(m, om::kMaskEdges), (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(FaceRemoval, RemovesInOrderAndPutsBackExactly) {
  Scene scene;
  Mesh& m = *scene.add(test::meshEntity(fan())).mesh;
  const std::uint32_t id = scene.entities().back()->id;
  m.faceFlags = {kSelected, 0, kHidden};
  m.vertexFlags[3] = kSelected;
  m.tableEdgeFlags()[edgeOf(m, 1, 2)] = kSelected;  // survives: faces 0 and 2 use it
  m.tableEdgeFlags()[edgeOf(m, 2, 3)] = kSelected;  // goes with face 1
  const Mesh before = m;

  FaceRemoval removal(id, m, {1});
  EXPECT_EQ(m.faces, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 4}));
  EXPECT_EQ(m.faceFlags, (std::vector<std::uint8_t>{kSelected, kHidden}));
  EXPECT_EQ(m.vertexFlags[3], kHidden | kUnused) << "vertex 3 lost its only face";
  EXPECT_EQ(m.vertexFlags[5], 0) << "a vertex of the file in no face is kept as it was";
  EXPECT_EQ(m.edgeFlags[edgeOf(m, 1, 2)], kSelected);
  EXPECT_EQ(m.edges().size(), 5u);
  EXPECT_NE(m.revision, before.revision) << "drawn and picked data are rebuilt";
  const Mesh after = m;

  removal.undo(scene);
  EXPECT_EQ(m.faces, before.faces);
  EXPECT_EQ(m.faceFlags, before.faceFlags);
  EXPECT_EQ(m.vertexFlags, before.vertexFlags);
  EXPECT_EQ(m.edgeFlags, before.edgeFlags);
  removal.redo(scene);
  EXPECT_EQ(m.faces, after.faces);
  EXPECT_EQ(m.vertexFlags, after.vertexFlags);
  EXPECT_EQ(m.edgeFlags, after.edgeFlags);

  // Written out, vertex 3 is left out and the faces renumbered; vertex 5 stays.
  const Mesh written = withoutUnusedVertices(m);
  EXPECT_EQ(written.vertexCount(), 5u);
  EXPECT_EQ(written.faces, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_EQ(written.position(4).x, 5);
}

TEST(FaceRemoval, FirstAndLastFacesAndNoEdgeTable) {
  Scene scene;
  Mesh& m = *scene.add(test::meshEntity(test::strip(6))).mesh;
  const Mesh before = m;
  const std::uint32_t last = m.faceCount() - 1;
  FaceRemoval removal(scene.entities().back()->id, m, {0, last});
  EXPECT_EQ(m.faceCount(), before.faceCount() - 2);
  EXPECT_TRUE(std::equal(m.faces.begin(), m.faces.end(), before.faces.begin() + 3));
  EXPECT_FALSE(m.hasEdgeTable()) << "a removal builds no edge table the mesh did not have";
  removal.undo(scene);
  EXPECT_EQ(m.faces, before.faces);
  EXPECT_EQ(m.vertexFlags, before.vertexFlags);
  EXPECT_FALSE(m.hasEdgeTable());
}

// Separating faces 1 and 2 of the fan: vertices 0 2 3 1 4 are used (5 is in no face), kept in
// their old order; hidden stays hidden, the selection stays behind.
TEST(MeshOfFaces, OnlyTheVerticesTheFacesUseInTheirOldOrder) {
  Mesh m = fan();
  m.faceFlags = {0, kSelected, kSelected | kHidden};
  m.vertexFlags[1] = kHidden;
  m.vertexFlags[2] = kSelected;
  m.tableEdgeFlags()[edgeOf(m, 1, 4)] = kHidden;
  m.tableEdgeFlags()[edgeOf(m, 0, 1)] = kHidden;  // face 0's alone: does not come along
  const FacePart part = meshOfFaces(m, {1, 2});
  EXPECT_EQ(part.vertices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(part.mesh.faces, (std::vector<std::uint32_t>{0, 2, 3, 2, 1, 4}));
  EXPECT_EQ(part.mesh.position(4).x, 2);
  EXPECT_EQ(part.mesh.faceFlags, (std::vector<std::uint8_t>{0, kHidden}));
  EXPECT_EQ(part.mesh.vertexFlags, (std::vector<std::uint8_t>{0, kHidden, 0, 0, 0}));
  ASSERT_TRUE(part.mesh.hasEdgeTable());
  std::size_t hidden = 0;
  for (std::uint8_t f : part.mesh.edgeFlags) hidden += f == kHidden;
  EXPECT_EQ(hidden, 1u);
  EXPECT_EQ(part.mesh.edgeFlags[edgeOf(part.mesh, 1, 4)], kHidden);
  // A mesh never asked for edges gets no table either.
  EXPECT_FALSE(meshOfFaces(fan(), {0}).mesh.hasEdgeTable());
  EXPECT_EQ(meshOfFaces(fan(), {0}).mesh.vertexCount(), 3u);
}

TEST(PartName, APartOfAPartIsNotAPartPart) {
  EXPECT_EQ(partName("dragon"), "dragon part");
  EXPECT_EQ(partName("dragon part"), "dragon part");
  EXPECT_EQ(partName("dragon part 12"), "dragon part");
  EXPECT_EQ(partName("scan 2"), "scan 2 part");
  EXPECT_EQ(partName("apart"), "apart part");
  EXPECT_EQ(partName(""), "mesh part");
}

}  // namespace
}  // namespace tessel::studio::edit
