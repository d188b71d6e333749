// The window's drawing context: each view draws into the surface of its own widget, so the
// renderer's one context stands for whichever view the host is about to draw or read.
#pragma once

#include <array>

#include "studio/render/renderer.h"

namespace tessel::studio {

class ViewWidget;

class WindowGlContext final : public GlContext {
 public:
  // The size views take until their widgets have one.
  WindowGlContext(int width, int height) : width_(width), height_(height) {}

  void attach(int index, ViewWidget* widget);
  // False while the view's widget has no surface (not shown yet); nothing is drawn then.
  bool makeCurrent() override;
  int width() const override;
  int height() const override;
  // Hands what was drawn to the window system; inside a widget's own paint there is no need.
  void present() override;
  void* procAddress(const char* name) override;
  void useView(int index) override;
  int viewInUse() const override { return current_; }
  GLuint framebuffer() const override;

 private:
  ViewWidget* current() const;
  std::array<ViewWidget*, 4> widgets_{};
  int current_ = 0;
  int width_, height_;
};

}  // namespace tessel::studio
