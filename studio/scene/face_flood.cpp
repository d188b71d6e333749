#include "studio/scene/face_flood.h"

#include <vector>

namespace tessel::studio {

std::uint32_t growFaceSelection(Mesh& mesh, std::int32_t rings) {
  const std::uint32_t nf = mesh.faceCount();
  std::vector<std::uint32_t> frontier, next, touched;
  for (std::uint32_t f = 0; f < nf; ++f)
    if ((mesh.faceFlags[f] & (kSelected | kHidden | kExcluded)) == kSelected) frontier.push_back(f);
  const std::uint32_t limit = rings < 0 ? 0xFFFFFFFFu : rings == 0 ? 1u : std::uint32_t(rings);
  std::uint32_t added = 0;
  // Vertices already passed through carry kMarked until the end, so each is walked once.
  for (std::uint32_t ring = 0; ring < limit && !frontier.empty(); ++ring) {
    next.clear();
    for (std::uint32_t f : frontier) {
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t v = mesh.faces[3 * std::size_t{f} + k];
        if (mesh.vertexFlags[v] & kMarked) continue;
        mesh.vertexFlags[v] |= kMarked;
        touched.push_back(v);
        std::uint32_t n = 0;
        const std::uint32_t* around = mesh.facesAround(v, &n);
        for (std::uint32_t i = 0; i < n; ++i) {
          std::uint8_t& flags = mesh.faceFlags[around[i]];
          if (flags & (kSelected | kHidden | kExcluded)) continue;
          flags |= kSelected;
          next.push_back(around[i]);
          ++added;
        }
      }
    }
    frontier.swap(next);
  }
  for (std::uint32_t v : touched) mesh.vertexFlags[v] &= static_cast<std::uint8_t>(~kMarked);
  return added;
}

}  // namespace tessel::studio
