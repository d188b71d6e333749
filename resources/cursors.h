// The module's cursors, 4999 and 5000-5020, as the tools hand them to the host.
#pragma once

#include <cstdint>

#include "host/omCursor.h"

namespace tessel::resources {

inline constexpr std::int32_t kCursorFirst = 4999;
inline constexpr std::int32_t kCursorLast = 5020;

// The cursor with that ID, built on first use and kept for the life of the module; null for an
// ID the module does not have.
const omCursor* LoadCursor(std::int32_t id);

}  // namespace tessel::resources
