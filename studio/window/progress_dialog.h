// A command's progress as a dialog with a working Cancel: the run stays on the window's thread
// and lets the window handle its events at each step, so the Cancel press is seen at the next.
#pragma once

#include <QProgressDialog>

#include "studio/host/command_manager.h"

namespace tessel::studio {

class ProgressDialog final : public ShownProgress {
 public:
  ProgressDialog(const QString& title, QWidget* parent);
  void SetRange(std::int32_t total) override;
  void Finish() override;
  void Step(std::int32_t count) override;
  bool IsCancelled() override;
  void SetMessage(const char* text, std::int32_t kind) override;

  QProgressDialog& dialog() { return dialog_; }

 private:
  QProgressDialog dialog_;
  std::int64_t total_ = 0, done_ = 0;
};

}  // namespace tessel::studio
