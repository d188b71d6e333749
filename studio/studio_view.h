// One view window: its camera, its place in the frame, and what the module asks of it.
#pragma once

#include <functional>
#include <string>

#include "host/omCursor.h"
#include "host/omView.h"
#include "studio/camera.h"
#include "studio/input_state.h"
#include "studio/renderer.h"

namespace tessel::studio {

class StudioView final : public omView {
 public:
  StudioView(int index, ViewKind kind, const InputState& input,
             std::function<void(StudioView&)> redraw);

  // The camera operations arrive with the tools that call them.
  omViewport* GetView() override { return nullptr; }
  std::int32_t GetMaxX() override { return rect.width - 1; }
  std::int32_t GetMaxY() override { return rect.height - 1; }
  std::int32_t IsKeyUp(std::int32_t key) override { return input_.keyDown(key) ? 0 : 1; }
  std::int32_t IsButtonUp(std::int32_t button) override {
    return (input_.buttons & button) ? 0 : 1;
  }
  bool IsInvertActive() override { return input_.ctrl; }
  void GetCursorPosition(float* xy) override;
  void SetViewCursor(const omCursor* cursor) override;
  void RedrawView() override { redraw_(*this); }

  int index() const { return index_; }
  ViewKind kind() const { return kind_; }
  const char* kindName() const;
  ViewSize size() const { return {rect.width, rect.height}; }
  // The id of the cursor last set, 0 for the arrow.
  std::int32_t cursorId() const { return cursor_.id; }

  Camera camera;
  PixelRect rect;  // within the frame

 private:
  int index_;
  ViewKind kind_;
  const InputState& input_;
  std::function<void(StudioView&)> redraw_;
  omCursor cursor_{};
};

}  // namespace tessel::studio
