// What the selection commands share: the "selection changed" broadcast after every change.
#pragma once

#include "framework/omCommandBase.h"
#include "host/omApplication.h"
#include "host/om_codes.h"

namespace tessel::selection {

inline void notifySelectionChanged(framework::omCommandBase& command) {
  omApplication* app = command.GetApplication();
  if (!app) return;
  omEvent event;
  event.code = om::kNotifySelectionChanged;
  app->Notify(&event, nullptr);
}

}  // namespace tessel::selection
