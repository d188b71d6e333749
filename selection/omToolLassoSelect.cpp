#include "selection/omToolLassoSelect.h"

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

// The whole pixel a drag position falls on, held to 0 .. max; clamped before truncating, so a
// position far outside the view cannot overflow.
float pixel(float v, std::int32_t max) {
  return std::trunc(std::clamp(v, 0.0f, static_cast<float>(std::max(max, 0))));
}

}  // namespace

void omToolLassoSelect::UpdatePrompt() { showComponentPrompt(GetApplication()); }

bool omToolLassoSelect::CanActivate() { return canStartComponentTool(GetApplication()); }

void omToolLassoSelect::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  outlineShown_ = false;
  points_.clear();
  rows_.clear();
  startComponentTool(*app, false, false);
  UpdatePrompt();
}

void omToolLassoSelect::Deactivate() {
  omApplication* app = GetApplication();
  eraseOutline(activeView());
  if (omMainView* main = app ? app->GetMainView() : nullptr) main->EndComponentTool();
}

void omToolLassoSelect::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  clearStatus(app);
  // Erased before the flag goes, or the XOR outline would stay on screen for good.
  eraseOutline(activeView());
  aborted_ = true;
  outlineShown_ = false;
  points_.clear();
  rows_.clear();
  UpdatePrompt();
}

void omToolLassoSelect::toggleOutline(omView* input) {
  outlineShown_ = !outlineShown_;
  omViewport* view = input ? input->GetView() : nullptr;
  if (!view || points_.empty()) return;
  drawXorPolyline(*view, &points_[0].x, static_cast<int>(points_.size()));
}

void omToolLassoSelect::MouseButton(std::int32_t button, std::int32_t action,
                                    const float* position, omView* input) {
  if (button != om::kButtonLeft && button != om::kButtonMiddle) return;
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !input || !position) return;
  eraseOutline(input);
  main->Lock();
  omEntityList* selection = main->GetSelection(-1);
  main->SetObjectMode(0);
  if (action == om::kActionPress) {
    aborted_ = false;
    if (button == om::kButtonMiddle) {
      clearSelectionNow(*app, selection);
    } else {
      rows_.clear();
      points_.clear();
      if (std::isfinite(position[0]) && std::isfinite(position[1]))
        points_.push_back({position[0], position[1]});
    }
    main->Unlock();
    return;
  }
  // Every release path below ends in this one unlock: a lock left held would keep every tool
  // from starting.
  if (aborted_) {
    aborted_ = false;
  } else if (button == om::kButtonLeft) {
    const std::int32_t rowCount = input->GetMaxY() + 1;
    omViewport* view = input->GetView();
    if (points_.size() < kMinLassoPoints || rowCount <= 0 || !view) {
      points_.clear();
      rows_.clear();
    } else {
      buildLassoRows(points_, rowCount, rows_);
      const bool select = applyComponentModifiers(*input, *main);
      {
        const WaitCursor wait;  // a large outline over a dense scan takes a while
        main->SelectInScanlines(view, rows_.rows.data(), rowCount, select, volumeSelect_);
        notifyComponentSelection(*app);
      }
      redrawComponentSelection(*app, *main, selection);
    }
  }
  main->Unlock();
}

void omToolLassoSelect::MouseDrag(std::int32_t buttons, const float*, const float* current,
                                  omView* input) {
  if (buttons != om::kButtonLeft || aborted_ || !current || !input) return;
  if (!std::isfinite(current[0]) || !std::isfinite(current[1])) return;
  eraseOutline(input);
  // Clamped first, then compared: outside the view every move lands on the same border point,
  // which must not pile up in the outline.
  const LassoPoint p{pixel(current[0], input->GetMaxX()), pixel(current[1], input->GetMaxY())};
  if (points_.empty() || points_.back().x != p.x || points_.back().y != p.y) points_.push_back(p);
  toggleOutline(input);
}

void omToolLassoSelect::OnNotify(const omEvent* event, void*) {
  omApplication* app = GetApplication();
  if (!event || !app || event->code != om::kNotifyComponentSelectionChanged) return;
  if (omMainView* main = app->GetMainView()) main->SetObjectMode(0);
  refreshViews(*app, 0);
}

void omToolLassoSelect::Key(std::int32_t key, std::int32_t flags, omView*) {
  componentToolKey(GetApplication(), key, flags);
}

}  // namespace tessel::selection
