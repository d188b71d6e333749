// What the object and component filters offer: the object kinds of each document mode, and the
// components of each object kind.
#pragma once

#include <cstdint>
#include <span>

namespace tessel::resources {

struct FilterEntry {
  const char* name;
  std::uint32_t mask;
};

struct FilterRow {
  std::span<const FilterEntry> entries;
  const char* current;  // null for an empty row
};

// Document modes 0-9; any other mode gives an empty row.
FilterRow objectFilterRow(std::int32_t mode);
// By the object filter's current mask; a kind without components gives an empty row.
FilterRow componentFilterRow(std::uint32_t objectMask);

}  // namespace tessel::resources
