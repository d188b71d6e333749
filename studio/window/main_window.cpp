#include "studio/window/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <QToolBar>

#include <functional>

#include "host/om_codes.h"
#include "platform/CCJToolBar.h"
#include "platform/CComboBox.h"
#include "platform/omPropertyToolBar.h"
#include "studio/host/studio_host.h"
#include "studio/window/command_button.h"
#include "studio/window/command_icons.h"
#include "studio/window/command_ui.h"
#include "studio/window/key_names.h"
#include "studio/window/object_list_dock.h"
#include "studio/window/preferences_dialog.h"
#include "studio/window/progress_dialog.h"
#include "studio/window/property_dock.h"
#include "studio/window/display_menu.h"
#include "studio/window/shortcuts_dialog.h"
#include "studio/window/toolbar_rows.h"
#include "studio/window/view_area.h"
#include "studio/window/view_widget.h"
#include "studio/window/window_gl_context.h"
#include "studio/window/window_settings.h"

namespace tessel::studio {
namespace {

// The window's size before the settings file has one.
constexpr int kFirstWidth = 1280, kFirstHeight = 860;
constexpr int kToolBarGap = 4;  // between two bars on a row, and at the row's ends
constexpr int kSettingsSettleMs = 1000;  // quiet after the last panel edit
constexpr int kWarningMs = 6000;         // how long a warning stays up without a next action
// How long a dialog shown for its picture may take to appear on the screen and become active;
// past it the picture is taken anyway, drawn from the dialog's own widgets.
constexpr int kDialogShownMs = 2000;

QString bare(const char* text) { return QString::fromUtf8(text ? text : "").remove('&'); }

// The module's message box styles and answers, as a dialog's buttons.
std::int32_t showMessageBox(QWidget* parent, const char* text, const char* caption,
                            std::uint32_t style) {
  QMessageBox box(parent);
  box.setWindowTitle(QString::fromUtf8(caption && *caption ? caption : "Tessel Studio"));
  box.setText(QString::fromUtf8(text ? text : ""));
  switch (style & 0xF0u) {
    case 0x10: box.setIcon(QMessageBox::Critical); break;
    case 0x20: box.setIcon(QMessageBox::Question); break;
    case 0x30: box.setIcon(QMessageBox::Warning); break;
    case 0x40: box.setIcon(QMessageBox::Information); break;
  }
  struct Choice {
    QMessageBox::StandardButton button;
    std::int32_t answer;
  };
  std::vector<Choice> choices;
  switch (style & 0xFu) {
    case 1: choices = {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}}; break;
    case 2: choices = {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}}; break;
    case 3: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}}; break;
    case 4: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}}; break;
    case 5: choices = {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}}; break;
    default: choices = {{QMessageBox::Ok, 1}}; break;
  }
  QMessageBox::StandardButtons buttons;
  for (const Choice& c : choices) buttons |= c.button;
  box.setStandardButtons(buttons);
  const int pressed = box.exec();
  for (const Choice& c : choices)
    if (pressed == c.button) return c.answer;
  // Closed without a button: Cancel where there is one, else the first answer.
  for (const Choice& c : choices)
    if (c.answer == 2) return 2;
  return choices.front().answer;
}

// "3 objects selected" in object mode; the selected components of every mesh in component mode.
QString selectionSummary(const Scene& scene, const std::vector<ObjectRow>& rows) {
  const qsizetype objects = static_cast<qsizetype>(scene.selection().size());
  QString text = QString("%1 object%2 selected").arg(objects).arg(objects == 1 ? "" : "s");
  if (scene.objectMode) return text;
  const MeshCounts t = selectedTotals(rows);
  return text + QString(" | %1 faces, %2 vertices, %3 edges")
                    .arg(t.selectedFaces)
                    .arg(t.selectedVertices)
                    .arg(t.selectedEdges);
}

}  // namespace

