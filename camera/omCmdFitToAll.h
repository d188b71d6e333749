// "View All": frames every object in the current view, or in all views, as the record says. The
// framing is the main view's.
#pragma once

#include "framework/omCommandBase.h"
#include "host/omCommand.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::camera {

struct omCmdFitToAllData : omCommandData {
  bool allViews = false;
};

class omCmdFitToAll : public framework::omCommandBase {
 public:
  const char* GetName() override { return "View All"; }
  omCommandData* CreateData(std::int32_t) override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

// The run shared by the fit commands: frame through one of the main view's two operations,
// update the views and say what was done.
template <class Record>
std::int32_t runFit(framework::omCommandBase& command, omProgress* progress, omCommandData* data,
                    void (omMainView::*allViews)(), void (omMainView::*oneView)(),
                    const char* allText, const char* oneText) {
  auto* record = dynamic_cast<Record*>(data);
  const bool all = record && record->allViews;
  if (omMainView* view = command.GetMainView()) (view->*(all ? allViews : oneView))();
  if (all)
    command.UpdateAllViews();
  else
    command.UpdateCurrentView();
  if (progress) progress->SetMessage(all ? allText : oneText, 0);
  return om::kExecuteRan;
}

}  // namespace tessel::camera
