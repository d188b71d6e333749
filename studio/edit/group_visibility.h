// A group shown or hidden with its members. The recorder keeps no visibility for coordinate
// systems (their panels show and hide them as they come and go), so the group's step holds
// what each member showed before and after.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/edit/history.h"
#include "studio/scene/scene.h"

namespace tessel::studio::edit {

class GroupVisibility final : public Change {
 public:
  // Shows or hides `group` in `scene` and keeps what that changed; the group's member count.
  GroupVisibility(Scene& scene, EntityGroup& group, bool shown);
  int members() const { return members_; }

  void undo(Scene& scene) override { put(scene, false); }
  void redo(Scene& scene) override { put(scene, true); }
  std::size_t bytes() const override { return sizeof(*this) + shown_.capacity() * sizeof(Shown); }
  bool changesFlags() const override { return false; }

 private:
  struct Shown {
    std::uint32_t id;
    bool before, after;
  };
  void put(Scene& scene, bool after) const;

  std::vector<Shown> shown_;
  int members_ = 0;
};

}  // namespace tessel::studio::edit