MainWindow::MainWindow(StudioHost& host, WindowGlContext& context,
                       std::filesystem::path settingsFile)
    : host_(host), settings_(std::make_unique<WindowSettings>(std::move(settingsFile))) {
  setWindowTitle("Tessel Studio");
  setObjectName("studio");
  setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
  views_ = new ViewArea(host_, context, [this] { refresh(); }, this);
  setCentralWidget(views_);
  dock_ = new PropertyDock(host_.panels(), [this](const QString& p) { showProblem(p); }, this);
  addDockWidget(Qt::RightDockWidgetArea, dock_);
  // Connected after the dock's own handler: the window shows what the panel's command did.
  connect(dock_->applyButton(), &QPushButton::clicked, this, [this] { refresh(); });
  objects_ = new ObjectListDock(
      host_, [this](const QString& p) { showProblem(p); }, [this] { refresh(); }, this);
  addDockWidget(Qt::LeftDockWidgetArea, objects_);
  objects_->hide();
  // A dock closed by its own button (or shown again by a restored layout) is a pane the host's
  // View menu shows as hidden (or shown).
  for (auto [dock, pane] : {std::pair<QDockWidget*, Pane>{dock_, Pane::Properties},
                            std::pair<QDockWidget*, Pane>{objects_, Pane::ObjectList}})
    connect(dock->toggleViewAction(), &QAction::toggled, this, [this, pane](bool on) {
      if (!followingPanes_) host_.frame().showPane(pane, on);
    });

  prompt_ = new QLabel(this);
  prompt_->setObjectName("prompt");
  status_ = new QLabel(this);
  status_->setObjectName("status");
  warning_ = new QLabel(this);
  warning_->setObjectName("warning");
  warning_->setStyleSheet("QLabel { background: #b3261e; color: white; padding: 0 6px; }");
  warning_->hide();
  // A warning goes at the next action (the host clears it) or after a while unread.
  warningTimeout_ = new QTimer(this);
  warningTimeout_->setSingleShot(true);
  warningTimeout_->setInterval(kWarningMs);
  connect(warningTimeout_, &QTimer::timeout, this, [this] { host_.panels().clearWarning(); });
  selection_ = new QLabel(this);
  selection_->setObjectName("selection");
  statusBar()->addWidget(prompt_, 2);
  statusBar()->addWidget(status_, 1);
  statusBar()->addWidget(warning_, 1);
  statusBar()->addPermanentWidget(selection_);

  buildAccelerators();
  buildMenus();
  buildToolBars();
  if (const std::optional<QStringList> shown = settings_->shownToolbars())
    for (platform::CToolBar* bar : host_.frame().toolbars())
      bar->ShowWindow(shown->contains(QString::fromUtf8(bar->GetWindowText())));

  host_.messageBox = [this](const char* text, const char* caption, std::uint32_t style) {
    return showMessageBox(this, text, caption, style);
  };
  host_.showPreferences = [this] {
    const std::unique_ptr<QDialog> dialog = preferencesDialog();
    if (dialog->exec() != QDialog::Accepted) return;
    const Preferences chosen = static_cast<PreferencesDialog&>(*dialog).chosen();
    if (const std::string problem = host_.setPreferences(chosen); !problem.empty())
      showProblem(QString::fromStdString(problem));
  };
  host_.showSystemCursor = [](std::int32_t shape) {
    if (shape == om::kSystemCursorWait)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  };
  host_.frame().focusActiveView = [this] {
    if (ViewWidget* view = views_->activeView()) view->setFocus(Qt::OtherFocusReason);
  };
  host_.commands().makeProgress = [this](const char* name) -> std::unique_ptr<ShownProgress> {
    return std::make_unique<ProgressDialog>(QString::fromUtf8(name), this);
  };
  host_.panels().changed = [this] {
    updateStatus();
    // The dock rebuilds after the module's call returns, never inside it.
    QMetaObject::invokeMethod(this, [this] { dock_->sync(); }, Qt::QueuedConnection);
  };

  // What an action marked is drawn once the event that caused it is handled.
  host_.onDrawPending = [this] {
    QMetaObject::invokeMethod(this, [this] { host_.drawPending(); }, Qt::QueuedConnection);
  };
  // A large scene's still frame is drawn a piece at a time, each next piece queued behind the
  // events that came in meanwhile: a press during the drawing is handled after one piece.
  host_.setDrawInPieces(true);
  host_.onRefine = [this] {
    QMetaObject::invokeMethod(this, [this] { host_.refine(); }, Qt::QueuedConnection);
  };

  resize(kFirstWidth, kFirstHeight);
  restoreGeometry(settings_->geometry());
  restoreState(settings_->dockLayout());
  wrapToolBarsLater();
  host_.frame().showPane(Pane::Properties, !dock_->isHidden());
  host_.frame().showPane(Pane::ObjectList, !objects_->isHidden());
  qApp->installEventFilter(this);
  // The module's update handlers run when the window is idle, as toolbars expect.
  idle_ = new QTimer(this);
  connect(idle_, &QTimer::timeout, this, [this] {
    updateToolBars();
    dock_->followEnabled();
    showRows();
    updateTitle();
  });
  idle_->start(300);
  // Panel values go to the settings file once edits pause, not with every edit: a burst of
  // edits (a slider dragged, Apply pressed again and again) costs one write.
  auto* settle = new QTimer(this);
  settle->setSingleShot(true);
  settle->setInterval(kSettingsSettleMs);
  connect(settle, &QTimer::timeout, this, [this] { host_.panels().flushSettings(); });
  host_.panels().unsaved = [settle] { settle->start(); };
  refresh();
}

