// The module's 32 x 32 AND/XOR cursors as the toolkit's cursors.
#pragma once

#include <QCursor>

#include "host/omCursor.h"

namespace tessel::studio {

// AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 XOR 0 transparent, AND 1 XOR 1 inverting (where
// the window system can; elsewhere it shows black).
QCursor cursorFromMasks(const omCursor& cursor);

}  // namespace tessel::studio
