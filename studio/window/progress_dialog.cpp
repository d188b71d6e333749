#include "studio/window/progress_dialog.h"

#include <QCoreApplication>

#include <algorithm>

namespace tessel::studio {

namespace {
constexpr int kScale = 1000;  // the dialog's range; the command's may exceed an int's
}

ProgressDialog::ProgressDialog(const QString& title, QWidget* parent)
    : dialog_(title, "Cancel", 0, kScale, parent) {
  dialog_.setWindowTitle(title);
  dialog_.setWindowModality(Qt::WindowModal);
  dialog_.setMinimumDuration(400);  // quick runs never flash a dialog
  dialog_.setAutoClose(false);
  dialog_.setAutoReset(false);
  dialog_.setValue(0);
}

void ProgressDialog::SetRange(std::int32_t total) {
  total_ = std::max<std::int32_t>(total, 0);
  done_ = 0;
  dialog_.setValue(0);
}

void ProgressDialog::Step(std::int32_t count) {
  if (count > 0) done_ += count;
  if (total_ > 0)
    dialog_.setValue(static_cast<int>(std::min<std::int64_t>(done_ * kScale / total_, kScale)));
  QCoreApplication::processEvents();
}

void ProgressDialog::Finish() {
  dialog_.setValue(kScale);
  // Hidden, not closed: closing the dialog counts as pressing Cancel.
  dialog_.hide();
}

bool ProgressDialog::IsCancelled() {
  QCoreApplication::processEvents();
  return dialog_.wasCanceled();
}

void ProgressDialog::SetMessage(const char* text, std::int32_t) {
  dialog_.setLabelText(QString::fromUtf8(text ? text : ""));
}

}  // namespace tessel::studio
