#include "studio/edit/group_visibility.h"

namespace tessel::studio::edit {

GroupVisibility::GroupVisibility(Scene& scene, EntityGroup& group, bool shown) {
  std::vector<Shown> before;
  for (const auto& e : scene.entities()) before.push_back({e->id, e->visible, e->visible});
  members_ = scene.showGroup(group, shown);
  for (Shown& s : before)
    if (const Entity* e = scene.find(s.id); e && e->visible != s.before)
      shown_.push_back({s.id, s.before, e->visible});
}

void GroupVisibility::put(Scene& scene, bool after) const {
  for (const Shown& s : shown_)
    if (Entity* e = scene.find(s.id)) e->visible = after ? s.after : s.before;
}

}  // namespace tessel::studio::edit
