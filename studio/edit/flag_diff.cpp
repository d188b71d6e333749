#include "studio/edit/flag_diff.h"

#include <algorithm>
#include <cstring>

namespace tessel::studio::edit {
namespace {

class RunWriter {
 public:
  explicit RunWriter(FlagDiff& diff) : diff_(diff) {}
  void add(std::size_t i, std::uint8_t bits) {
    if (!bits) return;
    if (!diff_.starts.empty() && diff_.bits.back() == bits &&
        std::size_t{diff_.starts.back()} + diff_.lengths.back() == i) {
      ++diff_.lengths.back();
      return;
    }
    diff_.starts.push_back(static_cast<std::uint32_t>(i));
    diff_.lengths.push_back(1);
    diff_.bits.push_back(bits);
  }

 private:
  FlagDiff& diff_;
};

}  // namespace

std::size_t FlagDiff::changed() const {
  std::size_t n = 0;
  for (std::uint32_t l : lengths) n += l;
  return n;
}

FlagDiff diffFlags(const std::uint8_t* before, std::size_t beforeCount, const std::uint8_t* after,
                   std::size_t afterCount, std::uint8_t mask) {
  FlagDiff diff;
  RunWriter runs(diff);
  const std::size_t common = std::min(beforeCount, afterCount);
  // Eight elements a word: most of a scan's flags are the same before and after.
  const std::uint64_t wordMask = std::uint64_t{mask} * 0x0101010101010101ull;
  std::size_t i = 0;
  while (i < common) {
    if (i + 8 <= common) {
      std::uint64_t a, b;
      std::memcpy(&a, before + i, 8);
      std::memcpy(&b, after + i, 8);
      if (((a ^ b) & wordMask) == 0) {
        i += 8;
        continue;
      }
    }
    const std::size_t end = std::min(i + 8, common);
    for (; i < end; ++i) runs.add(i, static_cast<std::uint8_t>((before[i] ^ after[i]) & mask));
  }
  for (; i < beforeCount; ++i) runs.add(i, before[i] & mask);
  for (; i < afterCount; ++i) runs.add(i, after[i] & mask);
  diff.starts.shrink_to_fit();
  diff.lengths.shrink_to_fit();
  diff.bits.shrink_to_fit();
  return diff;
}

void applyFlagDiff(const FlagDiff& diff, std::uint8_t* flags, std::size_t count) {
  for (std::size_t r = 0; r < diff.starts.size(); ++r) {
    const std::size_t start = diff.starts[r];
    const std::size_t end = std::min(count, start + diff.lengths[r]);
    const std::uint8_t bits = diff.bits[r];
    for (std::size_t i = start; i < end; ++i) flags[i] ^= bits;
  }
}

}  // namespace tessel::studio::edit
