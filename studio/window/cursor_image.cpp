#include "studio/window/cursor_image.h"

#include <QBitmap>
#include <QImage>

namespace tessel::studio {

QCursor cursorFromMasks(const omCursor& c) {
  // The toolkit's planes: bitmap 1 mask 1 black, bitmap 0 mask 1 white, bitmap 0 mask 0
  // transparent, bitmap 1 mask 0 inverting.
  QImage bitmap(32, 32, QImage::Format_Mono), mask(32, 32, QImage::Format_Mono);
  bitmap.setColorCount(2), mask.setColorCount(2);
  bitmap.setColor(0, qRgb(255, 255, 255)), bitmap.setColor(1, qRgb(0, 0, 0));
  mask.setColor(0, qRgb(255, 255, 255)), mask.setColor(1, qRgb(0, 0, 0));
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t bit = 1u << (31 - x);
      const bool andBit = (c.andMask[y] & bit) != 0, xorBit = (c.xorMask[y] & bit) != 0;
      bitmap.setPixel(x, y, andBit == xorBit ? 1 : 0);
      mask.setPixel(x, y, andBit ? 0 : 1);
    }
  return QCursor(QBitmap::fromImage(bitmap), QBitmap::fromImage(mask), c.hotX, c.hotY);
}

}  // namespace tessel::studio
