// A view's evaluation light: a directional light fixed to the camera, placed by pointing at a
// virtual sphere over the view, as a trackball turns.
#pragma once

#include <optional>

#include "host/omView.h"
#include "studio/scene/vec3.h"

namespace tessel::studio {

// The direction towards the light in eye space (x right, y up, z towards the viewer) for the
// view pixel (x, y), origin top left, of a width x height view: the point of a sphere whose
// silhouette is the largest disc the view holds, centred on the view. A point outside the disc
// goes to its rim (a light from the side). Nothing for an empty view or a non-finite point.
std::optional<Vec3> virtualSphereDirection(double x, double y, int width, int height);

// Over the viewer's right shoulder.
Vec3 defaultEvalLightDirection();

class EvalLight final : public omEvalLight {
 public:
  void PlaceAt(const float* position, std::int32_t width, std::int32_t height) override;
  void ResetPlacement() override { direction = defaultEvalLightDirection(); }

  Vec3 direction = defaultEvalLightDirection();  // unit, eye space
};

}  // namespace tessel::studio
