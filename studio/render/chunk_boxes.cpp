#include "studio/render/chunk_boxes.h"

#include <algorithm>

namespace tessel::studio {
namespace {

bool onEdges(ComponentTarget target) {
  return target == ComponentTarget::Edges || target == ComponentTarget::Holes;
}

ComponentTarget kindOf(ComponentTarget target) {
  return onEdges(target) ? ComponentTarget::Edges : target;
}

}  // namespace

ChunkBoxes::ChunkBoxes(const Mesh& m, ComponentTarget target)
    : kind_(kindOf(target)), components_(componentCount(m, target)) {
  const float* p = m.positions.data();
  const std::uint32_t chunks = (components_ + kRun - 1) / kRun;
  boxes_.resize(6 * std::size_t{chunks});
  for (std::uint32_t c = 0; c < chunks; ++c) {
    float lo[3] = {INFINITY, INFINITY, INFINITY}, hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    auto add = [&](std::uint32_t v) {
      const float* q = p + 3 * std::size_t{v};
      for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], q[i]), hi[i] = std::max(hi[i], q[i]);
    };
    const std::uint32_t first = c * kRun, last = std::min(components_, first + kRun);
    for (std::uint32_t k = first; k < last; ++k) {
      if (target == ComponentTarget::Vertices) {
        add(k);
      } else if (target == ComponentTarget::Faces) {
        const std::uint32_t* t = &m.faces[3 * std::size_t{k}];
        add(t[0]), add(t[1]), add(t[2]);
      } else {
        add(m.edges()[k].v0), add(m.edges()[k].v1);
      }
    }
    std::copy_n(lo, 3, &boxes_[6 * std::size_t{c}]);
    std::copy_n(hi, 3, &boxes_[6 * std::size_t{c} + 3]);
  }
}

bool ChunkBoxes::fits(const Mesh& m, ComponentTarget target) const {
  if (kindOf(target) != kind_ || (onEdges(target) && !m.hasEdgeTable())) return false;
  return components_ == componentCount(m, target);
}

}  // namespace tessel::studio
