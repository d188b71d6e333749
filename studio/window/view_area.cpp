#include "studio/window/view_area.h"

#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "studio/host/studio_host.h"
#include "studio/window/view_widget.h"
#include "studio/window/window_gl_context.h"

namespace tessel::studio {

ViewArea::ViewArea(StudioHost& host, WindowGlContext& context, std::function<void()> afterInput,
                   QWidget* parent)
    : QWidget(parent), host_(host), context_(context) {
  static const char* const kTitles[4] = {"Perspective", "Top", "Front", "Right"};
  rows_ = new QSplitter(Qt::Vertical, this);
  top_ = new QSplitter(Qt::Horizontal, rows_);
  bottom_ = new QSplitter(Qt::Horizontal, rows_);
  top_->setObjectName("views-top");
  bottom_->setObjectName("views-bottom");
  // The four views are one grid: a column boundary dragged in either row moves in both.
  for (QSplitter* from : {top_, bottom_}) {
    QSplitter* to = from == top_ ? bottom_ : top_;
    connect(from, &QSplitter::splitterMoved, to, [from, to] {
      if (to->sizes() != from->sizes()) to->setSizes(from->sizes());
    });
  }
  for (int i = 0; i < 4; ++i) {
    panes_[i] = new QWidget(i < 2 ? top_ : bottom_);
    auto* layout = new QVBoxLayout(panes_[i]);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    labels_[i] = new QLabel(kTitles[i], panes_[i]);
    labels_[i]->setContentsMargins(6, 2, 6, 2);
    views_[i] = new ViewWidget(host, i, afterInput, panes_[i]);
    views_[i]->setObjectName(QString("view-%1").arg(kTitles[i]));
    context.attach(i, views_[i]);
    layout->addWidget(labels_[i]);
    layout->addWidget(views_[i], 1);
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(rows_);
  sync();
}

ViewArea::~ViewArea() {
  // The host may still draw (a tool letting go) after the window is gone: nowhere, then.
  for (int i = 0; i < 4; ++i) context_.attach(i, nullptr);
}

ViewWidget* ViewArea::activeView() const { return views_[host_.views().active().index()]; }

void ViewArea::sync() {
  ViewManager& views = host_.views();
  const bool quad = views.quad();
  if (quad_ && !quad) columns_ = top_->sizes();
  for (int i = 1; i < 4; ++i) panes_[i]->setVisible(quad);
  bottom_->setVisible(quad);
  if (quad && !quad_) {
    // The top row alone held the perspective view: its columns now are where the user left
    // them, or halves the first time.
    constexpr int kHalf = 1 << 16;
    top_->setSizes(columns_.value_or(QList<int>{kHalf, kHalf}));
  }
  quad_ = quad;
  const int active = views.active().index();
  for (int i = 0; i < 4; ++i)
    labels_[i]->setStyleSheet(quad && i == active
                                  ? "QLabel { background: #d9a441; color: black; font-weight: bold; }"
                                  : "QLabel { background: #3a3d44; color: #e0e0e0; }");
}

}  // namespace tessel::studio
