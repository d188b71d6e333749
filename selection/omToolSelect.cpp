#include "selection/omToolSelect.h"

#include <algorithm>
#include <cmath>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"
#include "selection/xor_overlay.h"

namespace tessel::selection {
namespace {

constexpr float kPickDistance = 5.0f;  // pixels: a shorter drag is a click

}  // namespace

void omToolSelect::ToggleModifier(std::uint32_t bits) {
  if (TestModifier(bits))
    modifierMask_ &= ~bits;
  else
    modifierMask_ |= bits;
}

void omToolSelect::UpdatePrompt() {
  omApplication* app = GetApplication();
  omViewManager* views = app ? app->GetViewManager() : nullptr;
  omView* view = views ? views->GetActiveView() : nullptr;
  omPanelManager* panel = app ? app->GetPanelManager() : nullptr;
  if (!view || !panel) return;
  const bool shift = view->IsKeyUp(om::kKeyShift) == 0, ctrl = view->IsKeyUp(om::kKeyCtrl) == 0;
  if (shift) {
    panel->SetPrompt("Press CTRL to remove from selection.");
    views->SetCursor(resources::LoadCursor(5006));
  } else if (ctrl) {
    panel->SetPrompt("Press SHIFT to add to selection.");
    views->SetCursor(resources::LoadCursor(5010));
  } else {
    panel->SetPrompt("Press SHIFT to add or CTRL to remove from selection.");
    views->SetCursor(resources::LoadCursor(5005));
  }
}

void omToolSelect::notifySelectionChanged() {
  omEvent event;
  event.code = om::kNotifySelectionChanged;
  GetApplication()->Notify(&event, nullptr);
}

void omToolSelect::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  UpdatePrompt();
  omMainView* main = app->GetMainView();
  bool switched = false;
  if (main) {
    main->Lock();
    if (!main->IsObjectMode()) {
      if (omEntityList* list = main->GetSelection(-1)) list->Clear();
      main->SetObjectMode(1);
      notifySelectionChanged();
      switched = true;
    }
    main->Unlock();
  }
  if (omView* view = activeView()) {
    view->GetCursorPosition(dragStart_);
    dragCurrent_[0] = dragStart_[0], dragCurrent_[1] = dragStart_[1];
  }
  if (switched)
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(0);
}

void omToolSelect::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  aborted_ = true;
  if (omView* view = activeView()) {
    view->GetCursorPosition(dragStart_);
    dragCurrent_[0] = dragStart_[0], dragCurrent_[1] = dragStart_[1];
  }
  UpdatePrompt();
}

bool omToolSelect::CanActivate() {
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !main->TryLock()) return false;
  main->Unlock();
  return true;
}

void omToolSelect::drawBand(omView* input) {
  omViewport* view = input ? input->GetView() : nullptr;
  if (!view) return;
  float rect[4];
  spanRectangle(dragStart_, dragCurrent_, rect);
  drawXorRectangle(*view, rect);
}

void omToolSelect::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                               omView* input) {
  if (button != om::kButtonLeft && button != om::kButtonMiddle) return;
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !input || !position) return;
  omViewport* view = input->GetView();
  omEntityList* list = main->GetSelection(-1);
  omViewManager* views = app->GetViewManager();
  main->SetObjectMode(1);
  main->Lock();
  auto selectionChanged = [&] {
    notifySelectionChanged();
    main->Redraw(om::kRedrawObjectSelection);
    if (views) views->RefreshViews(1);
    main->Redraw(om::kRedrawFull);
  };
  if (action == om::kActionPress) {
    aborted_ = false;
    main->PreparePick();
    if (button == om::kButtonMiddle) {
      if (list) list->Clear();
      selectionChanged();
    } else {
      dragStart_[0] = dragCurrent_[0] = position[0];
      dragStart_[1] = dragCurrent_[1] = position[1];
      drawBand(input);
    }
    main->Unlock();
    return;
  }
  if (aborted_) {
    aborted_ = false;
    main->Unlock();
    return;
  }
  if (button != om::kButtonLeft || !view) {
    main->Unlock();
    return;
  }
  drawBand(input);  // erases the band: XOR a second time
  dragCurrent_[0] = std::clamp(position[0], 0.0f, static_cast<float>(view->GetWidth()));
  dragCurrent_[1] = std::clamp(position[1], 0.0f, static_cast<float>(view->GetHeight()));
  float rect[4];
  spanRectangle(dragStart_, dragCurrent_, rect);
  const bool shiftUp = input->IsKeyUp(om::kKeyShift) != 0;
  const bool ctrlUp = input->IsKeyUp(om::kKeyCtrl) != 0;
  main->SetKeepSelection(!(shiftUp && ctrlUp));
  const bool select = ctrlUp;  // CTRL removes, with or without SHIFT
  const float length =
      std::hypot(dragCurrent_[0] - dragStart_[0], dragCurrent_[1] - dragStart_[1]);
  if (length < kPickDistance)
    main->SelectAtPoint(view, static_cast<std::int32_t>(dragCurrent_[0]),
                        static_cast<std::int32_t>(dragCurrent_[1]), select, 0);
  else
    main->SelectInRect(view, rect, select, 0);
  selectionChanged();
  main->Unlock();
}

void omToolSelect::MouseDrag(std::int32_t buttons, const float*, const float* current,
                             omView* input) {
  if (buttons != om::kButtonLeft || aborted_ || !current) return;
  drawBand(input);
  dragCurrent_[0] = current[0], dragCurrent_[1] = current[1];
  drawBand(input);
}

void omToolSelect::Key(std::int32_t key, std::int32_t flags, omView*) {
  omApplication* app = GetApplication();
  if (app && key == om::kKeyFilterStep && flags == 0) {
    omMaskList* filter = app->GetObjectFilter();
    omMainView* main = app->GetMainView();
    omEntityList* list = main ? main->GetSelection(-1) : nullptr;
    if (filter) {
      const std::uint32_t before = filter->GetCurrentMask();
      const std::int32_t selected = list ? list->GetCount() : 0;
      filter->StepEntry(1);
      const std::uint32_t after = filter->GetCurrentMask();
      auto lightsOrFrames = [](std::uint32_t m) {
        return m == om::kMaskLights || m == om::kMaskCoordSys;
      };
      // Lights and coordinate systems are never selected together with other objects.
      if (selected > 0 && (lightsOrFrames(before) || lightsOrFrames(after))) {
        list->Clear();
        main->UpdateManipulator(1);
        main->Redraw(om::kRedrawFull);
        if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
      }
    }
  }
  UpdatePrompt();
}

}  // namespace tessel::selection