MainWindow::~MainWindow() {
  // The docks hide as the window goes: that is no person's choice of panes.
  for (QDockWidget* dock : {static_cast<QDockWidget*>(dock_), static_cast<QDockWidget*>(objects_)})
    dock->toggleViewAction()->disconnect(this);
  qApp->removeEventFilter(this);
  host_.messageBox = nullptr;
  host_.showPreferences = nullptr;
  host_.showSystemCursor = nullptr;
  host_.frame().focusActiveView = nullptr;
  host_.commands().makeProgress = nullptr;
  host_.panels().changed = nullptr;
  host_.panels().unsaved = nullptr;
  host_.panels().flushSettings();
  host_.onDrawPending = nullptr;
  host_.onRefine = nullptr;
  host_.setDrawInPieces(false);
}

QString MainWindow::toolTip(std::uint32_t id) const {
  auto key = shortcutText_.find(id);
  return key == shortcutText_.end() ? commandName(id) : commandName(id) + " (" + key->second + ")";
}

QString MainWindow::commandName(std::uint32_t id) const {
  const std::string name = host_.frame().commandName(id);
  return name.empty() ? QString("Command %1").arg(id) : QString::fromStdString(name);
}

// [SECTION] dialogs

std::unique_ptr<QDialog> MainWindow::preferencesDialog() {
  return std::make_unique<PreferencesDialog>(host_.preferences(), this);
}

std::unique_ptr<QDialog> MainWindow::shortcutsDialog() {
  return std::make_unique<ShortcutsDialog>(
      host_, [this](std::uint32_t id) { return commandName(id); }, ownShortcuts(), this);
}

QImage MainWindow::dialogPicture(const QString& name) {
  std::unique_ptr<QDialog> dialog;
  if (name == "preferences")
    dialog = preferencesDialog();
  else if (name == "shortcuts")
    dialog = shortcutsDialog();
  else
    return {};
  // Not exec(): a modal loop would wait for a person to close the dialog, and the script with it.
  // Made active as exec() makes it, so that the focused field is drawn as the menu shows it.
  dialog->show();
  dialog->activateWindow();
  QElapsedTimer waited;
  waited.start();
  while (!(dialog->windowHandle() && dialog->windowHandle()->isExposed() &&
           dialog->isActiveWindow()) &&
         waited.elapsed() < kDialogShownMs)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  QApplication::processEvents();  // the paints the exposure queued
  const QImage picture = dialog->grab().toImage();
  // Rejected as Cancel or Close would be: whatever the dialog holds is left untaken.
  dialog->reject();
  QApplication::processEvents();
  return picture;
}

