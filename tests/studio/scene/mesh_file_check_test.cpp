// Malformed files that once hung, crashed or loaded made-up data inside the readers: each is now
// refused through Studio's loading path with its own message, and nothing is loaded.
#include "studio/scene/mesh_file_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

#include "studio/scene/mesh_io.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio {
namespace {

struct BadFile {
  const char* name;
  std::string text;
  std::string problem;  // the whole message after "FILE: "
};

const std::string kVertexProps = "property float x\nproperty float y\nproperty float z\n";
const std::string kFaceList = "property list uchar int vertex_indices\n";

std::string asciiPly(int vertices, int faces, const std::string& body) {
  return "ply\nformat ascii 1.0\nelement vertex " + std::to_string(vertices) + "\n" + kVertexProps +
         "element face " + std::to_string(faces) + "\n" + kFaceList + "end_header\n" + body;
}

// A binary PLY of `vertices` vertices (all at the origin but the second) and the given
// triangles, as the bytes the header promises.
std::string binaryPly(int vertices, int faces, const std::vector<std::uint32_t>& corners) {
  std::string out = "ply\nformat binary_little_endian 1.0\nelement vertex " +
                    std::to_string(vertices) + "\n" + kVertexProps + "element face " +
                    std::to_string(faces) + "\n" + kFaceList + "end_header\n";
  for (int i = 0; i < vertices; ++i) {
    float p[3] = {static_cast<float>(i), 0, static_cast<float>(i % 2)};
    out.append(reinterpret_cast<const char*>(p), sizeof p);
  }
  for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
    out += '\3';
    out.append(reinterpret_cast<const char*>(&corners[i]), 12);
  }
  return out;
}

// Each test's files go in a folder of its own.
class MalformedFiles : public ::testing::Test {
 protected:
  void expectRefused(const std::vector<BadFile>& cases) {
    for (const BadFile& c : cases) {
      const auto path = dir.write(c.name, c.text);
      LoadedFile f = loadMeshFile(path);
      EXPECT_EQ(f.error, path.string() + ": " + c.problem) << c.name;
      EXPECT_EQ(f.mesh.vertexCount(), 0u) << c.name;
      EXPECT_EQ(f.mesh.faceCount(), 0u) << c.name;
    }
  }
  test::TempDir dir;
};

TEST_F(MalformedFiles, PlyHeadersTheReaderWouldLoopOrCrashOn) {
  expectRefused({
      {"no-end.ply", "ply\nformat ascii 1.0\nelement vertex 1\n" + kVertexProps + "0 0 0\n",
       "header line 7: unknown keyword \"0\""},
      {"no-end-at-all.ply", "ply\nformat ascii 1.0\nelement vertex 1\n" + kVertexProps,
       "the header has no end_header line"},
      {"junk.ply", "ply\nformat ascii 1.0\n%%junk%%\nend_header\n", "no vertex element"},
      {"misspelt.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproprety float q\n",
       "header line 5: unknown keyword \"proprety\""},
      {"element-word.ply", "ply\nformat ascii 1.0\nelement vertex many\n" + kVertexProps + "end_header\n",
       "header line 3: element count \"many\" is not a count"},
      {"element-short.ply", "ply\nformat ascii 1.0\nelement vertex\n" + kVertexProps + "end_header\n",
       "header line 3: expected \"element NAME COUNT\""},
      {"property-short.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float\nend_header\n",
       "header line 4: expected \"property TYPE NAME\""},
      {"property-type.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty half x\nend_header\n",
       "header line 4: unknown type \"half\""},
      {"property-first.ply", "ply\nformat ascii 1.0\nproperty float x\nelement vertex 1\nend_header\n",
       "header line 3: property before any element"},
      {"format.ply", "ply\nformat ebcdic 1.0\nend_header\n", "header line 2: unknown format \"ebcdic\""},
      {"no-xyz.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n0\n",
       "the vertex element lacks x, y or z"},
      {"int-x.ply",
       "ply\nformat binary_little_endian 1.0\nelement vertex 1\nproperty int x\nproperty float y\n"
       "property float z\nend_header\n" + std::string(12, '\0'),
       "header line 4: property \"x\" of \"vertex\" must be float or double"},
      {"list-elsewhere.ply",
       "ply\nformat ascii 1.0\nelement vertex 1\n" + kVertexProps +
           "property list uchar float extra\nend_header\n0 0 0 1 5\n",
       "header line 7: list property \"extra\" of \"vertex\" is not supported"},
      // The reader seeks a fixed 12 bytes past the last property line to find binary data.
      {"comment-last.ply",
       "ply\nformat binary_little_endian 1.0\nelement vertex 1\n" + kVertexProps +
           "comment made by hand\nend_header\n" + std::string(12, '\0'),
       "end_header must follow the last property line directly, with nothing else on its line"},
  });
}

