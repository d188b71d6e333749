// How a selection tool's panel reaches its tool: through the host's tool manager, by name or as
// the current tool, checked to be of the panel's tool class (a host may answer a name with a tool
// of another module).
#pragma once

#include "host/omApplication.h"
#include "host/omTool.h"
#include "platform/host_services.h"

namespace tessel::selection {

// The tool named `name` (or, when `current`, the current tool) as a Tool; null otherwise.
template <class Tool>
Tool* panelTool(const char* name, bool current = false) {
  omApplication* app = platform::AfxGetApp()->application;
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  if (!tools) return nullptr;
  return dynamic_cast<Tool*>(current ? tools->GetCurrentTool() : tools->FindTool(name));
}

}  // namespace tessel::selection
