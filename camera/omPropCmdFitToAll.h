// The panel of "View All": one switch, "All Views", copied into the command's record when the
// command runs from the panel.
#pragma once

#include "framework/omPropCmd.h"
#include "host/omApplication.h"
#include "platform/host_services.h"
#include "platform/omPAT_Bool.h"

namespace tessel::camera {

class omPropCmdFitToAll : public framework::omPropCmd {
 public:
  explicit omPropCmdFitToAll(const char* targetName);
  void Activate() override;

 protected:
  bool allViews() { return static_cast<platform::omPAT_Bool&>(GetAttrib(allViewsAttrib_)).GetValue(); }
  // Runs the panel's command with a fresh record of type Record carrying the switch.
  template <class Record>
  void runWithSwitch() {
    runWithRecord<Record>([this](Record& record) {
      record.allViews = allViews();
      return true;
    });
  }

 private:
  int allViewsAttrib_;
};

}  // namespace tessel::camera
