#include "platform/settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include <unistd.h>

namespace tessel::platform {

namespace fs = std::filesystem;

fs::path userSettingsPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return fs::path(xdg) / "tessel" / "registry.json";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".config" / "tessel" / "registry.json";
}

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

nlohmann::json SettingsStore::load() const {
  std::error_code ec;
  if (!fs::exists(file_, ec)) return nlohmann::json::object();
  std::ifstream in(file_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  nlohmann::json root = nlohmann::json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
  if (in.bad() || root.is_discarded() || !root.is_object()) {
    fs::path aside = file_;
    aside += ".corrupt";
    fs::rename(file_, aside, ec);
    std::fprintf(stderr, "tessel: settings file %s is unreadable; kept as %s, using defaults\n",
                 file_.c_str(), aside.c_str());
    return nlohmann::json::object();
  }
  return root;
}

bool SettingsStore::store(const nlohmann::json& root) const {
  std::error_code ec;
  fs::create_directories(file_.parent_path(), ec);
  fs::path temp = file_;
  temp += ".tmp." + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << root.dump(2) << '\n';
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, file_, ec);
  if (!ec) return true;
  // Removing the temporary must not clear the rename's error: the settings were not saved.
  std::error_code ignored;
  fs::remove(temp, ignored);
  return false;
}

std::optional<nlohmann::json> SettingsStore::read(const std::string& key,
                                                  const std::string& name) const {
  const nlohmann::json root = load();
  auto k = root.find(key);
  if (k == root.end() || !k->is_object()) return std::nullopt;
  auto v = k->find(name);
  if (v == k->end()) return std::nullopt;
  return *v;
}

bool SettingsStore::write(const std::string& key, const std::string& name,
                          const nlohmann::json& value) const {
  return writeAll(key, nlohmann::json{{name, value}});
}

bool SettingsStore::writeAll(const std::string& key, const nlohmann::json& values) const {
  nlohmann::json root = load();
  nlohmann::json& k = root[key];
  if (!k.is_object()) k = nlohmann::json::object();
  for (auto it = values.begin(); it != values.end(); ++it) k[it.key()] = it.value();
  return store(root);
}

}  // namespace tessel::platform
