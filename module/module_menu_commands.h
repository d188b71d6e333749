// The menu and toolbar commands the module handles itself rather than through a tool or command:
// light display and selection, directional lights, coordinate systems and the screen grid.
#pragma once

#include "platform/CCmdTarget.h"

class omApplication;

namespace tessel::module {

class ModuleMenuCommands {
 public:
  void ToggleLightDisplay(omApplication& app);
  void SelectLights(omApplication& app);
  // Shows the light-limit message box when every light slot is taken.
  void CreateDirectionalLight(omApplication& app);
  void SelectCoordSys(omApplication& app);
  void NewCoordSys(omApplication& app);
  void ToggleGrid(omApplication& app);

  // Update handlers.
  static void UpdateLightDisplay(omApplication& app, platform::CCmdUI& ui);
  // Checked while the object filter's entry is `name`, enabled while the filter has one.
  static void UpdateSelectMask(omApplication& app, const char* name, platform::CCmdUI& ui);
  static void UpdateGrid(omApplication& app, platform::CCmdUI& ui);

  bool lightsShown() const { return lightsShown_; }

 private:
  bool lightsShown_ = false;
};

}  // namespace tessel::module
