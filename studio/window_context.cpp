#include "studio/window_context.h"

#include <GLFW/glfw3.h>

#include "studio/studio_host.h"

namespace tessel::studio {
namespace {

StudioHost* hostOf(GLFWwindow* w) { return static_cast<StudioHost*>(glfwGetWindowUserPointer(w)); }

void applyModifiers(StudioHost& host, int mods) {
  host.setModifiers(mods & GLFW_MOD_SHIFT, mods & GLFW_MOD_CONTROL, mods & GLFW_MOD_ALT);
}

// The frame position as the active view's pixels; a press first makes the view under it active.
void toView(StudioHost& host, double fx, double fy, bool activate, float* x, float* y) {
  ViewManager& views = host.views();
  if (activate)
    for (int i = 0; i < views.GetViewCount(); ++i) {
      const PixelRect& r = views.view(i).rect;
      if (fx >= r.x && fx < r.x + r.width && fy >= r.y && fy < r.y + r.height &&
          &views.view(i) != &views.active())
        views.setActive(i);
    }
  const PixelRect& r = views.active().rect;
  *x = static_cast<float>(fx - r.x), *y = static_cast<float>(fy - r.y);
}

std::int32_t buttonCode(int glfwButton) {
  switch (glfwButton) {
    case GLFW_MOUSE_BUTTON_LEFT: return om::kButtonLeft;
    case GLFW_MOUSE_BUTTON_MIDDLE: return om::kButtonMiddle;
    case GLFW_MOUSE_BUTTON_RIGHT: return om::kButtonRight;
    default: return 0;
  }
}

// GLFW key codes as the accelerator table's virtual keys: letters and digits are ASCII in both.
std::uint8_t virtualKeyOf(int key) {
  if ((key >= GLFW_KEY_A && key <= GLFW_KEY_Z) || (key >= GLFW_KEY_0 && key <= GLFW_KEY_9))
    return static_cast<std::uint8_t>(key);
  if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F12)
    return static_cast<std::uint8_t>(0x70 + key - GLFW_KEY_F1);
  switch (key) {
    case GLFW_KEY_DELETE: return 0x2E;
    case GLFW_KEY_ESCAPE: return 0x1B;
    case GLFW_KEY_ENTER: return 0x0D;
    case GLFW_KEY_SPACE: return 0x20;
    case GLFW_KEY_LEFT: return 0x25;
    case GLFW_KEY_UP: return 0x26;
    case GLFW_KEY_RIGHT: return 0x27;
    case GLFW_KEY_DOWN: return 0x28;
    default: return 0;
  }
}

}  // namespace

std::unique_ptr<WindowContext> WindowContext::create(int width, int height, std::string* error) {
  if (!glfwInit()) {
    if (error) *error = "no display for a window";
    return nullptr;
  }
  // Single-buffered, so what the module draws by XOR into the front buffer is what shows.
  glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_FALSE);
  glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
  glfwWindowHint(GLFW_DEPTH_BITS, 24);
  std::unique_ptr<WindowContext> c(new WindowContext);
  c->window_ = glfwCreateWindow(width, height, "Tessel Studio", nullptr, nullptr);
  if (!c->window_) {
    if (error) *error = "the display gave no OpenGL window";
    glfwTerminate();
    return nullptr;
  }
  c->width_ = width, c->height_ = height;
  c->makeCurrent();
  return c;
}

WindowContext::~WindowContext() {
  if (window_) glfwDestroyWindow(window_);
  glfwTerminate();
}

bool WindowContext::makeCurrent() {
  glfwMakeContextCurrent(window_);
  return true;
}

void WindowContext::present() { glFlush(); }

void* WindowContext::procAddress(const char* name) {
  return reinterpret_cast<void*>(glfwGetProcAddress(name));
}

void WindowContext::run(StudioHost& host) {
  glfwSetWindowUserPointer(window_, &host);
  glfwSetMouseButtonCallback(window_, [](GLFWwindow* w, int button, int action, int mods) {
    StudioHost& h = *hostOf(w);
    double fx, fy;
    glfwGetCursorPos(w, &fx, &fy);
    float x, y;
    toView(h, fx, fy, action == GLFW_PRESS, &x, &y);
    applyModifiers(h, mods);
    if (std::int32_t code = buttonCode(button)) h.mouseButton(code, action == GLFW_PRESS, x, y);
  });
  glfwSetCursorPosCallback(window_, [](GLFWwindow* w, double fx, double fy) {
    StudioHost& h = *hostOf(w);
    float x, y;
    toView(h, fx, fy, false, &x, &y);
    h.mouseMove(x, y);
  });
  glfwSetScrollCallback(window_, [](GLFWwindow* w, double, double dy) {
    StudioHost& h = *hostOf(w);
    double fx, fy;
    glfwGetCursorPos(w, &fx, &fy);
    float x, y;
    toView(h, fx, fy, false, &x, &y);
    h.mouseWheel(static_cast<std::int32_t>(dy * 120), x, y);
  });
  glfwSetKeyCallback(window_, [](GLFWwindow* w, int key, int, int action, int mods) {
    StudioHost& h = *hostOf(w);
    // Modifier keys change the held state; other keys are accelerators.
    const bool press = action != GLFW_RELEASE;
    int held = mods;
    if (key == GLFW_KEY_LEFT_SHIFT || key == GLFW_KEY_RIGHT_SHIFT)
      held = press ? held | GLFW_MOD_SHIFT : held & ~GLFW_MOD_SHIFT;
    if (key == GLFW_KEY_LEFT_CONTROL || key == GLFW_KEY_RIGHT_CONTROL)
      held = press ? held | GLFW_MOD_CONTROL : held & ~GLFW_MOD_CONTROL;
    if (key == GLFW_KEY_LEFT_ALT || key == GLFW_KEY_RIGHT_ALT)
      held = press ? held | GLFW_MOD_ALT : held & ~GLFW_MOD_ALT;
    applyModifiers(h, held);
    if (action != GLFW_PRESS) return;
    if (std::uint8_t vk = virtualKeyOf(key))
      if (std::uint32_t id = h.acceleratorFor(vk, mods & GLFW_MOD_CONTROL, mods & GLFW_MOD_SHIFT,
                                              mods & GLFW_MOD_ALT))
        h.routeCommand(id, false);
  });
  glfwSetWindowRefreshCallback(window_, [](GLFWwindow* w) { hostOf(w)->views().redrawAll(); });
  host.views().redrawAll();
  while (!glfwWindowShouldClose(window_) && !host.exitRequested()) glfwWaitEvents();
  glfwSetWindowUserPointer(window_, nullptr);
}

}  // namespace tessel::studio
