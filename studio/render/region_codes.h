// What a screen region answers for whole pixels and for blocks of them, worked out once per
// request, so that most components of a scan are decided by a lookup instead of a region test:
// a vertex by its pixel, a face or an edge by the block its corners share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "studio/render/screen_projection.h"

namespace tessel::studio {

class VisibleDepth;

// A pixel's or a block's class: every point of it outside the region (or off the view), every
// point inside, or mixed, when only the exact test can tell.
constexpr std::uint8_t kClassOut = 0, kClassIn = 1, kClassMixed = 2;

// Ties the region, the view and, for "visible only", the widened depth image together.
// Pixel codes come from Region::classifyPixels(width, height, out) where a region has it
// (every pixel mixed otherwise: correct, only slower).
class RegionCodes {
 public:
  static constexpr int kBlock = 8;  // pixels a block side
  // Views up to 8,192 blocks a side are coded; larger ones are left to the exact test.
  static constexpr std::uint32_t kColumnBits = 13;

  // What a request asks for beyond the pixels' classes.
  enum class Asks { Pixels, Blocks, Places };
  // Vertices ask for pixels, and for blocks when runs of them are decided by ChunkBoxes; faces
  // and edges ask for places (blocks, and with `depth` the depth spans seen() reads).
  template <class Region>
  RegionCodes(const Region& region, int width, int height, const VisibleDepth* depth, Asks asks)
      : width_(width), height_(height) {
    pixels_.assign(static_cast<std::size_t>(width) * height, kClassMixed);
    if constexpr (requires(const Region& r, std::uint8_t* out) { r.classifyPixels(1, 1, out); })
      region.classifyPixels(width, height, pixels_.data());
    if (asks == Asks::Pixels) return;
    classifyBlocks();
    if (asks == Asks::Places && depth) spanDepths(*depth);
  }

  // Class of the pixel under an on-view point.
  std::uint8_t pixel(float x, float y) const {
    return pixels_[static_cast<std::size_t>(y) * width_ + static_cast<std::uint32_t>(x)];
  }

  // A screen vertex's code. Corners that share a code whose class (code & 3) is in or out have
  // their centre, however rounded, in that class: the codes of a block span it and its one-pixel
  // ring, and off-view codes name the side a corner lies clearly beyond.
  // On the view a code holds the block's row and column (13 bits each) and its class.
  std::uint32_t operator()(const ScreenVertex& s) const {
    if (onView(s, width_, height_)) {
      const std::uint32_t bx = static_cast<std::uint32_t>(s.x) / kBlock;
      const std::uint32_t by = static_cast<std::uint32_t>(s.y) / kBlock;
      return (by << kColumnBits | bx) << 2 | blocks_[by * columns_ + bx];
    }
    constexpr float kMargin = 1.0f / 16;
    const std::uint32_t side = static_cast<std::uint32_t>(s.x < -kMargin) |
                               static_cast<std::uint32_t>(s.x > static_cast<float>(width_) + kMargin) << 1 |
                               static_cast<std::uint32_t>(s.y < -kMargin) << 2 |
                               static_cast<std::uint32_t>(s.y > static_cast<float>(height_) + kMargin) << 3;
    // Near the border, or behind the eye: mixed, and no block's.
    return side ? (0xFFFF0000u | side << 4 | kClassOut) : (0xFFFFFFFCu | kClassMixed);
  }

  // The class of corners whose codes differ but name blocks next to each other: that of the
  // 2 x 2 blocks they lie in, when all four agree; mixed otherwise, and for corners off the view.
  std::uint8_t neighbours(std::uint32_t a, std::uint32_t b, std::uint32_t c) const {
    if ((a | b | c) >> 30) return kClassMixed;
    constexpr std::uint32_t kColumn = (1u << kColumnBits) - 1;
    const std::uint32_t xa = a >> 2 & kColumn, xb = b >> 2 & kColumn, xc = c >> 2 & kColumn;
    const std::uint32_t ya = a >> (2 + kColumnBits), yb = b >> (2 + kColumnBits),
                        yc = c >> (2 + kColumnBits);
    const std::uint32_t x0 = std::min({xa, xb, xc}), y0 = std::min({ya, yb, yc});
    if (std::max({xa, xb, xc}) - x0 > 1 || std::max({ya, yb, yc}) - y0 > 1) return kClassMixed;
    return quads_[y0 * columns_ + x0];
  }

  // The class of every point of the screen rectangle x0..x1, y0..y1 (x0 <= x1, y0 <= y1): out
  // when each is off the view or outside, in when each is on the view and inside. Answered from
  // the blocks the rectangle meets.
  std::uint8_t rectClass(const float* bounds) const;

  // For corners whose centre lies inside the region, all within a pixel of each other: 1 when
  // the centre is surely not behind the surface, 0 when surely behind, -1 when only the exact
  // test can tell. `nearest` and `farthest` are the corners' least and most depth.
  int seen(const ScreenVertex& corner, float nearest, float farthest) const {
    // The centre's pixel is then one of the 3 x 3 around the corner's, where the widened depth
    // is at least low_ and at most high_; the centre's depth lies between its corners'.
    const std::size_t q =
        static_cast<std::size_t>(corner.y) * width_ + static_cast<std::uint32_t>(corner.x);
    if (double{farthest} <= double{low_[q]} * (1 + 1e-3) + 1e-6) return 1;
    if (double{nearest} > double{high_[q]} * (1 + 1e-3) + 1e-6) return 0;
    return -1;
  }

  std::size_t memoryBytes() const {
    return pixels_.size() + blocks_.size() + quads_.size() +
           (low_.size() + high_.size()) * sizeof(float) +
           (insideSums_.size() + outsideSums_.size()) * sizeof(std::uint32_t);
  }

 private:
  void classifyBlocks();
  void spanDepths(const VisibleDepth& depth);
  int width_, height_, columns_ = 0, rows_ = 0;
  std::vector<std::uint8_t> pixels_;  // #pixels classes, row-major
  std::vector<std::uint8_t> blocks_;  // #blocks classes over each block and its ring
  std::vector<std::uint8_t> quads_;   // #blocks classes of each block with the three after it
  // (#columns + 1) x (#rows + 1) counts of the inside and of the outside blocks above and left
  std::vector<std::uint32_t> insideSums_, outsideSums_;
  std::vector<float> low_, high_;     // #pixels: least and most widened depth of each 3 x 3
};

}  // namespace tessel::studio