// An old exporter's "Created by ..." line before the elements is read as a comment, with one
// warning, ASCII or binary (where the body after the rewritten header must still be found).
TEST_F(MalformedFiles, PlyHeaderLinesWithoutAKeywordAreComments) {
  auto withLines = [](std::string text, const std::string& lines) {
    return text.insert(text.find("element"), lines);
  };
  const std::pair<const char*, std::string> files[] = {
      {"ascii.ply", withLines(asciiPly(3, 1, "0 0 0\n1 0 1\n0 1 0\n3 0 1 2\n"), "Created by Foo 1.0\n")},
      {"binary.ply", withLines(binaryPly(3, 1, {0, 1, 2}), "Created by Foo 1.0\n")},
      // The reader would take the words of such a line for keywords: "property" here.
      {"two.ply", withLines(binaryPly(3, 1, {0, 1, 2}), "Created by Foo 1.0\n  Units: mm, property of Bar\n")},
  };
  for (auto& [name, text] : files) {
    const auto path = dir.write(name, text);
    LoadedFile f = loadMeshFile(path);
    ASSERT_EQ(f.error, "") << name;
    EXPECT_EQ(f.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2})) << name;
    EXPECT_EQ(f.mesh.positions[5], 1.0f) << name;
    ASSERT_EQ(f.warnings.size(), 1u) << name;
    EXPECT_EQ(f.warnings[0], path.string() + (std::string(name) == "two.ply"
                                                  ? ": header lines 3, 4 have no keyword: read as comments"
                                                  : ": header line 3 has no keyword: read as a comment"));
  }
}

