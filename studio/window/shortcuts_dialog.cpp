#include "studio/window/shortcuts_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "studio/host/studio_host.h"
#include "studio/window/key_names.h"

namespace tessel::studio {

ShortcutsDialog::ShortcutsDialog(const StudioHost& host,
                                 const std::function<QString(std::uint32_t)>& commandName,
                                 const QList<QPair<QString, QString>>& own, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Keyboard Shortcuts");
  const auto& keys = host.frame().accelerators();
  const int moduleRows = static_cast<int>(keys.size());
  table_ = new QTableWidget(moduleRows + static_cast<int>(own.size()), 2, this);
  table_->setHorizontalHeaderLabels({"Keys", "Command"});
  table_->verticalHeader()->hide();
  // Rows as tall as their text: thirty keys fit a laptop's screen without scrolling.
  table_->verticalHeader()->setMinimumSectionSize(table_->fontMetrics().height() + 4);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int row = 0; row < static_cast<int>(keys.size()); ++row) {
    table_->setItem(row, 0, new QTableWidgetItem(keyText(keys[row])));
    table_->setItem(row, 1, new QTableWidgetItem(commandName(keys[row].commandId)));
  }
  for (int i = 0; i < own.size(); ++i) {
    table_->setItem(moduleRows + i, 0, new QTableWidgetItem(own[i].first));
    table_->setItem(moduleRows + i, 1, new QTableWidgetItem(own[i].second));
  }
  table_->sortItems(1);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->resizeColumnsToContents();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  // Tall enough for every row, up to most of the screen; the table scrolls beyond that.
  int rowsHeight = table_->horizontalHeader()->height() + 2 * table_->frameWidth();
  for (int r = 0; r < table_->rowCount(); ++r) rowsHeight += table_->rowHeight(r);
  const int available = screen() ? screen()->availableGeometry().height() * 4 / 5 : 800;
  resize(std::max(420, table_->horizontalHeader()->length() + 40),
         std::min(available, rowsHeight + buttons->sizeHint().height() + 40));
}

}  // namespace tessel::studio
