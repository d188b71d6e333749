#include "resources/cursors.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace tessel::resources {
namespace {

// Drawing in four inks on a 32 x 32 grid; each shape is drawn in black and then given a one-pixel
// white rim, so it reads on dark and light scenes alike.
enum Ink : std::uint8_t { kClear = 0, kBlack, kWhite, kInvert };

struct Canvas {
  std::array<std::array<Ink, 32>, 32> px{};

  void dot(int x, int y, Ink ink = kBlack) {
    if (x >= 0 && x < 32 && y >= 0 && y < 32) px[y][x] = ink;
  }
  void line(int x0, int y0, int x1, int y1, Ink ink = kBlack) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; ++i) {
      const double t = steps ? double(i) / steps : 0.0;
      dot(int(std::lround(x0 + t * (x1 - x0))), int(std::lround(y0 + t * (y1 - y0))), ink);
    }
  }
  void ring(int cx, int cy, double r, Ink ink = kBlack) {
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (std::abs(std::hypot(x - cx, y - cy) - r) < 0.6) dot(x, y, ink);
  }
  void disc(int cx, int cy, double r, Ink ink) {
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        if (std::hypot(x - cx, y - cy) <= r) dot(x, y, ink);
  }
  void rim() {
    auto copy = px;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        if (copy[y][x] != kClear) continue;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && nx < 32 && ny >= 0 && ny < 32 && copy[ny][nx] == kBlack)
              px[y][x] = kWhite;
          }
      }
  }
};

// Arrow heads pointing in a direction, at a tip.
void head(Canvas& c, int x, int y, int dx, int dy) {
  for (int i = 1; i <= 3; ++i) {
    c.line(x - dx * i - dy * i, y - dy * i - dx * i, x - dx * i + dy * i, y - dy * i + dx * i);
  }
}
void doubleArrow(Canvas& c, int x0, int y0, int x1, int y1) {
  c.line(x0, y0, x1, y1);
  const int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
  head(c, x1, y1, dx, dy);
  head(c, x0, y0, -dx, -dy);
}
void pointer(Canvas& c, int x, int y, int size) {
  for (int i = 0; i < size; ++i) c.line(x, y + i, x + i / 2 + (i * 3) / 10, y + i);
  c.line(x + size / 4, y + size - 2, x + size / 2, y + size + 3);
}
void badge(Canvas& c, int x, int y, bool plus) {
  for (int i = 0; i < 7; ++i) {
    c.dot(x + i, y);
    c.dot(x + i, y + 6);
    c.dot(x, y + i);
    c.dot(x + 6, y + i);
  }
  c.line(x + 2, y + 3, x + 4, y + 3);
  if (plus) c.line(x + 3, y + 2, x + 3, y + 4);
}
void ball(Canvas& c) { c.ring(17, 17, 6); }
void magnifier(Canvas& c, int sign) {
  c.ring(10, 9, 6);
  c.line(14, 14, 21, 21);
  c.line(15, 14, 22, 21);
  if (sign != 0) c.line(8, 9, 12, 9);
  if (sign > 0) c.line(10, 7, 10, 11);
}
void wand(Canvas& c) {
  c.line(9, 8, 24, 23);
  c.line(10, 8, 25, 23);
  for (int i = -3; i <= 3; ++i) {
    c.dot(7 + i, 6, kInvert);
    c.dot(7, 6 + i, kInvert);
  }
}

using Draw = void (*)(Canvas&);

struct CursorDef {
  std::int32_t id, hotX, hotY;
  Draw draw;
};

