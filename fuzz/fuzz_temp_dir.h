// A folder of the fuzz run's own, removed when the process ends. In memory (/dev/shm) where the
// machine has it: every input is written to a file, and settings writes sync theirs, which on a
// disk shared with builds can take longer than the fuzzer's timeout.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace tessel::fuzz {

inline const std::filesystem::path& tempDir() {
  static const std::filesystem::path dir = [] {
    const bool shm = ::access("/dev/shm", W_OK | X_OK) == 0;
    std::string pattern = shm ? "/dev/shm/tessel-fuzz-XXXXXX" : "/tmp/tessel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
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
