#include "studio/window/command_button.h"

#include <QMouseEvent>

namespace tessel::studio {

CommandButton::CommandButton(std::uint32_t id, QWidget* parent) : QToolButton(parent), id_(id) {
  // The icon alone; its name is in the tooltip. A command without an icon shows its name.
  setToolButtonStyle(Qt::ToolButtonIconOnly);
  setAutoRaise(true);
}

void CommandButton::mousePressEvent(QMouseEvent* event) {
  modifiers_ = event->modifiers();
  QToolButton::mousePressEvent(event);
}

void CommandButton::mouseReleaseEvent(QMouseEvent* event) {
  // Clicked is emitted inside the release: the keys of this event are the ones that count.
  modifiers_ = event->modifiers();
  QToolButton::mouseReleaseEvent(event);
}

}  // namespace tessel::studio