// [SECTION] menus

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open...", QKeySequence::Open, this, [this] { openDialog(); });
  file->addAction("&Save", QKeySequence::Save, this, [this] {
    if (Entity* target = host_.saveTarget())
      saveMesh(*target);
    else
      showProblem("Nothing to save: no mesh in the scene");
  });
  // Named: the toolkit binds no Save As key on a desktop it does not know.
  file->addAction("Save &As...", QKeySequence("Ctrl+Shift+S"), this, [this] { saveAsDialog(); });
  file->addAction("Save &Selection As...", this, [this] { saveSelectionDialog(); });
  recentMenu_ = file->addMenu("Open &Recent");
  fillRecentMenu();
  QMenu* edit = menuBar()->addMenu("&Edit");
  QMenu* view = menuBar()->addMenu("&View");
  auto* help = new QMenu("&Help", this);
  help->addAction("&Keyboard Shortcuts...", this, [this] { shortcutsDialog()->exec(); });
  help->addAction("&About Tessel Studio", this, [this] {
    QMessageBox::about(this, "About Tessel Studio",
                       "Tessel Studio, the reference host of the Tessel module.\nModule: " +
                           QString::fromStdString(host_.modulePath()));
  });
  // Studio's menus first, then the module's: a top-level entry whose title is one of Studio's
  // menus joins it; the others become menus of their own, before Help.
  std::map<QString, QMenu*> merged = {{"File", file}, {"Edit", edit}, {"View", view},
                                      {"Layout", view}, {"Help", help}};
  std::vector<omMenuItem*> tops;
  for (omMenuItem* root : host_.frame().menus()) {
    if (bare(root->GetText()).isEmpty())
      for (std::int32_t i = 0; i < root->GetCount(); ++i) tops.push_back(root->GetItem(i));
    else
      tops.push_back(root);
  }
  // Studio's own File menu (Exit) goes last, so Exit ends the File menu.
  if (!tops.empty()) std::rotate(tops.begin(), tops.begin() + 1, tops.end());
  for (omMenuItem* top : tops) {
    const QString key = bare(top->GetText());
    auto it = merged.find(key);
    QMenu* into = it != merged.end() ? it->second : nullptr;
    if (!into) {
      if (top->GetCount() > 0) {
        into = menuBar()->addMenu(QString::fromUtf8(top->GetText()));
        connect(into, &QMenu::aboutToShow, this, [this, into] { updateMenu(into); });
        fillMenu(into, top);
      } else {
        // A command at the top of the module's menu: a menu holding just that command.
        into = menuBar()->addMenu(QString::fromUtf8(top->GetText()));
        connect(into, &QMenu::aboutToShow, this, [this, into] { updateMenu(into); });
        commandAction(into, top);
      }
      continue;
    }
    if (!into->isEmpty()) into->addSeparator();
    if (top->GetCount() > 0)
      fillMenu(into, top);
    else
      commandAction(into, top);
  }
  addDisplayModes(view, host_);
  for (QAction* a : file->actions())
    if (QIcon icon = studioIcon(a->text().remove('&').toStdString()); !icon.isNull()) a->setIcon(icon);
  for (QMenu* m : {file, edit, view})
    connect(m, &QMenu::aboutToShow, this, [this, m] { updateMenu(m); });
  menuBar()->addMenu(help);
}

QAction* MainWindow::commandAction(QMenu* menu, omMenuItem* item) {
  const std::uint32_t id = item->GetID();
  QString text = QString::fromUtf8(item->GetText());
  if (auto k = shortcutText_.find(id); k != shortcutText_.end()) text += '\t' + k->second;
  QAction* action = menu->addAction(commandIcon(id), text);
  action->setData(QVariant::fromValue(id));
  action->setStatusTip(QString::fromStdString(host_.frame().commandDescription(id)));
  connect(action, &QAction::triggered, this, [this, id] {
    runCommand(id, QApplication::keyboardModifiers() & Qt::ShiftModifier);
  });
  return action;
}

void MainWindow::fillMenu(QMenu* menu, omMenuItem* item) {
  for (std::int32_t i = 0; i < item->GetCount(); ++i) {
    omMenuItem* child = item->GetItem(i);
    if (!child) continue;
    if (child->GetCount() > 0) {
      QMenu* sub = menu->addMenu(QString::fromUtf8(child->GetText()));
      connect(sub, &QMenu::aboutToShow, this, [this, sub] { updateMenu(sub); });
      fillMenu(sub, child);
    } else if (child->GetID() == 0 && bare(child->GetText()).isEmpty()) {
      menu->addSeparator();
    } else {
      commandAction(menu, child);
    }
  }
}

void MainWindow::updateMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->menu() || action->isSeparator() || !action->data().isValid()) continue;
    const std::uint32_t id = action->data().toUInt();
    CommandUi ui(id, true);
    host_.updateMenuItem(id, ui);
    ui.applyTo(action);
  }
}

void MainWindow::buildAccelerators() {
  for (const Accelerator& a : host_.frame().accelerators()) {
    const QKeySequence keys = keySequenceOf(a);
    if (keys.isEmpty()) continue;
    auto* action = new QAction(commandName(a.commandId), this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    const std::uint32_t id = a.commandId;
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id, false); });
    addAction(action);
    shortcutText_[id] = keys.toString(QKeySequence::NativeText);
  }
}

