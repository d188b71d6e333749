// A per-user settings file in place of the registry hive: keys are backslash paths
// ("software\Tessel\Studio\modules\Tessel"), each holding named int, bool or float values.
// Every write takes a lock beside the file, rereads it, applies only the values it was given and
// replaces the file atomically: a crash mid-write loses nothing, and two processes each keep the
// values they changed, never writing back the other's stale ones. A file that is a symbolic link
// stays one: the file it leads to is replaced, there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace tessel::platform {

// $XDG_CONFIG_HOME/tessel/registry.json, or ~/.config/tessel/registry.json.
std::filesystem::path userSettingsPath();

class SettingsStore {
 public:
  // A file beyond these is treated as corrupt: no settings file of ours comes near them, and the
  // parser would recurse once per nesting level.
  static constexpr std::uintmax_t kMaxBytes = 4u << 20;
  static constexpr int kMaxDepth = 32;

  explicit SettingsStore(std::filesystem::path file);

  // The value, or nullopt when the key, the value or the whole file is missing or unreadable.
  std::optional<nlohmann::json> read(const std::string& key, const std::string& name) const;
  // False when the file cannot be written; the file on disk then stays as it was, and the first
  // failure in a process says why on stderr.
  bool write(const std::string& key, const std::string& name, const nlohmann::json& value) const;
  bool writeAll(const std::string& key, const nlohmann::json& values) const;

  const std::filesystem::path& file() const { return file_; }

 private:
  enum class Loaded { Ok, Missing, SetAside, Stuck };
  // A file that does not parse (or is too large or too deep) is moved aside to FILE.corrupt, or
  // FILE.corrupt.2 and so on when that name is taken, and said once on stderr. When it cannot be
  // moved it is left alone (Stuck) and never written over.
  Loaded load(nlohmann::json& root) const;
  // Empty on success, else why the file could not be replaced.
  std::string store(const nlohmann::json& root) const;

  std::filesystem::path file_;
};

}  // namespace tessel::platform
