#include "studio/scene/mesh_io.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <limits>

#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio {
namespace {

const char* kTwoTrianglesPly =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
    "property float z\nelement face 2\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n0 1 0\n1 1 0\n3 0 1 2\n3 2 1 3\n";

// Each test's files go in a folder of its own.
class MeshFiles : public ::testing::Test {
 protected:
  test::TempDir dir;
};

TEST_F(MeshFiles, ReadsEachFormatKeepingSharedVertices) {
  const std::pair<const char*, std::string> files[] = {
      {"a.ply", kTwoTrianglesPly},
      {"a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 3 2 4\n"},
      {"a.off", "OFF\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n3 0 1 2\n3 2 1 3\n"},
      {"a.stl",
       "solid a\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
       "endloop\nendfacet\nfacet normal 0 0 1\nouter loop\nvertex 0 1 0\nvertex 1 0 0\n"
       "vertex 1 1 0\nendloop\nendfacet\nendsolid a\n"},
  };
  for (auto& [name, text] : files) {
    LoadedFile f = loadMeshFile(dir.write(name, text));
    ASSERT_EQ(f.error, "") << name;
    EXPECT_EQ(f.mesh.vertexCount(), 4u) << name;
    EXPECT_EQ(f.mesh.faceCount(), 2u) << name;
    EXPECT_EQ(f.mesh.edgeCount(), 5u) << name << ": the diagonal is shared";
  }
}

TEST_F(MeshFiles, QuadsSplitIntoTrianglesAndVerticesOnlyMakeAPointCloud) {
  LoadedFile quad = loadMeshFile(dir.write("q.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n"));
  ASSERT_EQ(quad.error, "");
  EXPECT_EQ(quad.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
  LoadedFile cloud = loadMeshFile(dir.write("c.ply",
      "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
      "property float z\nend_header\n0 0 0\n1 2 3\n"));
  ASSERT_EQ(cloud.error, "");
  EXPECT_TRUE(cloud.pointCloud);
  EXPECT_EQ(cloud.mesh.vertexCount(), 2u);
}

TEST_F(MeshFiles, SavedFilesReadBackTheSame) {
  Mesh m = test::strip(5);
  for (const char* name : {"s.ply", "s.obj"}) {
    ASSERT_EQ(saveMeshFile(dir.path / name, m), "") << name;
    LoadedFile back = loadMeshFile(dir.path / name);
    ASSERT_EQ(back.error, "") << name;
    EXPECT_EQ(back.mesh.positions, m.positions) << name;
    EXPECT_EQ(back.mesh.faces, m.faces) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 2)
      << "no temporary left behind";
  // A save renames a finished file over the old one, never rewrites it: whoever holds the old
  // file (here a second link) keeps it whole.
  std::filesystem::create_hard_link(dir.path / "s.ply", dir.path / "held.ply");
  ASSERT_EQ(saveMeshFile(dir.path / "s.ply", test::strip(2)), "");
  EXPECT_EQ(loadMeshFile(dir.path / "held.ply").mesh.faces, m.faces);
  EXPECT_EQ(loadMeshFile(dir.path / "s.ply").mesh.faceCount(), 2u);
}

// Scan defects are data: a fan of three faces on one edge, a face that names a vertex twice and
// a vertex no face uses all come back as they went out.
TEST_F(MeshFiles, ScanDefectsSurviveASaveAndLoad) {
  Mesh m = test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 7, 7, 7},
                          {0, 1, 2, 1, 0, 3, 0, 1, 4, 2, 2, 3});
  ASSERT_EQ(saveMeshFile(dir.path / "d.ply", m), "");
  LoadedFile back = loadMeshFile(dir.path / "d.ply");
  ASSERT_EQ(back.error, "");
  EXPECT_EQ(back.mesh.faces, m.faces);
  EXPECT_EQ(back.mesh.vertexCount(), 6u) << "the unused vertex stays";
  EXPECT_EQ(back.mesh.edgeCount(), m.edgeCount());
  EXPECT_EQ(back.mesh.extraEdgeFaces(), m.extraEdgeFaces());
  // The face that repeats a vertex, which OpenMesh's OBJ reader drops, is put back in its place.
  ASSERT_EQ(saveMeshFile(dir.path / "d.obj", m), "");
  back = loadMeshFile(dir.path / "d.obj");
  ASSERT_EQ(back.error, "");
  EXPECT_EQ(back.skippedFaces, 0u);
  EXPECT_EQ(back.mesh.faces, m.faces);
  EXPECT_EQ(back.mesh.extraEdgeFaces(), m.extraEdgeFaces());
  // Set off by a tab, relative, or a polygon: each in its place; a repeat among three distinct
  // vertices is dropped by the reader, leaving the triangle.
  back = loadMeshFile(dir.write("tab.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf\t1 2 2\nf 1 2 3\n"
                                           "f -1 -1 -3 -1\nf 1 2 2 3\n"));
  ASSERT_EQ(back.error, "");
  EXPECT_EQ(back.skippedFaces, 0u);
  EXPECT_EQ(back.mesh.faces, (std::vector<std::uint32_t>{0, 1, 1, 0, 1, 2, 2, 2, 0, 2, 0, 2, 0, 1, 2}));
}

