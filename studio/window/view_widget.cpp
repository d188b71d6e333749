#include "studio/window/view_widget.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QWheelEvent>

#include "studio/host/studio_host.h"
#include "studio/window/cursor_image.h"

namespace tessel::studio {
namespace {

std::int32_t buttonCode(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return om::kButtonLeft;
    case Qt::MiddleButton: return om::kButtonMiddle;
    case Qt::RightButton: return om::kButtonRight;
    default: return 0;
  }
}

}  // namespace

ViewWidget::ViewWidget(StudioHost& host, int index, std::function<void()> afterInput,
                       QWidget* parent)
    : QOpenGLWidget(parent), host_(host), index_(index), afterInput_(std::move(afterInput)) {
  // The surface keeps what was drawn between frames: the module's XOR overlay draws over the
  // last frame and erases itself by drawing again.
  setUpdateBehavior(QOpenGLWidget::PartialUpdate);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(64, 48);
}

int ViewWidget::pixelWidth() const {
  return static_cast<int>(width() * devicePixelRatioF() + 0.5);
}

int ViewWidget::pixelHeight() const {
  return static_cast<int>(height() * devicePixelRatioF() + 0.5);
}

float ViewWidget::pixelX(double logical) const {
  return static_cast<float>(logical * devicePixelRatioF());
}

float ViewWidget::pixelY(double logical) const {
  return static_cast<float>(logical * devicePixelRatioF());
}

void ViewWidget::framePresented() {
  ++frames_;
  lastFrame_ = std::chrono::steady_clock::now();
}

void ViewWidget::initializeGL() {
  stale_ = true;
  // A context made anew (the widget moved to another window) has none of the old one's
  // framebuffers.
  host_.renderer().forgetPieceTarget(index_);
}

void ViewWidget::resizeGL(int, int) {
  const int w = pixelWidth(), h = pixelHeight();
  host_.views().setSurfaceSize(index_, w, h);
  StudioView& view = host_.views().view(index_);
  // A view first seen after the scene was loaded is framed for its own shape, and framed again
  // while its shape settles (splitters hand out their sizes over several resizes, the first of
  // them a sliver) until its camera is moved.
  const Box box = host_.scene().bounds();
  if (!box.empty() && w > 0 && h > 0 && (!framed_ || (autoFramed_ && *autoFramed_ == view.camera))) {
    frameBox(view.camera, box, w, h);
    autoFramed_ = view.camera;
  }
  framed_ = true;
  stale_ = true;
}

void ViewWidget::paintGL() {
  if (!stale_) return;  // the surface holds the last frame, overlay included
  stale_ = false;
  painting_ = true;
  host_.drawView(index_);
  painting_ = false;
}

void ViewWidget::modifiers(Qt::KeyboardModifiers held) {
  host_.setModifiers(held & Qt::ShiftModifier, held & Qt::ControlModifier,
                     held & Qt::AltModifier);
}

void ViewWidget::button(QMouseEvent* event, bool press) {
  const std::int32_t code = buttonCode(event->button());
  if (!code) return;
  flushMotion();
  ViewManager& views = host_.views();
  // A press makes the view under it the active one.
  if (press && &views.active() != &views.view(index_)) views.setActive(index_);
  if (&views.active() != &views.view(index_)) return;
  modifiers(event->modifiers());
  host_.mouseButton(code, press, pixelX(event->position().x()), pixelY(event->position().y()));
  if (afterInput_) afterInput_();
}

void ViewWidget::mousePressEvent(QMouseEvent* event) { button(event, true); }
void ViewWidget::mouseReleaseEvent(QMouseEvent* event) { button(event, false); }

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
  if (&host_.views().active() != &host_.views().view(index_)) return;
  motionX_ = pixelX(event->position().x());
  motionY_ = pixelY(event->position().y());
  motionModifiers_ = event->modifiers();
  if (motionWaiting_) return;  // the delivery already queued takes this position
  motionWaiting_ = true;
  QMetaObject::invokeMethod(this, [this] { flushMotion(); }, Qt::QueuedConnection);
}

void ViewWidget::flushMotion() {
  if (!motionWaiting_) return;
  motionWaiting_ = false;
  modifiers(motionModifiers_);
  host_.mouseMove(motionX_, motionY_);
  if (afterInput_) afterInput_();
}

void ViewWidget::wheelEvent(QWheelEvent* event) {
  flushMotion();
  ViewManager& views = host_.views();
  if (&views.active() != &views.view(index_)) views.setActive(index_);
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  modifiers(event->modifiers());
  host_.mouseWheel(delta, pixelX(event->position().x()), pixelY(event->position().y()));
  if (afterInput_) afterInput_();
  event->accept();
}

void ViewWidget::showModuleCursor(const omCursor& cursor) {
  if (cursor.id == cursorId_) return;
  cursorId_ = cursor.id;
  if (cursor.id == 0)
    unsetCursor();
  else
    setCursor(cursorFromMasks(cursor));
}

}  // namespace tessel::studio
