#include "scene/omCmdCoordSysDelete.h"

#include <cstdio>
#include <string>

#include "host/om_codes.h"
#include "scene/delete_command.h"

namespace tessel::scene {

bool omCmdCoordSysDelete::CanExecute() { return canRunDelete(*this, om::kMaskCoordSys); }

std::int32_t omCmdCoordSysDelete::Execute(omProgress* progress, omCommandData*) {
  const DeleteTargets done = deleteSelected(*this, om::kEntityCoordSys, /*refuseGlobal=*/true);
  if (!done.ran) return om::kExecuteRan;
  std::string text;
  if (!done.targets.empty()) {
    char count[64];
    std::snprintf(count, sizeof count, "%i%s", static_cast<int>(done.targets.size()),
                  " coordinate system(s) deleted");
    text = count;
  }
  if (done.globalRefused) text += " (Could not delete global coordinate system)";
  if (progress) progress->SetMessage(text.c_str(), 0);
  return om::kExecuteRan;
}

}  // namespace tessel::scene
