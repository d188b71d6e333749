// The dockable panel window: shows the panel the module last showed, with an editor for each
// attribute (a spin box for a number in a range, a list for choices, a field for a float, a
// check box, a button), each enabled as the module sets it, and Apply unless the panel has its
// own. A tool's panel whose tool is not current says so, and nothing in it can be pressed.
#pragma once

#include <QDockWidget>

#include <functional>
#include <vector>

class QFormLayout;
class QLabel;
class QPushButton;

namespace tessel::platform {
class omPropertyObj;
}

namespace tessel::studio {

class PanelManager;

class PropertyDock final : public QDockWidget {
 public:
  // `problem` is told what went wrong with an edit (a value out of range, say).
  PropertyDock(PanelManager& panels, std::function<void(const QString&)> problem,
               QWidget* parent = nullptr);

  // Shows the panel the manager shows now, rebuilding the editors when it changed.
  void sync();
  // The editors show the attributes' values and enable state again.
  void refreshValues();
  // The editors follow the enable state alone (the idle update pass changes it: a tool's panel
  // is live only while its tool is active), leaving what is being typed alone.
  void followEnabled();
  platform::omPropertyObj* panel() const { return panel_; }
  // The panel window's Apply: hidden when the panel has an "Apply" of its own.
  QPushButton* applyButton() const { return apply_; }
  // The line saying the panel is inactive, shown only then.
  QLabel* inactiveNote() const { return note_; }
  // The editor of attribute `name`, null when the panel has none.
  QWidget* editor(const QString& name) const;

 private:
  void rebuild();
  void edit(int index, const QString& text);
  // Whether attribute i takes edits now: enabled itself, its control enabled, not read-only.
  bool editable(int i) const;
  // The note, the title and Apply follow whether the panel is the shown, inactive one.
  void showActivity();

  PanelManager& panels_;
  std::function<void(const QString&)> problem_;
  platform::omPropertyObj* panel_ = nullptr;
  QWidget* body_ = nullptr;
  QFormLayout* form_ = nullptr;
  QLabel* title_ = nullptr;
  QLabel* note_ = nullptr;
  QPushButton* apply_ = nullptr;
  std::vector<QWidget*> editors_;
  bool refreshing_ = false;
};

}  // namespace tessel::studio
