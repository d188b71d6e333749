// A window on a display, through GLFW: the same drawing as offscreen, shown as it happens, and
// the window's mouse and keys fed to the host as a user's input.
#pragma once

#include <memory>
#include <string>

#include "studio/renderer.h"

struct GLFWwindow;

namespace tessel::studio {

class StudioHost;

class WindowContext final : public GlContext {
 public:
  // Null with *error set when there is no display or no OpenGL for it.
  static std::unique_ptr<WindowContext> create(int width, int height, std::string* error);
  ~WindowContext() override;
  bool makeCurrent() override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  void present() override;
  void* procAddress(const char* name) override;

  // Runs until the window is closed or the host asks to exit.
  void run(StudioHost& host);

 private:
  WindowContext() = default;
  GLFWwindow* window_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace tessel::studio
