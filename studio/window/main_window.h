// Tessel Studio's main window: the module's menus merged into Studio's File / View / Help, its
// toolbars with their filter combos and panel arrows, its accelerators, the views, the panel
// dock and the status bar, all built from what the module registered with the host.
#pragma once

#include <QMainWindow>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QImage;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

struct omMenuItem;

namespace tessel::platform {
class CComboBox;
class CToolBar;
}

namespace tessel::studio {

class CommandButton;
struct Entity;
class ObjectListDock;
class PropertyDock;
class StudioHost;
class ViewArea;
class WindowGlContext;
class WindowSettings;

class MainWindow final : public QMainWindow {
 public:
  // `settingsFile` keeps the window's geometry, layout and recent files.
  MainWindow(StudioHost& host, WindowGlContext& context, std::filesystem::path settingsFile);
  ~MainWindow() override;

  // Opens each file; one that cannot be loaded gets an error dialog (or, with `quiet`, only the
  // status line) and the others still open. The number opened.
  int openFiles(const QStringList& paths, bool quiet = false);
  // Brings the status line, toolbars, combos, dock, cursor and views up to date with the host.
  void refresh();

  ViewArea* viewArea() const { return views_; }
  PropertyDock* dock() const { return dock_; }
  ObjectListDock* objectList() const { return objects_; }
  QLabel* promptLabel() const { return prompt_; }
  QLabel* statusTextLabel() const { return status_; }
  QLabel* warningLabel() const { return warning_; }
  QLabel* selectionLabel() const { return selection_; }
  // The toolbar button (or combo) of a command ID; null for none.
  CommandButton* button(std::uint32_t id) const;
  QComboBox* filterCombo(bool objectFilter) const;
  const std::vector<QToolBar*>& moduleToolBars() const { return toolBars_; }
  QStringList recentFiles() const;

  // Studio's own menu items that have keys, as (keys, name).
  QList<QPair<QString, QString>> ownShortcuts() const;
  // A picture of the dialog `name` ("preferences", "shortcuts") as its menu item opens it, with
  // the current values: shown without blocking, grabbed once drawn, then closed with nothing
  // taken from it. A null image for a name that is none of these.
  QImage dialogPicture(const QString& name);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The bars' context menu: the same toolbar and pane items as View, routed the same way.
  QMenu* createPopupMenu() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct ModuleCombo {
    QComboBox* combo;
    platform::CComboBox* control;
  };

  void buildMenus();
  // The dialogs of Edit > Preferences and Help > Keyboard Shortcuts, filled as their menu items
  // show them; the script's pictures of them come from the same place.
  std::unique_ptr<QDialog> preferencesDialog();
  std::unique_ptr<QDialog> shortcutsDialog();
  void fillMenu(QMenu* menu, omMenuItem* item);
  QAction* commandAction(QMenu* menu, omMenuItem* item);
  void updateMenu(QMenu* menu);
  void buildToolBars();
  // The top area's bars wrap across the window's width, so that none folds buttons or a combo
  // away into its overflow menu; queued, once the bars have their new sizes.
  void wrapToolBarsLater();
  void wrapToolBars();
  void buildAccelerators();
  void updateToolBars();
  void updateStatus();
  // The docks and toolbars follow what the host's frame shows.
  void followPanes();
  // The status bar's selection text and the object list, from one read of the rows.
  void showRows();
  void fillRecentMenu();
  void runCommand(std::uint32_t id, bool shift);
  void showProblem(const QString& text);
  // Where the Open and Save dialogs start.
  QString startFolder() const;
  void openDialog();
  void saveAsDialog();
  // Ctrl+S: the mesh to its own file, else (none yet, a format Studio does not write) Save As.
  // False when it was not written.
  bool saveMesh(Entity& mesh);
  bool saveMeshAs(Entity& mesh);
  bool write(Entity& mesh, const QString& file);
  // The active mesh's file and a star while anything is unsaved, as the host decides.
  void updateTitle();
  // Before closing: Save / Discard / Cancel when a mesh is unsaved. False to stay open.
  bool settleUnsaved();
  void saveSelectionDialog();
  // Asks where to write, starting at `name` in the last folder used; a typed name without an
  // extension gets the chosen filter's. Empty when cancelled.
  QString askSavePath(const QString& title, const QString& name);
  QString commandName(std::uint32_t id) const;
  // The name, with the key that runs the command when it has one: "Component Select (C)".
  QString toolTip(std::uint32_t id) const;

  StudioHost& host_;
  std::unique_ptr<WindowSettings> settings_;
  ViewArea* views_ = nullptr;
  PropertyDock* dock_ = nullptr;
  ObjectListDock* objects_ = nullptr;
  QLabel* prompt_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* warning_ = nullptr;
  QLabel* selection_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QTimer* idle_ = nullptr;
  QTimer* warningTimeout_ = nullptr;
  std::vector<QToolBar*> toolBars_;
  std::vector<std::pair<platform::CToolBar*, QToolBar*>> barPairs_;
  std::map<std::uint32_t, CommandButton*> buttons_;
  std::vector<ModuleCombo> combos_;
  std::map<std::uint32_t, QString> shortcutText_;
  std::string lastWarning_;
  bool refreshing_ = false;
  bool followingPanes_ = false;
  bool objectsSized_ = false;  // the object list was given its first width
  bool wrapping_ = false;      // a wrap of the toolbars is queued
};

}  // namespace tessel::studio
