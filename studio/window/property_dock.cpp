#include "studio/window/property_dock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/omPAT_Float.h"
#include "platform/omPAT_Int.h"
#include "platform/omPropertyObj.h"
#include "studio/host/panel_manager.h"

namespace tessel::studio {

using platform::AttribKind;
using platform::omPropAttribType;

PropertyDock::PropertyDock(PanelManager& panels, std::function<void(const QString&)> problem,
                           QWidget* parent)
    : QDockWidget("Properties", parent), panels_(panels), problem_(std::move(problem)) {
  setObjectName("properties");
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
              QDockWidget::DockWidgetClosable);
  body_ = new QWidget(this);
  auto* column = new QVBoxLayout(body_);
  title_ = new QLabel("No panel shown: Shift+click a toolbar button, or its arrow.", body_);
  title_->setWordWrap(true);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  column->addWidget(title_);
  note_ = new QLabel("Inactive: its tool is not current. Click the tool's button to use this panel.",
                     body_);
  note_->setObjectName("inactive-note");
  note_->setWordWrap(true);
  note_->setEnabled(false);
  note_->hide();
  column->addWidget(note_);
  form_ = new QFormLayout;
  column->addLayout(form_);
  apply_ = new QPushButton("Apply", body_);
  apply_->setEnabled(false);
  connect(apply_, &QPushButton::clicked, this, [this] {
    if (!panel_) return;
    const std::string error = panels_.apply(*panel_);
    if (!error.empty() && problem_) problem_(QString::fromStdString(error));
    refreshValues();
  });
  column->addWidget(apply_);
  column->addStretch(1);
  setWidget(body_);
  setMinimumWidth(240);
}

void PropertyDock::sync() {
  if (panels_.shownPanel() != panel_) {
    panel_ = panels_.shownPanel();
    rebuild();
  } else {
    refreshValues();
  }
}

QWidget* PropertyDock::editor(const QString& name) const {
  if (!panel_) return nullptr;
  for (int i = 0; i < panel_->GetNumAttribs() && i < static_cast<int>(editors_.size()); ++i)
    if (name == QString::fromUtf8(panel_->GetAttribName(i))) return editors_[i];
  return nullptr;
}

void PropertyDock::edit(int index, const QString& text) {
  if (refreshing_ || !panel_) return;
  const std::string error =
      panels_.edit(*panel_, panel_->GetAttribName(index), text.toStdString());
  if (!error.empty() && problem_) problem_(QString::fromStdString(error));
  // The module may enable, disable or change other attributes in answer.
  refreshValues();
}

void PropertyDock::rebuild() {
  while (form_->rowCount() > 0) form_->removeRow(0);
  editors_.clear();
  apply_->setEnabled(panel_ != nullptr);
  apply_->setVisible(!panel_ || PanelManager::ownApply(*panel_) < 0);
  if (!panel_) {
    title_->setText("No panel shown: Shift+click a toolbar button, or its arrow.");
    note_->hide();
    return;
  }
  title_->setText(QString::fromUtf8(panel_->GetName()));
  for (int i = 0; i < panel_->GetNumAttribs(); ++i) {
    omPropAttribType& a = panel_->GetAttrib(i);
    const QString name = QString::fromUtf8(a.GetAttribName());
    QWidget* editor = nullptr;
    switch (a.GetKind()) {
      case AttribKind::Int: {
        auto* spin = new QSpinBox(body_);
        int min = 0, max = 0, step = 1;
        // The kind says which attribute class it is; the module's classes are this library's.
        static_cast<platform::omPAT_Int&>(a).GetNumRange(min, max, step);
        spin->setRange(min, max);
        spin->setSingleStep(step > 0 ? step : 1);
        spin->setKeyboardTracking(false);
        connect(spin, &QSpinBox::valueChanged, this,
                [this, i](int v) { edit(i, QString::number(v)); });
        editor = spin;
        break;
      }
      case AttribKind::Choice: {
        auto* combo = new QComboBox(body_);
        for (int c = 0; c < a.GetChoiceCount(); ++c) combo->addItem(QString::fromUtf8(a.GetChoice(c)));
        connect(combo, &QComboBox::activated, this,
                [this, i, combo](int) { edit(i, combo->currentText()); });
        editor = combo;
        break;
      }
      case AttribKind::Float: {
        auto* line = new QLineEdit(body_);
        float min = 0, max = 0, step = 0;
        static_cast<platform::omPAT_Float&>(a).GetNumRange(min, max, step);
        auto* validator = new QDoubleValidator(line);
        if (max >= min) validator->setRange(min, max, 6);
        validator->setNotation(QDoubleValidator::StandardNotation);
        validator->setLocale(QLocale::c());
        line->setToolTip(max >= min ? QString("%1 to %2").arg(min).arg(max) : QString());
        connect(line, &QLineEdit::editingFinished, this,
                [this, i, line] { edit(i, line->text()); });
        editor = line;
        break;
      }
      case AttribKind::Bool: {
        auto* box = new QCheckBox(body_);
        connect(box, &QCheckBox::toggled, this,
                [this, i](bool on) { edit(i, on ? "true" : "false"); });
        editor = box;
        break;
      }
      case AttribKind::Button: {
        auto* button = new QPushButton(name, body_);
        connect(button, &QPushButton::clicked, this, [this, i] { edit(i, QString()); });
        editor = button;
        break;
      }
    }
    editor->setObjectName(name);
    editors_.push_back(editor);
    form_->addRow(a.GetKind() == AttribKind::Button ? QString() : name, editor);
  }
  refreshValues();
}

bool PropertyDock::editable(int i) const {
  return !panels_.shownInactive() && panel_->IsAttribEnabled(i) && panel_->GetAttrib(i).IsCtrlEnabled() &&
         !panel_->IsAttribCtrlReadOnly(i);
}

void PropertyDock::followEnabled() {
  if (!panel_ || panels_.shownPanel() != panel_) return;
  for (int i = 0; i < panel_->GetNumAttribs() && i < static_cast<int>(editors_.size()); ++i)
    editors_[i]->setEnabled(editable(i));
  showActivity();
}

void PropertyDock::showActivity() {
  const bool inactive = panels_.shownInactive();
  const QString name = QString::fromUtf8(panel_->GetName());
  title_->setText(inactive ? name + " (inactive)" : name);
  title_->setEnabled(!inactive);
  note_->setVisible(inactive);
  apply_->setEnabled(!inactive);
}

void PropertyDock::refreshValues() {
  if (!panel_ || panels_.shownPanel() != panel_) return;
  refreshing_ = true;
  for (int i = 0; i < panel_->GetNumAttribs() && i < static_cast<int>(editors_.size()); ++i) {
    omPropAttribType& a = panel_->GetAttrib(i);
    QWidget* e = editors_[i];
    const QString value = QString::fromStdString(PanelManager::valueText(a));
    e->setEnabled(editable(i));
    if (auto* spin = qobject_cast<QSpinBox*>(e)) spin->setValue(value.toInt());
    else if (auto* combo = qobject_cast<QComboBox*>(e)) combo->setCurrentText(value);
    else if (auto* line = qobject_cast<QLineEdit*>(e)) {
      if (!line->hasFocus()) line->setText(value);
    } else if (auto* box = qobject_cast<QCheckBox*>(e)) {
      box->setChecked(value == "true" || value == "1" || value == "Yes" || value == "yes");
    }
  }
  showActivity();
  refreshing_ = false;
}

}  // namespace tessel::studio
