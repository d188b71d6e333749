// A folder of the fuzz run's own under /tmp, removed when the process ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace tessel::fuzz {

inline const std::filesystem::path& tempDir() {
  static const std::filesystem::path dir = [] {
    char pattern[] = "/tmp/tessel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(tempDir(), ec);
    });
    return std::filesystem::path(made);
  }();
  return dir;
}

}  // namespace tessel::fuzz
