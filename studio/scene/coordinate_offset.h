// Large coordinates: scans in national grid or UTM coordinates (millions of units, millimetre
// detail) are beyond what float positions hold; a float's step at 5e6 is 0.5. Such a file is held
// shifted by a round offset kept with its mesh (Mesh::offset), so every measure on it is taken
// as at the origin, and a save adds the offset back.
//
// The rule, per axis: a file is shifted along an axis when a float's step at its largest
// coordinate there is coarser than a thousandth of its mean edge (a point cloud: its mean point
// spacing), and a round offset (the box's centre rounded to a power of ten no larger than its
// largest side, whole units at least) brings those coordinates at least ten times nearer the
// origin. A thousandth keeps fold angles within about 0.06 degrees of what the file holds; the
// tenfold gain keeps a file near the origin as it is, whatever its detail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "studio/scene/mesh.h"
#include "studio/scene/vec3.h"

namespace tessel::studio {

// Whether float positions hold detail of `spacing` along an axis whose coordinates reach
// `magnitude` (absolute): a float's step there is at most a thousandth of it.
bool floatHolds(double magnitude, double spacing);

// The round offset on each axis where one brings the box's coordinates ten times nearer the
// origin, zero on the others: all zero for a box near the origin for its size. Decided on the
// box alone, so a load can tell cheaply that no shift is wanted.
Vec3 roundOffset(const Box& box);

// What a file of this box (its coordinates) and detail (`spacing`) is held shifted by: zero when
// float positions hold it where it lies; else the first offset of `inUse` (other meshes' offsets)
// under which they hold it, so scans of one site stay in place together; else roundOffset on
// the axes float positions do not hold.
Vec3 chooseOffset(const Box& box, double spacing, const std::vector<Vec3>& inUse);

// The mean edge length of the faces, in double. V: #V by 3 coordinates; F: #F by 3 handles.
double meanEdgeLength(const double* V, const std::uint32_t* F, std::size_t faceCount);
// The mean spacing of `points` points scattered over the box as over a surface.
double pointSpacing(const Box& box, std::size_t points);

// Holds the mesh shifted when its coordinates call for it (chooseOffset): `coordinates` (#V by
// 3) are the file's, in double where the file held them so; positions become the float nearest
// each coordinate less the offset, and residuals what that float lost (so the offset, position
// and residual add up to the file's double again, exactly). Untouched when no shift is wanted.
// Positions must have passed validateMesh.
void shiftFarCoordinates(Mesh& mesh, const std::vector<double>& coordinates,
                         const std::vector<Vec3>& inUse);

// "(500000, 5000000, 0)": the offset as plain decimals that read back to the same doubles.
std::string offsetText(const Vec3& offset);

}  // namespace tessel::studio
