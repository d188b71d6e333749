// The menu update pass: before a menu shows (or is printed), every command item asks the command
// target that handles its ID what it looks like now, as a command routing framework asks before it
// draws a menu. Toolkit-free, so the script mode and any window share it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/CCmdTarget.h"

class omMenuItem;

namespace tessel::studio {

// Answers the update of one of the host's own commands (true), or leaves it to the module.
using OwnCommandUpdate = std::function<bool(std::uint32_t id, platform::CCmdUI& ui)>;

// The one rule for a module's command item, in a printed menu and a window alike: its update
// handler decides; without one, the item is enabled exactly when a command handler would run
// (choosing it does something), else disabled.
void updateModuleItem(std::uint32_t id, platform::CCmdTarget* module, platform::CCmdUI& ui);

// Brings every command item below `popup` up to date: the host's own commands through `own`,
// the rest through updateModuleItem. Popups the handlers rebuild are walked as rebuilt.
void updateMenu(omMenuItem& popup, platform::CCmdTarget* module, const OwnCommandUpdate& own);

}  // namespace tessel::studio
