#include "resources/filter_tables.h"

#include "host/om_codes.h"

namespace tessel::resources {
namespace {

constexpr FilterEntry kPointCloud{"Point Cloud", om::kMaskPointCloud};
constexpr FilterEntry kMesh{"Mesh", om::kMaskMesh};
constexpr FilterEntry kCurve{"Curve", om::kMaskCurve};
constexpr FilterEntry kSpring{"Spring", om::kMaskSpring};
constexpr FilterEntry kSurface{"Surface", om::kMaskSurface};
constexpr FilterEntry kSolid{"Solid", om::kMaskSolid};
constexpr FilterEntry kLights{"Lights", om::kMaskLights};
constexpr FilterEntry kCoordSys{"Coord Sys", om::kMaskCoordSys};

constexpr FilterEntry kMode0[] = {kPointCloud, kCoordSys};
constexpr FilterEntry kMode1[] = {kMesh, kCoordSys, kLights};
constexpr FilterEntry kMode2[] = {kCurve, kCoordSys, kLights};
constexpr FilterEntry kMode3[] = {kSpring, kLights};
constexpr FilterEntry kMode4[] = {kSurface, kLights};
constexpr FilterEntry kMode5[] = {kSolid, kCoordSys, kLights};
constexpr FilterEntry kMode6[] = {kPointCloud, kSolid, kCoordSys, kLights};
constexpr FilterEntry kMode7[] = {kMesh, kCurve};
constexpr FilterEntry kMode8[] = {kSpring, kCurve};
constexpr FilterEntry kMode9[] = {kSurface, kCurve};

const FilterRow kObjectRows[] = {
    {kMode0, "Point Cloud"}, {kMode1, "Mesh"},  {kMode2, "Curve"}, {kMode3, "Spring"},
    {kMode4, "Surface"},     {kMode5, "Solid"}, {kMode6, "Point Cloud"},
    {kMode7, "Mesh"},        {kMode8, "Curve"}, {kMode9, "Surface"},
};

constexpr FilterEntry kMeshParts[] = {{"Faces", om::kMaskFaces},
                                      {"Holes", om::kMaskHoles},
                                      {"Vertices", om::kMaskVertices},
                                      {"Edges", om::kMaskEdges}};
constexpr FilterEntry kCurveParts[] = {{"Curve Point", 0x100}};
constexpr FilterEntry kSpringParts[] = {{"Spring Point", 0x200},  {"Iso Curve U", 0x400},
                                        {"Iso Curve V", 0x800},   {"Iso Curve Any", 0x1000},
                                        {"Boundary", 0x2000},     {"Section", 0x4000}};
constexpr FilterEntry kPointCloudParts[] = {{"Points", 0x8000}};
constexpr FilterEntry kSolidParts[] = {{"Faces", 0x10000}};

}  // namespace

FilterRow objectFilterRow(std::int32_t mode) {
  if (mode < 0 || mode >= static_cast<std::int32_t>(std::size(kObjectRows))) return {};
  return kObjectRows[mode];
}

FilterRow componentFilterRow(std::uint32_t objectMask) {
  switch (objectMask) {
    case om::kMaskMesh: return {kMeshParts, "Faces"};
    case om::kMaskCurve: return {kCurveParts, "Curve Point"};
    case om::kMaskSpring: return {kSpringParts, "Spring Point"};
    case om::kMaskPointCloud: return {kPointCloudParts, "Points"};
    case om::kMaskSolid: return {kSolidParts, "Faces"};
    default: return {};
  }
}

}  // namespace tessel::resources
