#include "camera/omToolTumble.h"

#include <cstdio>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::camera {
omView* omToolTumble::activeView() {
  omApplication* app = GetApplication();
  omViewManager* views = app ? app->GetViewManager() : nullptr;
  return views ? views->GetActiveView() : nullptr;
}

void omToolTumble::showCursorAndPrompt(omView* input) {
  omApplication* app = GetApplication();
  if (!input || !app) return;
  omViewport* view = input->GetView();
  omPanelManager* panel = app->GetPanelManager();
  const bool ortho = view && view->IsOrthographic() != 0;
  const std::int32_t cursor = ortho                         ? 5001
                              : constraint_ == kFree        ? 5002
                              : constraint_ == kHorizontal  ? 5003
                                                            : 5004;
  input->SetViewCursor(resources::LoadCursor(cursor));
  if (!panel) return;
  if (ortho)
    panel->SetWarning("Tumbling is not allowed in a non perspective window.");
  else if (constraint_ == kFree)
    panel->SetPrompt(
        "Drag the mouse on the view to tumble the camera. Press SHIFT to constrain tumbling.");
  else
    panel->SetPrompt(
        "Drag the mouse on the view to tumble the camera. Release SHIFT to remove constrains.");
}

void omToolTumble::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  constraint_ = kFree;
  omView* input = activeView();
  showCursorAndPrompt(input);
  altHeld_ = input && input->IsKeyUp(om::kKeyAlt) == 0;
}

void omToolTumble::Deactivate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omMainView* main = app->GetMainView()) {
    main->Redraw(om::kRedrawFull);
    main->SetModified(0);
  }
  if (omView* input = activeView()) input->RedrawView(0);
}

void omToolTumble::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  showCursorAndPrompt(activeView());
}

void omToolTumble::MouseButton(std::int32_t button, std::int32_t action, const float* position,
                               omView* input) {
  omApplication* app = GetApplication();
  if (button != om::kButtonLeft || !app || !input) return;
  omViewport* view = input->GetView();
  omMainView* main = app->GetMainView();
  if (action == om::kActionPress) {
    if (view) view->ResetTumbleReference(0, 0);
    if (position) anchor_[0] = position[0], anchor_[1] = position[1];
    if (main) main->Redraw(om::kRedrawCameraGesture);
  } else if (action == om::kActionRelease) {
    constraint_ = kFree;
    if (view) view->ResetTumbleReference(0, 0);
    // Inside an ALT navigation the drawing mode stays until the navigation ends.
    if (!altHeld_) {
      if (main) {
        main->Redraw(om::kRedrawFull);
        main->SetModified(0);
      }
      input->RedrawView(1);
    }
  }
  showCursorAndPrompt(input);
}

void omToolTumble::MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                             omView* input) {
  omApplication* app = GetApplication();
  if (!app || !input || !previous || !current) return;
  omMainView* main = app->GetMainView();
  omViewport* view = input->GetView();
  float box[6] = {};
  if (main) main->GetSceneBounds(box);
  if (previous[0] == current[0] && previous[1] == current[1]) return;
  if (!view || view->IsOrthographic() != 0 || buttons != om::kButtonLeft) return;
  const bool shiftHeld = input->IsKeyUp(om::kKeyShift) == 0;
  if (constraint_ == kFree && shiftHeld) {
    std::int32_t chosen = chooseConstraint(anchor_, current);
    if (chosen == kFree) return;
    constraint_ = chosen;
    showCursorAndPrompt(input);
  } else if (constraint_ != kFree && !shiftHeld) {
    constraint_ = kFree;
  }
  float from[2] = {anchor_[0], anchor_[1]}, to[2] = {current[0], current[1]};
  if (constraint_ == kHorizontal) to[1] = anchor_[1];
  if (constraint_ == kVertical) to[0] = anchor_[0];
  float angles[2] = {0, 0};
  view->Tumble(angles, from, to);
  view->UpdateCamera();
  view->SetSceneBounds(box);
  char text[1024];
  if (view->GetTumbleMode() == 1)
    std::snprintf(text, sizeof text, "Tumble:  x %6.2f,  y %6.2f", angles[0], angles[1]);
  else
    std::snprintf(text, sizeof text, "Tumble: %10.2f ", angles[0]);
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(text);
  input->RedrawView(1);
}

void omToolTumble::MouseMove(std::int32_t, const float*, omView* input) {
  showCursorAndPrompt(input);
}

void omToolTumble::Key(std::int32_t key, std::int32_t flags, omView* input) {
  if (key == om::kKeyShift) {
    if (flags == 0 && input) {
      input->GetCursorPosition(anchor_);
    } else if (flags == 1) {
      constraint_ = kFree;
      showCursorAndPrompt(input);
    }
  } else if (key == om::kKeyAlt) {
    altHeld_ = flags == 0;
  }
}

}  // namespace tessel::camera
