#include "selection/xor_overlay.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "studio/render/renderer.h"
#include "studio/host/studio_view.h"

namespace tessel::test {
namespace {

// A host whose overlay calls set nothing up and whose draws reset nothing: whatever state the
// overlay leaves behind, the next draw inherits. Studio redraws from scratch every time, so it
// cannot show a broken restore; another host can.
class BareViewHost final : public studio::ViewHost {
 public:
  explicit BareViewHost(studio::GlContext& context) : context_(context) {}
  void redraw(studio::StudioView&) override {}
  void beginOverlay(studio::StudioView&) override {}
  void endOverlay() override {}
  void* glProcAddress(studio::StudioView&, const char* name) override {
    return context_.procAddress(name);
  }

 private:
  studio::GlContext& context_;
};

template <class F>
F entry(studio::GlContext& context, const char* name) {
  return reinterpret_cast<F>(context.procAddress(name));
}

TEST(XorOverlay, HandsBackTheStateItFound) {
  std::string error;
  auto context = studio::OffscreenContext::create(64, 48, &error);
  ASSERT_TRUE(context) << error;
  ASSERT_TRUE(context->makeCurrent());
  auto enable = entry<decltype(&glEnable)>(*context, "glEnable");
  auto disable = entry<decltype(&glDisable)>(*context, "glDisable");
  auto isEnabled = entry<decltype(&glIsEnabled)>(*context, "glIsEnabled");
  auto depthMask = entry<decltype(&glDepthMask)>(*context, "glDepthMask");
  auto color4f = entry<decltype(&glColor4f)>(*context, "glColor4f");
  auto drawBuffer = entry<decltype(&glDrawBuffer)>(*context, "glDrawBuffer");
  auto getFloatv = entry<decltype(&glGetFloatv)>(*context, "glGetFloatv");
  auto getIntegerv = entry<decltype(&glGetIntegerv)>(*context, "glGetIntegerv");
  auto getBooleanv = entry<decltype(&glGetBooleanv)>(*context, "glGetBooleanv");
  ASSERT_TRUE(enable && disable && isEnabled && depthMask && color4f && drawBuffer && getFloatv &&
              getIntegerv && getBooleanv);

  BareViewHost host(*context);
  studio::InputState input;
  studio::StudioView view(0, studio::ViewKind::Front, input, host);
  view.rect.width = 64, view.rect.height = 48;
  const float band[4] = {4, 4, 40, 30}, polyline[6] = {1, 1, 20, 5, 9, 30};
  for (bool depthTest : {true, false})
    for (GLboolean depthWrites : {GLboolean{GL_TRUE}, GLboolean{GL_FALSE}})
      for (bool rectangle : {true, false}) {
        SCOPED_TRACE(std::to_string(depthTest) + " " + std::to_string(depthWrites) + " " +
                     std::to_string(rectangle));
        depthTest ? enable(GL_DEPTH_TEST) : disable(GL_DEPTH_TEST);
        depthMask(depthWrites);
        color4f(0.25f, 0.5f, 0.75f, 1.0f);
        drawBuffer(GL_NONE);
        if (rectangle)
          selection::drawXorRectangle(view, band);
        else
          selection::drawXorPolyline(view, polyline, 3);

        EXPECT_EQ(isEnabled(GL_DEPTH_TEST), depthTest ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(isEnabled(GL_COLOR_LOGIC_OP), GL_FALSE);
        GLboolean writes = depthWrites == GL_TRUE ? GL_FALSE : GL_TRUE;
        getBooleanv(GL_DEPTH_WRITEMASK, &writes);
        EXPECT_EQ(writes, depthWrites);
        GLint buffer = -1;
        getIntegerv(GL_DRAW_BUFFER, &buffer);
        EXPECT_EQ(buffer, GL_NONE);
        float colour[4] = {};
        getFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.25f);
        EXPECT_FLOAT_EQ(colour[1], 0.5f);
        EXPECT_FLOAT_EQ(colour[2], 0.75f);
      }
}

// The band spans its two corners whichever way the drag went.
TEST(XorOverlay, TheBandSpansItsCornersInAnyOrder) {
  const float a[2] = {30, 5}, b[2] = {10, 25};
  float rect[4];
  selection::spanRectangle(a, b, rect);
  EXPECT_EQ(rect[0], 10);
  EXPECT_EQ(rect[1], 5);
  EXPECT_EQ(rect[2], 30);
  EXPECT_EQ(rect[3], 25);
}

}  // namespace
}  // namespace tessel::test
