// Checks a scan file's bytes against what OpenMesh's readers take on trust, before a reader sees
// them. The readers add one element for every element a header declares (reading on past the end
// of the file), loop on a header line they cannot parse and leave values uninitialised when an
// ASCII number fails to parse; a file that passes here is one they read exactly as written, in
// time and memory bounded by its size. Only the structure is checked: index ranges and
// non-finite binary values are left to the checks on the loaded arrays.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <cstdint>

namespace tessel::studio {

// `ext` is the lower-case extension with its dot (".ply", ".off", ".obj", ".stl"). An empty
// string when the reader can be given the file, else the problem in a few words. Not
// `thorough`, the body of a binary PLY is walked only where the reader could run away (four-byte
// list lengths): elsewhere it stops at the end of the file by itself, and a load that then comes
// up short asks again, thoroughly, for the message.
std::string checkMeshFile(std::string_view bytes, std::string_view ext, bool thorough = true);

// An ASCII PLY file read in the pass that checks it: the vertices, the faces (polygons as fans
// from their first corner), the vertex colours and every other scalar vertex property by name,
// as floats; one-byte values are read as the numbers they are. Normals, texture coordinates,
// alpha and other elements are checked and dropped.
struct PlyText {
  bool ascii = false;  // false for a binary file, which is left to the binary reader
  std::vector<float> positions;       // #V by 3
  std::vector<std::uint32_t> faces;   // #F by 3, as written: ranges are checked later
  std::size_t shortFaces = 0;         // corner lists of fewer than three, left out
  std::vector<std::uint8_t> colours;  // #V by 3, or empty when the vertices have no colour
  std::vector<std::pair<std::string, std::vector<float>>> vertexValues;  // each #V long
};
// The problem with the file, as checkMeshFile words it, or an empty string; `out` is filled for
// an ASCII file without a problem.
std::string readPlyText(std::string_view bytes, PlyText& out);

// A PLY header's lines without a keyword before its elements (an old exporter's "Created by
// ..."), which the checks take as comments and the reader would refuse: where each starts in the
// bytes, and its line number.
struct PlyLine {
  std::size_t offset, number;
};
std::vector<PlyLine> plyLinesWithoutKeyword(std::string_view bytes);

// [SECTION] what the readers leave out, counted from the checked bytes

// True when an STL file is binary: 84 bytes and 50 a triangle, exactly.
bool isBinaryStl(std::string_view bytes);
// The facets of an STL file, as the reader finds them.
std::size_t stlFacetCount(std::string_view bytes);
// Each facet's three corners (9 floats) in the file's order; for a file the checks passed.
void forEachStlFacet(std::string_view bytes, const std::function<void(const float*)>& facet);

// Each face statement of an OBJ text the checks passed, as the vertices its corners name (from
// 0), in the file's order.
void forEachObjFace(std::string_view text, const std::function<void(const std::vector<std::uint32_t>&)>& face);
// An OBJ text's face statements; how many have fewer than three corners, and how many have three
// or more but name fewer than three distinct vertices (1 1 2), both of which the reader drops.
struct ObjFaceStatements {
  std::size_t all = 0, fewerThanThree = 0, repeatingToFewerThanThree = 0;
};
ObjFaceStatements countObjFaces(std::string_view text);

// [SECTION] coordinates the readers round to float, read again from the checked bytes

// A PLY file's vertex x, y and z (#V by 3) as written, when its header declares any of them
// double; empty for a file of float coordinates, whose floats the reader keeps exactly.
std::vector<double> plyDoubleCoordinates(std::string_view bytes);
// An OBJ text's vertex coordinates (#V by 3) as written, in double.
std::vector<double> objCoordinates(std::string_view text);

}  // namespace tessel::studio
