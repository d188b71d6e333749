#include "scene/omCmdLightDelete.h"

#include <string>

#include "host/om_codes.h"
#include "scene/delete_command.h"

namespace tessel::scene {

bool omCmdLightDelete::CanExecute() { return canRunDelete(*this, om::kMaskLights); }

std::int32_t omCmdLightDelete::Execute(omProgress* progress, omCommandData*) {
  const DeleteTargets done = deleteSelected(*this, om::kEntityLight, /*refuseGlobal=*/false);
  if (!done.ran || !progress) return om::kExecuteRan;
  // Only what went is reported: a selection without a light deletes nothing and says nothing.
  const std::size_t n = done.targets.size();
  std::string text;
  if (n == 1)
    text = "Object deleted.";
  else if (n > 1)
    text = std::to_string(n) + " objects deleted.";
  progress->SetMessage(text.c_str(), 0);
  return om::kExecuteRan;
}

}  // namespace tessel::scene
