// Where Studio reports what happens: one line per call ("status: ...", "notify: 10", ...).
#pragma once

#include <functional>
#include <string>

namespace tessel::studio {

using Echo = std::function<void(const std::string& line)>;

}  // namespace tessel::studio
