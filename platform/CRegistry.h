// Registry access over the per-user settings file. Keys are backslash paths below a root.
#pragma once

#include <cstdint>
#include <string>

#include "platform/settings_store.h"

namespace tessel::platform {

enum class HKEY { CurrentUser };
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

class CRegistry {
 public:
  explicit CRegistry(HKEY root);

  // Nonzero on success; an empty path is refused.
  int CreateKey(const std::string& path, std::uint32_t options, std::uint32_t access);
  int OpenKey(const std::string& path);
  // Nonzero when the value exists and has that type.
  int Read(const std::string& name, int& value) const;
  int Read(const std::string& name, bool& value) const;
  // Nonzero on success.
  int Write(const std::string& name, int value) const;
  int Write(const std::string& name, bool value) const;
  void CloseKey();

 private:
  SettingsStore store_;
  std::string key_;
};

}  // namespace tessel::platform
