// The accelerator table's virtual keys as the toolkit's keys, and their names for people.
#pragma once

#include <QKeySequence>
#include <QString>

#include "studio/host/studio_host.h"

namespace tessel::studio {

// Empty when the key has no counterpart.
QKeySequence keySequenceOf(const Accelerator& accelerator);
// "Ctrl+A", "W", "Right".
QString keyText(const Accelerator& accelerator);

}  // namespace tessel::studio
