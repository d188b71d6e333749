#include "studio/window/command_ui.h"

#include <QAbstractButton>
#include <QAction>

namespace tessel::studio {

void CommandUi::applyTo(QAction* action) const {
  action->setEnabled(enabled);
  action->setCheckable(checkSet);
  if (checkSet) action->setChecked(checked);
  if (textSet) {
    // Keep the shortcut shown after the tab.
    const QString old = action->text();
    const qsizetype tab = old.indexOf('\t');
    action->setText(tab < 0 ? text : text + old.mid(tab));
  }
}

void CommandUi::applyTo(QAbstractButton* button) const {
  button->setEnabled(enabled);
  if (checkSet) {
    button->setCheckable(true);
    button->setChecked(checked);
  }
}

}  // namespace tessel::studio
