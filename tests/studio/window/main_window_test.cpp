// The real window under a display (Xvfb in CI), driven through the toolkit's own events the way
// a person drives it: menus, toolbar buttons with Shift, the panel dock, a box drag in a view,
// the status line, and a grab of the whole window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <sstream>

#include "bench/scan_fixture.h"
#include "studio/scene/mesh_io.h"
#include "studio/script/script_runner.h"
#include "studio/host/studio_host.h"
#include "studio/window/command_button.h"
#include "studio/window/command_icons.h"
#include "studio/window/cursor_image.h"
#include "studio/window/main_window.h"
#include "studio/window/object_list_dock.h"
#include "studio/window/preferences_dialog.h"
#include "studio/window/progress_dialog.h"
#include "studio/window/property_dock.h"
#include "studio/window/shortcuts_dialog.h"
#include "studio/window/toolbar_rows.h"
#include "studio/window/view_area.h"
#include "studio/window/view_widget.h"
#include "studio/window/window_app.h"
#include "studio/window/window_gl_context.h"
#include "tests/studio/mesh_fixtures.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using studio::MainWindow;

constexpr std::uint32_t kCustomSelect = 34029;
constexpr std::uint32_t kObjectSelect = 33825;
constexpr std::uint32_t kRotate = 33836;
constexpr std::uint32_t kTranslate = 33837;

// A folded strip: two squares meeting at a right angle, so there are sharp edges to find.
const char* const kFold =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1 0 1\nv 1 1 1\n"
    "f 1 2 3\nf 1 3 4\nf 2 5 6\nf 2 6 3\n";

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto owned = std::make_unique<studio::WindowGlContext>(800, 600);
    context = owned.get();
    host = std::make_unique<studio::StudioHost>(
        [this](const std::string& line) { out << line << '\n'; }, std::move(owned));
    ASSERT_EQ(host->loadModule(TESSEL_MODULE_PATH), "");
    window = std::make_unique<MainWindow>(*host, *context, config.dir / "window.json");
    window->resize(1400, 900);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    settle();
  }
  void TearDown() override {
    window.reset();
    host.reset();
  }
  // Lets queued deliveries and paints happen.
  void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    QTest::qWait(30);
  }
  // A left click (at the middle unless `at` says) or a key on `w`, then what it sets off.
  void click(QWidget* w, Qt::KeyboardModifiers keys = {}, QPoint at = {}) {
    QTest::mouseClick(w, Qt::LeftButton, keys, at);
    settle();
  }
  void key(QWidget* w, Qt::Key k, Qt::KeyboardModifiers keys = {}) {
    QTest::keyClick(w, k, keys);
    settle();
  }
  std::string run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    studio::ScriptRunner runner(*host, out);
    runner.run(in, "test", err);
    window->refresh();
    settle();
    return err.str();
  }
  // Opens the menu bar's `menu` by clicking it and answers its popup.
  QMenu* openMenu(const QString& title) {
    QMenuBar* bar = window->menuBar();
    for (QAction* a : bar->actions())
      if (a->text().remove('&') == title) {
        click(bar, {}, bar->actionGeometry(a).center());
        return a->menu();
      }
    return nullptr;
  }
  // The item of `menu` (or a submenu of it) whose text starts with `text`, markers left out,
  // with the menu's update pass run first as when it opens.
  static QAction* item(QMenu* menu, const QString& text) {
    emit menu->aboutToShow();
    for (QAction* a : menu->actions()) {
      if (a->text().remove('&').startsWith(text)) return a;
      if (a->menu())
        if (QAction* found = item(a->menu(), text)) return found;
    }
    return nullptr;
  }
  void openFold() {
    ASSERT_EQ(window->openFiles({QString::fromStdString(dir.write("fold.obj", kFold).string())}), 1);
  }
  // The menu bar's `menu`, and an item found in it as item() finds it, without opening it.
  QMenu* menuOf(const QString& title) {
    for (QAction* a : window->menuBar()->actions())
      if (a->text().remove('&') == title) return a->menu();
    return nullptr;
  }
  QAction* menuItem(const QString& menu, const QString& text) {
    QMenu* m = menuOf(menu);
    return m ? item(m, text) : nullptr;
  }
  void trigger(QAction* a) {
    a->trigger();
    settle();
  }
  // The window made active and `w` given the keyboard, as a person's click would.
  void focus(QWidget* w) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    w->setFocus();
  }
  QToolButton* panelArrow(std::uint32_t id) {
    return window->findChild<QToolButton*>(QString("panel-%1").arg(id));
  }
  // Saves a picture of the window when TESSEL_SHOT_DIR names a folder for them.
  void shot(const QString& name) {
    if (const char* shots = std::getenv("TESSEL_SHOT_DIR"))
      window->grab().save(QString(shots) + "/" + name);
  }
  studio::ViewWidget* view() { return window->viewArea()->view(0); }
  // A grid of 40,000 triangles: large enough that a still frame may be drawn in pieces.
  void openGrid() {
    const auto file = dir.path / "grid.ply";
    ASSERT_EQ(studio::saveMeshFile(file, bench::noisyGrid(40'000)), "");
    ASSERT_EQ(window->openFiles({QString::fromStdString(file.string())}), 1);
    settle();
  }
  std::size_t selectedFaces(const std::string& object) {
    return flagged(host->scene().findByName(object)->mesh->faceFlags).size();
  }

  TempConfig config;
  TempDir dir;
  std::ostringstream out;
  studio::WindowGlContext* context = nullptr;
  std::unique_ptr<studio::StudioHost> host;
  std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, ViewMenuViewAllFramesTheSceneAfterTumbling) {
  openFold();
  settle();
  const studio::Camera framed = host->views().active().camera;
  ASSERT_EQ(run("tool Tumble\ndrag left 300 300 420 200\n"), "");
  ASSERT_GT(studio::length(host->views().active().camera.eye - framed.eye), 1e-3);

  QMenu* menu = openMenu("View");
  ASSERT_TRUE(menu);
  ASSERT_TRUE(menu->isVisible());
  QAction* viewAll = item(menu, "View All");
  ASSERT_TRUE(viewAll) << "the module's View All is merged into Studio's View menu";
  EXPECT_TRUE(viewAll->isEnabled());
  EXPECT_TRUE(viewAll->text().contains("\tW")) << "its accelerator is shown beside it";
  click(menu, {}, menu->actionGeometry(viewAll).center());
  // Framed again: the target is the scene's centre again.
  const studio::Camera& now = host->views().active().camera;
  EXPECT_NEAR(studio::length(now.target - framed.target), 0, 1e-6);
}

TEST_F(WindowTest, ShiftClickOpensCustomSelectInTheDockAndApplyRunsItsValues) {
  openFold();
  ASSERT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"
                "select \"fold\" faces 0\nselect \"fold\" faces\n"),
            "");
  studio::CommandButton* button = window->button(kCustomSelect);
  ASSERT_TRUE(button);
  EXPECT_EQ(button->text(), "Custom Select") << "named from the string table";
  click(button, Qt::ShiftModifier);
  studio::PropertyDock* dock = window->dock();
  ASSERT_TRUE(dock->panel());
  EXPECT_STREQ(dock->panel()->GetName(), "Custom Select");
  EXPECT_TRUE(dock->isVisible());

  auto* sharp = qobject_cast<QCheckBox*>(dock->editor("Sharp Edge Polygons"));
  auto* maxAngle = qobject_cast<QLineEdit*>(dock->editor("Max Angle"));
  ASSERT_TRUE(sharp && maxAngle);
  if (!sharp->isChecked()) QTest::mouseClick(sharp, Qt::LeftButton);
  settle();
  EXPECT_TRUE(sharp->isChecked());
  EXPECT_TRUE(maxAngle->isEnabled()) << "the module enables the angles with the sharp-edge mode";
  maxAngle->clear();
  QTest::keyClicks(maxAngle, "120");
  key(maxAngle, Qt::Key_Return);
  EXPECT_EQ(maxAngle->text(), "120");
  click(dock->applyButton());
  // Both squares meet at a right angle: every face touches the fold.
  EXPECT_EQ(selectedFaces("fold"), 4u);
  EXPECT_TRUE(window->selectionLabel()->text().contains("4 faces"))
      << window->selectionLabel()->text().toStdString();
}