constexpr CursorDef kCursors[] = {
    {4999, 15, 11, [](Canvas& c) {
       c.disc(15, 11, 7, kInvert);
       for (int y = 19; y < 25; ++y) c.line(12, y, 18, y, kInvert);
     }},
    {5000, 15, 15, [](Canvas& c) { doubleArrow(c, 15, 4, 15, 26); }},
    {5001, 15, 15, [](Canvas& c) {
       c.ring(15, 15, 10);
       c.ring(15, 15, 9);
       c.line(8, 8, 22, 22);
       c.line(9, 8, 23, 22);
     }},
    {5002, 17, 17, [](Canvas& c) {
       ball(c);
       doubleArrow(c, 5, 17, 29, 17);
       doubleArrow(c, 17, 5, 17, 29);
     }},
    {5003, 17, 17, [](Canvas& c) {
       ball(c);
       doubleArrow(c, 5, 17, 29, 17);
     }},
    {5004, 17, 17, [](Canvas& c) {
       ball(c);
       doubleArrow(c, 17, 5, 17, 29);
     }},
    {5005, 3, 2, [](Canvas& c) { pointer(c, 3, 2, 16); }},
    {5006, 3, 2, [](Canvas& c) {
       pointer(c, 3, 2, 16);
       badge(c, 16, 18, true);
     }},
    {5007, 3, 1, [](Canvas& c) {
       pointer(c, 3, 1, 12);
       c.dot(3, 1, kInvert);
     }},
    {5008, 3, 2, [](Canvas& c) {
       pointer(c, 3, 2, 12);
       c.dot(3, 2, kInvert);
       badge(c, 14, 16, true);
     }},
    {5009, 3, 2, [](Canvas& c) {
       pointer(c, 3, 2, 12);
       c.dot(3, 2, kInvert);
       badge(c, 14, 16, false);
     }},
    {5010, 3, 2, [](Canvas& c) {
       pointer(c, 3, 2, 16);
       badge(c, 16, 18, false);
     }},
    {5011, 15, 15, [](Canvas& c) {
       doubleArrow(c, 3, 15, 27, 15);
       doubleArrow(c, 15, 3, 15, 27);
     }},
    {5012, 15, 15, [](Canvas& c) { doubleArrow(c, 3, 15, 27, 15); }},
    {5013, 16, 15, [](Canvas& c) { doubleArrow(c, 16, 3, 16, 27); }},
    {5014, 10, 9, [](Canvas& c) { magnifier(c, 0); }},
    {5015, 7, 6, [](Canvas& c) { wand(c); }},
    {5016, 7, 6, [](Canvas& c) {
       wand(c);
       badge(c, 18, 4, true);
     }},
    {5017, 7, 6, [](Canvas& c) {
       wand(c);
       badge(c, 18, 4, false);
     }},
    {5018, 16, 15, [](Canvas& c) {
       c.ring(16, 15, 9);
       for (int x = 12; x <= 20; ++x) c.dot(x, 6, kClear);
       for (int x = 12; x <= 20; ++x) c.dot(x, 24, kClear);
       head(c, 12, 6, -1, 0);
       head(c, 20, 24, 1, 0);
     }},
    {5019, 10, 9, [](Canvas& c) { magnifier(c, 1); }},
    {5020, 10, 9, [](Canvas& c) { magnifier(c, -1); }},
};

omCursor render(const CursorDef& def) {
  Canvas canvas;
  def.draw(canvas);
  canvas.rim();
  omCursor cursor;
  cursor.id = def.id;
  cursor.hotX = def.hotX;
  cursor.hotY = def.hotY;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t bit = 1u << (31 - x);
      const Ink ink = canvas.px[y][x];
      if (ink == kClear || ink == kInvert) cursor.andMask[y] |= bit;
      if (ink == kWhite || ink == kInvert) cursor.xorMask[y] |= bit;
    }
  return cursor;
}

}  // namespace

const omCursor* LoadCursor(std::int32_t id) {
  static const auto cursors = [] {
    std::array<omCursor, std::size(kCursors)> all{};
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = render(kCursors[i]);
    return all;
  }();
  for (const omCursor& cursor : cursors)
    if (cursor.id == id) return &cursor;
  return nullptr;
}

}  // namespace tessel::resources
