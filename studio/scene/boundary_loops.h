// Holes of a mesh as the "Holes" component filter selects them: whole boundary loops.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/scene/mesh.h"

namespace tessel::studio {

// The boundary edges (edges with one face) connected through shared vertices to any of `seeds`,
// ascending: each seed's whole hole. Seeds that are not boundary edges are ignored; hidden edges
// neither join nor carry a loop. Where loops touch at a vertex they come as one.
std::vector<std::uint32_t> boundaryLoops(const Mesh& mesh, const std::vector<std::uint32_t>& seeds);

}  // namespace tessel::studio
