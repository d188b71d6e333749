// Which files are held shifted, and by what: the rule on boxes a user would meet.
#include "studio/scene/coordinate_offset.h"

#include <gtest/gtest.h>

namespace tessel::studio {
namespace {

Box box(Vec3 lo, Vec3 hi) {
  Box b;
  b.add(lo), b.add(hi);
  return b;
}

TEST(CoordinateOffset, OnlyFilesFarFromTheOriginForTheirDetailAreShifted) {
  // A small scan near the origin, a building at the origin in centimetres and in millimetres
  // (floats hold neither's millimetres at 100 m, but no offset brings it nearer): as they lie.
  EXPECT_EQ(chooseOffset(box({-0.1, 0, -0.05}, {0.1, 0.2, 0.05}), 1e-3, {}), Vec3{});
  EXPECT_EQ(chooseOffset(box({0, 0, 0}, {100, 60, 30}), 0.01, {}), Vec3{});
  EXPECT_EQ(chooseOffset(box({0, 0, 0}, {100, 60, 30}), 0.001, {}), Vec3{});
  // A UTM scan of 1 cm detail: shifted on the axes that need it, by the centre rounded to whole
  // units (the box is under a metre); its height of 45 m is held as it is.
  EXPECT_EQ(chooseOffset(box({500000.1, 5000000.2, 45}, {500000.5, 5000000.6, 45.3}), 0.01, {}),
            (Vec3{500000, 5000000, 0}));
  // A city of 5 km at 1 m detail: rounded to thousands, the largest power of ten within it.
  EXPECT_EQ(chooseOffset(box({512345, 5234567, 10}, {517345, 5237567, 200}), 1, {}),
            (Vec3{515000, 5236000, 0}));
  // The same place at 1 km detail: floats' half-unit step there is detail enough.
  EXPECT_EQ(chooseOffset(box({512345, 5234567, 10}, {517345, 5237567, 200}), 1000, {}), Vec3{});
}

TEST(CoordinateOffset, AnOffsetInUseServesTheFilesItHolds) {
  const Box scan = box({500030.1, 5000010.2, 45}, {500030.5, 5000010.6, 45.3});
  EXPECT_EQ(chooseOffset(scan, 0.01, {{9e6, 0, 0}, {500000, 5000000, 0}}), (Vec3{500000, 5000000, 0}))
      << "30 m from the site's offset, floats hold a centimetre";
  EXPECT_EQ(chooseOffset(scan, 0.01, {{400000, 5000000, 0}}), (Vec3{500030, 5000010, 0}))
      << "100 km away they do not: its own";
}

}  // namespace
}  // namespace tessel::studio
