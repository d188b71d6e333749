// What the module registers with its host: command and tool factories by name, and the property
// panel of each command ID. The module library and the test probe each define their own tables;
// the user-interface resources (menu, toolbars, accelerators) are shared.
#pragma once

#include <cstdint>
#include <new>
#include <span>

#include "host/omModule2.h"

namespace tessel::platform {
class omPropertyObj;
}

namespace tessel::resources {

// Null factory: the tool or command is not built yet; it is neither registered nor given a panel.
struct CommandEntry {
  const char* name;
  omCommandFactory factory;
};

struct ToolEntry {
  const char* name;
  omToolFactory factory;
};

// Builds the panel of the tool or command `targetName`; null when memory is short.
using PanelCreator = platform::omPropertyObj* (*)(const char* targetName);

struct PanelEntry {
  std::uint32_t id;
  PanelCreator create;
  const char* targetName;
  // The command a tool's panel also runs ("Apply"): the panel is made while either is built.
  const char* commandName = nullptr;
};

struct RegistrationTables {
  std::span<const CommandEntry> commands;
  std::span<const ToolEntry> tools;
  std::span<const PanelEntry> panels;
};

// Defined once per module library.
const RegistrationTables& registrationTables();

// True when `name` has a factory in either table, so its panel can be made.
bool hasFactory(const RegistrationTables& tables, const char* name);

}  // namespace tessel::resources

namespace tessel::resources {

// The panel creator of panel class `Panel`, allocated with the property library's operators.
template <class Panel>
platform::omPropertyObj* createPanel(const char* targetName) {
  return new (std::nothrow) Panel(targetName);
}

}  // namespace tessel::resources
