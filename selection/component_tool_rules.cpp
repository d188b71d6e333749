#include "selection/component_tool_rules.h"

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "resources/cursors.h"

namespace tessel::selection {

SelectMode componentSelectMode(bool shiftHeld, bool ctrlHeld) {
  if (shiftHeld) return {true, true};
  if (ctrlHeld) return {true, false};
  return {false, true};
}

bool applyComponentModifiers(omView& input, omMainView& main) {
  const SelectMode mode = componentSelectMode(input.IsKeyUp(om::kKeyShift) == 0,
                                              input.IsKeyUp(om::kKeyCtrl) == 0);
  main.SetKeepSelection(mode.keep);
  return mode.select;
}

bool canStartComponentTool(omApplication* app) {
  omMainView* main = app ? app->GetMainView() : nullptr;
  omMaskList* components = app ? app->GetComponentFilter() : nullptr;
  if (!main || !components || !main->TryLock()) return false;
  main->Unlock();
  return components->GetCount() > 0;
}

void leaveObjectMode(omApplication& app, bool switchMode) {
  omMainView* main = app.GetMainView();
  if (!main) return;
  main->Lock();
  if (main->IsObjectMode()) {
    if (omEntityList* selection = main->GetSelection(-1)) selection->Clear();
    app.NotifySync(om::kNotifySelectionChanged, nullptr);
  }
  if (switchMode) main->SetObjectMode(0);
  main->Unlock();
}

void startComponentTool(omApplication& app, bool switchMode, bool holesAndVertices) {
  clearStatus(&app);
  leaveObjectMode(app, switchMode);
  if (omMainView* main = app.GetMainView()) {
    if (holesAndVertices) {
      main->SetDisplaySwitchB(1);
      main->SetDisplaySwitchC(1);
    }
    main->SetDisplaySwitchA(1);
    main->Redraw(om::kRedrawFull);
  }
  refreshViews(app, 1);
}

void clearSelectionNow(omApplication& app, omEntityList* selection) {
  if (selection) selection->Clear();
  omEvent changed{om::kNotifySelectionChanged};
  app.Notify(&changed, nullptr);
  refreshViews(app, 1);
}

void notifyComponentSelection(omApplication& app) {
  omEvent changed{om::kNotifyComponentSelectionChanged};
  app.Notify(&changed, nullptr);
}

WaitCursor::WaitCursor()
    : previous_(platform::SetCursor(platform::LoadCursor(nullptr, platform::IDC_WAIT))) {}

WaitCursor::~WaitCursor() { platform::SetCursor(previous_); }

void redrawComponentSelection(omApplication& app, omMainView& main, omEntityList* selection) {
  if (selection && selection->CountSelected() > 0) {
    main.Redraw(om::kRedrawComponentSelection);
    refreshViews(app, 1);
    main.Redraw(om::kRedrawFull);
  } else {
    refreshViews(app, 1);
  }
}

void showCursor(omApplication* app, std::int32_t id) {
  if (omViewManager* views = app ? app->GetViewManager() : nullptr)
    views->SetCursor(id ? resources::LoadCursor(id) : nullptr);
}

void showComponentPrompt(omApplication* app) {
  if (omPanelManager* panel = app ? app->GetPanelManager() : nullptr)
    panel->SetPrompt(kComponentPrompt);
  showCursor(app, kCursorComponent);
}

void componentToolKey(omApplication* app, std::int32_t key, std::int32_t action) {
  if (!app) return;
  if (action == om::kActionRelease) {
    showCursor(app, kCursorComponent);
    return;
  }
  if (action != om::kActionPress) return;
  if (key == om::kKeyShift) {
    showCursor(app, kCursorComponentAdd);
  } else if (key == om::kKeyCtrl) {
    showCursor(app, kCursorComponentRemove);
  } else if (key == om::kKeyFilterStep) {
    if (omMaskList* components = app->GetComponentFilter()) components->StepEntry(1);
  }
}

void clearStatus(omApplication* app) {
  if (omPanelManager* panel = app ? app->GetPanelManager() : nullptr) panel->SetStatusText(nullptr);
}

void refreshViews(omApplication& app, std::int32_t flags) {
  if (omViewManager* views = app.GetViewManager()) views->RefreshViews(flags);
}

}  // namespace tessel::selection
