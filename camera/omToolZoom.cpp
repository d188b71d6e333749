#include "camera/omToolZoom.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "camera/zoom_limits.h"
#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"
#include "selection/xor_overlay.h"

namespace tessel::camera {
namespace {

constexpr int kSmallestBand = 10;  // pixels: a band this narrow or low is ignored

}  // namespace

void omToolZoom::rebuildBand() { selection::spanRectangle(start_, current_, band_); }

void omToolZoom::drawBand(omView* input) {
  if (omViewport* view = input ? input->GetView() : nullptr)
    selection::drawXorRectangle(*view, band_);
}

void omToolZoom::clampInto(omView* input, const float* position, float* out) {
  omViewport* view = input->GetView();
  out[0] = std::clamp(position[0], 0.0f, static_cast<float>(view ? view->GetWidth() : 0));
  out[1] = std::clamp(position[1], 0.0f, static_cast<float>(view ? view->GetHeight() : 0));
}

void omToolZoom::updatePrompt() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager())
    panel->SetPrompt("Drag mouse to the right to zoom in or to the left to zoom out.");
  omViewManager* views = app->GetViewManager();
  omView* view = activeView();
  if (!views || !view) return;
  float p[2];
  view->GetCursorPosition(p);
  views->SetCursor(resources::LoadCursor(!banding_ ? 5014 : p[0] < start_[0] ? 5020 : 5019));
}

void omToolZoom::restart() {
  omApplication* app = GetApplication();
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  if (omView* view = activeView()) {
    view->GetCursorPosition(start_);
    current_[0] = start_[0], current_[1] = start_[1];
  }
  pressed_ = banding_ = false;
}

void omToolZoom::Activate() {
  if (!GetApplication()) return;
  restart();
  updatePrompt();
}

void omToolZoom::Deactivate() {
  if (omMainView* main = GetApplication() ? GetApplication()->GetMainView() : nullptr)
    main->Redraw(om::kRedrawFull);
}

void omToolZoom::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  // A band still on screen goes with the refresh, not by drawing it again.
  restart();
  if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
  updatePrompt();
}

void omToolZoom::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                             omView* input) {
  omApplication* app = GetApplication();
  if (button != om::kButtonLeft || !app || !input || !position) return;
  omMainView* main = app->GetMainView();
  float box[6] = {};
  if (main) main->GetSceneBounds(box);
  omViewport* view = input->GetView();
  if (banding_) {
    drawBand(input);
    banding_ = false;
  }
  if (action == om::kActionPress) {
    clampInto(input, position, start_);
    current_[0] = start_[0], current_[1] = start_[1];
    rebuildBand();
    drawBand(input);
    pressed_ = banding_ = true;
    updatePrompt();
    return;
  }
  if (action == om::kActionRelease) pressed_ = false;
  if (action != om::kActionRelease || !view) {
    updatePrompt();
    return;
  }
  clampInto(input, position, current_);
  const int dx = std::abs(static_cast<int>(current_[0] - start_[0]));
  const int dy = std::abs(static_cast<int>(current_[1] - start_[1]));
  if (dx <= kSmallestBand || dy <= kSmallestBand) {
    updatePrompt();
    return;
  }
  rebuildBand();
  const float w = band_[2] - band_[0], h = band_[3] - band_[1];
  if (w * w + h * h > 1e-8f) {
    const float lo[2] = {band_[0], band_[1]}, hi[2] = {band_[2], band_[3]};
    const float value = current_[0] < start_[0] ? view->ZoomOutFromRect(lo, hi)
                                                : view->ZoomInToRect(lo, hi);
    view->UpdateCamera();
    view->SetSceneBounds(box);
    const bool ortho = view->IsOrthographic() != 0;
    omPanelManager* panel = app->GetPanelManager();
    if (const char* warning = zoomLimitWarning(value, ortho); warning && panel)
      panel->SetWarning(warning);
    char text[1024];
    std::snprintf(text, sizeof text, ortho ? "Width: %10.2f" : "View Angle: %10.2f", value);
    if (panel) panel->SetStatusText(text);
  }
  if (main) main->SetModified(0);
  input->RedrawView(1);
  updatePrompt();
}

void omToolZoom::MouseDrag(std::int32_t buttons, const float*, const float* current,
                           omView* input) {
  // Only a left press starts a band, and only a left release takes it away again.
  if (!input || !current || !pressed_ || !(buttons & om::kButtonLeft)) return;
  if (banding_) drawBand(input);
  clampInto(input, current, current_);
  rebuildBand();
  drawBand(input);
  banding_ = true;
  updatePrompt();
}

}  // namespace tessel::camera
