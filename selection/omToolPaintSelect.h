// "Paint Select": every press and every drag step selects (or, with CTRL, deselects) the
// components under a round brush at the cursor, adding to what is selected. The brush size is
// the tool's and is edited in its panel.
#pragma once

#include <cstdint>

#include "framework/omToolBase.h"

class omMainView;
class omViewport;

namespace tessel::selection {

class omToolPaintSelect : public framework::omToolBase {
 public:
  static constexpr float kMinBrushSize = 1.0f;  // pixels (radius)
  static constexpr float kMaxBrushSize = 500.0f;

  const char* GetName() override { return "Paint Select"; }
  void Activate() override;
  void Deactivate() override;
  void Refresh() override {}
  void Cancel() override;
  // Only while nobody holds the main view's lock and the component filter has a current entry to
  // paint; "Holes" has no component under a brush.
  bool CanActivate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;
  ~omToolPaintSelect() override = default;

  // A size outside kMinBrushSize .. kMaxBrushSize (or NaN) is refused and changes nothing.
  virtual void SetBrushSize(float size);
  virtual float GetBrushSize() { return brushSize_; }
  virtual void UpdatePrompt();

 private:
  void paint(omMainView& main, omViewport* view, const float* position, bool select);
  void requestRedraw(omApplication& app, omMainView& main, omViewport* view);

  float brushSize_ = 10.0f;
};

}  // namespace tessel::selection