TEST_F(WindowTest, BoxDragInComponentModeSelectsAndTheStatusBarPrompts) {
  openFold();
  click(window->button(33826));
  ASSERT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"), "");
  EXPECT_FALSE(window->promptLabel()->text().isEmpty());
  EXPECT_EQ(window->promptLabel()->text().toStdString(), host->panels().prompt());

  studio::ViewWidget* v = view();
  const QPoint from(5, 5), to(v->width() - 5, v->height() - 5);
  const QImage clean = v->grabFramebuffer();
  QTest::mousePress(v, Qt::LeftButton, {}, from);
  for (int i = 1; i <= 10; ++i) {
    QTest::mouseMove(v, from + (to - from) * i / 10);
    settle();
  }
  // The band is drawn with XOR over the frame and erased the same way as it grows: where an
  // earlier band's lower edge crossed what is now the band's inside, the frame is as it was.
  const QImage dragging = v->grabFramebuffer();
  const QPoint earlier = from + (to - from) * 3 / 10;  // the third move's corner
  int trace = 0;
  for (int x = from.x() + 3; x < earlier.x() - 3; ++x)
    trace += dragging.pixel(x, earlier.y()) != clean.pixel(x, earlier.y());
  EXPECT_EQ(trace, 0) << "an earlier band was left on the view";
  QTest::mouseRelease(v, Qt::LeftButton, {}, to);
  settle();
  EXPECT_FALSE(host->scene().objectMode);
  // "Volume Select" is off: face 0's centre lies behind the upright square, the rest are seen.
  EXPECT_EQ(selectedFaces("fold"), 3u);
}

TEST_F(WindowTest, MenusFollowThePrintedRuleAndAFilterPickHandsTheKeyboardBack) {
  // Every module item is enabled or not as `print menu` shows it (one rule for both).
  std::map<std::uint32_t, bool> printed;
  static const QRegularExpression item(R"(\[(\d+)\]( checked)?( disabled)?$)");
  for (const std::string& line : host->describeMenus())
    if (const auto m = item.match(QString::fromStdString(line)); m.hasMatch())
      printed[m.captured(1).toUInt()] = m.captured(3).isEmpty();
  ASSERT_TRUE(printed.at(33835)) << "a command without an update handler stays enabled";
  ASSERT_TRUE(printed.at(33843)) << "the object list is Studio's to show";
  std::vector<QMenu*> menus;
  for (QAction* a : window->menuBar()->actions())
    if (a->menu()) menus.push_back(a->menu());
  int compared = 0;
  for (std::size_t i = 0; i < menus.size(); ++i) {
    emit menus[i]->aboutToShow();
    for (QAction* a : menus[i]->actions()) {
      if (a->menu()) menus.push_back(a->menu());
      const std::uint32_t id = a->data().toUInt();
      if (a->menu() || !a->data().isValid() || id >= 0xE000 || (id >= 33771 && id <= 33800))
        continue;
      EXPECT_EQ(a->isEnabled(), printed.at(id)) << id;
      ++compared;
    }
  }
  EXPECT_GT(compared, 20);

  // After a pick in a filter combo, the keys go to the view again (Tab steps the filter).
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QComboBox* parts = window->filterCombo(false);
  ASSERT_TRUE(parts);
  parts->setFocus();
  settle();
  ASSERT_TRUE(parts->hasFocus());
  emit parts->activated(1);
  settle();
  EXPECT_TRUE(window->viewArea()->activeView()->hasFocus());
}

