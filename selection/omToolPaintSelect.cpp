#include "selection/omToolPaintSelect.h"

#include <cmath>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "selection/component_tool_rules.h"

namespace tessel::selection {
namespace {

// What a paint step asks the host to redraw: the component highlight of the painted view.
omRedrawRequest paintRedrawRequest() {
  omRedrawRequest request{};
  request.words[0] = 0x3FEu | 0x400u | 0x800u;
  request.words[6] = 0x40u;
  return request;
}

}  // namespace

void omToolPaintSelect::UpdatePrompt() {
  omApplication* app = GetApplication();
  if (omPanelManager* panel = app ? app->GetPanelManager() : nullptr)
    panel->SetPrompt("Select components by painting on them.");
  showCursor(app, kCursorPaint);
}

void omToolPaintSelect::SetBrushSize(float size) {
  if (!(size >= kMinBrushSize && size <= kMaxBrushSize)) return;  // NaN fails both
  brushSize_ = size;
  if (omApplication* app = GetApplication()) {
    omEvent changed{om::kNotifyBrushSize};
    app->Notify(&changed, nullptr);
  }
}

bool omToolPaintSelect::CanActivate() {
  omApplication* app = GetApplication();
  if (!canStartComponentTool(app)) return false;
  // By the mask, not the entry's name: a host may keep its own copy of the text.
  return app->GetComponentFilter()->GetCurrentMask() != om::kMaskHoles;
}

void omToolPaintSelect::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  startComponentTool(*app, false, false);
  UpdatePrompt();
}

void omToolPaintSelect::Deactivate() {
  omApplication* app = GetApplication();
  if (omMainView* main = app ? app->GetMainView() : nullptr) main->EndComponentTool();
}

void omToolPaintSelect::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  clearStatus(app);
  if (omMainView* main = app->GetMainView()) main->Redraw(om::kRedrawFull);
  UpdatePrompt();
}

void omToolPaintSelect::paint(omMainView& main, omViewport* view, const float* position,
                              bool select) {
  if (!std::isfinite(position[0]) || !std::isfinite(position[1])) return;
  std::int32_t area[3] = {0, 0, 0};
  main.SetKeepSelection(true);
  main.PaintSelect(view, static_cast<std::int32_t>(position[0]),
                   static_cast<std::int32_t>(position[1]), brushSize_, area, select, 0);
}

void omToolPaintSelect::requestRedraw(omApplication& app, omMainView& main, omViewport* view) {
  main.PostRedrawRequest(view, paintRedrawRequest(), 0, 10);
  main.SetDisplaySwitchA(1);
  if (omViewManager* views = app.GetViewManager()) views->FlushRedraws(0);
}

void omToolPaintSelect::MouseButton(std::int32_t button, std::int32_t action,
                                    const float* position, omView* input) {
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !input || !position) return;
  omViewport* view = input->GetView();
  omEntityList* selection = main->GetSelection(-1);
  main->BeginPaint(view);
  if (action == om::kActionPress && button == om::kButtonMiddle) {
    clearSelectionNow(*app, selection);
  } else if (action == om::kActionPress && button == om::kButtonLeft) {
    main->Lock();
    main->SetObjectMode(0);
    paint(*main, view, position, input->IsKeyUp(om::kKeyCtrl) != 0);
    main->Unlock();
    requestRedraw(*app, *main, view);
  } else if (action == om::kActionRelease && button == om::kButtonLeft) {
    omEvent changed{om::kNotifyComponentSelectionChanged};
    app->Notify(&changed, nullptr);
  }
}

void omToolPaintSelect::MouseDrag(std::int32_t buttons, const float*, const float* current,
                                  omView* input) {
  omApplication* app = GetApplication();
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main || !input || !current) return;
  omViewport* view = input->GetView();
  main->BeginPaint(view);
  if (buttons == om::kButtonLeft) {
    bool select = input->IsKeyUp(om::kKeyCtrl) != 0;
    if (input->IsInvertActive()) select = !select;
    paint(*main, view, current, select);
  }
  requestRedraw(*app, *main, view);
}

void omToolPaintSelect::Key(std::int32_t key, std::int32_t flags, omView*) {
  omApplication* app = GetApplication();
  if (!app) return;
  if (flags == om::kActionRelease) {
    showCursor(app, kCursorPaint);
  } else if (flags == om::kActionPress && key == om::kKeyCtrl) {
    showCursor(app, kCursorPaintRemove);
  } else if (flags == om::kActionPress && key == om::kKeyFilterStep) {
    if (omMaskList* components = app->GetComponentFilter()) components->StepEntry(1);
  }
}

}  // namespace tessel::selection
