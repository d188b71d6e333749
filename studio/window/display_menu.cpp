#include "studio/window/display_menu.h"

#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>

#include "studio/host/studio_host.h"

namespace tessel::studio {

void addDisplayModes(QMenu* view, StudioHost& host) {
  view->addSeparator();
  auto* group = new QActionGroup(view);
  const struct {
    DisplayMode mode;
    const char* text;
    Qt::Key key;
  } entries[] = {{DisplayMode::Smooth, "S&mooth Shading", Qt::Key_F5},
                 {DisplayMode::Flat, "&Flat Shading", Qt::Key_F6},
                 {DisplayMode::Wireframe, "&Wireframe Over Surface", Qt::Key_F7},
                 {DisplayMode::Points, "&Points", Qt::Key_F8}};
  for (const auto& e : entries) {
    QAction* a = view->addAction(e.text);
    a->setObjectName(QString("display-") + displayModeName(e.mode));
    a->setShortcut(QKeySequence(e.key));
    a->setCheckable(true);
    a->setActionGroup(group);
    QObject::connect(a, &QAction::triggered, view,
                     [&host, mode = e.mode] { host.setDisplay(displayModeName(mode)); });
  }
  QObject::connect(view, &QMenu::aboutToShow, group, [&host, group] {
    const char* shown = displayModeName(host.views().active().display);
    for (QAction* a : group->actions())
      a->setChecked(a->objectName() == QString("display-") + shown);
  });
}

}  // namespace tessel::studio
