// How toolbars wrap into rows across the window's width, so that no bar is cut short and folds
// its last buttons (a filter combo, say) into an overflow menu where nobody finds them.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace tessel::studio {

// widths: the width each bar needs, in its order (0 for a hidden bar, which takes no room);
// room: the width of a row. The bars that start a new row, in order (the first bar never does):
// each row takes as many bars as fit, and a bar wider than the room has a row of its own.
std::vector<std::size_t> toolbarRowStarts(std::span<const int> widths, int room);

}  // namespace tessel::studio
