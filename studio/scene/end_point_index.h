#pragma once

#include <cstdint>
#include <vector>

#include "studio/scene/scene.h"

namespace tessel::studio {

// Studio's curves (om::kEntityConnectedA) and springs (om::kEntityConnectedB) are joined where
// an end point of one lies on an end point of the other, where the user sees them (placed):
// curves to curves, springs to springs, and a spring is attached to the curves it ends on. Each
// is its own entry in the graph.
//
// The index holds the end points of a scene's visible entities of one kind, sorted along x, so
// that finding what meets an entity costs a search plus the end points actually there, not a
// test of every pair: a flood over thousands of curves stays well under a second. Built for one
// question over an unchanging scene (a flood, a growth step): it holds pointers.
class EndPointIndex {
 public:
  EndPointIndex(const Scene& scene, std::uint32_t kind);

  // Calls visit(Entity&) for each indexed entity other than `from` with an end point on one of
  // `from`'s; once per end point met, so an entity joined at both ends comes twice.
  template <class Visit>
  void forEachMeeting(const Entity& from, Visit&& visit) const {
    forEachEnd(from, [&](const End& end) { visit(*end.entity); });
  }

  // The entities `forEachMeeting` visits, each once, in the scene's order.
  std::vector<Entity*> meeting(const Entity& from) const;

  // How far from end point `p` another may lie and still meet it: relative to its size, so
  // that points written out and read back with rounding still join.
  static double tolerance(const Vec3& p);

 private:
  struct End {
    Vec3 place;
    Entity* entity;
    std::size_t order;  // the entity's place in the scene
  };
  std::vector<End>::const_iterator lowerBound(double x) const;
  static Vec3 placedEnd(const Entity& e, bool last);

  template <class Visit>
  void forEachEnd(const Entity& from, Visit&& visit) const {
    if (from.points.empty()) return;
    for (const Vec3& p : {placedEnd(from, false), placedEnd(from, true)}) {
      const double reach = tolerance(p);
      for (auto it = lowerBound(p.x - reach); it != ends_.end() && it->place.x <= p.x + reach;
           ++it)
        if (it->entity != &from && length(p - it->place) <= reach) visit(*it);
    }
  }

  std::vector<End> ends_;
};

}  // namespace tessel::studio
