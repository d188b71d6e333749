#include "studio/render/region_codes.h"

#include "studio/render/screen_regions.h"

namespace tessel::studio {

void RegionCodes::classifyBlocks() {
  if (width_ <= 0 || height_ <= 0) return;
  columns_ = (width_ + kBlock - 1) / kBlock, rows_ = (height_ + kBlock - 1) / kBlock;
  const auto w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  const auto columns = static_cast<std::size_t>(columns_);
  // Every block spans its pixels and a ring of one more on each side; the ring beyond the view
  // counts as outside. First each row's span of each block column, then the rows of each block.
  // A class is kept as a bit (1 << class), so a span's classes are an OR.
  std::vector<std::uint8_t> across(h * columns, 0);
  for (std::size_t y = 0; y < h; ++y) {
    std::uint8_t* bits = &across[y * columns];
    const std::uint8_t* row = &pixels_[y * w];
    auto add = [&](std::size_t b, std::size_t x) {
      bits[b] |= static_cast<std::uint8_t>(1u << row[x]);
    };
    for (std::size_t x = 0; x < w; ++x) {
      const std::size_t b = x / kBlock;
      add(b, x);
      if (x % kBlock == kBlock - 1 && b + 1 < columns) add(b + 1, x);
      if (x % kBlock == 0 && b > 0) add(b - 1, x);
    }
    bits[0] |= 1u << kClassOut;
    bits[columns - 1] |= 1u << kClassOut;
  }
  blocks_.assign(columns * rows_, kClassMixed);
  for (std::size_t by = 0; by < static_cast<std::size_t>(rows_); ++by) {
    const std::size_t y0 = by * kBlock > 0 ? by * kBlock - 1 : 0;
    const std::size_t y1 = std::min(h, by * kBlock + kBlock + 1);
    const bool ringOff = by == 0 || by * kBlock + kBlock >= h;
    for (std::size_t bx = 0; bx < columns; ++bx) {
      auto bits = static_cast<std::uint8_t>(ringOff ? 1u << kClassOut : 0u);
      const std::size_t b = by * columns + bx;
      for (std::size_t y = y0; y < y1; ++y) bits |= across[y * columns + bx];
      blocks_[b] = bits == 1u << kClassOut  ? kClassOut
                   : bits == 1u << kClassIn ? kClassIn
                                            : kClassMixed;
    }
  }
  const bool coded = columns_ <= (1 << kColumnBits) && rows_ <= (1 << kColumnBits);
  if (!coded) std::fill(blocks_.begin(), blocks_.end(), kClassMixed);
  // Blocks past the last column or row lie beyond the view: outside.
  quads_.assign(blocks_.size(), kClassMixed);
  auto at = [&](std::size_t bx, std::size_t by) {
    return bx < columns && by < static_cast<std::size_t>(rows_) ? blocks_[by * columns + bx]
                                                                : kClassOut;
  };
  for (std::size_t by = 0; coded && by < static_cast<std::size_t>(rows_); ++by)
    for (std::size_t bx = 0; bx < columns; ++bx) {
      const std::uint8_t c = at(bx, by);
      if (c == at(bx + 1, by) && c == at(bx, by + 1) && c == at(bx + 1, by + 1))
        quads_[by * columns + bx] = c;
    }
}

void RegionCodes::spanDepths(const VisibleDepth& depth) {
  // Separable: along each row, then across three rows; neighbours off the view are left out.
  const auto w = static_cast<std::size_t>(width_), h = static_cast<std::size_t>(height_);
  std::vector<float> low(w * h), high(w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const float* in = depth.row(static_cast<int>(y));
    float* lo = &low[y * w];
    float* hi = &high[y * w];
    for (std::size_t x = 0; x < w; ++x) {
      const float l = x > 0 ? in[x - 1] : in[x], r = x + 1 < w ? in[x + 1] : in[x];
      lo[x] = std::min({l, in[x], r}), hi[x] = std::max({l, in[x], r});
    }
  }
  low_.resize(w * h), high_.resize(w * h);
  for (std::size_t y = 0; y < h; ++y) {
    const std::size_t up = y > 0 ? y - 1 : y, down = y + 1 < h ? y + 1 : y;
    for (std::size_t x = 0; x < w; ++x) {
      low_[y * w + x] = std::min({low[up * w + x], low[y * w + x], low[down * w + x]});
      high_[y * w + x] = std::max({high[up * w + x], high[y * w + x], high[down * w + x]});
    }
  }
}

}  // namespace tessel::studio