void MainWindow::fillRecentMenu() {
  recentMenu_->clear();
  const QStringList files = settings_->recentFiles();
  for (const QString& f : files)
    recentMenu_->addAction(QFileInfo(f).fileName() + "  (" + QFileInfo(f).path() + ")", this,
                           [this, f] { openFiles({f}); });
  recentMenu_->setEnabled(!files.isEmpty());
}

QStringList MainWindow::recentFiles() const { return settings_->recentFiles(); }

// [SECTION] toolbars

void MainWindow::buildToolBars() {
  for (platform::CToolBar* bar : host_.frame().toolbars()) {
    const QString title = QString::fromUtf8(bar->GetWindowText());
    auto* tb = new QToolBar(title, this);
    tb->setObjectName("toolbar-" + title);
    addToolBar(Qt::TopToolBarArea, tb);
    platform::CCJToolBar* controls = bar->AsControlBar();
    platform::omPropertyToolBar* panels = bar->AsPropertyToolBar();
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      const std::uint32_t id = bar->GetItemID(i);
      if (id == 0) {
        tb->addSeparator();
        continue;
      }
      platform::CWnd* w = controls ? controls->GetControlAt(id) : nullptr;
      if (platform::CComboBox* control = w ? w->AsComboBox() : nullptr) {
        auto* combo = new QComboBox(tb);
        combo->setObjectName(QString("combo-%1").arg(id));
        combo->setToolTip(commandName(id));
        combo->setStatusTip(QString::fromStdString(host_.frame().commandDescription(id)));
        combo->setMinimumContentsLength(10);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(combo, &QComboBox::activated, this, [this, control](int index) {
          if (!control->ChooseItem(index)) showProblem("That filter cannot be chosen now");
          refresh();
        });
        tb->addWidget(combo);
        combos_.push_back({combo, control});
        continue;
      }
      auto* button = new CommandButton(id, tb);
      button->setObjectName(QString("button-%1").arg(id));
      button->setText(commandName(id));
      button->setIcon(commandIcon(id));
      button->setToolTip(toolTip(id));
      button->setStatusTip(QString::fromStdString(host_.frame().commandDescription(id)));
      connect(button, &QToolButton::clicked, this, [this, button] {
        runCommand(button->commandId(), button->clickModifiers() & Qt::ShiftModifier);
      });
      tb->addWidget(button);
      buttons_[id] = button;
      if (panels && panels->IsPanelButton(i)) {
        // The panel arrow opens the button's panel in the dock without running it.
        auto* arrow = new QToolButton(tb);
        arrow->setObjectName(QString("panel-%1").arg(id));
        arrow->setArrowType(Qt::DownArrow);
        arrow->setAutoRaise(true);
        arrow->setMaximumWidth(14);
        arrow->setToolTip(commandName(id) + " options");
        connect(arrow, &QToolButton::clicked, this, [this, id] {
          if (!host_.openToolbarPanel(id)) showProblem("No panel for " + commandName(id));
          dock_->show();
          dock_->raise();
          refresh();
        });
        tb->addWidget(arrow);
      }
    }
    tb->setVisible(bar->IsWindowVisible());
    toolBars_.push_back(tb);
    barPairs_.push_back({bar, tb});
  }
  wrapToolBarsLater();
}

void MainWindow::wrapToolBarsLater() {
  if (wrapping_) return;
  wrapping_ = true;
  QMetaObject::invokeMethod(this, [this] {
    wrapping_ = false;
    wrapToolBars();
  }, Qt::QueuedConnection);
}

void MainWindow::wrapToolBars() {
  // A bar the user dragged to another side keeps its place.
  std::vector<QToolBar*> bars;
  std::vector<int> widths;
  for (QToolBar* tb : toolBars_) {
    if (toolBarArea(tb) != Qt::TopToolBarArea) continue;
    bars.push_back(tb);
    widths.push_back(tb->isVisibleTo(this) ? tb->sizeHint().width() + kToolBarGap : 0);
  }
  const std::vector<std::size_t> starts = toolbarRowStarts(widths, width() - kToolBarGap);
  bool asWanted = true;
  for (std::size_t i = 1; i < bars.size(); ++i)
    asWanted = asWanted &&
               toolBarBreak(bars[i]) == (std::find(starts.begin(), starts.end(), i) != starts.end());
  if (asWanted) return;
  for (std::size_t i = 1; i < bars.size(); ++i)
    if (toolBarBreak(bars[i])) removeToolBarBreak(bars[i]);
  for (std::size_t i : starts) insertToolBarBreak(bars[i]);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  wrapToolBarsLater();
}

