// One view of the window: an OpenGL surface the host draws the view into, and the mouse over it
// handed to the host as the view's input. Pointer motion is coalesced: moves that arrive while a
// frame is drawn replace each other, and the next frame draws the latest, so input never queues
// up behind drawing.
#pragma once

#include <QOpenGLWidget>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "host/omCursor.h"
#include "studio/scene/camera.h"

namespace tessel::studio {

class StudioHost;

class ViewWidget final : public QOpenGLWidget {
 public:
  // `afterInput` runs after each piece of input reached the host (the window refreshes its
  // status line and toolbars then).
  ViewWidget(StudioHost& host, int index, std::function<void()> afterInput,
             QWidget* parent = nullptr);

  int index() const { return index_; }
  int pixelWidth() const;
  int pixelHeight() const;
  // Inside paintGL, where the toolkit shows the surface itself afterwards.
  bool painting() const { return painting_; }
  // What the surface shows is out of date (it was resized, or drawn while it had no surface).
  void markStale() { stale_ = true; }
  // The host finished a frame of this view.
  void framePresented();
  std::uint64_t framesPresented() const { return frames_; }
  std::chrono::steady_clock::time_point lastFrameTime() const { return lastFrame_; }
  // Delivers the pointer motion still waiting, if any.
  void flushMotion();
  // Shows the module's cursor (id 0: the arrow).
  void showModuleCursor(const omCursor& cursor);

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void button(QMouseEvent* event, bool press);
  void modifiers(Qt::KeyboardModifiers held);
  float pixelX(double logical) const;
  float pixelY(double logical) const;

  StudioHost& host_;
  int index_;
  std::function<void()> afterInput_;
  bool painting_ = false, stale_ = true, framed_ = false;
  std::optional<Camera> autoFramed_;  // the camera the last framing on a resize set
  bool motionWaiting_ = false;
  float motionX_ = 0, motionY_ = 0;
  Qt::KeyboardModifiers motionModifiers_;
  std::uint64_t frames_ = 0;
  std::chrono::steady_clock::time_point lastFrame_;
  std::int32_t cursorId_ = -1;
};

}  // namespace tessel::studio
