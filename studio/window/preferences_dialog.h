// Edit > Preferences: Studio's own preferences (studio/host/preferences.h) as a person sets them.
// The dialog only edits a copy; the window hands the result to the host, which takes and keeps it.
#pragma once

#include <QDialog>

#include "studio/host/preferences.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace tessel::studio {

class PreferencesDialog final : public QDialog {
 public:
  explicit PreferencesDialog(const Preferences& current, QWidget* parent = nullptr);
  // What the fields hold now.
  Preferences chosen() const;

 private:
  void fill(const Preferences& p);
  // A swatch button that asks for a colour when pressed.
  QPushButton* swatch(const char* name, const QString& title, Rgb Palette::*colour);
  void paintSwatch(QPushButton* button, const Rgb& colour);

  Preferences edited_;  // the colours live here between the swatches' dialogs
  QComboBox* navigation_ = nullptr;
  QCheckBox* wheel_ = nullptr;
  QSpinBox* historyMB_ = nullptr;
  QSpinBox* movingFrameMs_ = nullptr;
  QPushButton* background_ = nullptr;
  QPushButton* objectColour_ = nullptr;
  QPushButton* selectionColour_ = nullptr;
};

}  // namespace tessel::studio
