// The limits the dolly and zoom tools tell the user about. The host stops the camera; the tools
// compare what it answers with these.
#pragma once

namespace tessel::camera {

inline constexpr float kWidestFov = 135.0f, kNarrowestFov = 0.01f;
inline constexpr float kWidestOrtho = 1.0e20f, kNarrowestOrtho = 0.001f;

// The warning for a zoom value at a limit, or null: the field of view (perspective) or width.
const char* zoomLimitWarning(float value, bool orthographic);

}  // namespace tessel::camera
