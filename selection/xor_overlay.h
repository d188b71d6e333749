// Rubber bands and lasso outlines drawn straight into a view's front buffer by XOR, so that
// drawing the same figure a second time restores every pixel. OpenGL 1.1 calls, reached through
// the view's own entry points (the module links no GL library of its own: the host's context
// decides which GL implementation answers).
#pragma once

class omViewport;

namespace tessel::selection {

// The rectangle rect = (minX, minY, maxX, maxY), view pixels.
void drawXorRectangle(omViewport& view, const float* rect, bool disableDepthTest = true,
                      float lineWidth = 1.0f);
// A closed outline through `count` points (x, y pairs).
void drawXorPolyline(omViewport& view, const float* points, int count,
                     bool disableDepthTest = true, float lineWidth = 1.0f);

// The rectangle spanned by two corners, as (minX, minY, maxX, maxY).
void spanRectangle(const float* a, const float* b, float* rect);

}  // namespace tessel::selection
