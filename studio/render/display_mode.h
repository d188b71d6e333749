// How a view shows its meshes, and when a mesh's vertex dots are worth drawing. Plain decisions,
// kept apart from the drawing so they are tested without a context.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "studio/scene/camera.h"
#include "studio/scene/vec3.h"

namespace tessel::studio {

// Smooth: lit with the vertex normals blended across each face. Flat: each face lit evenly.
// Wireframe: smooth, with the triangles' edges drawn over it. Points: the vertices alone.
enum class DisplayMode { Smooth, Flat, Wireframe, Points };

const char* displayModeName(DisplayMode mode);
std::optional<DisplayMode> displayModeNamed(std::string_view name);

// The screen area, in pixels, of the rectangle that holds the projection of `box` (unclipped,
// so a mesh zoomed past the view's edges counts its whole spread); infinite when part of the box
// is behind the eye.
double projectedArea(const Camera& camera, int width, int height, const Box& box);

// Whether `vertices` dots spread over `pixels` of screen leave the surface readable: at most one
// dot per kPixelsPerDot pixels, so faces (and the selection on them) show between the dots.
inline constexpr double kPixelsPerDot = 16;
bool vertexDotsReadable(std::size_t vertices, double pixels);

}  // namespace tessel::studio
