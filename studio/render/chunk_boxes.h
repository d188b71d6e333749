// Boxes around runs of consecutive components of a mesh, in its own space: a region decides a
// whole run from one box's screen bounds, so the components of a scan far from a region's border
// are taken or left without projecting them one by one. Scans list neighbouring components
// near each other, which keeps most boxes small; in a mesh listed in no useful order the boxes
// are large, decide little, and the components are tested one by one as before.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/render/region_codes.h"
#include "studio/render/screen_regions.h"

namespace tessel::studio {

class ChunkBoxes {
 public:
  static constexpr std::uint32_t kRun = 128;  // components a box

  ChunkBoxes() = default;
  // Edges and Holes share the boxes of the edge table.
  ChunkBoxes(const Mesh& mesh, ComponentTarget target);

  // Whether these are boxes of `target`'s components of a mesh of this many.
  bool fits(const Mesh& mesh, ComponentTarget target) const;
  std::uint32_t count() const { return static_cast<std::uint32_t>(boxes_.size() / 6); }
  // The class every component of run `chunk` takes in `codes` by its screen place, kClassMixed
  // when the box cannot tell.
  std::uint8_t classify(std::uint32_t chunk, const ScreenProjector& project,
                        const RegionCodes& codes) const {
    float bounds[4];
    const float* box = &boxes_[6 * std::size_t{chunk}];
    if (!project.boxBounds(box, box + 3, bounds)) return kClassMixed;
    return codes.rectClass(bounds);
  }
  std::size_t memoryBytes() const { return boxes_.capacity() * sizeof(float); }

 private:
  ComponentTarget kind_ = ComponentTarget::Vertices;  // Holes kept as Edges
  std::uint32_t components_ = 0;
  std::vector<float> boxes_;  // per run: least x y z, then most
};

}  // namespace tessel::studio
