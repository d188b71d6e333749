// The difference between two states of a per-element flag array, as runs of equal change: a
// selection step on a scan of millions of faces keeps a few runs, not a copy of the flags. The
// same difference undoes and redoes (it is applied by exclusive or).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel::studio::edit {

struct FlagDiff {
  // Runs by ascending start, never touching: elements [start, start + length) change by `bits`
  // (never 0), and consecutive runs differ in bits or leave a gap.
  std::vector<std::uint32_t> starts, lengths;
  std::vector<std::uint8_t> bits;

  bool empty() const { return starts.empty(); }
  std::size_t bytes() const {
    return starts.capacity() * 4 + lengths.capacity() * 4 + bits.capacity();
  }
  // How many elements change.
  std::size_t changed() const;
};

// The runs where `before` and `after` differ in the bits of `mask`. `before` has `beforeCount`
// elements and `after` has `afterCount`: the shorter one is read as zeros past its end (an edge
// table built during an edit had no flags set before it).
FlagDiff diffFlags(const std::uint8_t* before, std::size_t beforeCount, const std::uint8_t* after,
                   std::size_t afterCount, std::uint8_t mask);

// Flips the difference's bits in `flags` (#flags elements); runs past the end are cut there.
void applyFlagDiff(const FlagDiff& diff, std::uint8_t* flags, std::size_t count);

}  // namespace tessel::studio::edit
