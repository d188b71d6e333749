// How much a frame draws: while the camera moves, a triangle budget that follows the measured
// frame time; at rest, the full frame in pieces between events, each piece about as long as a
// moving frame, so a press waits for at most one piece.
#pragma once

#include <cstdint>
#include <vector>

namespace tessel::studio {

// A moving frame's aim, leaving room under a tenth of a second for showing the frame and
// handling the input that comes with it.
inline constexpr double kMovingFrameSeconds = 0.06;
// A piece of a still frame: input is served between pieces.
inline constexpr double kPieceSeconds = 0.04;
// Below this a frame's time is mostly its fixed cost (clearing, lights, overlays).
inline constexpr std::uint64_t kLeastBudget = 20'000;

// The triangles the next frame may draw in `target` seconds, from the last frame, which drew
// `drawn` triangles in `seconds`. It drops at once after a slow frame and grows at most twofold
// a frame, so a frame the machine happened to draw fast (nothing else running) does not make the
// next one slow. Never below kLeastBudget.
std::uint64_t nextBudget(std::uint64_t drawn, double seconds, double target);

// Of levels of `sizes` triangles (largest first), the one to draw for a share of `budget`
// triangles out of `total` drawn by all large meshes: the largest that fits its share of
// `faces`, else the smallest. -1: the mesh itself fits.
int levelFor(const std::vector<std::uint32_t>& sizes, std::uint64_t faces, std::uint64_t total,
             std::uint64_t budget);

// What a moving frame draws of a large mesh: a level of detail, or, while its levels are still
// being built, a point of every `stride`-th face (a sample taken in microseconds, that shows the
// scan's shape and place as it turns); neither: the mesh itself.
// What a sample's point costs of a moving frame's budget, in triangles.
inline constexpr double kPointCost = 2.0;
struct MovingDrawing {
  int level = -1;
  std::uint32_t stride = 0;
  bool operator==(const MovingDrawing&) const = default;
};
// `built`: the levels (`sizes`) are there; otherwise the sample keeps to the mesh's share of
// `budget`, as levelFor shares it out.
MovingDrawing movingDrawing(bool built, const std::vector<std::uint32_t>& sizes,
                            std::uint64_t faces, std::uint64_t total, std::uint64_t budget);

// A run of triangles [from, to) of item `item` that one piece draws.
struct PieceSpan {
  std::size_t item = 0;
  std::uint64_t from = 0, to = 0;
};
// Where the next piece starts: an item, and a triangle in it.
struct PieceCursor {
  std::size_t item = 0;
  std::uint64_t triangle = 0;
};

// The spans of the next piece of a frame whose items (meshes, markers) have `sizes` triangles:
// from `cursor` on, about `budget` triangles, and the cursor moved past them. Every item gets a
// span, an empty one for an item without triangles, and an item's last span ends at its size (so
// the caller knows when to draw what goes over an item's triangles). Empty when the frame is
// done.
std::vector<PieceSpan> nextPiece(const std::vector<std::uint64_t>& sizes, PieceCursor& cursor,
                                 std::uint64_t budget);

}  // namespace tessel::studio
