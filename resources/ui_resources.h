// The module's user-interface resources: the menu, the toolbars and the accelerator table, found
// by resource ID the way a resource loader finds them in a module file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/CMenu.h"
#include "platform/CToolBar.h"
#include "platform/accelerators.h"

namespace tessel::resources {

// One toolbar the module creates, in creation order.
struct ToolBarEntry {
  std::uint32_t resource;
  const char* caption;
  bool visible;
  // The "Zoom" and "Camera" toolbars are docked only after their buttons are marked.
  bool dockAfterMarking;
};

std::span<const ToolBarEntry> toolBarTable();

// Null when the module has no such resource.
const std::vector<platform::MenuTemplateItem>* findMenu(std::uint32_t id);
const platform::ToolBarTemplate* findToolBar(std::uint32_t id);
const std::vector<platform::ACCEL>* findAccelerators(std::uint32_t id);

}  // namespace tessel::resources
