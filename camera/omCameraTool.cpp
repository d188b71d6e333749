#include "camera/omCameraTool.h"

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::camera {

bool omCameraTool::orthographic(omView* input) {
  omViewport* view = input ? input->GetView() : nullptr;
  return view && view->IsOrthographic() != 0;
}

omMainView* omCameraTool::mainView() {
  omApplication* app = GetApplication();
  return app ? app->GetMainView() : nullptr;
}

omPanelManager* omCameraTool::panel() {
  omApplication* app = GetApplication();
  return app ? app->GetPanelManager() : nullptr;
}

void omCameraTool::setStatus(const char* text) {
  if (omPanelManager* p = panel()) p->SetStatusText(text);
}

void omCameraTool::Deactivate() {
  if (omMainView* main = mainView()) {
    main->Redraw(om::kRedrawFull);
    main->SetModified(0);
  }
  if (omView* input = activeView()) input->RedrawView(0);
}

void omCameraTool::Cancel() {
  setStatus(nullptr);
  showCursorAndPrompt(activeView());
}

void omCameraTool::beginGesture() {
  if (omMainView* main = mainView()) main->Redraw(om::kRedrawCameraGesture);
}

void omCameraTool::endGesture(omView* input, bool keepDrawingMode) {
  if (keepDrawingMode) return;
  if (omMainView* main = mainView()) {
    main->Redraw(om::kRedrawFull);
    main->SetModified(0);
  }
  if (input) input->RedrawView(1);
}

void omCameraTool::sceneBounds(float* box) {
  if (omMainView* main = mainView()) main->GetSceneBounds(box);
}

bool omCameraTool::followConstraint(omView* input, const float* position) {
  const bool shiftHeld = input->IsKeyUp(om::kKeyShift) == 0;
  if (constraint_ == kFree && shiftHeld) {
    Constraint chosen = chooseConstraint(anchor_, position);
    if (chosen == kFree) return false;
    constraint_ = chosen;
    showCursorAndPrompt(input);
  } else if (constraint_ != kFree && !shiftHeld) {
    constraint_ = kFree;
  }
  return true;
}

void omCameraTool::shiftKey(std::int32_t flags, omView* input) {
  if (flags == 0 && input) {
    input->GetCursorPosition(anchor_);
  } else if (flags == 1) {
    constraint_ = kFree;
    showCursorAndPrompt(input);
  }
}

}  // namespace tessel::camera
