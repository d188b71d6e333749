#include "studio/render/light_merge.h"

#include <cstddef>

namespace tessel::studio {

std::vector<MergedLight> mergeLights(const std::vector<Vec3>& directions, int slots) {
  std::vector<MergedLight> lights;
  for (const Vec3& d : directions) lights.push_back({d, 1.0});
  if (slots <= 0) return {};
  while (lights.size() > static_cast<std::size_t>(slots)) {
    std::size_t a = 0, b = 1;
    double closest = -2;
    for (std::size_t i = 0; i < lights.size(); ++i)
      for (std::size_t j = i + 1; j < lights.size(); ++j)
        if (double c = dot(lights[i].direction, lights[j].direction); c > closest)
          closest = c, a = i, b = j;
    MergedLight& keep = lights[a];
    const MergedLight& gone = lights[b];
    const Vec3 mean = keep.direction * keep.weight + gone.direction * gone.weight;
    if (length(mean) > 1e-12)
      keep.direction = normalized(mean);
    else if (gone.weight > keep.weight)
      keep.direction = gone.direction;
    keep.weight += gone.weight;
    lights.erase(lights.begin() + static_cast<std::ptrdiff_t>(b));
  }
  return lights;
}

}  // namespace tessel::studio