CommandButton* MainWindow::button(std::uint32_t id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

QComboBox* MainWindow::filterCombo(bool objectFilter) const {
  // The object filter combo comes first on the module's toolbar, the component one second.
  const std::size_t index = objectFilter ? 0 : 1;
  return index < combos_.size() ? combos_[index].combo : nullptr;
}

void MainWindow::updateToolBars() {
  omModule2* module = host_.module();
  platform::CCmdTarget* target = module ? module->GetCommandTarget() : nullptr;
  for (auto& [bar, tb] : barPairs_) {
    // The module shows and hides its toolbars through the View menu.
    const bool shown = bar->IsWindowVisible();
    if (tb->property("moduleShown").isNull() || tb->property("moduleShown").toBool() != shown) {
      tb->setProperty("moduleShown", shown);
      tb->setVisible(shown);
      wrapToolBarsLater();
    }
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      CommandButton* b = button(bar->GetItemID(i));
      if (!b) continue;
      const std::uint32_t state = bar->GetButtonState(i);
      CommandUi ui(b->commandId(), false);
      ui.enabled = (state & platform::TBSTATE_ENABLED) != 0;
      ui.checked = (state & platform::TBSTATE_CHECKED) != 0;
      ui.checkSet = true;
      ui.update(target);
      ui.applyTo(b);
    }
  }
  for (ModuleCombo& c : combos_) {
    QStringList items;
    for (std::int32_t k = 0; k < c.control->GetCount(); ++k)
      items.push_back(QString::fromUtf8(c.control->GetLBText(k)));
    QStringList shown;
    for (int k = 0; k < c.combo->count(); ++k) shown.push_back(c.combo->itemText(k));
    if (items != shown) {
      c.combo->clear();
      c.combo->addItems(items);
      wrapToolBarsLater();  // the combo may have grown
    }
    if (c.combo->currentIndex() != c.control->GetCurSel())
      c.combo->setCurrentIndex(c.control->GetCurSel());
    c.combo->setEnabled(c.control->IsWindowEnabled());
  }
}

// [SECTION] status, refresh, commands, files

void MainWindow::updateStatus() {
  const PanelManager& p = host_.panels();
  prompt_->setText(QString::fromStdString(p.prompt()));
  status_->setText(QString::fromStdString(p.status()));
  if (p.warning() != lastWarning_) {
    lastWarning_ = p.warning();
    warning_->setText(QString::fromStdString(p.warning()));
    warning_->setVisible(!p.warning().empty());
    if (p.warning().empty())
      warningTimeout_->stop();
    else
      warningTimeout_->start();
  }
}

void MainWindow::refresh() {
  if (refreshing_) return;
  refreshing_ = true;
  updateStatus();
  followPanes();
  showRows();
  updateTitle();
  updateToolBars();
  views_->sync();
  for (int i = 0; i < 4; ++i)
    views_->view(i)->showModuleCursor(host_.views().view(i).cursor());
  dock_->sync();
  refreshing_ = false;
}

void MainWindow::followPanes() {
  followingPanes_ = true;
  for (auto [dock, pane] : {std::pair<QDockWidget*, Pane>{dock_, Pane::Properties},
                            std::pair<QDockWidget*, Pane>{objects_, Pane::ObjectList}}) {
    const bool shown = host_.frame().paneShown(pane);
    if (dock->isHidden() != shown) continue;
    dock->setVisible(shown);
    if (!shown) continue;
    dock->raise();
    // Wide enough for the counts beside the names, unless a person made it narrower.
    if (dock == objects_ && !objectsSized_) resizeDocks({objects_}, {430}, Qt::Horizontal);
    objectsSized_ = objectsSized_ || dock == objects_;
  }
  followingPanes_ = false;
}

void MainWindow::showRows() {
  const std::vector<ObjectRow> rows = host_.objectRows();
  selection_->setText(selectionSummary(host_.scene(), rows));
  if (!objects_->isHidden()) objects_->sync(rows);
}

