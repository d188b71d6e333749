// The run-length difference of flag arrays: applying it turns before into after and back, on
// hand-made arrays and on random ones, with scratch bits and unequal lengths.
#include "studio/edit/flag_diff.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel::studio::edit {
namespace {

constexpr std::uint8_t kMask = 1 | 2 | 4;

std::vector<std::uint8_t> applied(std::vector<std::uint8_t> flags, const FlagDiff& d) {
  applyFlagDiff(d, flags.data(), flags.size());
  return flags;
}

TEST(FlagDiff, RunsOfEqualChangeAndNothingElse) {
  //                               0  1  2  3  4  5  6  7  8  9 10
  const std::vector<std::uint8_t> a{0, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0};
  const std::vector<std::uint8_t> b{0, 1, 1, 0, 0, 0, 0, 3, 1, 0, 1};
  const FlagDiff d = diffFlags(a.data(), a.size(), b.data(), b.size(), kMask);
  // 1-4 all flip bit 1 (one run, though 1-2 gain it and 3-4 lose it), 7-8 too, then 10.
  EXPECT_EQ(d.starts, (std::vector<std::uint32_t>{1, 7, 10}));
  EXPECT_EQ(d.lengths, (std::vector<std::uint32_t>{4, 2, 1}));
  EXPECT_EQ(d.changed(), 7u);
  EXPECT_EQ(applied(a, d), b);
  EXPECT_EQ(applied(b, d), a);

  // Different bits side by side are separate runs.
  const std::vector<std::uint8_t> c{0, 2, 2, 1, 1, 0, 0, 2, 0, 0, 0};
  const FlagDiff e = diffFlags(a.data(), a.size(), c.data(), c.size(), kMask);
  EXPECT_EQ(e.starts, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(e.lengths, (std::vector<std::uint32_t>{2}));
  EXPECT_EQ(applied(c, e), a);
}

TEST(FlagDiff, ScratchBitsAreNeitherRecordedNorTouched) {
  std::vector<std::uint8_t> a(40, 0), b(40, 8);  // bit 8 is a fill's mark
  b[17] = 8 | 1;
  const FlagDiff d = diffFlags(a.data(), a.size(), b.data(), b.size(), kMask);
  ASSERT_EQ(d.changed(), 1u);
  EXPECT_EQ(d.starts[0], 17u);
  std::vector<std::uint8_t> back = applied(b, d);
  EXPECT_EQ(back[17], 8) << "the mark stays; only the selection goes";
  EXPECT_TRUE(diffFlags(b.data(), 40, b.data(), 40, kMask).empty());
}

TEST(FlagDiff, UnequalLengthsReadTheShortSideAsZeros) {
  // An edge table built during an edit: no flags before it.
  const std::vector<std::uint8_t> none, edges{0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 4};
  const FlagDiff d = diffFlags(none.data(), 0, edges.data(), edges.size(), kMask);
  EXPECT_EQ(applied(edges, d), std::vector<std::uint8_t>(edges.size(), 0));
  const FlagDiff back = diffFlags(edges.data(), edges.size(), none.data(), 0, kMask);
  EXPECT_EQ(back.changed(), 3u);
  // Runs past the end of a shorter array are cut, not written past it.
  std::vector<std::uint8_t> shorter(5, 0);
  applyFlagDiff(d, shorter.data(), shorter.size());
  EXPECT_EQ(shorter, (std::vector<std::uint8_t>{0, 1, 1, 0, 0}));
}

TEST(FlagDiff, RandomArraysRoundTripAcrossWordEdges) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    const std::size_t n = random() % 70;
    std::vector<std::uint8_t> a(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
      a[i] = static_cast<std::uint8_t>(random() % 32);
      // Mostly equal, with clusters of change, as a selection step leaves them.
      b[i] = random() % 4 ? a[i] : static_cast<std::uint8_t>(random() % 32);
    }
    const FlagDiff d = diffFlags(a.data(), n, b.data(), n, kMask);
    std::vector<std::uint8_t> got = applied(a, d);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(got[i] & kMask, b[i] & kMask) << "trial " << trial << " at " << i;
      ASSERT_EQ(got[i] & ~kMask, a[i] & ~kMask);
    }
    for (std::size_t r = 0; r + 1 < d.starts.size(); ++r)
      ASSERT_TRUE(d.starts[r] + d.lengths[r] < d.starts[r + 1] || d.bits[r] != d.bits[r + 1])
          << "runs that could be one";
  }
}

TEST(FlagDiff, AWholeScanSelectedIsOneRun) {
  std::vector<std::uint8_t> a(1 << 20, 0), b(1 << 20, 1);
  const FlagDiff d = diffFlags(a.data(), a.size(), b.data(), b.size(), kMask);
  EXPECT_EQ(d.starts.size(), 1u);
  EXPECT_LT(d.bytes(), 64u);
}

}  // namespace
}  // namespace tessel::studio::edit
