// The toolbar update pass: while the application is idle every button asks the command target
// that handles its ID whether it is enabled and checked, and the answer is kept in the toolbar's
// button state, as a command routing framework does for its toolbars. Toolkit-free: the script
// mode runs it after every line, and a window draws its buttons from the states it leaves.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/CCmdTarget.h"
#include "platform/CToolBar.h"

namespace tessel::studio {

// Brings the enabled and checked bits of every button of `bar` up to date through `module`'s
// CN_UPDATE_COMMAND_UI; a button nobody answers for keeps its state.
void updateToolbar(platform::CToolBar& bar, platform::CCmdTarget* module);

// Whether `id` starts a tool: a tool's button shows whether its tool is current (its update sets
// a check mark either way); a command's does not.
bool isToolButton(platform::CCmdTarget* module, std::uint32_t id);

// Whether the tool that `id` starts is current (its button checked); nothing when `id` starts no
// tool.
std::optional<bool> toolCurrent(platform::CCmdTarget* module, std::uint32_t id);

}  // namespace tessel::studio
