// "Zoom": zooms to a rubber-band rectangle; dragged to the right it zooms in to the rectangle,
// dragged to the left it zooms out from it.
#pragma once

#include "framework/omToolBase.h"

class omView;

namespace tessel::camera {

class omToolZoom : public framework::omToolBase {
 public:
  const char* GetName() override { return "Zoom"; }
  void Activate() override;
  void Deactivate() override;
  // The views were painted again: a band on screen went with them.
  void Refresh() override { banding_ = false; }
  void Cancel() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;

 private:
  void updatePrompt();
  // No band, status cleared, the band's corners at the cursor.
  void restart();
  void drawBand(omView* input);
  void clampInto(omView* input, const float* position, float* out);
  void rebuildBand();

  bool pressed_ = false;  // a left-button gesture is on: only it draws a band
  bool banding_ = false;  // the band is on screen
  float band_[4] = {1e20f, 1e20f, -1e20f, -1e20f};
  float start_[2] = {0, 0};
  float current_[2] = {0, 0};
};

}  // namespace tessel::camera
