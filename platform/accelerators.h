// Accelerator table entries as the resource holds them.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel::platform {

inline constexpr std::uint8_t FVIRTKEY = 0x01;
inline constexpr std::uint8_t FSHIFT = 0x04;
inline constexpr std::uint8_t FCONTROL = 0x08;
inline constexpr std::uint8_t FALT = 0x10;

struct ACCEL {
  std::uint8_t fVirt = FVIRTKEY;
  std::uint16_t key = 0;  // virtual key code
  std::uint16_t cmd = 0;
};

// A copy of the table's entries; empty when there is no table.
inline std::vector<ACCEL> CopyAcceleratorTable(const std::vector<ACCEL>* table) {
  return table ? *table : std::vector<ACCEL>{};
}

}  // namespace tessel::platform
