#include "selection/xor_overlay.h"

#include <GL/gl.h>

#include <algorithm>

#include "host/omView.h"

namespace tessel::selection {
namespace {

// The GL 1.1 entry points the overlay uses, looked up in the view's context.
struct OverlayGl {
  decltype(&glGetFloatv) getFloatv;
  decltype(&glGetIntegerv) getIntegerv;
  decltype(&glGetBooleanv) getBooleanv;
  decltype(&glIsEnabled) isEnabled;
  decltype(&glFlush) flush;
  decltype(&glColor3f) color3f;
  decltype(&glColor4fv) color4fv;
  decltype(&glDrawBuffer) drawBuffer;
  decltype(&glEnable) enable;
  decltype(&glDisable) disable;
  decltype(&glDepthMask) depthMask;
  decltype(&glLogicOp) logicOp;
  decltype(&glLineWidth) lineWidth;
  decltype(&glBegin) begin;
  decltype(&glEnd) end;
  decltype(&glVertex2f) vertex2f;

  // False when the context lacks one of them; nothing is drawn then.
  bool load(omViewport& view) {
    auto get = [&view](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(view.GetGLProcAddress(name));
      return fn != nullptr;
    };
    return get(getFloatv, "glGetFloatv") && get(getIntegerv, "glGetIntegerv") &&
           get(getBooleanv, "glGetBooleanv") && get(isEnabled, "glIsEnabled") &&
           get(flush, "glFlush") && get(color3f, "glColor3f") && get(color4fv, "glColor4fv") &&
           get(drawBuffer, "glDrawBuffer") && get(enable, "glEnable") &&
           get(disable, "glDisable") && get(depthMask, "glDepthMask") &&
           get(logicOp, "glLogicOp") && get(lineWidth, "glLineWidth") && get(begin, "glBegin") &&
           get(end, "glEnd") && get(vertex2f, "glVertex2f");
  }
};

template <class Figure>
void drawXor(omViewport& view, bool disableDepthTest, float width, Figure figure) {
  OverlayGl gl{};
  if (!gl.load(view)) return;
  GLfloat colour[4];
  GLint drawBuffer;
  GLboolean depthWrite;
  gl.getFloatv(GL_CURRENT_COLOR, colour);
  gl.getIntegerv(GL_DRAW_BUFFER, &drawBuffer);
  gl.getBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
  const GLboolean depthTest = gl.isEnabled(GL_DEPTH_TEST);
  gl.flush();
  gl.color3f(1, 1, 1);
  gl.drawBuffer(GL_FRONT);
  gl.enable(GL_COLOR_LOGIC_OP);
  if (disableDepthTest) gl.disable(GL_DEPTH_TEST);
  gl.depthMask(GL_FALSE);
  gl.logicOp(GL_XOR);
  view.BeginOverlay();
  gl.lineWidth(width);
  figure(gl);
  view.EndOverlay();
  if (depthTest) gl.enable(GL_DEPTH_TEST);
  gl.disable(GL_COLOR_LOGIC_OP);
  gl.drawBuffer(static_cast<GLenum>(drawBuffer));
  gl.depthMask(depthWrite);
  gl.color4fv(colour);
  gl.flush();
}

}  // namespace

void drawXorRectangle(omViewport& view, const float* r, bool disableDepthTest, float lineWidth) {
  drawXor(view, disableDepthTest, lineWidth, [r](OverlayGl& gl) {
    gl.begin(GL_LINE_LOOP);
    gl.vertex2f(r[0], r[1]);
    gl.vertex2f(r[0], r[3]);
    gl.vertex2f(r[2], r[3]);
    gl.vertex2f(r[2], r[1]);
    gl.end();
  });
}

void drawXorPolyline(omViewport& view, const float* points, int count, bool disableDepthTest,
                     float lineWidth) {
  if (!points || count <= 0) return;
  drawXor(view, disableDepthTest, lineWidth, [points, count](OverlayGl& gl) {
    gl.begin(GL_LINE_LOOP);
    for (int i = 0; i < count; ++i) gl.vertex2f(points[2 * i], points[2 * i + 1]);
    gl.end();
  });
}

void spanRectangle(const float* a, const float* b, float* rect) {
  rect[0] = 1e20f, rect[1] = 1e20f, rect[2] = -1e20f, rect[3] = -1e20f;
  for (const float* p : {a, b}) {
    rect[0] = std::min(rect[0], p[0]), rect[1] = std::min(rect[1], p[1]);
    rect[2] = std::max(rect[2], p[0]), rect[3] = std::max(rect[3], p[1]);
  }
}

}  // namespace tessel::selection