TEST_F(WindowTest, CtrlZAfterABoxSelectionTakesItBackAndTheEditMenuNamesTheStep) {
  openFold();
  click(window->button(33826));
  ASSERT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"), "");
  studio::ViewWidget* v = view();
  const QPoint from(5, 5), to(v->width() - 5, v->height() - 5);
  QTest::mousePress(v, Qt::LeftButton, {}, from);
  QTest::mouseMove(v, (from + to) / 2);
  QTest::mouseMove(v, to);
  QTest::mouseRelease(v, Qt::LeftButton, {}, to);
  settle();
  ASSERT_EQ(selectedFaces("fold"), 3u);

  QMenu* edit = openMenu("Edit");
  ASSERT_TRUE(edit);
  QStringList texts;
  for (QAction* a : edit->actions()) texts << a->text().remove('&');
  edit->close();
  EXPECT_TRUE(texts.filter(QRegularExpression("^Undo \"Component Select\"\t")).size() == 1)
      << texts.join(" | ").toStdString();
  EXPECT_FALSE(texts.contains("Edit")) << "the module's Edit item is where this menu goes";

  // Window shortcuts answer only in the active window.
  focus(v);
  key(v, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(selectedFaces("fold"), 0u);
  key(v, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(selectedFaces("fold"), 3u);
  key(v, Qt::Key_Delete);
  EXPECT_EQ(host->scene().findByName("fold")->mesh->faceCount(), 1u);
}

// File > Save Selection As through its dialog, a name typed without an extension taking the
// chosen filter's; then Edit > Separate Selection.
TEST_F(WindowTest, SaveSelectionAsAndSeparateSelectionFromTheMenus) {
  openFold();
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"fold\" faces 2 3\n"), "");
  QAction* save = menuItem("File", "Save Selection As...");
  ASSERT_TRUE(save);
  QString title;
  QTimer::singleShot(300, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    title = dialog->windowTitle();
    dialog->selectNameFilter("OBJ (*.obj)");
    // Typed as a person types it: no extension.
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText("wing");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  trigger(save);
  EXPECT_EQ(title.toStdString(), "Save Selected Faces of fold As");
  const studio::LoadedFile written = studio::loadMeshFile(dir.path / "wing.obj");
  ASSERT_EQ(written.error, "") << out.str();
  EXPECT_EQ(written.mesh.faceCount(), 2u);
  EXPECT_EQ(written.mesh.vertexCount(), 4u);

  QAction* separate = menuItem("Edit", "Separate Selection\t");
  ASSERT_TRUE(separate);
  ASSERT_TRUE(separate->text().endsWith("\tP")) << separate->text().toStdString();
  trigger(separate);
  ASSERT_TRUE(host->scene().findByName("fold part"));
  EXPECT_EQ(host->scene().findByName("fold part")->mesh->faceCount(), 2u);
  EXPECT_EQ(host->scene().findByName("fold")->mesh->faceCount(), 2u);
  trigger(separate);
  EXPECT_TRUE(window->warningLabel()->isVisible()) << "nothing left selected: said in the window";
}

// The title shows unsaved changes as the host decides them; Ctrl+S writes the mesh to its own
// file; Save As proposes the mesh's name where the last file was; closing over unsaved changes
// asks, and Cancel keeps the window.
TEST_F(WindowTest, TitleMarksUnsavedChangesAndClosingAsksToSaveThem) {
  const std::string fold = dir.write("fold.obj", kFold).string();
  ASSERT_EQ(window->openFiles({QString::fromStdString(fold)}), 1);
  EXPECT_EQ(window->windowTitle().toStdString(), "fold.obj \u2014 Tessel Studio");
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"fold\" faces 0\ndelete\n"), "");
  EXPECT_EQ(window->windowTitle().toStdString(), "fold.obj* \u2014 Tessel Studio");

  // Answers the next modal dialog: the button of `answer`, or a file dialog's Cancel.
  QString asked;
  auto answerNext = [&asked](QMessageBox::StandardButton answer) {
    QTimer::singleShot(300, [&asked, answer] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        asked = box->text();
        box->button(answer)->click();
      } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        asked = files->windowTitle() + " | " + files->directory().absolutePath() + " | " +
                (name ? name->text() : QString());
        files->reject();
      }
    });
  };
  QAction* exit = menuItem("File", "Exit");
  ASSERT_TRUE(exit);
  answerNext(QMessageBox::Cancel);
  trigger(exit);
  EXPECT_EQ(asked.toStdString(), "Save the changes to fold before closing?");
  EXPECT_TRUE(window->isVisible()) << "Cancel keeps the window and the changes";

  // The Exit given up is not taken up again by the next command.
  asked.clear();
  focus(view());
  answerNext(QMessageBox::Cancel);
  QTest::keyClick(view(), Qt::Key_W);  // View All
  QTest::qWait(400);
  EXPECT_TRUE(asked.isEmpty()) << asked.toStdString();

  key(view(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(window->windowTitle().toStdString(), "fold.obj \u2014 Tessel Studio");
  EXPECT_EQ(studio::loadMeshFile(fold).mesh.faceCount(), 3u) << "written over its own file";

  answerNext(QMessageBox::Cancel);
  key(view(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(asked.toStdString(),
            "Save fold As | " + std::filesystem::canonical(dir.path).string() + " | fold.obj");

  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(window->windowTitle().toStdString(), "fold.obj* \u2014 Tessel Studio")
      << "the file holds the deletion the scene no longer does";
  answerNext(QMessageBox::Discard);
  window->close();
  settle();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(studio::loadMeshFile(fold).mesh.faceCount(), 3u) << "discarded, not written";
}

// Opening a tool's panel from its arrow makes the tool current, as a click on the button does;
// the panel is live only while its tool is active: the dock's fields follow the idle update pass,
// so what looks editable takes edits.
TEST_F(WindowTest, AToolsPanelFollowsItsToolAndEveryPanelHasOneApply) {
  openFold();
  ASSERT_EQ(run("mode object\nfilter object \"Mesh\"\ncommand \"Select All\"\n"
                "tool \"Object Select\"\n"),
            "");
  QTest::mouseClick(panelArrow(kRotate), Qt::LeftButton);
  auto idle = [&] {
    settle();
    QTest::qWait(400);  // past the idle timer
    settle();
  };
  idle();
  studio::PropertyDock* dock = window->dock();
  ASSERT_TRUE(dock->panel());
  EXPECT_STREQ(dock->panel()->GetName(), "Base Rotate");
  QWidget* angle = dock->editor("Angle (Deg)");
  ASSERT_TRUE(angle);
  EXPECT_TRUE(host->tools().IsToolActive("Base Rotate"));
  EXPECT_TRUE(angle->isEnabled());
  auto* ownApply = qobject_cast<QPushButton*>(dock->editor("Apply"));
  ASSERT_TRUE(ownApply);
  EXPECT_TRUE(ownApply->isVisible() && ownApply->isEnabled());
  EXPECT_FALSE(dock->applyButton()->isVisible()) << "the panel's own Apply is its only one";
  EXPECT_FALSE(dock->inactiveNote()->isVisible());
  ASSERT_EQ(run("tool \"Object Select\"\n"), "");
  idle();
  EXPECT_FALSE(angle->isEnabled()) << "the rotate tool is no longer active";
  EXPECT_TRUE(dock->inactiveNote()->isVisible());
  for (QWidget* w : dock->widget()->findChildren<QWidget*>()) {
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QComboBox*>(w)) {
      EXPECT_FALSE(w->isVisible() && w->isEnabled())
          << w->objectName().toStdString() << " can still be pressed";
    }
  }
  shot("window-inactive-panel.png");
  ASSERT_EQ(run("print panel \"Base Rotate\"\n"), "");
  EXPECT_NE(out.str().find("Base Rotate (shown, inactive"), std::string::npos);
  EXPECT_NE(run("apply \"Base Rotate\"\n"), "") << "a script cannot press it either";
  ASSERT_EQ(run("tool \"Base Rotate\"\n"), "");
  idle();
  EXPECT_TRUE(angle->isEnabled());
  EXPECT_FALSE(dock->inactiveNote()->isVisible());
  // A command's panel opens without running its command.
  out.str("");
  QTest::mouseClick(panelArrow(kCustomSelect), Qt::LeftButton);
  idle();
  EXPECT_STREQ(dock->panel()->GetName(), "Custom Select");
  EXPECT_TRUE(dock->applyButton()->isVisible() && dock->applyButton()->isEnabled())
      << "a panel without an Apply of its own gets the window's";
  EXPECT_TRUE(host->tools().IsToolActive("Base Rotate"));
  EXPECT_EQ(out.str().find("have been selected"), std::string::npos) << out.str();
}

TEST_F(WindowTest, ThePanelsOwnApplyTakesTheManipulatorAlongAndCtrlZBringsItBack) {
  openFold();
  ASSERT_EQ(run("mode object\nfilter object \"Mesh\"\ncommand \"Select All\"\n"), "");
  click(window->button(kTranslate), Qt::ShiftModifier);
  studio::PropertyDock* dock = window->dock();
  ASSERT_TRUE(dock->panel());
  EXPECT_STREQ(dock->panel()->GetName(), "Base Translate");
  auto* movement = qobject_cast<QComboBox*>(dock->editor("Movement Type"));
  auto* x = qobject_cast<QLineEdit*>(dock->editor("X"));
  auto* apply = qobject_cast<QPushButton*>(dock->editor("Apply"));
  ASSERT_TRUE(movement && x && apply);
  movement->setCurrentText("Relative");
  emit movement->activated(movement->currentIndex());
  x->clear();
  QTest::keyClicks(x, "0.05");
  QTest::keyClick(x, Qt::Key_Return);
  click(apply);
  studio::Entity* fold = host->scene().findByName("fold");
  const studio::ManipulatorCore* m = host->mainView().shownManipulator();
  ASSERT_TRUE(fold && m);
  EXPECT_NEAR(fold->frame.origin.x, 0.05, 1e-6);
  EXPECT_NEAR(studio::length(m->state.origin - fold->frame.origin), 0, 1e-6)
      << "the manipulator is drawn where the selection went";
  shot("window-manipulator-after-apply.png");
  focus(view());
  key(view(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NEAR(fold->frame.origin.x, 0, 1e-9);
  EXPECT_NEAR(studio::length(m->state.origin - fold->frame.origin), 0, 1e-6);
}

// Two squares side by side, the right one turned over: seen from the front, its back shows.
const char* const kFrontAndBack =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1.2 0 0\nv 2.2 0 0\nv 2.2 1 0\nv 1.2 1 0\n"
    "f 1 2 3\nf 1 3 4\nf 5 7 6\nf 5 8 7\n";

TEST_F(WindowTest, DisplayModesByKeyAndViewMenuPerViewAndBackSidesTinted) {
  ASSERT_EQ(window->openFiles(
                {QString::fromStdString(dir.write("pair.obj", kFrontAndBack).string())}), 1);
  studio::StudioView& active = host->views().active();
  active.camera = studio::standardCamera(studio::ViewKind::Front);
  studio::frameBox(active.camera, host->scene().bounds(), active.size().width,
                   active.size().height);
  host->mainView().redrawAll();
  settle();
  studio::ViewWidget* v = view();
  const QImage smooth = v->grabFramebuffer();
  const QColor front = smooth.pixelColor(v->width() / 2 - v->width() / 6, v->height() / 2);
  const QColor back = smooth.pixelColor(v->width() / 2 + v->width() / 6, v->height() / 2);
  EXPECT_LT(std::abs(front.blue() - front.red()), 20) << "the front is the plain grey";
  EXPECT_GT(back.blue() - back.red(), 25) << "the back side is tinted";
  EXPECT_GT(back.blue(), 60) << "and not black";

  focus(v);
  key(v, Qt::Key_F7);
  EXPECT_EQ(active.display, studio::DisplayMode::Wireframe);
  EXPECT_NE(v->grabFramebuffer(), smooth) << "the edges show";
  QMenu* menu = openMenu("View");
  ASSERT_TRUE(menu);
  QAction* points = menu->findChild<QAction*>("display-points");
  QAction* wire = menu->findChild<QAction*>("display-wireframe");
  ASSERT_TRUE(points && wire);
  EXPECT_TRUE(wire->isChecked()) << "the menu shows the active view's mode";
  click(menu, {}, menu->actionGeometry(points).center());
  EXPECT_EQ(active.display, studio::DisplayMode::Points);
  const QImage dots = v->grabFramebuffer();
  EXPECT_NE(dots, smooth);
  key(v, Qt::Key_F6);
  EXPECT_EQ(active.display, studio::DisplayMode::Flat);
  key(v, Qt::Key_F5);
  EXPECT_EQ(v->grabFramebuffer(), smooth);
  // Per view: another view keeps its own.
  ASSERT_EQ(run("layout quad\ndisplay points 3\n"), "");
  EXPECT_EQ(host->views().view(3).display, studio::DisplayMode::Points);
  EXPECT_EQ(host->views().view(0).display, studio::DisplayMode::Smooth);
  // The keys are listed with Studio's own.
  QStringList keys;
  for (const auto& [key, name] : window->ownShortcuts()) keys << key + " " + name;
  for (const char* key : {"F5 Smooth Shading", "F6 Flat Shading", "F7 Wireframe Over Surface",
                          "F8 Points"})
    EXPECT_TRUE(keys.contains(key)) << key << " in " << keys.join(", ").toStdString();
  shot("window-display-modes.png");
}

// Studio's own navigation through the view widget: a middle drag orbits only under the
// preference, and the wheel moves towards the point under the cursor, which stays under it.
TEST_F(WindowTest, MiddleDragOrbitsUnderThePreferenceAndTheWheelKeepsThePointUnderTheCursor) {
  ASSERT_EQ(window->openFiles({QString::fromStdString(dir.write("fold.obj", kFold).string())}), 1);
  ASSERT_EQ(run("tool \"Object Select\"\n"), "");
  studio::ViewWidget* v = view();
  studio::StudioView& active = host->views().active();
  auto middleDrag = [&](Qt::KeyboardModifiers keys) {
    const QPoint from(v->width() / 2, v->height() / 2), to = from + QPoint(80, 30);
    QTest::mousePress(v, Qt::MiddleButton, keys, from);
    for (int i = 1; i <= 6; ++i) {
      QTest::mouseMove(v, from + (to - from) * i / 6);
      settle();
    }
    QTest::mouseRelease(v, Qt::MiddleButton, keys, to);
    settle();
  };
  const studio::Camera start = active.camera;
  const QImage before = v->grabFramebuffer();
  middleDrag({});
  EXPECT_TRUE(active.camera == start) << "the default leaves the middle button to the tool";
  ASSERT_EQ(run("preference navigation middle\n"), "");
  middleDrag({});
  EXPECT_FALSE(active.camera == start);
  EXPECT_EQ(active.camera.target, start.target) << "a tumble about the target";
  EXPECT_NE(v->grabFramebuffer(), before) << "the view shows the turn";

  // The wheel at a point off the centre: the point under it at the target's depth stays.
  const studio::Camera& c = active.camera;
  const int w = v->pixelWidth(), h = v->pixelHeight();
  const QPoint at(v->width() * 3 / 4, v->height() / 3);
  const double x = at.x() * v->devicePixelRatioF(), y = at.y() * v->devicePixelRatioF();
  studio::Vec3 origin, direction;
  studio::pixelRay(c, w, h, x, y, &origin, &direction);
  const studio::Vec3 forward = studio::viewDirection(c);
  const studio::Vec3 p = origin + direction * (studio::dot(c.target - origin, forward) /
                                               studio::dot(direction, forward));
  const double distance = studio::length(p - c.eye);
  QWheelEvent wheel(QPointF(at), QPointF(v->mapToGlobal(at)), QPoint(), QPoint(0, 240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(v, &wheel);
  settle();
  const studio::ScreenPoint after = studio::project(c, w, h, p);
  EXPECT_NEAR(after.x, x, 1e-3);
  EXPECT_NEAR(after.y, y, 1e-3);
  EXPECT_NEAR(studio::length(p - c.eye), distance * std::exp2(-2.0 / 8), 1e-6 * distance)
      << "two notches in";
}

// Edit > Preferences: the dialog shows the host's preferences, and OK hands them to the host,
// which takes them at once and keeps them in the settings file for the next start.
TEST_F(WindowTest, PreferencesDialogStoresItsValuesAndShowsThemAgain) {
  const std::filesystem::path settings = config.dir / "window.json";
  host->loadPreferences(settings);
  auto openPreferences = [&](const std::function<void(studio::PreferencesDialog*)>& answer) {
    QMenu* edit = openMenu("Edit");
    ASSERT_TRUE(edit);
    QAction* entry = item(edit, "Preferences");
    ASSERT_TRUE(entry && entry->isEnabled());
    bool answered = false;
    QTimer::singleShot(100, [&] {
      auto* dialog = dynamic_cast<studio::PreferencesDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      answer(dialog);
      answered = true;
    });
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->actionGeometry(entry).center());
    settle();
    EXPECT_TRUE(answered);
  };
  openPreferences([&](studio::PreferencesDialog* d) {
    d->findChild<QComboBox*>("navigation")->setCurrentIndex(1);
    d->findChild<QCheckBox*>("wheelTowardsCursor")->setChecked(false);
    d->findChild<QSpinBox*>("historyMB")->setValue(64);
    d->findChild<QSpinBox*>("movingFrameMs")->setValue(120);
    // The swatch asks for a colour in the toolkit's colour dialog.
    QTimer::singleShot(100, [] {
      auto* colours = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(colours);
      colours->setCurrentColor(QColor("#204060"));
      colours->accept();
    });
    d->findChild<QPushButton*>("background")->click();
    EXPECT_EQ(d->findChild<QPushButton*>("background")->text(), "#204060");
    if (const char* shots = std::getenv("TESSEL_SHOT_DIR"))
      d->grab().save(QString(shots) + "/window-preferences.png");
    d->accept();
  });
  studio::Preferences expected;
  expected.navigation = studio::Navigation::MiddleButtonOrbits;
  expected.wheelTowardsCursor = false;
  expected.historyMB = 64;
  expected.movingFrameMs = 120;
  expected.colours.background = {0x20, 0x40, 0x60};
  EXPECT_TRUE(host->preferences() == expected);
  std::vector<std::string> problems;
  EXPECT_TRUE(studio::readPreferences(settings, &problems) == expected) << "kept in the file";
  EXPECT_EQ(view()->grabFramebuffer().pixelColor(2, 2), QColor("#204060"));

  // Shown again as kept; Restore Defaults then Cancel changes nothing.
  openPreferences([&](studio::PreferencesDialog* d) {
    EXPECT_EQ(d->findChild<QComboBox*>("navigation")->currentIndex(), 1);
    EXPECT_FALSE(d->findChild<QCheckBox*>("wheelTowardsCursor")->isChecked());
    EXPECT_EQ(d->findChild<QSpinBox*>("historyMB")->value(), 64);
    for (QPushButton* b : d->findChildren<QPushButton*>())
      if (b->text().remove('&') == "Restore Defaults") b->click();
    EXPECT_TRUE(d->chosen() == studio::Preferences{});
    d->reject();
  });
  EXPECT_TRUE(host->preferences() == expected);
}

TEST_F(WindowTest, GrabShowsMenuToolbarsCombosDockAndStatusBar) {
  const char* sample = std::getenv("TESSEL_SAMPLE");
  QString file = sample && std::filesystem::exists(sample)
                     ? QString(sample)
                     : QString::fromStdString(dir.write("fold.obj", kFold).string());
  ASSERT_EQ(window->openFiles({file}), 1);
  click(panelArrow(kCustomSelect));
  click(window->button(kObjectSelect));
  const QImage picture = window->grab().toImage();
  // Kept only when asked for: a run from the source folder must not leave a picture there.
  if (const char* dirOut = std::getenv("TESSEL_SHOT_DIR"))
    picture.save(QString(dirOut) + "/studio-window.png");

  auto inside = [&](QWidget* w) {
    return w && w->isVisible() && w->width() > 0 &&
           window->rect().contains(QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size()));
  };
  EXPECT_TRUE(inside(window->menuBar()));
  EXPECT_GE(window->menuBar()->actions().size(), 5);  // File, View, Select, Orient, Help...
  int shownBars = 0;
  for (QToolBar* tb : window->moduleToolBars()) shownBars += inside(tb);
  EXPECT_GE(shownBars, 3) << "Select, Zoom and Orient start shown";
  // Every button of a shown bar is on it, none folded away into the bar's overflow menu.
  for (QToolBar* tb : window->moduleToolBars())
    for (auto* b : tb->findChildren<QToolButton*>(QRegularExpression("^button-")))
      EXPECT_TRUE(!tb->isVisible() || b->isVisible()) << b->text().toStdString();
  EXPECT_EQ(window->moduleToolBars().size(), 5u);
  EXPECT_TRUE(inside(window->filterCombo(true)));
  EXPECT_TRUE(inside(window->filterCombo(false)));
  EXPECT_GT(window->filterCombo(true)->count(), 0);
  EXPECT_TRUE(inside(window->dock()));
  EXPECT_STREQ(window->dock()->panel()->GetName(), "Custom Select");
  EXPECT_TRUE(inside(window->statusBar()));
  // The view shows the mesh: its centre differs from the background colour.
  QWidget* v = view();
  const QPoint centre = v->mapTo(window.get(), v->rect().center());
  const QColor c = picture.pixelColor(centre * picture.devicePixelRatio());
  EXPECT_FALSE(std::abs(c.red() - 41) < 4 && std::abs(c.green() - 43) < 4 && std::abs(c.blue() - 51) < 4)
      << "the view's centre is background";
}

TEST_F(WindowTest, FourViewsInSplittersAndABadFileGivesADialogNotAnExit) {
  ASSERT_EQ(run("layout quad\n"), "");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(window->viewArea()->view(i)->isVisible()) << i;
  EXPECT_GT(window->viewArea()->view(3)->width(), 100);
  auto* top = window->viewArea()->findChild<QSplitter*>("views-top");
  auto* bottom = window->viewArea()->findChild<QSplitter*>("views-bottom");
  ASSERT_TRUE(top && bottom);
  // Shown in four, the views split in halves; the rows part nowhere, whatever the window's size.
  EXPECT_LE(std::abs(top->sizes()[0] - top->sizes()[1]), 1);
  EXPECT_EQ(bottom->sizes(), top->sizes());
  for (QSize size : {QSize(1013, 777), QSize(1400, 900)}) {
    window->resize(size);
    settle();
    EXPECT_EQ(bottom->sizes(), top->sizes()) << size.width();
  }
  // Dragging the column boundary of either row moves it in both: the views stay a grid.
  for (const char* row : {"views-top", "views-bottom"}) {
    auto* dragged = window->viewArea()->findChild<QSplitter*>(row);
    auto* other = window->viewArea()->findChild<QSplitter*>(
        std::string(row) == "views-top" ? "views-bottom" : "views-top");
    ASSERT_TRUE(dragged && other);
    QSplitterHandle* handle = dragged->handle(1);
    const QPoint at = handle->rect().center();
    const int before = dragged->sizes().front();
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons held) {
      QMouseEvent e(type, p, handle->mapToGlobal(p), Qt::LeftButton, held, {});
      QApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPoint(row[6] == 't' ? 120 : -60, 0), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at + QPoint(row[6] == 't' ? 120 : -60, 0), Qt::NoButton);
    settle();
    EXPECT_NE(dragged->sizes().front(), before) << row;
    EXPECT_EQ(other->sizes(), dragged->sizes()) << row;
  }
  // One view, a narrower window, and four again: the columns are where they were dragged to,
  // in proportion, in both rows.
  const QList<int> dragged = top->sizes();
  ASSERT_EQ(run("layout single\n"), "");
  window->resize(1151, 850);
  settle();
  ASSERT_EQ(run("layout quad\n"), "");
  EXPECT_NEAR(double(top->sizes()[0]) / top->sizes()[1], double(dragged[0]) / dragged[1], 0.02);
  EXPECT_EQ(bottom->sizes(), top->sizes());
  QString title;
  QTimer::singleShot(300, [&title] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      title = w->windowTitle();
      w->close();
    }
  });
  EXPECT_EQ(window->openFiles({QString::fromStdString(dir.write("bad.obj", "v 0 0\nf 1 2 9\n").string())}), 0);
  EXPECT_TRUE(title.startsWith("Cannot open")) << title.toStdString();
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->openFiles({QString::fromStdString(dir.write("bad2.obj", "f 1 2 3\n").string())}, true), 0);
  EXPECT_TRUE(window->warningLabel()->isVisible());
}

