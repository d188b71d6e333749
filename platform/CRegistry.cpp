#include "platform/CRegistry.h"

namespace tessel::platform {

CRegistry::CRegistry(HKEY) : store_(userSettingsPath()) {}

int CRegistry::CreateKey(const std::string& path, std::uint32_t, std::uint32_t) {
  return OpenKey(path);
}

int CRegistry::OpenKey(const std::string& path) {
  key_ = path;
  return path.empty() ? 0 : 1;
}

int CRegistry::Read(const std::string& name, int& value) const {
  if (key_.empty()) return 0;
  auto v = store_.read(key_, name);
  if (!v || !v->is_number_integer()) return 0;
  value = v->get<int>();
  return 1;
}

int CRegistry::Read(const std::string& name, bool& value) const {
  if (key_.empty()) return 0;
  auto v = store_.read(key_, name);
  if (!v || !v->is_boolean()) return 0;
  value = v->get<bool>();
  return 1;
}

int CRegistry::Write(const std::string& name, int value) const {
  return !key_.empty() && store_.write(key_, name, value) ? 1 : 0;
}

int CRegistry::Write(const std::string& name, bool value) const {
  return !key_.empty() && store_.write(key_, name, value) ? 1 : 0;
}

void CRegistry::CloseKey() { key_.clear(); }

}  // namespace tessel::platform
