// Levels of detail of a large mesh for the frames drawn while the camera moves. Each level
// clusters the vertices on a grid and keeps the triangles that still span three cells, as a
// vertex-clustering simplifier does, but a cell stands for itself by its vertex nearest to the
// cell's mean rather than by the mean: every corner of a level is a point of the scan, so the
// outline does not shrink inwards the way means of a curved patch do, and a level draws from the
// mesh's own vertex and normal buffers with only an index list of its own. Each triangle also
// names a face of the mesh it stands for, so selected and hidden faces show on a level too.
#pragma once

#include <cstdint>
#include <stop_token>
#include <vector>

namespace tessel::studio {

struct DetailLevel {
  std::vector<std::uint32_t> triangles;  // corners: the mesh's vertex numbers, 3 a triangle
  std::vector<std::uint32_t> sources;    // a face of the mesh each triangle stands for
  std::uint32_t triangleCount() const { return static_cast<std::uint32_t>(sources.size()); }
};

// Meshes with fewer faces than this draw in full even while the camera moves.
inline constexpr std::uint32_t kDetailLevelsFromFaces = 100'000;
// The smallest level kept: below it a moving frame's time is the frame's fixed cost.
inline constexpr std::uint32_t kSmallestLevel = 20'000;
// The largest level kept.
inline constexpr std::uint32_t kLargestLevel = 4'000'000;

// One level from `count` triangles (`sources`: the face each stands for; null: triangle t
// stands for face t), on a grid of `cells` cells along the longest side of the box of the
// vertices they use. Faces whose corners fall into fewer than three cells are dropped, each cell
// triangle is kept once with its winding, and non-finite vertices and corners past
// `vertexCount` leave their triangles out. `stop`: a build on another thread polls it every few
// thousand steps and gives up (an empty level) once it is asked to stop.
DetailLevel clusterLevel(const float* positions, std::uint32_t vertexCount,
                         const std::uint32_t* triangles, const std::uint32_t* sources,
                         std::uint32_t count, int cells, std::stop_token stop = {});

// Levels from about an eighth of the faces (at most kLargestLevel) down, each about half the one
// before (every pass clusters the one before it, so only the first sees every face), until one
// has at most `smallest` triangles. Empty for a mesh too small to need them, and once `stop` is
// asked to stop.
std::vector<DetailLevel> detailLevels(const float* positions, std::uint32_t vertexCount,
                                      const std::uint32_t* faces, std::uint32_t faceCount,
                                      std::uint32_t smallest = kSmallestLevel,
                                      std::stop_token stop = {});

}  // namespace tessel::studio
