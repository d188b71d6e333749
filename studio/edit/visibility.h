// Hiding and showing: whole entities in object mode, components in component mode. Hidden
// components are never selected or drawn; hiding a selected one deselects it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "studio/scene/scene.h"

namespace tessel::studio::edit {

// Hides the selected entities (or the shown unselected ones, but never the global coordinate
// system); the number hidden.
std::size_t hideEntities(Scene& scene, bool selected);
// Shows every entity whose group is shown; the number that were hidden.
std::size_t showEntities(Scene& scene);

// Hides the selected components of every shown mesh and point cloud under component filter
// `mask` (or all the others): the components of the filter's kind and the faces they touch, as
// a deletion would take them (under holes, the faces on the selected edges). The number of faces
// and points hidden.
std::size_t hideComponents(Scene& scene, std::uint32_t mask, bool selected);
// Shows every hidden component (vertices a deletion left unused stay hidden); the number shown.
std::size_t showComponents(Scene& scene);

}  // namespace tessel::studio::edit
