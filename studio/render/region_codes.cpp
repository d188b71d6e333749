#include "studio/render/region_codes.h"

#include <cstring>

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
  // One row's classes as bits, with a pixel either side and zeros up to whole blocks after.
  static_assert(kBlock == 8, "a block's span is read as eight bytes and two");
  std::vector<std::uint8_t> rowBits(columns * kBlock + 2 + 8, 0);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* row = &pixels_[y * w];
    rowBits[0] = rowBits[w + 1] = 1u << kClassOut;
    // 1 << class for the classes 0, 1 and 2, as arithmetic the compiler does sixteen at a time.
    static_assert(kClassOut == 0 && kClassIn == 1 && kClassMixed == 2);
    for (std::size_t x = 0; x < w; ++x)
      rowBits[x + 1] = static_cast<std::uint8_t>(row[x] + 1 + (row[x] >> 1));
    std::uint8_t* out = &across[y * columns];
    for (std::size_t b = 0; b < columns; ++b) {
      // Pixels b * kBlock - 1 .. b * kBlock + kBlock: bytes from .. from + 9 of rowBits, the
      // ones past the row's extra pixel zero.
      const std::size_t from = b * kBlock;
      std::uint64_t eight;
      std::uint16_t two;
      std::memcpy(&eight, &rowBits[from], 8);
      std::memcpy(&two, &rowBits[from + 8], 2);
      eight |= two;
      eight |= eight >> 32, eight |= eight >> 16, eight |= eight >> 8;
      out[b] = static_cast<std::uint8_t>(eight);
    }
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
  const std::size_t stride = columns + 1;
  insideSums_.assign(stride * (rows_ + 1), 0), outsideSums_.assign(stride * (rows_ + 1), 0);
  for (std::size_t by = 0; by < static_cast<std::size_t>(rows_); ++by)
    for (std::size_t bx = 0; bx < columns; ++bx) {
      const std::size_t k = (by + 1) * stride + bx + 1;
      const std::uint8_t c = blocks_[by * columns + bx];
      insideSums_[k] = insideSums_[k - 1] + insideSums_[k - stride] -
                       insideSums_[k - stride - 1] + (c == kClassIn);
      outsideSums_[k] = outsideSums_[k - 1] + outsideSums_[k - stride] -
                        outsideSums_[k - stride - 1] + (c == kClassOut);
    }
}

std::uint8_t RegionCodes::rectClass(const float* b) const {
  const auto w = static_cast<float>(width_), h = static_cast<float>(height_);
  if (!(b[0] <= b[2] && b[1] <= b[3])) return kClassMixed;
  if (b[2] < 0 || b[3] < 0 || b[0] >= w || b[1] >= h) return kClassOut;
  if (insideSums_.empty()) return kClassMixed;
  // The blocks of the part on the view; a part off it is outside.
  auto block = [](float v, float limit) {
    return static_cast<std::size_t>(std::clamp(v, 0.0f, limit - 1)) / kBlock;
  };
  const std::size_t x0 = block(b[0], w), x1 = block(b[2], w) + 1;
  const std::size_t y0 = block(b[1], h), y1 = block(b[3], h) + 1;
  const std::size_t stride = static_cast<std::size_t>(columns_) + 1;
  auto count = [&](const std::vector<std::uint32_t>& sums) {
    return sums[y1 * stride + x1] - sums[y0 * stride + x1] - sums[y1 * stride + x0] +
           sums[y0 * stride + x0];
  };
  const std::size_t area = (x1 - x0) * (y1 - y0);
  if (count(outsideSums_) == area) return kClassOut;
  const bool onTheView = b[0] >= 0 && b[1] >= 0 && b[2] < w && b[3] < h;
  return onTheView && count(insideSums_) == area ? kClassIn : kClassMixed;
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
