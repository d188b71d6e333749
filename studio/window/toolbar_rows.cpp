#include "studio/window/toolbar_rows.h"

namespace tessel::studio {

std::vector<std::size_t> toolbarRowStarts(std::span<const int> widths, int room) {
  std::vector<std::size_t> starts;
  int used = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (widths[i] <= 0) continue;
    if (used > 0 && used + widths[i] > room) {
      starts.push_back(i);
      used = 0;
    }
    used += widths[i];
  }
  return starts;
}

}  // namespace tessel::studio