TEST_F(MeshFiles, ObjTextReadsAlikeWhateverItsLineEndingsOrEncoding) {
  const std::string lf = "# from another program\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n";
  auto endings = [&](const std::string& end) {
    std::string out;
    for (char c : lf) out += c == '\n' ? end : std::string(1, c);
    return out;
  };
  auto utf16 = [&](bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : endings("\r\n")) out += big ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  const LoadedFile plain = loadMeshFile(dir.write("lf.obj", lf));
  ASSERT_EQ(plain.error, "");
  ASSERT_EQ(plain.mesh.faceCount(), 2u);
  const std::pair<const char*, std::string> variants[] = {
      {"cr.obj", endings("\r")},          {"crlf.obj", endings("\r\n")},
      {"bom.obj", "\xEF\xBB\xBF" + lf.substr(lf.find('v'))},   {"utf16le.obj", utf16(false)},
      {"utf16be.obj", utf16(true)},       {"mixed.obj", "v 0 0 0\rv 1 0 0\r\nv 1 1 0\nv 0 1 0\rf 1 2 3 4"},
  };
  for (auto& [name, text] : variants) {
    LoadedFile f = loadMeshFile(dir.write(name, text));
    ASSERT_EQ(f.error, "") << name;
    EXPECT_EQ(f.mesh.positions, plain.mesh.positions) << name;
    EXPECT_EQ(f.mesh.faces, plain.mesh.faces) << name;
  }
  // Checked as read: a CR ends the line an index out of range is on.
  EXPECT_NE(loadMeshFile(dir.write("range.obj", "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 4\r")).error.find(
                "line 4: face uses vertex 4 of 3"),
            std::string::npos);
}

// Faces of one or two corners cannot be kept; they are counted, apart from the zero-area faces
// that repeat a vertex, which are kept.
TEST_F(MeshFiles, ObjFacesTheReaderDropsAreCountedByKind) {
  LoadedFile f = loadMeshFile(dir.write(
      "short.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1\nf 1 2\nf 1 2 2\nf 1 2 3 # fine\nf 3 2 1\n"));
  ASSERT_EQ(f.error, "");
  EXPECT_EQ(f.mesh.faceCount(), 3u);
  EXPECT_EQ(f.shortFaces, 2u);
  EXPECT_EQ(f.skippedFaces, 0u);
}

// A facet whose corners coincide is a zero-area face: kept in the file's order as in every
// other format, binary or ASCII, even when every facet is one.
TEST_F(MeshFiles, StlFacetsWhoseCornersCoincideAreKeptInPlace) {
  auto binary = [](const std::vector<std::array<float, 9>>& facets) {
    std::string out(80, ' ');
    const std::uint32_t n = static_cast<std::uint32_t>(facets.size());
    out.append(reinterpret_cast<const char*>(&n), 4);
    for (const auto& c : facets) {
      out.append(12, '\0');
      out.append(reinterpret_cast<const char*>(c.data()), 36);
      out.append(2, '\0');
    }
    return out;
  };
  auto ascii = [](const std::vector<std::array<float, 9>>& facets) {
    std::string out = "solid s\n";
    for (const auto& c : facets) {
      out += "facet normal 0 0 1\nouter loop\n";
      for (int k = 0; k < 3; ++k)
        out += "vertex " + std::to_string(c[3 * k]) + " " + std::to_string(c[3 * k + 1]) + " " +
               std::to_string(c[3 * k + 2]) + "\n";
      out += "endloop\nendfacet\n";
    }
    return out + "endsolid s\n";
  };
  const std::vector<std::array<float, 9>> facets = {
      {0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 0, 1, 0, 0, 1, 1, 0},
      {5, 5, 5, 5, 5, 5, 5, 5, 5}};
  for (const auto& [name, text] : {std::pair{"b.stl", binary(facets)}, {"a.stl", ascii(facets)}}) {
    LoadedFile f = loadMeshFile(dir.write(name, text));
    ASSERT_EQ(f.error, "") << name;
    EXPECT_EQ(f.mesh.vertexCount(), 5u) << name;
    EXPECT_EQ(f.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2, 1, 1, 2, 2, 1, 3, 4, 4, 4})) << name;
    EXPECT_EQ(f.skippedFaces, 0u) << name;
  }
  LoadedFile zero = loadMeshFile(dir.write("zero.stl", binary(std::vector<std::array<float, 9>>(1000))));
  ASSERT_EQ(zero.error, "");
  EXPECT_EQ(zero.mesh.vertexCount(), 1u);
  EXPECT_EQ(zero.mesh.faceCount(), 1000u);
  EXPECT_FALSE(zero.pointCloud);
}

