#include "studio/window/window_settings.h"

#include <QFileInfo>

namespace tessel::studio {
namespace {
const char* const kKey = "software\\Tessel\\Studio\\Window";
}

WindowSettings::WindowSettings(std::filesystem::path file) : store_(std::move(file)) {
  if (auto list = store_.read(kKey, "Recent files"); list && list->is_array())
    for (const auto& entry : *list)
      if (entry.is_string() && recent_.size() < kMaxRecent)
        recent_.push_back(QString::fromStdString(entry.get<std::string>()));
}

QByteArray WindowSettings::bytes(const char* name) const {
  auto value = store_.read(kKey, name);
  if (!value || !value->is_string()) return {};
  return QByteArray::fromBase64(QByteArray::fromStdString(value->get<std::string>()));
}

QByteArray WindowSettings::geometry() const { return bytes("Geometry"); }
QByteArray WindowSettings::dockLayout() const { return bytes("Dock layout"); }

QStringList WindowSettings::recentFiles() const {
  QStringList existing;
  for (const QString& f : recent_)
    if (QFileInfo(f).isFile()) existing.push_back(f);
  return existing;
}

std::optional<QStringList> WindowSettings::shownToolbars() const {
  auto list = store_.read(kKey, "Toolbars shown");
  if (!list || !list->is_array()) return std::nullopt;
  QStringList titles;
  for (const auto& entry : *list)
    if (entry.is_string()) titles.push_back(QString::fromStdString(entry.get<std::string>()));
  return titles;
}

bool WindowSettings::save(const QByteArray& geometry, const QByteArray& dockLayout,
                          const QStringList& shownToolbars) const {
  nlohmann::json titles = nlohmann::json::array();
  for (const QString& t : shownToolbars) titles.push_back(t.toStdString());
  return store_.writeAll(kKey, {{"Geometry", geometry.toBase64().toStdString()},
                                {"Dock layout", dockLayout.toBase64().toStdString()},
                                {"Toolbars shown", titles}});
}

bool WindowSettings::addRecent(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  recent_.removeAll(absolute);
  recent_.prepend(absolute);
  while (recent_.size() > kMaxRecent) recent_.removeLast();
  nlohmann::json list = nlohmann::json::array();
  for (const QString& f : recent_) list.push_back(f.toStdString());
  return store_.write(kKey, "Recent files", list);
}

}  // namespace tessel::studio
