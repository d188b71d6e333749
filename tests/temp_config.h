// Temporary folders for one test, one of them standing in for the per-user settings folder.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace tessel::test {

// The whole of a file, byte for byte ("" when it cannot be read).
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder that goes away with the test.
struct TempDir {
  std::filesystem::path path;
  TempDir() {
    char pattern[] = "/tmp/tessel-test-XXXXXX";
    path = ::mkdtemp(pattern);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::filesystem::path write(const std::string& name, const std::string& text) const {
    std::ofstream(path / name, std::ios::binary) << text;
    return path / name;
  }
};

struct TempConfig {
  std::filesystem::path dir;
  std::string previous;
  bool hadPrevious = false;

  TempConfig() {
    char pattern[] = "/tmp/tessel-config-XXXXXX";
    dir = ::mkdtemp(pattern);
    if (const char* p = std::getenv("XDG_CONFIG_HOME")) {
      previous = p;
      hadPrevious = true;
    }
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  }
  ~TempConfig() {
    if (hadPrevious)
      ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  TempConfig(const TempConfig&) = delete;
  TempConfig& operator=(const TempConfig&) = delete;
};

}  // namespace tessel::test
