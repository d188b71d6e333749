#include "scene/omCmdLightDelete.h"

#include <cstdio>

#include "host/om_codes.h"
#include "scene/delete_command.h"

namespace tessel::scene {

bool omCmdLightDelete::CanExecute() { return canRunDelete(*this, om::kMaskLights); }

std::int32_t omCmdLightDelete::Execute(omProgress* progress, omCommandData*) {
  const DeleteTargets done = deleteSelected(*this, om::kEntityLight, /*refuseGlobal=*/false);
  if (!done.ran || !progress) return om::kExecuteRan;
  // Only what went is reported: a selection without a light deletes nothing and says nothing.
  const std::size_t n = done.targets.size();
  char text[64] = "";
  if (n == 1)
    std::snprintf(text, sizeof text, "Object deleted.");
  else if (n > 1)
    std::snprintf(text, sizeof text, "%i objects deleted.", static_cast<int>(n));
  progress->SetMessage(text, 0);
  return om::kExecuteRan;
}

}  // namespace tessel::scene
