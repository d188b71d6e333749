// Growing a mesh's face selection over the surface, as the "Flood" command asks of a mesh.
#pragma once

#include <cstdint>

#include "studio/scene/mesh.h"

namespace tessel::studio {

// Grows the selected faces through shared vertices: `rings` rings (0 and 1 grow one), or until
// nothing more is reached when negative. Hidden and excluded faces are never selected and never
// passed through. Returns the number of faces newly selected.
std::uint32_t growFaceSelection(Mesh& mesh, std::int32_t rings);

}  // namespace tessel::studio
