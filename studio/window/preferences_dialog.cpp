#include "studio/window/preferences_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tessel::studio {
namespace {

QColor toQColor(const Rgb& c) { return QColor(c[0], c[1], c[2]); }

}  // namespace

PreferencesDialog::PreferencesDialog(const Preferences& current, QWidget* parent)
    : QDialog(parent), edited_(current) {
  setWindowTitle("Preferences");
  setObjectName("preferences");
  auto* layout = new QVBoxLayout(this);

  auto* mouse = new QGroupBox("Mouse", this);
  auto* mouseForm = new QFormLayout(mouse);
  navigation_ = new QComboBox(mouse);
  navigation_->setObjectName("navigation");
  navigation_->addItem("Tessel: ALT with the mouse buttons");
  navigation_->addItem("Middle button orbits");
  mouseForm->addRow("&Navigation:", navigation_);
  auto* hint = new QLabel(
      "Middle button orbits: a middle drag tumbles, SHIFT+middle pans, CTRL+middle dollies,\n"
      "under every tool but the camera tools; a middle click still clears a selection.\n"
      "ALT with the mouse buttons navigates in either.",
      mouse);
  hint->setForegroundRole(QPalette::PlaceholderText);  // a note, not a field
  mouseForm->addRow(hint);
  wheel_ = new QCheckBox("The &wheel zooms towards the point under the cursor", mouse);
  wheel_->setObjectName("wheelTowardsCursor");
  mouseForm->addRow(wheel_);
  layout->addWidget(mouse);

  auto* undo = new QGroupBox("Undo", this);
  auto* undoForm = new QFormLayout(undo);
  historyMB_ = new QSpinBox(undo);
  historyMB_->setObjectName("historyMB");
  historyMB_->setRange(static_cast<int>(kHistoryMBMin), static_cast<int>(kHistoryMBMax));
  historyMB_->setSuffix(" MB");
  historyMB_->setToolTip("The oldest steps are let go beyond it; the next step to undo is kept.");
  undoForm->addRow("&Memory for undo:", historyMB_);
  layout->addWidget(undo);

  auto* drawing = new QGroupBox("Drawing", this);
  auto* drawingForm = new QFormLayout(drawing);
  movingFrameMs_ = new QSpinBox(drawing);
  movingFrameMs_->setObjectName("movingFrameMs");
  movingFrameMs_->setRange(static_cast<int>(kMovingFrameMsMin), static_cast<int>(kMovingFrameMsMax));
  movingFrameMs_->setSuffix(" ms");
  movingFrameMs_->setToolTip(
      "While the camera moves, a large scan is drawn in as much detail as fits in this time.");
  drawingForm->addRow("&Frame time while moving:", movingFrameMs_);
  layout->addWidget(drawing);

  auto* colours = new QGroupBox("Colours", this);
  auto* colourForm = new QFormLayout(colours);
  background_ = swatch("background", "Background", &Palette::background);
  objectColour_ = swatch("objectColour", "Selected objects", &Palette::selectedObject);
  selectionColour_ = swatch("selectionColour", "Selected components", &Palette::selection);
  colourForm->addRow("&Background:", background_);
  colourForm->addRow("Selected &objects:", objectColour_);
  colourForm->addRow("Selected &components:", selectionColour_);
  layout->addWidget(colours);

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
          [this] { fill(Preferences{}); });
  layout->addWidget(buttons);
  fill(current);
}

QPushButton* PreferencesDialog::swatch(const char* name, const QString& title,
                                       Rgb Palette::*colour) {
  auto* button = new QPushButton(this);
  button->setObjectName(name);
  button->setMinimumWidth(120);
  connect(button, &QPushButton::clicked, this, [this, button, title, colour] {
    const QColor picked =
        QColorDialog::getColor(toQColor(edited_.colours.*colour), this, title);
    if (!picked.isValid()) return;  // cancelled
    edited_.colours.*colour = {static_cast<std::uint8_t>(picked.red()),
                               static_cast<std::uint8_t>(picked.green()),
                               static_cast<std::uint8_t>(picked.blue())};
    paintSwatch(button, edited_.colours.*colour);
  });
  return button;
}

void PreferencesDialog::paintSwatch(QPushButton* button, const Rgb& colour) {
  const QColor c = toQColor(colour);
  // The text stays readable on a light or a dark swatch.
  const char* ink = c.lightnessF() > 0.55 ? "black" : "white";
  button->setText(QString::fromStdString(colourText(colour)));
  button->setStyleSheet(QString("QPushButton { background: %1; color: %2; }").arg(c.name(), ink));
}

void PreferencesDialog::fill(const Preferences& p) {
  edited_ = p;
  navigation_->setCurrentIndex(p.navigation == Navigation::Tessel ? 0 : 1);
  wheel_->setChecked(p.wheelTowardsCursor);
  historyMB_->setValue(static_cast<int>(p.historyMB));
  movingFrameMs_->setValue(static_cast<int>(p.movingFrameMs));
  paintSwatch(background_, p.colours.background);
  paintSwatch(objectColour_, p.colours.selectedObject);
  paintSwatch(selectionColour_, p.colours.selection);
}

Preferences PreferencesDialog::chosen() const {
  Preferences p = edited_;
  p.navigation =
      navigation_->currentIndex() == 0 ? Navigation::Tessel : Navigation::MiddleButtonOrbits;
  p.wheelTowardsCursor = wheel_->isChecked();
  p.historyMB = static_cast<std::uint32_t>(historyMB_->value());
  p.movingFrameMs = static_cast<std::uint32_t>(movingFrameMs_->value());
  return p;
}

}  // namespace tessel::studio