// At 800 x 600 the bars wrap into rows rather than fold a button or a filter combo into their
// overflow menus, all five bars shown too, and the prompt reads whole; wide again, they share
// fewer rows.
TEST_F(WindowTest, At800x600TheBarsWrapAndTheFilterCombosAndPromptStayInSight) {
  openFold();
  auto rows = [&] {
    std::set<int> tops;
    for (QToolBar* tb : window->moduleToolBars())
      if (tb->isVisible()) tops.insert(tb->y());
    return tops.size();
  };
  auto inSight = [&](const std::string& when) {
    for (QToolBar* tb : window->moduleToolBars()) {
      if (!tb->isVisible()) continue;
      EXPECT_LE(tb->geometry().right(), window->width()) << when;
      for (auto* b : tb->findChildren<QToolButton*>(QRegularExpression("^button-")))
        EXPECT_TRUE(b->isVisible()) << when << ": " << b->text().toStdString() << " folded away";
    }
    for (bool objectFilter : {true, false})
      EXPECT_TRUE(window->filterCombo(objectFilter)->isVisible()) << when << objectFilter;
    QLabel* prompt = window->promptLabel();
    EXPECT_FALSE(prompt->text().isEmpty());
    EXPECT_GE(prompt->width(), prompt->sizeHint().width()) << when << ": the prompt is cut";
  };
  ASSERT_EQ(run("panel 34029\nlayout quad\n"), "");  // Custom Select's panel, the widest
  window->resize(800, 600);
  settle();
  ASSERT_EQ(window->size(), QSize(800, 600));
  inSight("800 x 600");
  // The panel reads whole: every name at its full width, every editor inside the dock.
  for (QWidget* w : window->dock()->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    EXPECT_LE(w->mapTo(window->dock(), QPoint(w->width(), 0)).x(), window->dock()->width());
  }
  shot("studio-window-800x600.png");
  ASSERT_EQ(run("id 33020\n"), "");  // every toolbar shown
  inSight("all bars at 800 x 600");
  const std::size_t narrow = rows();
  window->resize(1400, 900);
  settle();
  inSight("all bars at 1400 x 900");
  EXPECT_LT(rows(), narrow);
}

