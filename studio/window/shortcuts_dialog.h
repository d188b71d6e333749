// Help > Keyboard Shortcuts: every accelerator the module registered, with its command's name, and
// Studio's own keys (Open, Save, Undo...) beside them.
#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class QTableWidget;

namespace tessel::studio {

class StudioHost;

class ShortcutsDialog final : public QDialog {
 public:
  // `own`: Studio's keys and what they do, as (keys, name).
  ShortcutsDialog(const StudioHost& host, const std::function<QString(std::uint32_t)>& commandName,
                  const QList<QPair<QString, QString>>& own = {}, QWidget* parent = nullptr);
  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace tessel::studio
