#include "studio/window/window_gl_context.h"

#include <QOpenGLContext>

#include "studio/window/view_widget.h"

namespace tessel::studio {

void WindowGlContext::attach(int index, ViewWidget* widget) {
  if (index >= 0 && index < static_cast<int>(widgets_.size())) widgets_[index] = widget;
}

ViewWidget* WindowGlContext::current() const { return widgets_[current_]; }

void WindowGlContext::useView(int index) {
  if (index >= 0 && index < static_cast<int>(widgets_.size())) current_ = index;
}

bool WindowGlContext::makeCurrent() {
  ViewWidget* w = current();
  if (!w || !w->isValid() || !w->isVisible()) {
    if (w) w->markStale();
    return false;
  }
  w->makeCurrent();
  return true;
}

int WindowGlContext::width() const {
  ViewWidget* w = current();
  return w && w->isValid() ? w->pixelWidth() : width_;
}

int WindowGlContext::height() const {
  ViewWidget* w = current();
  return w && w->isValid() ? w->pixelHeight() : height_;
}

GLuint WindowGlContext::framebuffer() const {
  ViewWidget* w = current();
  return w && w->isValid() ? w->defaultFramebufferObject() : 0;
}

void WindowGlContext::present() {
  ViewWidget* w = current();
  if (!w) return;
  w->framePresented();
  if (!w->painting()) w->update();
}

void* WindowGlContext::procAddress(const char* name) {
  QOpenGLContext* c = QOpenGLContext::currentContext();
  return c ? reinterpret_cast<void*>(c->getProcAddress(name)) : nullptr;
}

}  // namespace tessel::studio
