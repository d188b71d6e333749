// Which components of one mesh pass the "visible only" depth test at their screen place, kept a
// run of ChunkBoxes::kRun at a time with the depth image they were tested against: learned for the
// whole view as the image is made (learnSeen), or run by run as regions reach runs not yet seen.
// The test is the costly part of selecting "visible only" (a face's centre and depth, and a read
// of the image, for each); with the answers kept, a region costs what selecting through costs,
// runs wholly seen are taken whole, and the brush's grid reads a bit instead of the image.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/render/chunk_boxes.h"

namespace tessel::studio {

class SeenMemo {
 public:
  enum : std::uint8_t { kUnknown = 0, kSome = 1, kAll = 2 };  // what a run's answers are

  SeenMemo() = default;
  SeenMemo(ComponentTarget target, std::uint32_t components);

  // Whether this memo is for `components` components of `target`'s kind.
  bool fits(ComponentTarget target, std::uint32_t components) const {
    return target == target_ && components == components_;
  }
  std::uint8_t run(std::uint32_t chunk) const { return runs_[chunk]; }
  bool seen(std::uint32_t h) const { return bits_[h / 64] >> (h % 64) & 1; }
  // Records run `chunk`'s answers, seen(h) for each of its components.
  template <class Seen>
  void fill(std::uint32_t chunk, Seen seen) {
    static_assert(ChunkBoxes::kRun % 64 == 0, "runs fill whole words");
    const std::uint32_t first = chunk * ChunkBoxes::kRun;
    const std::uint32_t last = first + ChunkBoxes::kRun < components_ ? first + ChunkBoxes::kRun
                                                                       : components_;
    bool all = true;
    for (std::uint32_t word = first; word < last; word += 64) {
      std::uint64_t bits = 0;
      for (std::uint32_t h = word, end = last - word < 64 ? last : word + 64; h < end; ++h) {
        const bool s = seen(h);
        bits |= std::uint64_t{s} << (h - word);
        all = all && s;
      }
      bits_[word / 64] = bits;
    }
    runs_[chunk] = all ? kAll : kSome;
  }
  std::size_t memoryBytes() const {
    return runs_.capacity() + bits_.capacity() * sizeof(std::uint64_t);
  }

 private:
  ComponentTarget target_ = ComponentTarget::Vertices;
  std::uint32_t components_ = 0;
  std::vector<std::uint8_t> runs_;
  std::vector<std::uint64_t> bits_;
};

}  // namespace tessel::studio
