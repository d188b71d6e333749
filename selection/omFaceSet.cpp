#include "selection/omFaceSet.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace tessel::selection {
namespace {
// Below this a comparison sort beats three counting passes.
constexpr std::size_t kRadixFrom = 1u << 14;

void radixSort(std::vector<std::uint32_t>& v, std::vector<std::uint32_t>& scratch) {
  constexpr int kBits = 11;
  constexpr std::uint32_t kBuckets = 1u << kBits;
  // Only a scratch that grows is written before use; one kept from earlier sorts is reused as is.
  if (scratch.size() < v.size()) scratch.resize(v.size());
  std::uint32_t* src = v.data();
  std::uint32_t* dst = scratch.data();
  const std::size_t n = v.size();
  for (int shift = 0; shift < 32; shift += kBits) {
    std::array<std::size_t, kBuckets> count{};
    for (std::size_t i = 0; i < n; ++i) ++count[(src[i] >> shift) & (kBuckets - 1)];
    std::size_t sum = 0;
    for (std::size_t& c : count) sum += std::exchange(c, sum);
    for (std::size_t i = 0; i < n; ++i) dst[count[(src[i] >> shift) & (kBuckets - 1)]++] = src[i];
    std::swap(src, dst);
  }
  // Three passes of 11 bits end in the scratch buffer.
  if (src != v.data()) {
    v.swap(scratch);
    v.resize(n);
  }
}
}  // namespace

// A large fill covers most handles below its largest, so a bitmap over that range, read back in
// order, sorts it: the bitmap is a thirty-second of the handles' own size and stays in cache,
// where a radix pass scatters over all of memory. Drops repeats on the way.
bool bitmapSort(std::vector<std::uint32_t>& v, std::vector<std::uint32_t>& scratch) {
  const std::uint32_t top = *std::max_element(v.begin(), v.end());
  const std::size_t words = std::size_t{top} / 32 + 1;
  if (words > v.size()) return false;  // too sparse to pay off
  if (scratch.size() < words) scratch.resize(words);
  std::fill_n(scratch.begin(), words, 0u);
  for (std::uint32_t h : v) scratch[h >> 5] |= 1u << (h & 31);
  std::size_t n = 0;
  for (std::size_t w = 0; w < words; ++w)
    for (std::uint32_t bits = scratch[w]; bits; bits &= bits - 1)
      v[n++] = static_cast<std::uint32_t>(w * 32 + static_cast<unsigned>(std::countr_zero(bits)));
  v.resize(n);
  return true;
}

void sortUnique(std::vector<std::uint32_t>& handles, std::vector<std::uint32_t>& scratch) {
  if (std::is_sorted(handles.begin(), handles.end())) {
    // a face loop delivers its faces in order already
  } else if (handles.size() < kRadixFrom) {
    std::sort(handles.begin(), handles.end());
  } else if (bitmapSort(handles, scratch)) {
    return;
  } else {
    radixSort(handles, scratch);
  }
  handles.erase(std::unique(handles.begin(), handles.end()), handles.end());
}

}  // namespace tessel::selection

bool omFaceSet::contains(Handle face) const {
  return std::binary_search(handles_.begin(), handles_.end(), face);
}

bool omFaceSet::insert(Handle face) {
  auto at = std::lower_bound(handles_.begin(), handles_.end(), face);
  if (at != handles_.end() && *at == face) return false;
  handles_.insert(at, face);
  return true;
}

void omFaceSet::insertMany(std::vector<Handle>& handles) {
  std::vector<Handle> scratch;
  insertMany(handles, scratch);
}

void omFaceSet::adopt(std::vector<Handle>& handles) {
  if (!handles_.empty()) {
    insertMany(handles);
    return;
  }
  std::vector<Handle> scratch;
  tessel::selection::sortUnique(handles, scratch);
  handles_.swap(handles);
  handles.clear();
}

void omFaceSet::insertMany(std::vector<Handle>& handles, std::vector<Handle>& scratch) {
  tessel::selection::sortUnique(handles, scratch);
  if (handles_.empty()) {
    handles_.swap(handles);
    // A fill reserves for the whole mesh; a small result should not keep that.
    if (handles_.capacity() > 2 * handles_.size() + 64) handles_.shrink_to_fit();
  } else if (!handles.empty()) {
    // Merge from the back into the grown set, then drop the handles both had.
    const std::size_t old = handles_.size();
    handles_.resize(old + handles.size());
    std::size_t i = old, j = handles.size(), k = handles_.size();
    while (j > 0) {
      if (i > 0 && handles_[i - 1] > handles[j - 1])
        handles_[--k] = handles_[--i];
      else
        handles_[--k] = handles[--j];
    }
    handles_.erase(std::unique(handles_.begin(), handles_.end()), handles_.end());
  }
  handles.clear();
}
