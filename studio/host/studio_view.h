// One view window: its camera, its place in the frame, and what the module asks of it, both as
// the window that passes input (omView) and as the camera and viewport (omViewport).
#pragma once

#include "host/omCursor.h"
#include "host/omView.h"
#include "studio/scene/camera.h"
#include "studio/host/eval_light.h"
#include "studio/host/input_state.h"
#include "studio/render/display_mode.h"
#include "studio/render/renderer.h"

namespace tessel::studio {

class StudioView;

// What a view needs of the application around it.
class ViewHost {
 public:
  virtual void redraw(StudioView& view) = 0;
  virtual void beginOverlay(StudioView& view) = 0;
  virtual void endOverlay() = 0;
  // Draws the view now when it is marked: its pixels or depth are about to be read. A host that
  // draws every mark at once has nothing to do.
  virtual void drawIfMarked(StudioView&) {}
  // The entry point `name` of the GL that draws `view`, whose context is made current: a tool
  // draws on a view (its XOR overlay) straight after asking, outside any frame Studio draws.
  virtual void* glProcAddress(StudioView& view, const char* name) = 0;
  // Every view was painted again for Studio's own reasons (layout, active view), over whatever
  // the current tool had drawn on it.
  virtual void viewsRepainted() {}

 protected:
  ~ViewHost() = default;
};

class StudioView final : public omView, public omViewport {
 public:
  StudioView(int index, ViewKind kind, const InputState& input, ViewHost& host);

  // [SECTION] omView
  omViewport* GetView() override { return this; }
  std::int32_t GetMaxX() override { return rect.width - 1; }
  std::int32_t GetMaxY() override { return rect.height - 1; }
  std::int32_t IsKeyUp(std::int32_t key) override { return input_.keyDown(key) ? 0 : 1; }
  std::int32_t IsButtonUp(std::int32_t button) override {
    return (input_.buttons & button) ? 0 : 1;
  }
  bool IsInvertActive() override { return input_.invert; }
  void GetCursorPosition(float* xy) override;
  void SetViewCursor(const omCursor* cursor) override;
  void RedrawView(std::int32_t) override { host_.redraw(*this); }

  // [SECTION] omViewport
  std::int32_t GetWidth() override { return rect.width; }
  std::int32_t GetHeight() override { return rect.height; }
  std::int32_t IsOrthographic() override { return camera.orthographic ? 1 : 0; }
  void Tumble(float* angles, const float* from, const float* to) override;
  void ResetTumbleReference(std::int32_t, std::int32_t) override;
  std::int32_t GetTumbleMode() override { return tumbleMode; }
  void UpdateCamera() override {}
  void SetSceneBounds(const float*) override {}
  void BeginOverlay() override { host_.beginOverlay(*this); }
  void EndOverlay() override { host_.endOverlay(); }
  void* GetGLProcAddress(const char* name) override { return host_.glProcAddress(*this, name); }
  void Pan(float* translation, const float* from, const float* to) override;
  float Roll(const float* from, const float* to) override;
  float Zoom(const float* from, const float* to) override;
  float Dolly(const float* from, const float* to, const float* pivot) override;
  float ZoomInToRect(const float* min, const float* max) override;
  float ZoomOutFromRect(const float* min, const float* max) override;
  std::int32_t IsDollyUnbounded() override { return 0; }
  omEvalLight* GetEvaluationLight() override { return &evalLight; }
  void GetViewportRect(float* r) override {
    r[0] = 0, r[1] = 0;
    r[2] = static_cast<float>(rect.width - 1), r[3] = static_cast<float>(rect.height - 1);
  }
  void PrepareDragA() override {}
  void PrepareDragB() override {}

  // [SECTION] Studio side
  int index() const { return index_; }
  ViewKind kind() const { return kind_; }
  const char* kindName() const;
  ViewSize size() const { return {rect.width, rect.height}; }
  // The id of the cursor last set, 0 for the arrow.
  std::int32_t cursorId() const { return cursor_.id; }
  const omCursor& cursor() const { return cursor_; }

  Camera camera;
  PixelRect rect;  // within the frame
  // Tumble angles for a drag across the whole height of the view, degrees.
  double tumbleDegreesPerHeight = 180;
  // Roll for a drag across the whole width, degrees.
  double rollDegreesPerWidth = 180;
  std::int32_t tumbleMode = 1;
  // Lights this view's shaded surfaces from the camera, on top of the scene's lights.
  EvalLight evalLight;
  // How this view shows meshes (studio/render/display_mode.h).
  DisplayMode display = DisplayMode::Smooth;

 private:
  int index_;
  ViewKind kind_;
  const InputState& input_;
  ViewHost& host_;
  omCursor cursor_{};
  Camera tumbleReference_;
  float lastFrom_[2];  // the anchor of the last Tumble; NaN after a reset
};

// The tumble of a camera for a pixel offset (dx, dy) in a view `height` pixels high: the angles
// it turned by, as the tumble mode reports them. The camera is left alone when it would not
// stay finite.
void tumbleCamera(Camera& camera, const Camera& reference, int mode, double dx, double dy,
                  int height, double degreesPerHeight, float* angles);

}  // namespace tessel::studio
