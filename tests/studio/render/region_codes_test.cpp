#include "studio/render/region_codes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "studio/render/screen_regions.h"
#include "tests/studio/lasso_rows.h"

namespace tessel::studio {
namespace {

// Not a multiple of the block size either way, so the last blocks are partial.
constexpr int kWidth = 163, kHeight = 117;

// A spiky outline that crosses itself, or a smooth wavy loop as a hand draws one.
std::vector<float> outline(std::mt19937& rng, int points, float step, bool spiky) {
  std::uniform_real_distribution<float> radius(8, 70), jitter(-0.3f, 0.3f);
  std::vector<float> out;
  for (int i = 0; i < points; ++i) {
    const float a = 6.2831853f * (static_cast<float>(i) + jitter(rng)) / static_cast<float>(points);
    const float r = spiky ? radius(rng) : 50 + 6 * std::sin(3 * a) + jitter(rng);
    const float x = 80 + r * std::cos(a), y = 58 + r * 0.8f * std::sin(a);
    out.insert(out.end(), {std::round(x / step) * step, std::round(y / step) * step});
  }
  return out;
}

// A pixel's class must hold at every point of it, up to the last float short of the next pixel.
// Answers the share of pixels decided by their class.
template <class Region>
double expectPixelClassesHold(const Region& region, const char* what) {
  const RegionCodes codes(region, kWidth, kHeight, nullptr, RegionCodes::Asks::Pixels);
  int decided = 0;
  for (int py = 0; py < kHeight; ++py)
    for (int px = 0; px < kWidth; ++px) {
      const std::uint8_t c = codes.pixel(static_cast<float>(px), static_cast<float>(py));
      if (c == kClassMixed) continue;
      ++decided;
      const auto x0 = static_cast<float>(px), y0 = static_cast<float>(py);
      const float xs[] = {x0, x0 + 0.5f, std::nextafter(x0 + 1, 0.0f)};
      const float ys[] = {y0, y0 + 0.5f, std::nextafter(y0 + 1, 0.0f)};
      for (float x : xs)
        for (float y : ys)
          EXPECT_EQ(region.contains(x, y), c == kClassIn)
              << what << " pixel " << px << ", " << py << " at " << x << ", " << y;
    }
  return decided / static_cast<double>(kWidth * kHeight);
}

TEST(RegionCodes, APixelsClassHoldsAtEveryPointOfIt) {
  EXPECT_GT(expectPixelClassesHold(RectRegion{20.25f, 10, 130, 99.5f}, "box"), 0.95);
  EXPECT_GT(expectPixelClassesHold(RectRegion{-40, -3, 50.75f, 500}, "box over the border"), 0.95);
  std::mt19937 rng(21);
  for (float step : {1.0f, 1.0f / 256}) {
    expectPixelClassesHold(test::lassoRows(outline(rng, 300, step, true), kHeight).region(),
                           "spiky lasso");
    EXPECT_GT(expectPixelClassesHold(
                  test::lassoRows(outline(rng, 300, step, false), kHeight).region(), "lasso"),
              0.8);
  }
}

// A block's class (the code of any point in it) holds for each pixel of the block and of the
// one-pixel ring around it; the ring beyond the view counts as outside.
TEST(RegionCodes, ABlocksClassHoldsOverItsRing) {
  std::mt19937 rng(5);
  const RectRegion box{20.25f, 10, 130, 99.5f};
  const LassoRegion lasso = test::lassoRows(outline(rng, 300, 1, false), kHeight).region();
  for (int which = 0; which < 2; ++which) {
    const RegionCodes codes = which == 0
        ? RegionCodes(box, kWidth, kHeight, nullptr, RegionCodes::Asks::Blocks)
        : RegionCodes(lasso, kWidth, kHeight, nullptr, RegionCodes::Asks::Blocks);
    int decided = 0;
    for (int by = 0; by * RegionCodes::kBlock < kHeight; ++by)
      for (int bx = 0; bx * RegionCodes::kBlock < kWidth; ++bx) {
        const int x0 = bx * RegionCodes::kBlock, y0 = by * RegionCodes::kBlock;
        const ScreenVertex inside{static_cast<float>(x0) + 0.5f, static_cast<float>(y0) + 0.5f, 1};
        const auto cls = static_cast<std::uint8_t>(codes(inside) & 3);
        if (cls == kClassMixed) continue;
        ++decided;
        for (int y = y0 - 1; y <= y0 + RegionCodes::kBlock; ++y)
          for (int x = x0 - 1; x <= x0 + RegionCodes::kBlock; ++x) {
            const bool onTheView = x >= 0 && y >= 0 && x < kWidth && y < kHeight;
            const std::uint8_t pixel =
                onTheView ? codes.pixel(static_cast<float>(x), static_cast<float>(y)) : kClassOut;
            EXPECT_EQ(pixel, cls) << (which ? "lasso" : "box") << " block " << bx << ", " << by
                                  << " pixel " << x << ", " << y;
          }
      }
    EXPECT_GT(decided, 100);
  }
}

// Corners whose codes give a decided class, shared or of neighbouring blocks, have their centre,
// however rounded, in that class; for "visible only", what seen() decides is what the depth test answers at the centre.
TEST(RegionCodes, CornersSharingACodePlaceTheirCentreInItsClass) {
  std::mt19937 rng(22);
  DepthImage image{kWidth, kHeight, {}};
  std::uniform_real_distribution<float> surface(2, 3);
  for (int k = 0; k < kWidth * kHeight; ++k) image.depth.push_back(k % 11 ? surface(rng) : INFINITY);
  const VisibleDepth visible(image);
  const test::RowTable table = test::lassoRows(outline(rng, 120, 1, false), kHeight);
  const LassoRegion lasso = table.region();
  const RectRegion box{30.5f, 20, 140, 90.25f};
  std::uniform_real_distribution<float> where(-20, 180), spread(-1, 1), depth(1.5f, 3.5f);
  std::uniform_int_distribution<int> sizeOf(0, 5);
  auto check = [&](const auto& region, const char* what) {
    const RegionCodes codes(region, kWidth, kHeight, &visible, RegionCodes::Asks::Places);
    int decided = 0, across = 0, seenDecided = 0;
    for (int k = 0; k < 200000; ++k) {
      // Small faces anywhere, some beyond the view: 1 to 32 pixels across.
      const float size = 0.5f * static_cast<float>(1 << sizeOf(rng));
      const float x = where(rng), y = where(rng) * 0.7f;
      ScreenVertex c[3];
      for (ScreenVertex& v : c) v = {x + size * spread(rng), y + size * spread(rng), depth(rng)};
      const std::uint32_t a = codes(c[0]), b = codes(c[1]), d = codes(c[2]);
      const std::uint8_t cls = a == b && a == d ? a & 3 : codes.neighbours(a, b, d);
      if (cls == kClassMixed) continue;
      ++decided;
      across += a != b || a != d;
      const ScreenVertex centre = centreOf(c[0], c[1], c[2]);
      const bool inside = region.contains(centre.x, centre.y) && onView(centre, kWidth, kHeight);
      ASSERT_EQ(inside, cls == kClassIn) << what << " at " << centre.x << ", " << centre.y;
      float x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
      for (const ScreenVertex& v : c) {
        x0 = std::min(x0, v.x), x1 = std::max(x1, v.x), y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
      }
      if (!inside || x1 - x0 > 0.99f || y1 - y0 > 0.99f) continue;
      const int seen = codes.seen(c[0], std::min({c[0].depth, c[1].depth, c[2].depth}),
                                  std::max({c[0].depth, c[1].depth, c[2].depth}));
      if (seen < 0) continue;
      ++seenDecided;
      ASSERT_EQ(seen == 1, visible.visible(centre.x, centre.y, centre.depth)) << what;
    }
    EXPECT_GT(decided, 50000) << what;
    EXPECT_GT(across, 10000) << what;
    EXPECT_GT(seenDecided, 1000) << what;
  };
  check(box, "box");
  check(lasso, "lasso");
}

}  // namespace
}  // namespace tessel::studio
