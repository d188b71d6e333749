#include "studio/scene/end_point_index.h"

#include <algorithm>
#include <cmath>

namespace tessel::studio {

EndPointIndex::EndPointIndex(const Scene& scene, std::uint32_t kind) {
  const auto& all = scene.entities();
  for (std::size_t i = 0; i < all.size(); ++i) {
    Entity* e = all[i].get();
    if (e->type != kind || !e->visible || e->points.empty()) continue;
    ends_.push_back({placedEnd(*e, false), e, i});
    ends_.push_back({placedEnd(*e, true), e, i});
  }
  std::sort(ends_.begin(), ends_.end(),
            [](const End& a, const End& b) { return a.place.x < b.place.x; });
}

std::vector<EndPointIndex::End>::const_iterator EndPointIndex::lowerBound(double x) const {
  return std::lower_bound(ends_.begin(), ends_.end(), x,
                          [](const End& e, double v) { return e.place.x < v; });
}

Vec3 EndPointIndex::placedEnd(const Entity& e, bool last) {
  return e.placement.place(last ? e.points.back() : e.points.front());
}

double EndPointIndex::tolerance(const Vec3& p) {
  return 1e-6 * (1.0 + std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}));
}

std::vector<Entity*> EndPointIndex::meeting(const Entity& from) const {
  std::vector<const End*> met;
  forEachEnd(from, [&](const End& end) { met.push_back(&end); });
  std::sort(met.begin(), met.end(), [](const End* a, const End* b) { return a->order < b->order; });
  std::vector<Entity*> out;
  for (const End* end : met)
    if (out.empty() || out.back() != end->entity) out.push_back(end->entity);
  return out;
}

}  // namespace tessel::studio