QMenu* MainWindow::createPopupMenu() {
  auto* menu = new QMenu(this);
  auto item = [&](const QString& text, std::uint32_t id, bool checked) {
    QAction* a = menu->addAction(text, this, [this, id] { runCommand(id, false); });
    a->setCheckable(true);
    a->setChecked(checked);
  };
  const auto& bars = host_.frame().toolbars();
  for (std::size_t i = 0; i < bars.size() && kIdToolbarFirst + i <= kIdToolbarLast; ++i)
    item(QString::fromUtf8(bars[i]->GetWindowText()), kIdToolbarFirst + static_cast<std::uint32_t>(i),
         bars[i]->IsWindowVisible());
  menu->addSeparator();
  item("Objects", kIdShowObjectList, host_.frame().paneShown(Pane::ObjectList));
  item("Properties", kIdShowProperties, host_.frame().paneShown(Pane::Properties));
  return menu;
}

void MainWindow::showProblem(const QString& text) {
  host_.panels().SetWarning(text.toUtf8().constData());
}

void MainWindow::runCommand(std::uint32_t id, bool shift) {
  if (!host_.routeCommand(id, shift)) showProblem("Nothing handles " + commandName(id));
  if (host_.exitRequested()) {
    if (!close()) host_.cancelExit();
    return;
  }
  refresh();
}

int MainWindow::openFiles(const QStringList& paths, bool quiet) {
  int opened = 0;
  for (const QString& path : paths) {
    const std::string error = host_.open(path.toStdString());
    if (!error.empty()) {
      if (quiet)
        showProblem(QString::fromStdString(error));
      else
        QMessageBox::critical(this, "Cannot open " + QFileInfo(path).fileName(),
                              QString::fromStdString(error));
      continue;
    }
    ++opened;
    settings_->addRecent(path);
  }
  fillRecentMenu();
  refresh();
  return opened;
}

QList<QPair<QString, QString>> MainWindow::ownShortcuts() const {
  QList<QPair<QString, QString>> out;
  // Studio's own items carry their keys; the module's items show theirs only as text.
  std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
    for (const QAction* a : actions) {
      if (a->menu()) walk(a->menu()->actions());
      else if (!a->shortcut().isEmpty())
        out.push_back({a->shortcut().toString(QKeySequence::NativeText), a->text().remove('&')});
    }
  };
  walk(menuBar()->actions());
  return out;
}

QString MainWindow::startFolder() const {
  // Where the user last opened or saved a file; the recent list keeps it across sessions.
  const QStringList recent = settings_->recentFiles();
  return recent.isEmpty() ? QString() : QFileInfo(recent.front()).absolutePath();
}

void MainWindow::openDialog() {
  const QStringList files = QFileDialog::getOpenFileNames(
      this, "Open", startFolder(), "Meshes and point clouds (*.ply *.obj *.stl *.off);;All files (*)");
  if (!files.isEmpty()) openFiles(files);
}

void MainWindow::saveAsDialog() {
  if (Entity* target = host_.saveTarget())
    saveMeshAs(*target);
  else
    showProblem("Nothing to save: no mesh in the scene");
}

bool MainWindow::saveMesh(Entity& mesh) {
  const std::string problem = host_.ownFileProblem(mesh);
  if (!problem.empty()) {
    showProblem(QString::fromStdString(problem));
    return saveMeshAs(mesh);
  }
  return write(mesh, QString::fromStdString(mesh.sourceFile));
}

bool MainWindow::saveMeshAs(Entity& mesh) {
  const QString name = QString::fromStdString(mesh.name);
  // The mesh's name, in its own format where Studio writes it.
  const bool obj = QFileInfo(QString::fromStdString(mesh.sourceFile)).suffix().toLower() == "obj";
  const QString file = askSavePath("Save " + name + " As", name + (obj ? ".obj" : ".ply"));
  return !file.isEmpty() && write(mesh, file);
}

bool MainWindow::write(Entity& mesh, const QString& file) {
  const std::string error = host_.saveEntity(mesh, file.toStdString());
  if (!error.empty()) {
    QMessageBox::critical(this, "Cannot save " + QString::fromStdString(mesh.name),
                          QString::fromStdString(error));
    return false;
  }
  settings_->addRecent(file);
  fillRecentMenu();
  statusBar()->showMessage("Saved " + QString::fromStdString(mesh.name) + " to " + file, 5000);
  updateTitle();
  return true;
}

void MainWindow::updateTitle() {
  QString title = "Tessel Studio";
  if (const Entity* shown = host_.saveTarget()) {
    const QString name =
        shown->sourceFile.empty() ? QString::fromStdString(shown->name)
                                  : QFileInfo(QString::fromStdString(shown->sourceFile)).fileName();
    title = name + (host_.unsavedMeshes().empty() ? "" : "*") + " \u2014 Tessel Studio";
  }
  if (windowTitle() != title) setWindowTitle(title);
}