TEST_F(MalformedFiles, AsciiPlyValuesMustBeFiniteNumbersAndAllThere) {
  expectRefused({
      {"nan.ply", asciiPly(3, 1, "0 0 0\nnan 0 0\n0 1 0\n3 0 1 2\n"),
       "line 11: \"nan\" is not a finite number"},
      {"inf.ply", asciiPly(3, 1, "0 0 0\n1 -inf 0\n0 1 0\n3 0 1 2\n"),
       "line 11: \"-inf\" is not a finite number"},
      {"word.ply", asciiPly(3, 1, "0 0 0\n1 0 zero\n0 1 0\n3 0 1 2\n"),
       "line 11: \"zero\" is not a number"},
      {"huge.ply", asciiPly(3, 1, "0 0 0\n1 0 1e39\n0 1 0\n3 0 1 2\n"),
       "line 11: \"1e39\" is out of range"},
      {"word-index.ply", asciiPly(3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 one 2\n"),
       "line 13: \"one\" is not an integer"},
      {"negative-length.ply", asciiPly(3, 1, "0 0 0\n1 0 0\n0 1 0\n-3 0 1 2\n"),
       "line 13: list length \"-3\" is out of range"},
      // The reader used to make the missing face up from the last one it read.
      {"short.ply", asciiPly(3, 2, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"),
       "the file ends in face 1 of 2"},
      {"extra.ply", asciiPly(3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 2 1\n"),
       "line 14: unexpected \"3\" after the last element"},
      {"count.ply", asciiPly(3, 4000000, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"),
       "the header declares 4000000 face elements, more than the 26 bytes after it can hold"},
  });
}

TEST_F(MalformedFiles, BinaryPlyBodiesMustHoldWhatTheHeaderDeclares) {
  const std::string whole = binaryPly(3, 2, {0, 1, 2, 2, 1, 0});
  expectRefused({
      {"cut.ply", whole.substr(0, whole.size() - 5),
       "the file ends inside the \"face\" elements"},
      {"count.ply", binaryPly(3, 1000000, {0, 1, 2}),
       "the header declares 1000000 face elements, more than the 49 bytes after it can hold"},
      {"index.ply", binaryPly(3, 1, {0, 1, 3}), "face 0 uses vertex 3 of 3"},
      {"negative.ply", binaryPly(3, 1, {0, 1, 0xffffffffu}), "face 0 uses vertex 4294967295 of 3"},
  });
  LoadedFile ok = loadMeshFile(dir.write("ok.ply", whole));
  ASSERT_EQ(ok.error, "");
  EXPECT_EQ(ok.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 0}));
}

TEST_F(MalformedFiles, OffCountsAreCheckedAgainstTheFile) {
  const std::string triangle = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
  expectRefused({
      {"neg-faces.off", "OFF\n3 -1 0\n" + triangle, "line 2: face count \"-1\" is out of range"},
      {"huge-faces.off", "OFF\n3 4000000000 0\n" + triangle,
       "the counts declare 4000000000 faces, more than the file's 45 bytes can hold"},
      {"neg-vertices.off", "OFF\n-3 1 0\n" + triangle, "line 2: vertex count \"-3\" is out of range"},
      {"word.off", "OFF\n3 1 0\n0 0 0\n1 x 0\n0 1 0\n3 0 1 2\n", "line 4: \"x\" is not a number"},
      {"short.off", "OFF\n3 2 0\n" + triangle, "the file ends in face 1 of 2"},
      {"one-line.off", "OFF 3 1 0\n" + triangle, "the first line must be the OFF keyword alone"},
      {"index.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 5\n", "face 0 uses vertex 5 of 3"},
  });
  EXPECT_EQ(loadMeshFile(dir.write("ok.off", "OFF\n3 1 0\n" + triangle)).error, "");
}

// OpenMesh's OFF reader printed a line of its own on std::cerr for every vertex whose colour it
// could not read (found by fuzz_load_off): a scan would print millions. The positions load, and
// nothing is printed; a file refused for another reason gives our one line only.
TEST_F(MalformedFiles, ReadersPrintNothingOfTheirOwn) {
  const std::string sevenValues = " 1 2 3 4 5 6 7\n";
  const auto odd = dir.write("odd-colour.off", "COFF\n3 1 0\n0 0 0" + sevenValues + "1 0 0" +
                                                   sevenValues + "0 1 0" + sevenValues +
                                                   "3 0 1 2\n");
  const auto bad = dir.write("odd-colour-short-face.off", "COFF\n2 1 0\n0 0 0" + sevenValues +
                                                              "1 0 0" + sevenValues + "2 0 1\n");
  testing::internal::CaptureStderr();
  LoadedFile f = loadMeshFile(odd);
  LoadedFile g = loadMeshFile(bad);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(f.error, "");
  EXPECT_EQ(f.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(f.mesh.positions[3], 1.0f);
  EXPECT_EQ(g.error, bad.string() + ": 1 faces with fewer than 3 corners");
}

TEST_F(MalformedFiles, ObjFaceCornersNeedAVertexInRange) {
  const std::string vertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
  expectRefused({
      {"slash.obj", vertices + "f /1 2 3\n", "line 4: corner \"/1\" has no vertex index"},
      {"huge.obj", vertices + "f 1 2 99999999999\n",
       "line 4: face uses vertex 99999999999 of 3 so far"},
      {"past.obj", vertices + "f 1 2 4\n", "line 4: face uses vertex 4 of 3"},
      {"zero.obj", vertices + "f 0 1 2\n", "line 4: face uses vertex 0 of 3 so far"},
      {"behind.obj", vertices + "f -1 -2 -4\n", "line 4: face uses vertex -4 of 3 so far"},
      {"word.obj", vertices + "f 1 2 x\n", "line 4: corner \"x\" is not made of integers"},
      {"parts.obj", vertices + "f 1/1/1/1 2 3\n", "line 4: corner \"1/1/1/1\" has more than three parts"},
      {"vertex.obj", "v 0 0\n", "line 1: a vertex needs three coordinates"},
      {"nan.obj", "v 0 nan 0\n", "line 1: \"nan\" is not a finite number"},
  });
  // Relative, textured and commented corners are all fine.
  LoadedFile ok = loadMeshFile(
      dir.write("ok.obj", vertices + "vt 0 0\nvn 0 0 1\nf -3/1/1 2//1 3/1 # a comment\n"));
  ASSERT_EQ(ok.error, "");
  EXPECT_EQ(ok.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2}));
}

// The file check and the reader must read the same statements, or the faces kept after the
// reader (repeated corners) name vertices the reader never made.
TEST_F(MalformedFiles, ObjBlanksAndLineEndsReadAsTheCheckReadsThem) {
  LoadedFile blanks = loadMeshFile(
      dir.write("blanks.obj", "\vv 0 0 0\rv 1 0 0\n\fv 0 1 0\r\n \v\ff 1 2 3\n"));
  ASSERT_EQ(blanks.error, "");
  EXPECT_EQ(blanks.mesh.faces, (std::vector<std::uint32_t>{0, 1, 2}));
  LoadedFile repeated = loadMeshFile(dir.write("repeated.obj", "\vv 0 0 0\rv 1 1 1\n 0\rf 1 1 2"));
  ASSERT_EQ(repeated.error, "");
  EXPECT_EQ(repeated.mesh.vertexCount(), 2u);
  EXPECT_EQ(validateMesh(repeated.mesh), "");
}

// A FIFO or a device would hold the reader's open() or read() forever: each is refused by its
// kind before anything reads it, and an OBJ that names one as its material library loads without
// opening it.
TEST_F(MalformedFiles, SpecialFilesAreRefusedWithoutBlocking) {
  for (const char* name : {"pipe.ply", "pipe.obj", "pipe.stl", "pipe.off"}) {
    ASSERT_EQ(::mkfifo((dir.path / name).c_str(), 0600), 0);
    EXPECT_EQ(loadMeshFile(dir.path / name).error,
              (dir.path / name).string() + ": is a FIFO, not a regular file");
  }
  std::filesystem::create_symlink("/dev/zero", dir.path / "zero.stl");
  EXPECT_EQ(loadMeshFile(dir.path / "zero.stl").error,
            (dir.path / "zero.stl").string() + ": is a device, not a regular file");
  const std::string pipe = (dir.path / "pipe.obj").string();
  LoadedFile obj = loadMeshFile(dir.write(
      "m.obj", "mtllib pipe.obj\n  mtllib " + pipe + "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
  ASSERT_EQ(obj.error, "");
  EXPECT_EQ(obj.mesh.faceCount(), 1u);
}

// A file of zeros (or any binary data under a text format's name) is refused from its first
// bytes, before a reader takes it for one endless line and holds copies of it.
TEST_F(MalformedFiles, BinaryDataInTextFormatsIsRefusedEarly) {
  const std::string zeros(1 << 20, '\0');
  expectRefused({
      {"zeros.obj", zeros, "line 1: a NUL byte: binary data, not text"},
      {"zeros.stl", zeros, "neither a binary STL (84 bytes and 50 a triangle, not 1048576) nor an "
                           "ASCII one (which starts with \"solid\")"},
      {"zeros.ply", zeros, "not a PLY file"},
      {"zeros.off", zeros, "no count line after the OFF header"},
      {"late.obj", "v 0 0 0\nv 1 0 0\n" + zeros, "line 3: a NUL byte: binary data, not text"},
      {"late.stl", "solid a\n" + zeros, "line 2: a NUL byte: binary data, not text"},
      {"nothing.obj", "# only a comment\n\n", "no vertices"},
      // One endless line of text, which a reader would copy whole, more than once.
      {"comment.obj", "v 0 0 0\n#" + std::string(2 << 20, 'a'), "line 2 is longer than 1 MB"},
      {"name.stl", "solid " + std::string(2 << 20, 'a'), "line 1 is longer than 1 MB"},
      {"comment.ply", "ply\nformat ascii 1.0\ncomment " + std::string(2 << 20, 'a'),
       "header line 3 is longer than 1 MB"},
      {"colour.off", "COFF\n1 0 0\n0 0 0 " + std::string(2 << 20, '1'), "line 3 is longer than 1 MB"},
  });
}

TEST_F(MalformedFiles, LongFaceLinesLoad) {
  // A face line is as long as its corners, which the mesh holds anyway: a polygon of 300,000
  // corners loads.
  std::string polygon = "f";
  std::string vertices;
  for (int i = 1; i <= 300000; ++i) {
    vertices += "v " + std::to_string(i % 7) + " " + std::to_string(i % 11) + " 0\n";
    polygon += " " + std::to_string(i);
  }
  LoadedFile big = loadMeshFile(dir.write("polygon.obj", vertices + polygon + "\n"));
  ASSERT_EQ(big.error, "");
  ASSERT_EQ(big.mesh.faceCount(), 299998u);
  EXPECT_EQ(big.mesh.edgeCount(), 599997u) << "built in n log n: the first corner is in every triangle";
  EXPECT_EQ(std::vector<std::uint32_t>(big.mesh.faces.end() - 3, big.mesh.faces.end()),
            (std::vector<std::uint32_t>{0, 299998, 299999}))
      << "the fan of the polygon, as a short one makes";
  // A long polygon that names a vertex twice is left to the reader, which drops the repeat.
  std::string repeats = "f";
  for (int i = 1; i <= 1001; ++i) repeats += " " + std::to_string(i);
  LoadedFile once = loadMeshFile(dir.write("repeats.obj", vertices + repeats + " 2\n"));
  ASSERT_EQ(once.error, "");
  EXPECT_EQ(once.mesh.faceCount(), 999u);
}

std::string facet(const std::string& corners) {
  return "facet normal 0 0 1\n outer loop\n" + corners + " endloop\nendfacet\n";
}
const std::string kCorners = "  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n";

// An ASCII STL cut after whole facets reads as a smaller mesh unless its end is looked for; a
// facet with a fourth vertex would lose it.
TEST_F(MalformedFiles, AsciiStlMustBeWholeAndFacetsTriangles) {
  std::string three = "solid s\n";
  for (int i = 0; i < 3; ++i) three += facet(kCorners);
  std::vector<BadFile> cases;
  const std::string names[] = {"cut1.stl", "cut2.stl", "cut3.stl"};
  for (int n = 1; n <= 3; ++n) {
    std::string cut = "solid s\n";
    for (int i = 0; i < n; ++i) cut += facet(kCorners);
    cases.push_back({names[n - 1].c_str(), cut, "truncated: no \"endsolid\" after facet " + std::to_string(n)});
  }
  cases.push_back({"four.stl", "solid s\n" + facet(kCorners + "  vertex 1 1 0\n") + "endsolid s\n",
                   "line 7: a facet with more than three vertices"});
  cases.push_back({"loop.stl", "solid s\n" + facet(kCorners).substr(0, 76) + "endfacet\nendsolid\n",
                   "line 7: expected \"endloop\" after a facet's three vertices"});
  expectRefused(cases);
  LoadedFile whole = loadMeshFile(dir.write("whole.stl", three + "endsolid s\n\n"));
  EXPECT_EQ(whole.error, "");
  EXPECT_EQ(whole.mesh.faceCount(), 3u);
}

// A file passes the checks exactly when its text is what the readers can follow; the checks run
// on the bytes alone, so they are tried here on prefixes of a good file: each prefix is refused or
// loads a consistent mesh, never anything in between.
TEST_F(MalformedFiles, EveryPrefixOfAGoodFileIsRefusedOrWhole) {
  const std::string good = asciiPly(3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n");
  for (std::size_t n = 0; n + 1 < good.size(); ++n) {
    std::string s = checkMeshFile(std::string_view(good).substr(0, n), ".ply");
    EXPECT_NE(s, "") << n;
    EXPECT_EQ(s.find('\n'), std::string::npos) << s;
  }
  EXPECT_EQ(checkMeshFile(good, ".ply"), "");
}

// The fuzzers start from these seeds: each must load whole, or a format's fuzzer would begin at
// the refusal and seldom reach the reader.
TEST_F(MalformedFiles, EachFormatsFuzzSeedsLoad) {
  for (const char* format : {"ply", "obj", "off", "stl"}) {
    int seeds = 0;
    const auto folder = std::filesystem::path(TESSEL_FUZZ_CORPUS) / format;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      LoadedFile f = loadMeshFile(entry.path());
      EXPECT_EQ(f.error, "") << entry.path();
      EXPECT_GT(f.mesh.faceCount(), 0u) << entry.path();
      ++seeds;
    }
    EXPECT_GE(seeds, 2) << format;
  }
}

}  // namespace
}  // namespace tessel::studio