TEST(ToolbarRows, EachRowTakesTheBarsThatFitAndHiddenBarsTakeNoRoom) {
  using studio::toolbarRowStarts;
  EXPECT_EQ(toolbarRowStarts(std::vector{100, 0, 300, 250, 900, 50}, 500),
            (std::vector<std::size_t>{3, 4, 5}));
  EXPECT_EQ(toolbarRowStarts(std::vector{900, 50}, 500), (std::vector<std::size_t>{1}))
      << "a bar wider than the room starts no empty row before it";
  EXPECT_EQ(toolbarRowStarts(std::vector{250, 250}, 500), (std::vector<std::size_t>{}));
  EXPECT_EQ(toolbarRowStarts(std::vector{0, 0, 600}, 500), (std::vector<std::size_t>{}));
}

// Views first shown after a file opened are framed for the shape they settle at, not for the
// sliver a splitter hands them first (the top view showed the scan a tenth of its size); one
// whose camera the user moved keeps it.
TEST_F(WindowTest, ViewsShownInFourAreFramedForTheirOwnShape) {
  openFold();
  ASSERT_EQ(run("layout quad\n"), "");
  const studio::Box box = host->scene().bounds();
  for (int i = 1; i < 4; ++i) {
    studio::ViewWidget* w = window->viewArea()->view(i);
    studio::Camera framed = host->views().view(i).camera;
    studio::frameBox(framed, box, w->pixelWidth(), w->pixelHeight());
    EXPECT_NEAR(host->views().view(i).camera.orthoHeight, framed.orthoHeight,
                1e-9 * framed.orthoHeight)
        << i;
  }
  studio::Camera& top = host->views().view(1).camera;
  top.orthoHeight *= 3;
  const studio::Camera moved = top;
  window->resize(window->width() - 40, window->height() - 30);
  settle();
  EXPECT_EQ(host->views().view(1).camera, moved);
}