bool MainWindow::settleUnsaved() {
  const std::vector<Entity*> unsaved = host_.unsavedMeshes();
  if (unsaved.empty()) return true;
  QStringList names;
  for (const Entity* e : unsaved) names << QString::fromStdString(e->name);
  QMessageBox box(this);
  box.setWindowTitle("Tessel Studio");
  box.setIcon(QMessageBox::Warning);
  box.setText("Save the changes to " + names.join(", ") + " before closing?");
  box.setInformativeText("Changes not saved are lost.");
  box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  box.setDefaultButton(QMessageBox::Save);
  const int answer = box.exec();
  if (answer == QMessageBox::Discard) return true;
  if (answer != QMessageBox::Save) return false;
  for (Entity* e : unsaved)
    if (!saveMesh(*e)) return false;
  return true;
}

QString MainWindow::askSavePath(const QString& title, const QString& name) {
  const QString filters = "PLY, binary (*.ply);;OBJ (*.obj)";
  QString filter;
  const QString proposed = name.isEmpty() ? QString() : QDir(startFolder()).filePath(name);
  if (name.endsWith(".obj", Qt::CaseInsensitive)) filter = "OBJ (*.obj)";
  QString file = QFileDialog::getSaveFileName(this, title, proposed, filters, &filter);
  if (file.isEmpty()) return file;
  // A name typed without an extension gets the chosen filter's, as the dialog shows it.
  const QString suffix = QFileInfo(file).suffix().toLower();
  if (suffix != "ply" && suffix != "obj") {
    file += filter.contains("*.obj") ? ".obj" : ".ply";
    // The dialog asked about replacing the name typed, not this one.
    if (QFileInfo::exists(file) &&
        QMessageBox::question(this, title, QFileInfo(file).fileName() +
                                               " already exists. Do you want to replace it?") !=
            QMessageBox::Yes)
      return {};
  }
  return file;
}

void MainWindow::saveSelectionDialog() {
  const Entity* target = host_.selectionTarget();
  if (!target) {
    showProblem("Save Selection As: no face is selected");
    return;
  }
  const QString name = QString::fromStdString(target->name);
  const QString file =
      askSavePath("Save Selected Faces of " + name + " As", name + " selection.ply");
  if (file.isEmpty()) return;
  const std::string error = host_.saveSelection(file.toStdString());
  if (!error.empty()) {
    QMessageBox::critical(this, "Cannot save", QString::fromStdString(error));
    return;
  }
  statusBar()->showMessage("Saved the selected faces of " + name + " to " + file, 5000);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!settleUnsaved()) {
    event->ignore();
    return;
  }
  QStringList shown;
  for (platform::CToolBar* bar : host_.frame().toolbars())
    if (bar->IsWindowVisible()) shown.push_back(QString::fromUtf8(bar->GetWindowText()));
  settings_->save(saveGeometry(), saveState(), shown);
  event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool press = event->type() == QEvent::KeyPress;
    Qt::KeyboardModifiers held = key->modifiers();
    // The event's modifiers are those before the key itself changed.
    auto track = [&](Qt::Key k, Qt::KeyboardModifier m) {
      if (key->key() == k) held = press ? held | m : held & ~m;
    };
    track(Qt::Key_Shift, Qt::ShiftModifier);
    track(Qt::Key_Control, Qt::ControlModifier);
    track(Qt::Key_Alt, Qt::AltModifier);
    // Caps Lock latches the invert state of paint strokes, as the lock itself latches.
    if (press && key->key() == Qt::Key_CapsLock && !key->isAutoRepeat())
      host_.setInvert(!host_.inverted());
    if (key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt) {
      host_.setModifiers(held & Qt::ShiftModifier, held & Qt::ControlModifier,
                         held & Qt::AltModifier);
      updateStatus();
    }
    // Over a view, Tab is the filter-step key rather than a move of the keyboard focus (SHIFT
    // held makes it Backtab); elsewhere, in the panel dock say, it moves the focus as usual.
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        dynamic_cast<ViewWidget*>(watched)) {
      if (!key->isAutoRepeat()) {
        host_.setFilterStepKey(press);
        updateStatus();
      }
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tessel::studio
