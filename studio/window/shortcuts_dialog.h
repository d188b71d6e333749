// Help > Keyboard Shortcuts: every accelerator the module registered, with its command's name.
#pragma once

#include <QDialog>

#include <functional>

class QTableWidget;

namespace tessel::studio {

class StudioHost;

class ShortcutsDialog final : public QDialog {
 public:
  ShortcutsDialog(const StudioHost& host, const std::function<QString(std::uint32_t)>& commandName,
                  QWidget* parent = nullptr);
  QTableWidget* table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace tessel::studio
