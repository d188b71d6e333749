// "View Selected": frames the selected objects in the current view, or in all views.
#pragma once

#include "camera/omCmdFitToAll.h"

namespace tessel::camera {

struct omCmdFitToSelectedData : omCommandData {
  bool allViews = false;
};

class omCmdFitToSelected : public framework::omCommandBase {
 public:
  const char* GetName() override { return "View Selected"; }
  omCommandData* CreateData(std::int32_t) override;
  // Only with something selected.
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::camera