// Every item of every menu and every toolbar button that is enabled does something when chosen:
// none answers "Nothing handles". Items that cannot run now are disabled instead.
TEST_F(WindowTest, EveryEnabledMenuItemAndToolbarButtonIsHandled) {
  openFold();
  ASSERT_EQ(run("curve rail 0 0 0 1 0 0\nmode object\n"), "");
  EXPECT_FALSE(menuItem("Select", "Invert")->isEnabled()) << "Invert needs component mode";
  EXPECT_FALSE(menuItem("Select", "Cycle")->isEnabled()) << "Cycle needs two selected objects";

  // Dialogs a command opens (a message box, a progress) are answered as they come.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  answer.start(50);
  int chosen = 0;
  std::vector<QMenu*> menus;
  for (QAction* a : window->menuBar()->actions())
    if (a->menu()) menus.push_back(a->menu());
  // Pressing a menu item or a button reaches something that handles it.
  auto expectHandled = [&](const auto& press, const QString& what) {
    out.str("");
    press();
    settle();
    EXPECT_EQ(out.str().find("Nothing handles"), std::string::npos)
        << what.toStdString() << "\n" << out.str();
  };
  for (std::size_t i = 0; i < menus.size(); ++i) {
    emit menus[i]->aboutToShow();
    for (QAction* a : menus[i]->actions()) {
      if (a->menu()) menus.push_back(a->menu());
      if (a->menu() || !a->data().isValid() || a->data().toUInt() == studio::kIdExit) continue;
      emit menus[i]->aboutToShow();  // what ran before may have changed what can run
      if (!a->isEnabled()) continue;
      expectHandled([a] { a->trigger(); }, a->text());
      ++chosen;
    }
  }
  EXPECT_GT(chosen, 30);
  ASSERT_EQ(run("id 33020\n"), "");  // every toolbar shown
  int clicked = 0;
  for (QToolBar* tb : window->moduleToolBars())
    for (auto* b : tb->findChildren<studio::CommandButton*>()) {
      if (!b->isEnabled()) continue;
      expectHandled([b] { b->click(); }, b->text());
      ++clicked;
    }
  EXPECT_GT(clicked, 15);
  EXPECT_FALSE(window->warningLabel()->text().startsWith("Nothing handles"));
}

// Every toolbar button shows an icon of its own, drawn for the screen's pixels rather than
// scaled up, faded when disabled; its name stays its text (for tests and the icon-less) and
// leads its tooltip, with its key; a menu item of the same command shows the same icon.
TEST_F(WindowTest, EveryToolbarButtonHasAnIconOfItsOwnAndItsNameInTheTooltip) {
  ASSERT_EQ(run("id 33020\n"), "");  // every toolbar shown
  std::map<QByteArray, QString> drawnBy;
  auto pixels = [](const QIcon& icon, QIcon::Mode mode) {
    return icon.pixmap(QSize(24, 24), 2.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
  };
  auto bytes = [](const QImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
  };
  int buttons = 0;
  for (QToolBar* tb : window->moduleToolBars())
    for (auto* b : tb->findChildren<QToolButton*>(QRegularExpression("^button-"))) {
      ++buttons;
      const std::string name = b->text().toStdString();
      ASSERT_FALSE(b->icon().isNull()) << name;
      EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly) << name;
      EXPECT_TRUE(b->toolTip().startsWith(b->text())) << name;
      const QImage normal = pixels(b->icon(), QIcon::Normal);
      EXPECT_EQ(normal.size(), QSize(48, 48)) << name;
      int inked = 0;
      for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x) inked += qAlpha(normal.pixel(x, y)) > 128;
      EXPECT_GT(inked, 48 * 48 / 20) << name << " draws next to nothing";
      EXPECT_NE(bytes(pixels(b->icon(), QIcon::Disabled)), bytes(normal)) << name;
      const auto [first, fresh] = drawnBy.emplace(bytes(normal), b->text());
      EXPECT_TRUE(fresh) << name << " shows the icon of " << first->second.toStdString();
    }
  EXPECT_EQ(buttons, 21);
  EXPECT_EQ(window->button(33826)->toolTip(), "Component Select (C)");
  for (const studio::CommandIcon& c : studio::commandIconTable())
    EXPECT_FALSE(studio::iconFile(c.file).isNull()) << c.file << ".svg is among the resources";
  QMenu* orient = openMenu("Orient");
  ASSERT_TRUE(orient);
  EXPECT_EQ(bytes(pixels(item(orient, "Translate")->icon(), QIcon::Normal)),
            bytes(pixels(window->button(kTranslate)->icon(), QIcon::Normal)));
  orient->close();
}

