#include "selection/omToolSelectComponent.h"

#include <algorithm>
#include <cmath>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "selection/component_tool_rules.h"
#include "selection/xor_overlay.h"

namespace tessel::selection {
namespace {

constexpr float kPickDistance = 5.0f;  // pixels: a shorter drag is a click

}  // namespace

void omToolSelectComponent::UpdatePrompt() { showComponentPrompt(GetApplication()); }

bool omToolSelectComponent::CanActivate() { return canStartComponentTool(GetApplication()); }

void omToolSelectComponent::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  startComponentTool(*app, true, true);
  UpdatePrompt();
}

void omToolSelectComponent::Deactivate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omMainView* main = app->GetMainView()) main->EndComponentTool();
  showCursor(app, 0);
}

void omToolSelectComponent::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  clearStatus(app);
  omView* view = activeView();
  // The band is XOR on screen: draw it once more so no trace of it stays behind.
  if (bandShown_) drawBand(view);
  aborted_ = true;
  if (view) {
    view->GetCursorPosition(dragStart_);
    dragCurrent_[0] = dragStart_[0], dragCurrent_[1] = dragStart_[1];
  }
  UpdatePrompt();
}

void omToolSelectComponent::drawBand(omView* input) {
  omViewport* view = input ? input->GetView() : nullptr;
  bandShown_ = !bandShown_;
  if (!view) return;
  float rect[4];
  spanRectangle(dragStart_, dragCurrent_, rect);
  drawXorRectangle(*view, rect);
}

void omToolSelectComponent::MouseButton(std::int32_t button, std::int32_t action,
                                        const float* position, omView* input) {
  if (button != om::kButtonLeft && button != om::kButtonMiddle) return;
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !input || !position) return;
  omViewport* view = input->GetView();
  main->Lock();
  omEntityList* selection = main->GetSelection(-1);
  main->SetObjectMode(0);
  if (action == om::kActionPress) {
    aborted_ = false;
    if (button == om::kButtonMiddle) {
      clearSelectionNow(*app, selection);
    } else {
      if (bandShown_) drawBand(input);  // a band left from a press whose release never came
      dragStart_[0] = dragCurrent_[0] = position[0];
      dragStart_[1] = dragCurrent_[1] = position[1];
      drawBand(input);
    }
    main->Unlock();
    return;
  }
  // Every release path below ends in this one unlock: a lock left held would keep every tool
  // from starting.
  if (aborted_) {
    aborted_ = false;
  } else if (button == om::kButtonLeft && view) {
    if (bandShown_) drawBand(input);
    dragCurrent_[0] = std::clamp(position[0], 0.0f, static_cast<float>(view->GetWidth()));
    dragCurrent_[1] = std::clamp(position[1], 0.0f, static_cast<float>(view->GetHeight()));
    float rect[4];
    spanRectangle(dragStart_, dragCurrent_, rect);
    const bool select = applyComponentModifiers(*input, *main);
    const float length =
        std::hypot(dragCurrent_[0] - dragStart_[0], dragCurrent_[1] - dragStart_[1]);
    if (length < kPickDistance)
      main->SelectAtPoint(view, static_cast<std::int32_t>(dragCurrent_[0]),
                          static_cast<std::int32_t>(dragCurrent_[1]), select, volumeSelect_);
    else
      main->SelectInRect(view, rect, select, volumeSelect_);
    notifyComponentSelection(*app);
    // Only a flash: the host has already worked the selection out.
    { const WaitCursor wait; }
    redrawComponentSelection(*app, *main, selection);
  }
  main->Unlock();
}

void omToolSelectComponent::MouseDrag(std::int32_t buttons, const float*, const float* current,
                                      omView* input) {
  if (buttons != om::kButtonLeft || aborted_ || !current) return;
  if (bandShown_) drawBand(input);
  dragCurrent_[0] = current[0], dragCurrent_[1] = current[1];
  drawBand(input);
}

void omToolSelectComponent::Key(std::int32_t key, std::int32_t flags, omView*) {
  componentToolKey(GetApplication(), key, flags);
}

}  // namespace tessel::selection
