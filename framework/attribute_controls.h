// Keeping a panel's attribute controls in step with whether its tool or command can be used.
#pragma once

#include <cstdint>

#include "platform/omPropertyObj.h"

namespace tessel::framework {

// While the panel is displayed and `on` differs from `lastEnabled` (-1: not yet determined),
// enables each control exactly when `on` holds and the panel has the attribute enabled, and
// remembers `on`. Controls are left alone otherwise, so an unchanged state costs nothing.
void followAvailability(platform::omPropertyObj& panel, std::int32_t& lastEnabled, bool on);

}  // namespace tessel::framework