// View > Show Hierarchy Tree opens the object list; its check boxes, rows, F2 and the Delete key
// reach the host, and the host's changes reach the rows.
TEST_F(WindowTest, ObjectListShowsHidesSelectsRenamesAndDeletes) {
  openFold();
  ASSERT_EQ(run("curve rail 0 0 0 1 0 0\nmode object\n"), "");
  QMenu* viewMenu = openMenu("View");
  ASSERT_TRUE(viewMenu);
  QAction* show = item(viewMenu, "Show Hierarchy Tree");
  ASSERT_TRUE(show && show->isEnabled());
  EXPECT_FALSE(show->isChecked());
  click(viewMenu, {}, viewMenu->actionGeometry(show).center());
  studio::ObjectListDock* list = window->objectList();
  ASSERT_TRUE(list->isVisible());
  EXPECT_TRUE(item(viewMenu, "Show Hierarchy Tree")->isChecked());
  QTreeWidget* tree = list->tree();
  const std::uint32_t foldId = host->objectId("fold"), railId = host->objectId("rail");
  QTreeWidgetItem* fold = list->itemOf(foldId);
  ASSERT_TRUE(fold && list->itemOf(railId));
  EXPECT_EQ(fold->parent()->text(0), "Meshes (1)");
  EXPECT_EQ(fold->text(studio::ObjectListDock::kVertices), "6");
  EXPECT_EQ(fold->text(studio::ObjectListDock::kFaces), "4");
  EXPECT_EQ(fold->text(studio::ObjectListDock::kBoundary), "6");

  // The check box hides the mesh, as a step Ctrl+Z takes back.
  QStyleOptionViewItem option;
  option.initFrom(tree);
  option.rect = tree->visualItemRect(fold);
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  const QRect box = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
  click(tree->viewport(), {}, box.center());
  EXPECT_FALSE(host->scene().find(foldId)->visible);
  EXPECT_EQ(host->history().nextUndo()->name, "Hide \"fold\"");
  focus(tree);
  key(tree, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(host->scene().find(foldId)->visible);
  EXPECT_EQ(list->itemOf(foldId)->checkState(0), Qt::Checked);

  // Clicks select as picks do, Ctrl adding; the host's selection comes back to the rows.
  auto clickRow = [&](std::uint32_t id, Qt::KeyboardModifiers keys) {
    click(tree->viewport(), keys, tree->visualItemRect(list->itemOf(id)).center());
  };
  clickRow(foldId, {});
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{foldId}));
  clickRow(railId, Qt::ControlModifier);
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{foldId, railId}));
  EXPECT_TRUE(window->selectionLabel()->text().startsWith("2 objects selected"));
  ASSERT_EQ(run("pick fold\n"), "");
  EXPECT_TRUE(list->itemOf(foldId)->isSelected());
  EXPECT_FALSE(list->itemOf(railId)->isSelected());

  // F2 renames; a name the host refuses is said and the row keeps the old one.
  auto rename = [&](std::uint32_t id, const QString& text) {
    tree->setCurrentItem(list->itemOf(id), 0, QItemSelectionModel::NoUpdate);
    tree->setFocus();
    key(tree, Qt::Key_F2);
    QWidget* editor = QApplication::focusWidget();
    EXPECT_TRUE(qobject_cast<QLineEdit*>(editor));
    if (!editor) return;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    key(editor, Qt::Key_Return);
  };
  rename(railId, "guide");
  EXPECT_EQ(host->scene().find(railId)->name, "guide");
  EXPECT_EQ(list->itemOf(railId)->text(0), "guide");
  EXPECT_EQ(host->history().nextUndo()->name, "Rename \"rail\"");
  rename(railId, "fold");
  EXPECT_EQ(host->scene().find(railId)->name, "guide");
  EXPECT_EQ(list->itemOf(railId)->text(0), "guide");
  EXPECT_TRUE(window->warningLabel()->text().contains("is the name of another object"));

  // Delete in the list is Edit > Delete; a mesh opened later joins the list.
  clickRow(foldId, {});
  tree->setFocus();
  key(tree, Qt::Key_Delete);
  EXPECT_FALSE(host->scene().find(foldId));
  EXPECT_FALSE(list->itemOf(foldId));
  EXPECT_FALSE(window->warningLabel()->isVisible()) << "the refusal went at the next action";
  ASSERT_EQ(window->openFiles({QString::fromStdString(dir.write("leaf.obj", kFold).string())}), 1);
  EXPECT_TRUE(list->itemOf(host->objectId("leaf")));
}

// Show Toolbars lists the toolbars with check marks; All and None; the panes follow their items
// and their own close buttons; the toolbars shown are kept for the next start.
TEST_F(WindowTest, ToolbarsAndPanesFollowTheViewMenuAndToolbarsAreKept) {
  QMenu* viewMenu = menuOf("View");
  ASSERT_TRUE(viewMenu);
  QMenu* bars = item(viewMenu, "Show Toolbars")->menu();
  ASSERT_TRUE(bars);
  emit bars->aboutToShow();
  QStringList texts;
  for (QAction* a : bars->actions())
    texts << a->text().remove('&') + (a->isChecked() ? "+" : "");
  EXPECT_EQ(texts.join(","), "Select+,Zoom+,Orient+,Camera,Light,,All,None");
  auto toolbar = [&](const QString& title) {
    for (QToolBar* tb : window->moduleToolBars())
      if (tb->windowTitle() == title) return tb;
    return static_cast<QToolBar*>(nullptr);
  };
  trigger(item(bars, "None"));
  for (QToolBar* tb : window->moduleToolBars()) EXPECT_FALSE(tb->isVisible());
  trigger(item(bars, "Camera"));
  EXPECT_TRUE(toolbar("Camera")->isVisible());
  EXPECT_TRUE(item(bars, "Camera")->isChecked());
  EXPECT_FALSE(item(bars, "Select")->isChecked());

  trigger(item(viewMenu, "Show Properties Sheet"));
  EXPECT_FALSE(window->dock()->isVisible());
  EXPECT_FALSE(item(viewMenu, "Show Properties Sheet")->isChecked());
  trigger(item(viewMenu, "Show Hierarchy Tree"));
  ASSERT_TRUE(window->objectList()->isVisible());
  window->objectList()->close();  // its own close button
  settle();
  EXPECT_FALSE(item(viewMenu, "Show Hierarchy Tree")->isChecked());

  window->close();
  host->frame().showAllToolbars(true);
  window = std::make_unique<MainWindow>(*host, *context, config.dir / "window.json");
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  settle();
  for (QToolBar* tb : window->moduleToolBars())
    EXPECT_EQ(tb->isVisible(), tb->windowTitle() == "Camera") << tb->windowTitle().toStdString();
}

TEST_F(WindowTest, RecentFilesAndGeometryAreKeptInTheSettingsFile) {
  const std::string fold = dir.write("fold.obj", kFold).string();
  ASSERT_EQ(window->openFiles({QString::fromStdString(fold)}), 1);
  window->close();
  ASSERT_TRUE(std::filesystem::exists(config.dir / "window.json"));
  window = std::make_unique<MainWindow>(*host, *context, config.dir / "window.json");
  ASSERT_EQ(window->recentFiles().size(), 1);
  EXPECT_EQ(window->recentFiles().front().toStdString(), std::filesystem::absolute(fold).string());
}

TEST_F(WindowTest, KeyboardShortcutsListEveryAcceleratorAndStudiosOwnKeysByName) {
  const auto own = window->ownShortcuts();
  studio::ShortcutsDialog dialog(*host, [this](std::uint32_t id) {
    return QString::fromStdString(host->frame().commandName(id));
  }, own);
  QTableWidget* table = dialog.table();
  ASSERT_EQ(table->rowCount(), static_cast<int>(host->frame().accelerators().size() + own.size()));
  QStringList names;
  for (int r = 0; r < table->rowCount(); ++r) names.push_back(table->item(r, 1)->text());
  EXPECT_TRUE(names.contains("View All"));
  EXPECT_TRUE(names.contains("Select All"));
  EXPECT_TRUE(names.contains("Open...")) << "Studio's own Ctrl+O";
  for (const QString& n : names) EXPECT_FALSE(n.isEmpty());
  // Sized to its rows: every row is on screen without scrolling.
  dialog.show();
  EXPECT_GE(table->viewport()->height(), table->rowCount() * table->rowHeight(0));
}

