// "Object Select": selects whole objects by a click or a rubber-band rectangle. The tool turns
// the gesture into a point or a rectangle and the modifier keys into replace, add or remove; the
// host's main view does the hit-testing.
#pragma once

#include <cstdint>

#include "framework/omToolBase.h"

class omMainView;
class omView;

namespace tessel::selection {

class omToolSelect : public framework::omToolBase {
 public:
  const char* GetName() override { return "Object Select"; }
  void Activate() override;
  void Refresh() override {}
  void Cancel() override;
  // Only while nobody holds the main view's lock.
  bool CanActivate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;
  ~omToolSelect() override = default;

  virtual void ToggleModifier(std::uint32_t bits);
  virtual std::uint32_t GetModifiers() { return modifierMask_; }
  virtual bool TestModifier(std::uint32_t bits) { return (modifierMask_ & bits) != 0; }
  virtual void UpdatePrompt();

 private:
  void drawBand(omView* input);
  void notifySelectionChanged();

  std::uint32_t modifierMask_ = 0;
  float dragStart_[2] = {-1, -1};
  float dragCurrent_[2] = {-1, -1};
  bool aborted_ = false;  // a cancelled gesture: the next release only clears this
};

}  // namespace tessel::selection