TEST_F(MeshFiles, SaveFailureKeepsTheOldFile) {
  auto target = dir.write("keep.stl", "old");
  EXPECT_NE(saveMeshFile(target, test::strip(1)), "");
  EXPECT_EQ(test::readFile(target), "old");
  EXPECT_NE(saveMeshFile(dir.path / "no-such-folder" / "x.ply", test::strip(1)), "");
}

// An ASCII PLY is read by its own walk, a binary one by OpenMesh's reader: the same values
// written both ways load the same, one-byte properties included (OpenMesh's text reader took
// "200" a character at a time and refused the file for the indices that followed).
TEST_F(MeshFiles, AsciiPlyLoadsAsItsBinaryTwin) {
  const std::string properties =
      "element vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
      "property float nx\nproperty uchar confidence\nproperty char offset\nproperty uchar red\n"
      "property uchar green\nproperty uchar blue\nproperty double quality\n"
      "element material 1\nproperty float shine\n"
      "element face 2\nproperty list uchar int vertex_indices\nproperty float weight\nend_header\n";
  const std::string ascii = "ply\nformat ascii 1.0\n" + properties +
                            "0 0 0 1 200 -5 255 0 7 0.5\n1 0 0 1 0 127 1 2 3 1.5\n"
                            "+1 1 0 1 17 -128 9 9 9 2.5\n0 1.5e0 0 1 255 0 0 0 0 3.5\n0.25\n"
                            "4 0 1 2 3 0.25\n3 0 2 3 0.5\n";
  std::string binary = "ply\nformat binary_little_endian 1.0\n" + properties;
  auto put = [&binary](auto value) {
    binary.append(reinterpret_cast<const char*>(&value), sizeof value);
  };
  const float xyz[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1.5f, 0}};
  const std::uint8_t confidence[4] = {200, 0, 17, 255}, colour[4][3] = {{255, 0, 7}, {1, 2, 3}, {9, 9, 9}, {0, 0, 0}};
  const std::int8_t offset[4] = {-5, 127, -128, 0};
  for (int v = 0; v < 4; ++v) {
    for (float c : xyz[v]) put(c);
    put(1.0f), put(confidence[v]), put(offset[v]);
    for (std::uint8_t c : colour[v]) put(c);
    put(0.5 + v);
  }
  put(0.25f);
  put(std::uint8_t{4}), put(0), put(1), put(2), put(3), put(0.25f);
  put(std::uint8_t{3}), put(0), put(2), put(3), put(0.5f);

  LoadedFile a = loadMeshFile(dir.write("a.ply", ascii)), b = loadMeshFile(dir.write("b.ply", binary));
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(b.error, "");
  EXPECT_EQ(a.mesh.positions, b.mesh.positions);
  EXPECT_EQ(a.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 0, 2, 3}));
  EXPECT_EQ(a.mesh.faces, b.mesh.faces);
  EXPECT_EQ(a.vertexColours, (std::vector<std::uint8_t>{255, 0, 7, 1, 2, 3, 9, 9, 9, 0, 0, 0}));
  EXPECT_EQ(a.vertexColours, b.vertexColours);
  const std::vector<std::pair<std::string, std::vector<float>>> maps = {
      {"confidence", {200, 0, 17, 255}}, {"offset", {-5, 127, -128, 0}}, {"quality", {0.5f, 1.5f, 2.5f, 3.5f}}};
  EXPECT_EQ(a.vertexValues, maps);
  EXPECT_EQ(b.vertexValues, maps);

  // Float colours are scaled and cut as OpenMesh's reader cuts them; a vertex property that is
  // no colour brings none.
  const std::string floatColours =
      "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
      "property float red\nproperty float green\nproperty float blue\nproperty uchar alpha\n"
      "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
      "0 0 0 0.5 1 0 9\n1 0 0 0.999 0 0 9\n0 1 0 0 0 0.2 9\n3 0 1 2\n";
  EXPECT_EQ(loadMeshFile(dir.write("f.ply", floatColours)).vertexColours,
            (std::vector<std::uint8_t>{127, 255, 0, 254, 0, 0, 0, 0, 51}));

  // A value past its type, a face short of corners and a missing value are refused by name.
  const std::string head = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                           "property float z\nproperty uchar confidence\nelement face 1\n"
                           "property list uchar int vertex_indices\nend_header\n";
  const LoadedFile plain = loadMeshFile(dir.write("p.ply", head + "0 0 0 1\n1 0 0 0\n0 1 0 0\n3 0 1 2\n"));
  ASSERT_EQ(plain.error, "");
  EXPECT_TRUE(plain.vertexColours.empty());
  EXPECT_NE(loadMeshFile(dir.write("c.ply", head + "0 0 0 256\n1 0 0 0\n0 1 0 0\n3 0 1 2\n"))
                .error.find("line 11: value \"256\" is out of range"), std::string::npos);
  EXPECT_NE(loadMeshFile(dir.write("d.ply", head + "0 0 0 1\n1 0 0 0\n0 1 0 0\n2 0 1\n"))
                .error.find("1 faces with fewer than 3 corners"), std::string::npos);
  EXPECT_NE(loadMeshFile(dir.write("e.ply", head + "0 0 0 1\n1 0 0 0\n0 1 0 0\n3 0 1\n"))
                .error.find("the file ends in face 0 of 1"), std::string::npos);
}

