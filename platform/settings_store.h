// A per-user settings file in place of the registry hive: keys are backslash paths
// ("software\Tessel\Studio\modules\Tessel"), each holding named int, bool or float values.
// Every write rereads the file and replaces it atomically, so a crash mid-write loses nothing
// and two writers lose at most each other's last value, never the file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace tessel::platform {

// $XDG_CONFIG_HOME/tessel/registry.json, or ~/.config/tessel/registry.json.
std::filesystem::path userSettingsPath();

class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file);

  // The value, or nullopt when the key, the value or the whole file is missing or unreadable.
  std::optional<nlohmann::json> read(const std::string& key, const std::string& name) const;
  // False when the file cannot be written; the old file then stays as it was.
  bool write(const std::string& key, const std::string& name, const nlohmann::json& value) const;
  bool writeAll(const std::string& key, const nlohmann::json& values) const;

  const std::filesystem::path& file() const { return file_; }

 private:
  // A file that does not parse is moved aside to FILE.corrupt (and said once on stderr) rather
  // than overwritten, so the user can still recover what it held.
  nlohmann::json load() const;
  bool store(const nlohmann::json& root) const;

  std::filesystem::path file_;
};

}  // namespace tessel::platform
