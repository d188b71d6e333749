// Georeferenced scans through Studio: a survey grid millions of units from the origin loads,
// measures and saves as it would at the origin, its offset shown and written back.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

constexpr int kSquares = 40;  // 1,681 vertices, 3,200 faces

// A 40 by 40 grid of 1 cm squares with millimetre relief, its corner at (x0, y0, z0): #V by 3
// coordinates as a survey writes them.
std::vector<double> gridAt(double x0, double y0, double z0) {
  std::vector<double> V;
  for (int j = 0; j <= kSquares; ++j)
    for (int i = 0; i <= kSquares; ++i)
      V.insert(V.end(), {x0 + 0.01 * i, y0 + 0.01 * j, z0 + 0.001 * ((7 * i + 3 * j) % 5)});
  return V;
}

std::vector<int> gridFaces() {
  std::vector<int> F;
  for (int j = 0; j < kSquares; ++j)
    for (int i = 0; i < kSquares; ++i) {
      const int a = j * (kSquares + 1) + i, b = a + 1, c = a + kSquares + 1, d = c + 1;
      F.insert(F.end(), {a, b, d, a, d, c});
    }
  return F;
}

// A PLY file of double coordinates in `format` (ascii, binary_little_endian or _big_endian),
// with a scanner's confidence beside them.
std::string plyOf(const std::vector<double>& V, const std::string& format) {
  const std::vector<int> F = gridFaces();
  std::ostringstream out;
  out << "ply\nformat " << format << " 1.0\nelement vertex " << V.size() / 3
      << "\nproperty double x\nproperty double y\nproperty double z\nproperty float confidence"
      << "\nelement face " << F.size() / 3
      << "\nproperty list uchar int vertex_indices\nend_header\n";
  const bool big = format == "binary_big_endian";
  auto put = [&](auto value) {
    char b[sizeof value];
    std::memcpy(b, &value, sizeof value);
    if (big != (std::endian::native == std::endian::big)) std::reverse(b, b + sizeof value);
    out.write(b, sizeof value);
  };
  out.precision(17);
  for (std::size_t i = 0; i < V.size(); i += 3) {
    if (format == "ascii")
      out << V[i] << ' ' << V[i + 1] << ' ' << V[i + 2] << " 0.5\n";
    else
      put(V[i]), put(V[i + 1]), put(V[i + 2]), put(0.5f);
  }
  for (std::size_t f = 0; f < F.size(); f += 3) {
    if (format == "ascii")
      out << "3 " << F[f] << ' ' << F[f + 1] << ' ' << F[f + 2] << '\n';
    else
      put(std::uint8_t{3}), put(F[f]), put(F[f + 1]), put(F[f + 2]);
  }
  return out.str();
}

std::string objOf(const std::vector<double>& V) {
  std::ostringstream out;
  out.precision(17);
  for (std::size_t i = 0; i < V.size(); i += 3)
    out << "v " << V[i] << ' ' << V[i + 1] << ' ' << V[i + 2] << '\n';
  const std::vector<int> F = gridFaces();
  for (std::size_t f = 0; f < F.size(); f += 3)
    out << "f " << F[f] + 1 << ' ' << F[f + 1] + 1 << ' ' << F[f + 2] + 1 << '\n';
  return out.str();
}

// The coordinates of a file Studio saved: its PLY (binary, native order) by the header's types,
// its OBJ from the vertex lines.
std::vector<double> savedCoordinates(const std::filesystem::path& file, std::string* header) {
  const std::string bytes = readFile(file);
  std::vector<double> V;
  if (file.extension() == ".obj") {
    std::istringstream text(bytes);
    for (std::string word; text >> word;)
      if (word == "v")
        for (int k = 0; k < 3; ++k) V.push_back((text >> word, std::strtod(word.c_str(), nullptr)));
    return V;
  }
  const std::size_t body = bytes.find("end_header\n") + 11;
  *header = bytes.substr(0, body);
  const std::size_t count = std::stoul(header->substr(header->find("element vertex ") + 15));
  const bool doubles = header->find("property double x") != std::string::npos;
  for (std::size_t i = 0; i < 3 * count; ++i) {
    if (doubles) {
      double v;
      std::memcpy(&v, bytes.data() + body + 8 * i, 8);
      V.push_back(v);
    } else {
      float v;
      std::memcpy(&v, bytes.data() + body + 4 * i, 4);
      V.push_back(v);
    }
  }
  return V;
}

// Each coordinate the same double, counted so a failure says how many are not.
void expectSameDoubles(const std::vector<double>& got, const std::vector<double>& want,
                       const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  std::size_t off = 0;
  for (std::size_t i = 0; i < got.size(); ++i) off += got[i] != want[i];
  EXPECT_EQ(off, 0u) << what << ": coordinates not written back as the file held them";
}

class LargeCoordinates : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH, 120, 90); }
  // The load line of `file` opened as object `name`, its name taken out.
  std::string loadLine(const std::filesystem::path& file) {
    for (std::string line : output("open " + file.string() + "\n"))
      if (!line.rfind("loaded: ", 0)) return line.erase(8, line.find(':', 8) - 8 + 2);
    return "(no load line)";
  }
  // Saves object `name` (made the selected one: `save` writes the last selected mesh).
  std::string save(const std::string& name, const std::filesystem::path& file) {
    host->scene().setSelection({host->scene().findByName(name)->id});
    return run("save " + file.string() + "\n");
  }
};

// Easting, northing and height as a national grid gives them, to the millimetre.
constexpr double kEast = 512345.678, kNorth = 5234567.891, kHeight = 123.456;

