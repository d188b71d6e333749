// "Component Select": selects vertices, faces or edges (as the component filter says) by a click
// or a rubber-band rectangle. The gesture and the 5-pixel rule between click and rectangle are
// those of "Object Select"; the modifier rule, the events and the redraw hints are the component
// tools' own.
#pragma once

#include <cstdint>

#include "framework/omToolBase.h"

namespace tessel::selection {

class omToolSelectComponent : public framework::omToolBase {
 public:
  const char* GetName() override { return "Component Select"; }
  void Activate() override;
  void Deactivate() override;
  void Cancel() override;
  // Only while nobody holds the main view's lock and the component filter has entries.
  bool CanActivate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;
  ~omToolSelectComponent() override = default;

  virtual void UpdatePrompt();

  // Set by the panel: select through the surfaces instead of only what is visible.
  void setVolumeSelect(bool on) { volumeSelect_ = on; }
  bool volumeSelect() const { return volumeSelect_; }

 private:
  void drawBand(omView* input);

  float dragStart_[2] = {-1, -1};
  float dragCurrent_[2] = {-1, -1};
  bool aborted_ = false;  // a cancelled gesture: the next release only clears this
  bool volumeSelect_ = false;
  bool bandShown_ = false;
};

}  // namespace tessel::selection
