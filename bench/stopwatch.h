// Wall time within one iteration, so that a path and its baseline are timed side by side.
#pragma once

#include <chrono>

namespace tessel::bench {

using Clock = std::chrono::steady_clock;

inline double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace tessel::bench
