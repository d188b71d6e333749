// Fitting the scene's directional lights into the lights a context has: OpenGL 1.1 guarantees
// eight, Studio keeps up to ten plus each view's evaluation light.
#pragma once

#include <vector>

#include "studio/scene/vec3.h"

namespace tessel::studio {

struct MergedLight {
  Vec3 direction;  // unit, towards the light
  double weight;   // how many of the scene's lights it stands for
};

// The lights (unit directions towards each) as at most `slots` lights: while there are too many,
// the two whose directions are closest become one, shining from their weighted mean direction
// with their summed weight. Lights from nearly one direction light a surface almost as one light
// of their summed strength does, so the merge changes the picture least where it is least seen.
// Opposite lights (a zero mean) keep the direction of the heavier. No slots: no lights.
std::vector<MergedLight> mergeLights(const std::vector<Vec3>& directions, int slots);

}  // namespace tessel::studio