// A script's picture of a dialog is the dialog its menu item opens, without the modal wait that
// would stop the script there: the same pixels (so the same size and the values in force), and
// the dialog is closed again before the next line.
TEST_F(WindowTest, ScriptShotsOfTheDialogsAreTheMenusDialogsAndTakeNothing) {
  // The dialog as its menu item opens it, pictured.
  auto menuDialog = [&](const QString& menu, const QString& entry) {
    QImage picture;
    QTimer::singleShot(100, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      picture = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
      dialog->reject();
    });
    QAction* action = menuItem(menu, entry);
    EXPECT_TRUE(action);
    if (action) trigger(action);
    return picture;
  };
  studio::ScriptRunner runner(*host, out);
  studio::connectScript(runner, *window, *host,
                        [this](const std::string& line) { out << line << '\n'; });
  const std::string preferences = (dir.path / "preferences.png").string();
  const std::string shortcuts = (dir.path / "shortcuts.png").string();
  std::istringstream script("preference background 204060\nshot " + preferences +
                            " dialog preferences\nshot " + shortcuts +
                            " dialog shortcuts\nprint preferences\n");
  std::ostringstream err;
  ASSERT_EQ(runner.run(script, "test", err), 0) << err.str();
  EXPECT_NE(out.str().find("shot: " + preferences + "\nshot: " + shortcuts), std::string::npos);
  EXPECT_TRUE(window->findChildren<studio::PreferencesDialog*>().isEmpty());
  EXPECT_TRUE(window->findChildren<studio::ShortcutsDialog*>().isEmpty());

  auto colours = [](const QImage& picture) {
    std::set<QRgb> seen;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) seen.insert(picture.pixel(x, y));
    return seen;
  };
  const QImage preferencesPicture =
      QImage(QString::fromStdString(preferences)).convertToFormat(QImage::Format_RGB32);
  const QImage shortcutsPicture =
      QImage(QString::fromStdString(shortcuts)).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(preferencesPicture.isNull());
  ASSERT_FALSE(shortcutsPicture.isNull());
  // Pixel for pixel the dialog the menu shows: its size, and the values in force (the swatch
  // shows the background the script set).
  EXPECT_TRUE(preferencesPicture == menuDialog("Edit", "Preferences"));
  EXPECT_TRUE(shortcutsPicture == menuDialog("Help", "Keyboard Shortcuts"));
  EXPECT_NE(preferencesPicture.size(), shortcutsPicture.size());
  EXPECT_GT(colours(preferencesPicture).size(), 10u) << "text and fields, not a blank";
  EXPECT_GT(colours(shortcutsPicture).size(), 10u);
}

TEST_F(WindowTest, CancelInTheProgressDialogCancelsTheRun) {
  studio::ProgressDialog progress("Flood", window.get());
  progress.SetRange(100);
  progress.Step(10);
  EXPECT_FALSE(progress.IsCancelled());
  progress.Finish();
  EXPECT_FALSE(progress.IsCancelled()) << "a finished run was not cancelled";
  progress.dialog().cancel();
  EXPECT_TRUE(progress.IsCancelled());
}

TEST(CursorImage, AndXorPlanesBecomeBitmapAndMask) {
  omCursor c;
  c.id = 5000;
  c.hotX = 3, c.hotY = 4;
  c.andMask[0] = 0x3FFFFFFFu, c.xorMask[0] = 0x40000000u;  // pixel 0 black, pixel 1 white
  c.andMask[1] = 0xFFFFFFFFu;                              // transparent row
  const QCursor cursor = studio::cursorFromMasks(c);
  const QImage bitmap = cursor.bitmap().toImage(), mask = cursor.mask().toImage();
  EXPECT_EQ(cursor.hotSpot(), QPoint(3, 4));
  EXPECT_EQ(mask.pixelIndex(0, 0), 1);
  EXPECT_EQ(mask.pixelIndex(1, 0), 1);
  EXPECT_NE(bitmap.pixelIndex(0, 0), bitmap.pixelIndex(1, 0)) << "black and white differ";
  EXPECT_EQ(mask.pixelIndex(5, 1), 0);
}

// A still frame of a large scene is drawn a piece at a time between events: a press that comes
// while it is being drawn is handled after one piece, not after the whole frame, and the frame is
// complete and shown once the pieces run out.
TEST_F(WindowTest, APressDuringAFrameDrawnInPiecesIsHandledBetweenPieces) {
  openGrid();
  ASSERT_TRUE(host->tools().ActivateTool("Tumble"));
  studio::Renderer& renderer = host->renderer();
  renderer.setPieceTriangles(4'000);  // ten pieces, whatever this machine's speed
  const std::uint64_t shown = view()->framesPresented();
  host->views().active().RedrawView(0);
  QApplication::processEvents();  // the marked view's first piece
  ASSERT_TRUE(renderer.refining());
  EXPECT_EQ(view()->framesPresented(), shown) << "a frame in pieces is shown once complete";
  // Posted as the display server delivers it, behind the next piece.
  const QPoint at(37, 41);
  QCoreApplication::postEvent(
      view(), new QMouseEvent(QEvent::MouseButtonPress, QPointF(at), QPointF(view()->mapToGlobal(at)),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QApplication::processEvents();
  float xy[2];
  host->views().active().GetCursorPosition(xy);
  EXPECT_EQ(QPoint(static_cast<int>(xy[0]), static_cast<int>(xy[1])), at) << "the press waited";
  EXPECT_TRUE(renderer.refining()) << "with most of the frame still to draw";
  // Let go without moving: the camera did not move, so the same frame goes on to the end.
  QTest::mouseRelease(view(), Qt::LeftButton, {}, at);
  for (int i = 0; i < 40 && renderer.refining(); ++i) QApplication::processEvents();
  EXPECT_FALSE(renderer.refining());
  EXPECT_GT(view()->framesPresented(), shown);
  // The complete frame is the one a whole frame draws.
  const studio::PixelRect rect = host->views().active().rect;
  const std::vector<std::uint8_t> pieces = renderer.readPixels(rect);
  renderer.setPieceTriangles(0);
  host->drawView(0);
  EXPECT_EQ(pieces, renderer.readPixels(rect));
  // A picture of the window is taken of a finished frame, never of the pieces drawn so far.
  renderer.setPieceTriangles(4'000);
  host->views().active().RedrawView(0);
  QApplication::processEvents();
  ASSERT_TRUE(renderer.refining());
  const std::uint64_t before = view()->framesPresented();
  host->completeFrames();
  EXPECT_FALSE(renderer.refining());
  EXPECT_GT(view()->framesPresented(), before);
  EXPECT_EQ(pieces, renderer.readPixels(rect));
}

// The pieces of a frame are drawn aside: until the last one, whatever repaints the view (an
// expose, a dock resized, the compositor) shows the last complete frame, never a half-drawn one;
// the complete frame then reaches the view's surface with its depth, which a pick reads.
TEST_F(WindowTest, AFrameDrawnInPiecesReachesTheScreenOnlyWhenComplete) {
  openGrid();
  studio::Renderer& renderer = host->renderer();
  studio::StudioView& active = host->views().active();
  renderer.setPieceTriangles(4'000);
  host->completeFrames();
  const QImage last = view()->grabFramebuffer();
  // A turned camera: the next frame differs wherever the scan is.
  ASSERT_TRUE(studio::tumble(active.camera, 25, 10));
  active.RedrawView(0);
  QApplication::processEvents();  // the first piece
  ASSERT_TRUE(renderer.refining());
  for (int piece = 0; piece < 4 && renderer.refining(); ++piece) {
    view()->update();
    window->repaint();
    EXPECT_EQ(view()->grabFramebuffer(), last) << "a half-drawn frame shown after piece " << piece;
    if (piece == 2) shot("pieces-while-refining.png");
    host->refine();
  }
  ASSERT_TRUE(renderer.refining()) << "with pieces still to draw";
  // A pick completes the frame and reads the complete frame's depth, as after a whole frame.
  const int x = active.rect.width / 2, y = active.rect.height / 2;
  const auto picked = renderer.surfacePointAt(host->scene(), active.camera, active.rect, 0, x, y);
  EXPECT_FALSE(renderer.refining());
  const QImage complete = view()->grabFramebuffer();
  EXPECT_NE(complete, last);
  shot("pieces-complete.png");
  renderer.setPieceTriangles(0);
  host->drawView(0);
  EXPECT_EQ(view()->grabFramebuffer(), complete) << "the pieces' frame is the whole frame";
  const auto whole = renderer.surfacePointAt(host->scene(), active.camera, active.rect, 0, x, y);
  ASSERT_TRUE(picked && whole);
  EXPECT_LT(studio::length(*picked - *whole), 1e-6 * studio::targetDistance(active.camera));
}

}  // namespace
}  // namespace tessel::test

int main(int argc, char** argv) {
  tessel::studio::prepareToolkit();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