TEST_F(LargeCoordinates, AGridFarFromTheOriginMeasuresAsAtTheOriginAndSavesBackItsDoubles) {
  const std::vector<double> near = gridAt(0, 0, 0), far = gridAt(kEast, kNorth, kHeight);
  const std::string counts =
      "1681 vertices, 3200 faces, 4880 edges (160 boundary, 0 non-manifold, 0 degenerate faces)";
  const std::string shifted = "; offset (512346, 5234568, 0) taken off its coordinates";
  int n = 0;
  for (const std::string format : {"ascii", "binary_little_endian", "binary_big_endian", "obj"}) {
    const bool obj = format == "obj";
    const std::string ext = obj ? ".obj" : ".ply";
    const std::string tag = std::to_string(++n);
    const std::string maps = obj ? "" : "; maps: confidence";
    EXPECT_EQ(loadLine(dir.write("near" + tag + ext, obj ? objOf(near) : plyOf(near, format))),
              "loaded: " + counts + maps)
        << format << ": a file near the origin loads as it lies";
    // Unshifted, floats step by 0.5 at the northing: 2,184 of the 3,200 faces would have no area.
    EXPECT_EQ(loadLine(dir.write("far" + tag + ext, obj ? objOf(far) : plyOf(far, format))),
              "loaded: " + counts + shifted + maps)
        << format;
  }
  ASSERT_EQ(run("print scene\n"), "");
  EXPECT_TRUE(has(take(), "far1 (mesh) 1681 vertices 3200 faces 4880 edges offset (512346, 5234568, 0)"));

  // Saved, the file holds the survey's coordinates: the source's doubles, bit for bit; a mesh
  // near the origin stays in floats.
  std::string header;
  for (const char* name : {"far.ply", "far.obj"}) {
    ASSERT_EQ(save("far1", dir.path / name), "");
    expectSameDoubles(savedCoordinates(dir.path / name, &header), far, name);
  }
  EXPECT_NE(header.find("property double x\nproperty double y\nproperty double z\n"), std::string::npos);
  EXPECT_EQ(loadLine(dir.path / "far.ply"), "loaded: " + counts + shifted) << "read back the same";
  ASSERT_EQ(save("near1", dir.path / "near.ply"), "");
  EXPECT_EQ(savedCoordinates(dir.path / "near.ply", &header).size(), near.size());
  EXPECT_NE(header.find("property float x"), std::string::npos);

  // Faces deleted: the vertices left are written with the offset still added back, and an undo
  // keeps it.
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"far1\" faces 0 1\ndelete\n"), "");
  ASSERT_EQ(save("far1", dir.path / "cut.ply"), "");
  const std::vector<double> cut = savedCoordinates(dir.path / "cut.ply", &header);
  expectSameDoubles(std::vector<double>(cut.begin(), cut.begin() + 3),
                          std::vector<double>(far.begin() + 3, far.begin() + 6),
                          "first vertex left after the cut");
  EXPECT_EQ(cut.size(), far.size() - 3) << "the corner vertex, in no face now, is left out";
  ASSERT_EQ(run("undo\nprint scene\n"), "");
  EXPECT_TRUE(has(take(), "far1 (mesh) 1681 vertices 3200 faces 4880 edges offset (512346, 5234568, 0)"));
}

// A part separated from a shifted scan, or its faces saved alone, keeps the scan's coordinates.
TEST_F(LargeCoordinates, APartOfAShiftedScanKeepsItsOffset) {
  const std::vector<double> far = gridAt(kEast, kNorth, kHeight);
  loadLine(dir.write("far.ply", plyOf(far, "binary_little_endian")));
  // The first square's faces use vertices 0, 1, 41 and 42.
  std::vector<double> square;
  for (int v : {0, 1, 41, 42}) square.insert(square.end(), &far[3 * v], &far[3 * v + 3]);
  std::string header;
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"far\" faces 0 1\n"
                "save selection " + (dir.path / "square.ply").string() + "\nseparate\nprint scene\n"),
            "");
  EXPECT_TRUE(has(take(), "far part (mesh) 4 vertices 2 faces 5 edges offset (512346, 5234568, 0)"));
  expectSameDoubles(savedCoordinates(dir.path / "square.ply", &header), square, "saved selection");
  ASSERT_EQ(save("far part", dir.path / "part.obj"), "");
  expectSameDoubles(savedCoordinates(dir.path / "part.obj", &header), square, "separated part");
}

// Scans of one site keep their places together: the second takes the first one's offset; a scan
// elsewhere gets its own.
TEST_F(LargeCoordinates, AScanOfTheSameSiteTakesTheOffsetInUse) {
  ASSERT_NE(loadLine(dir.write("a.ply", plyOf(gridAt(kEast, kNorth, kHeight), "ascii"))).find("(512346, 5234568, 0)"),
            std::string::npos);
  EXPECT_NE(loadLine(dir.write("b.ply", plyOf(gridAt(kEast + 30, kNorth - 20, kHeight), "ascii")))
                .find("(512346, 5234568, 0)"),
            std::string::npos);
  EXPECT_NE(loadLine(dir.write("c.ply", plyOf(gridAt(kEast + 3e5, kNorth, kHeight), "ascii")))
                .find("(812346, 5234568, 0)"),
            std::string::npos);
  const studio::Mesh& a = *host->scene().findByName("a")->mesh;
  const studio::Mesh& b = *host->scene().findByName("b")->mesh;
  EXPECT_NEAR(b.positions[0] - a.positions[0], 30, 1e-4);
  EXPECT_NEAR(b.positions[1] - a.positions[1], -20, 1e-4);
}

}  // namespace
}  // namespace tessel::test
