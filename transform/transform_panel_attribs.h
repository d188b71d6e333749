// The attributes the transform panels build from.
#pragma once

#include <new>

#include "platform/omPAT_Float.h"
#include "platform/omPAT_Int.h"

namespace tessel::transform {

inline constexpr int kEditBox = 0;
inline constexpr int kDropDownChoice = 3;

// A float without bounds (a range whose max is below its min), step 1.
inline platform::omPAT_Float* unboundFloat(const char* name, float value) {
  return new (std::nothrow) platform::omPAT_Float(name, value, 0, -1, 1, kEditBox);
}

inline platform::omPAT_Int* movementTypeChoice() {
  return new (std::nothrow)
      platform::omPAT_Int("Movement Type", 0, {"Absolute", "Relative"}, kDropDownChoice);
}

inline platform::omPAT_Int* selectionTypeChoice(const char* name = "Selection Type") {
  return new (std::nothrow) platform::omPAT_Int(
      name, 0, {"Object & Coord Sys", "Object Only", "Coord Sys Only"}, kDropDownChoice);
}

}  // namespace tessel::transform