// Each bad file gives one line that names the file and the problem.
TEST_F(MeshFiles, BadInputIsReportedNotLoaded) {
  std::string header =
      "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
      "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
  std::string binaryHeader =
      "ply\nformat binary_little_endian 1.0\nelement vertex 3\nproperty float x\n"
      "property float y\nproperty float z\nelement face 1\n"
      "property list uchar int vertex_indices\nend_header\n";
  // Three vertices, vertex 1's x = `x`, and one triangle.
  auto binaryBody = [](float x) {
    float v[9] = {0, 0, 0, x, 0, 0, 0, 1, 0};
    std::string body(reinterpret_cast<const char*>(v), sizeof v);
    const std::uint8_t n = 3;
    const std::int32_t idx[3] = {0, 1, 2};
    body += std::string(reinterpret_cast<const char*>(&n), 1);
    body += std::string(reinterpret_cast<const char*>(idx), sizeof idx);
    return body;
  };
  const struct {
    const char* name;
    std::string text;
    const char* problem;
  } cases[] = {
      {"index.ply", header + "0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n", "face 0 uses vertex 7 of 3"},
      {"inf.ply", binaryHeader + binaryBody(std::numeric_limits<float>::infinity()),
       "vertex 1 has a non-finite coordinate"},
      {"finite.ply", binaryHeader + binaryBody(1.0f), nullptr},
      {"short.ply", header + "0 0 0\n1 0 0\n", "the header declares 3 vertex elements"},
      {"cut.ply", binaryHeader + std::string(20, '\0'), "the header declares 3 vertex elements"},
      {"empty.ply", "", "empty file"},
      {"junk.ply", "this is not a mesh\n", "not a PLY file"},
      {"scan.xyz", "0 0 0\n", "unknown file type"},
  };
  for (const auto& c : cases) {
    LoadedFile f = loadMeshFile(dir.write(c.name, c.text));
    if (!c.problem) {  // the control case: the same bytes with a finite value load
      EXPECT_EQ(f.error, "");
      continue;
    }
    EXPECT_NE(f.error, "") << c.name << " loaded";
    EXPECT_EQ(f.error.find((dir.path / c.name).string() + ": "), 0u) << f.error;
    EXPECT_NE(f.error.find(c.problem), std::string::npos) << c.name << ": " << f.error;
    EXPECT_EQ(f.error.find('\n'), std::string::npos);
    EXPECT_EQ(f.mesh.vertexCount(), 0u) << c.name;
  }
  EXPECT_NE(loadMeshFile(dir.path).error.find("is a directory"), std::string::npos);
  EXPECT_NE(loadMeshFile(dir.path / "missing.ply").error.find("no such file"), std::string::npos);
}

}  // namespace
}  // namespace tessel::studio
