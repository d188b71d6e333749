// What the window keeps between sessions, beside the module's settings in the same file: its
// geometry, the layout of its toolbars and dock, and the recently opened files. Every write
// replaces the file atomically.
#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

#include "platform/settings_store.h"

namespace tessel::studio {

class WindowSettings {
 public:
  static constexpr int kMaxRecent = 8;

  explicit WindowSettings(std::filesystem::path file);

  QByteArray geometry() const;
  QByteArray dockLayout() const;
  // Files that no longer exist are left out.
  QStringList recentFiles() const;
  // The titles of the toolbars shown when the window last closed; none before it first closed.
  std::optional<QStringList> shownToolbars() const;

  bool save(const QByteArray& geometry, const QByteArray& dockLayout,
            const QStringList& shownToolbars) const;
  // `path` moves to the front of the list; false when the file could not be written.
  bool addRecent(const QString& path);

 private:
  QByteArray bytes(const char* name) const;
  platform::SettingsStore store_;
  QStringList recent_;
};

}  // namespace tessel::studio
