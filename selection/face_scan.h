// What the face scans (sharp-edge and degenerate collection) share: the progress step that may
// end a scan, and the closing message.
#pragma once

#include <cstdint>
#include <cstdio>

#include "host/omCommand.h"

namespace tessel::selection {

// Advances the progress by one face; false when the user cancelled, which ends the scan.
inline bool stepOrCancel(omProgress* progress) {
  if (!progress) return true;
  if (progress->IsCancelled()) return false;
  progress->Step(1);
  return true;
}

// `countFormat` takes the number of faces found.
inline void finishScan(omProgress* progress, bool cancelled, const char* cancelText,
                       const char* countFormat, std::int32_t count) {
  if (!progress) return;
  progress->Finish();
  if (cancelled) {
    progress->SetMessage(cancelText, 0);
    return;
  }
  char text[128];
  std::snprintf(text, sizeof text, countFormat, count);
  progress->SetMessage(text, 0);
}

}  // namespace tessel::selection
