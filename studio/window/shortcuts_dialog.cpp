#include "studio/window/shortcuts_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "studio/host/studio_host.h"
#include "studio/window/key_names.h"

namespace tessel::studio {

ShortcutsDialog::ShortcutsDialog(const StudioHost& host,
                                 const std::function<QString(std::uint32_t)>& commandName,
                                 QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Keyboard Shortcuts");
  const auto& keys = host.frame().accelerators();
  table_ = new QTableWidget(static_cast<int>(keys.size()), 2, this);
  table_->setHorizontalHeaderLabels({"Keys", "Command"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int row = 0; row < static_cast<int>(keys.size()); ++row) {
    table_->setItem(row, 0, new QTableWidgetItem(keyText(keys[row])));
    table_->setItem(row, 1, new QTableWidgetItem(commandName(keys[row].commandId)));
  }
  table_->sortItems(1);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->resizeColumnsToContents();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  resize(420, 360);
}

}  // namespace tessel::studio
