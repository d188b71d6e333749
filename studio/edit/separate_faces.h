// Taking faces out of a mesh as a mesh of their own: Separate Selection makes it a new entity,
// Save Selection As writes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "studio/scene/mesh.h"

namespace tessel::studio::edit {

struct FacePart {
  // Only the vertices the faces use, in their old order; the faces in theirs. Faces, vertices
  // and the edges left between them keep their hidden and excluded flags; nothing is selected.
  Mesh mesh;
  // The old handle of each new vertex: what a vertex map is restricted by.
  std::vector<std::uint32_t> vertices;
};

// The faces (ascending handles of `mesh`) as a mesh of their own.
FacePart meshOfFaces(const Mesh& mesh, const std::vector<std::uint32_t>& faces);

// The name of a part separated from `source`: "dragon part", and from "dragon part" or
// "dragon part 2" again "dragon part" (Scene::uniqueName numbers it), so parts of parts do not
// grow "part part". Never a dot: a proposed file name keeps its extension unambiguous.
std::string partName(const std::string& source);

}  // namespace tessel::studio::edit
