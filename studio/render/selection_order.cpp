#include "studio/render/selection_order.h"

#include <cstring>

#include "studio/scene/mesh.h"

namespace tessel::studio {

FlagSummary summarizeFlags(const std::uint8_t* flags, std::size_t count) {
  FlagSummary s;
  if (!flags || count == 0) return s;
  std::uint64_t any = 0, all = ~std::uint64_t{0}, hash = 0x9e3779b97f4a7c15ull;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, flags + i, 8);
    any |= w, all &= w;
    // A word that is zero still moves the hash, so flags moving between words show.
    hash = (hash ^ w) * 0x100000001b3ull + i;
  }
  // The last bytes, padded with clear bits for `any` and with set bits for `all`.
  std::uint64_t tail = 0, filled = ~std::uint64_t{0};
  if (i < count) {
    std::memcpy(&tail, flags + i, count - i);
    std::memcpy(&filled, flags + i, count - i);
  }
  any |= tail, all &= filled;
  hash = (hash ^ tail) * 0x100000001b3ull + count;
  for (int shift = 8; shift < 64; shift *= 2) any |= any >> shift, all &= all >> shift;
  s.any = static_cast<std::uint8_t>(any);
  s.all = static_cast<std::uint8_t>(all);
  s.hash = hash ^ (hash >> 29);
  return s;
}

std::uint32_t orderBySelection(const std::uint32_t* triangles, const std::uint32_t* sources,
                               std::uint32_t count, const std::uint8_t* flags,
                               std::vector<std::uint32_t>& out) {
  out.clear();
  auto pass = [&](std::uint8_t want) {
    for (std::uint32_t t = 0; t < count; ++t) {
      const std::uint8_t f = flags[sources ? sources[t] : t] & (kSelected | kHidden);
      if (f == want) out.insert(out.end(), triangles + 3 * std::size_t{t}, triangles + 3 * std::size_t{t} + 3);
    }
  };
  pass(0);
  const auto unselected = static_cast<std::uint32_t>(out.size() / 3);
  pass(kSelected);
  return unselected;
}

}  // namespace tessel::studio
