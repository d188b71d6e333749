// "Lasso Select": selects components inside a free-hand closed outline. The tool records the
// outline while the button is held and, on release, hands the host a row table of it
// (lasso_rows.h); the host decides which components fall inside.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/omToolBase.h"
#include "selection/lasso_rows.h"

namespace tessel::selection {

class omToolLassoSelect : public framework::omToolBase {
 public:
  const char* GetName() override { return "Lasso Select"; }
  void Activate() override;
  void Deactivate() override;
  void Refresh() override {}
  void Cancel() override;
  // Only while nobody holds the main view's lock and the component filter has entries.
  bool CanActivate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void OnNotify(const omEvent* event, void* param) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;
  ~omToolLassoSelect() override = default;

  virtual void UpdatePrompt();

  // Set by the panel: select through the surfaces instead of only what is visible.
  void setVolumeSelect(bool on) { volumeSelect_ = on; }
  bool volumeSelect() const { return volumeSelect_; }
  // The outline so far, view pixels.
  const std::vector<LassoPoint>& outline() const { return points_; }

 private:
  // XOR: the first call shows the outline, the second erases it.
  void toggleOutline(omView* input);
  void eraseOutline(omView* input) {
    if (outlineShown_) toggleOutline(input);
  }

  bool aborted_ = false;  // a cancelled gesture: the next release only clears this
  bool volumeSelect_ = false;
  bool outlineShown_ = false;
  std::vector<LassoPoint> points_;  // the outline in drawing order
  LassoRows rows_;                  // built on release, kept until the next press
};

}  // namespace tessel::selection
