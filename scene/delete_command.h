// What the three delete commands share: when they may run, the targets of one run, and the
// brackets and notices around the deletion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/omCommandBase.h"

class omEntity;
class omEntityList;
class omMainView;

namespace tessel::scene {

// One entity to delete, with the owner DeleteEntity is told of (null unless the owner is an
// om::kEntityDeletedOwner). The owner is read while gathering: once a deletion has begun, an
// owner may be one of the entities already gone.
struct DeleteTarget {
  omEntity* entity;
  omEntity* owner;
};

struct DeleteTargets {
  std::vector<DeleteTarget> targets;
  bool globalRefused = false;  // the global coordinate system was among the selection
  bool ran = false;            // false: component mode (or no main view), nothing changed
};

// The selected entities of `type`, in selection order and each once; `global` (which may be
// null) is never a target, only noted.
DeleteTargets gatherDeleteTargets(omEntityList& selection, std::uint32_t type, omEntity* global);

// Not busy, deletion allowed, the object filter on exactly `mask`, and something selected.
bool canRunDelete(framework::omCommandBase& command, std::uint32_t mask);

// Deletes the selected entities of `type` in object mode: the selection is cleared first, then
// each target goes; answers what was gathered (nothing in component mode).
DeleteTargets deleteSelected(framework::omCommandBase& command, std::uint32_t type,
                             bool refuseGlobal);

// The end of every delete run: interaction closed, lock and bracket released, manipulator and
// views brought up to date, selection change announced.
void finishDelete(framework::omCommandBase& command, omMainView& main);

}  // namespace tessel::scene
