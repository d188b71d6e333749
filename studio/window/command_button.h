// A toolbar button for a module command: it remembers the keys held when it was clicked, since a
// command opens its panel instead of running when Shift is held.
#pragma once

#include <QToolButton>

#include <cstdint>

namespace tessel::studio {

class CommandButton final : public QToolButton {
 public:
  CommandButton(std::uint32_t id, QWidget* parent = nullptr);
  std::uint32_t commandId() const { return id_; }
  Qt::KeyboardModifiers clickModifiers() const { return modifiers_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::uint32_t id_;
  Qt::KeyboardModifiers modifiers_;
};

}  // namespace tessel::studio
