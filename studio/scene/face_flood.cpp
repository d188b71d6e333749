#include "studio/scene/face_flood.h"

#include <cstring>
#include <vector>

namespace tessel::studio {
namespace {

// The selected faces that may pass a flood on. A few rings from one face must not cost a pass
// face by face over a scan of millions, so the flags are read a block at a time and only a block
// holding a selected face is looked into.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

void collectSelectedFaces(const Mesh& mesh, std::vector<std::uint32_t>& out) {
  constexpr std::uint32_t kBlock = 256;
  const std::uint8_t* flags = mesh.faceFlags.data();
  const auto nf = static_cast<std::uint32_t>(mesh.faceFlags.size());
  std::uint32_t f = 0;
  for (; f + kBlock <= nf; f += kBlock) {
    Bytes16 any{};
    for (std::uint32_t i = 0; i < kBlock; i += 16) {
      Bytes16 part;
      std::memcpy(&part, flags + f + i, 16);
      any |= part;
    }
    std::uint64_t half[2];
    std::memcpy(half, &any, 16);
    if (!((half[0] | half[1]) & (kSelected * 0x0101010101010101u))) continue;
    for (std::uint32_t i = f; i < f + kBlock; ++i)
      if ((flags[i] & (kSelected | kHidden | kExcluded)) == kSelected) out.push_back(i);
  }
  for (; f < nf; ++f)
    if ((flags[f] & (kSelected | kHidden | kExcluded)) == kSelected) out.push_back(f);
}

}  // namespace

std::uint32_t growFaceSelection(Mesh& mesh, std::int32_t rings) {
  std::vector<std::uint32_t> frontier, next, touched;
  collectSelectedFaces(mesh, frontier);
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
