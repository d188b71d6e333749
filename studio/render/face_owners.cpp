#include "studio/render/face_owners.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

FaceOwners::FaceOwners(const Mesh& m) : faces_(m.faceCount()), vertices_(m.vertexCount()) {
  const std::uint32_t* t = m.faces.data();
  const float* p = m.positions.data();
  steps_.resize(faces_);
  bases_.resize((faces_ + kRun - 1) / kRun);
  // Squared while the faces are read: one root a vertex instead of three a face.
  std::vector<double> reach(vertices_, 0.0);
  auto least = [t](std::uint32_t f) {
    return std::min({t[3 * std::size_t{f}], t[3 * std::size_t{f} + 1], t[3 * std::size_t{f} + 2]});
  };
  for (std::uint32_t run = 0; run < bases_.size(); ++run) {
    const std::uint32_t first = run * kRun, last = std::min(faces_, first + kRun);
    std::uint32_t base = least(first);
    for (std::uint32_t f = first + 1; f < last; ++f) base = std::min(base, least(f));
    bases_[run] = base;
    for (std::uint32_t f = first; f < last; ++f) {
      const std::uint32_t owner = least(f);
      const float* o = p + 3 * std::size_t{owner};
      double far = 0;
      bool finite = true;
      for (int i = 0; i < 3; ++i) {
        const float* q = p + 3 * std::size_t{t[3 * std::size_t{f} + i]};
        const double dx = q[0] - o[0], dy = q[1] - o[1], dz = q[2] - o[2];
        const double d = dx * dx + dy * dy + dz * dz;
        finite = finite && d <= 1e60;
        far = std::max(far, d);
      }
      // A face without a finite size is placed on its own, as one whose owner is far.
      if (owner - base >= kUnowned || !finite) {
        steps_[f] = kUnowned, ++unowned_;
        continue;
      }
      steps_[f] = static_cast<std::uint8_t>(owner - base);
      reach[owner] = std::max(reach[owner], far);
    }
  }
  for (double& r : reach) r = std::sqrt(r);
  // Each reach rounded up to the next of the lengths, which cover 31 octaves below the longest
  // (a reach shorter still takes the least); the lengths sit a little above the steps so the
  // float rounding of the distances stays inside.
  const double longest = reach.empty() ? 0.0 : *std::max_element(reach.begin(), reach.end());
  for (int q = 1; q < 256; ++q)
    lengths_[q] = static_cast<float>(longest * std::exp2((q - 255) / 8.0) * (1 + 1e-5));
  reach_.resize(vertices_);
  for (std::uint32_t v = 0; v < vertices_; ++v) {
    const double r = reach[v];
    int q = r > 0 ? static_cast<int>(std::ceil(255 + 8 * std::log2(r / longest))) : 0;
    q = std::clamp(q, r > 0 ? 1 : 0, 255);
    while (q < 255 && lengths_[q] < r) ++q;
    reach_[v] = static_cast<std::uint8_t>(q);
  }
}

}  // namespace tessel::studio
