// Faces in the order one frame draws them: the shown unselected ones, then the shown selected
// ones. Each part then draws with one call in its own colour, so a frame with a selection draws
// each face once, as a frame without one does, instead of drawing the selected faces a second
// time over the surface.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel::studio {

// A digest of a flag array: whether any flag bits are set at all, and a hash that changes when
// any byte does, so the order above is built again only when the selection or the hidden faces
// changed. Word at a time: a 20M-face mesh costs a few milliseconds a frame.
struct FlagSummary {
  std::uint8_t any = 0;  // the bits set in some element
  std::uint8_t all = 0;  // the bits set in every element (none for no elements)
  std::uint64_t hash = 0;
  bool operator==(const FlagSummary&) const = default;
};
FlagSummary summarizeFlags(const std::uint8_t* flags, std::size_t count);

// Writes the corners of the `count` triangles, unselected first, selected after, leaving out
// hidden ones, into `out`, and answers the number of unselected ones. `flags` are the faces'
// (kSelected, kHidden); triangle t takes the flags of face `sources[t]`, or of face t when
// `sources` is null.
std::uint32_t orderBySelection(const std::uint32_t* triangles, const std::uint32_t* sources,
                               std::uint32_t count, const std::uint8_t* flags,
                               std::vector<std::uint32_t>& out);

}  // namespace tessel::studio
