// A cursor as the module hands it to the host: 32 x 32 pixels in two planes, as the classic
// monochrome cursor format has them (and 0, xor 0 = black; and 0, xor 1 = white; and 1, xor 0 =
// transparent; and 1, xor 1 = inverts the screen). Row 0 is the top; bit 31 is the leftmost pixel.
#pragma once

#include <cstdint>

struct omCursor {
  std::int32_t id = 0;
  std::int32_t hotX = 0, hotY = 0;  // pixels from the top left
  std::uint32_t andMask[32] = {};
  std::uint32_t xorMask[32] = {};
};
