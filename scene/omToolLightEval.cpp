#include "scene/omToolLightEval.h"

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "resources/cursors.h"

namespace tessel::scene {
namespace {

omEvalLight* evaluationLight(omView* view) {
  omViewport* viewport = view ? view->GetView() : nullptr;
  return viewport ? viewport->GetEvaluationLight() : nullptr;
}

// After the light moved: the host's update target and the active view.
void followLight(omApplication* app) {
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (omMainView* target = main ? main->GetUpdateTarget() : nullptr) target->UpdateManipulator(1);
  if (omView* view = framework::activeView(app)) view->RedrawView(1);
}

}  // namespace

bool placeEvaluationLight(omApplication* app, const float* position) {
  omView* view = framework::activeView(app);
  omEvalLight* light = evaluationLight(view);
  if (!light || !position) return false;
  omViewport* viewport = view->GetView();
  light->PlaceAt(position, viewport->GetWidth(), viewport->GetHeight());
  return true;
}

void resetEvaluationLight(omApplication* app) {
  omEvalLight* light = evaluationLight(framework::activeView(app));
  if (!light) return;
  light->ResetPlacement();
  followLight(app);
}

void omToolLightEval::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  if (omMainView* main = app->GetMainView()) main->Redraw(om::kRedrawFull);
  if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
  UpdatePrompt();
}

void omToolLightEval::Cancel() {
  if (omApplication* app = GetApplication())
    if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  UpdatePrompt();
}

void omToolLightEval::UpdatePrompt() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager())
    panel->SetPrompt("Press LMB to to position and move evaluation light.");
  if (omViewManager* views = app->GetViewManager())
    views->SetCursor(resources::LoadCursor(resources::kCursorFirst));
}

void omToolLightEval::MouseButton(std::int32_t button, std::int32_t action,
                                  const float* position, omView*) {
  if (button != om::kButtonLeft) return;
  omApplication* app = GetApplication();
  if (action == om::kActionPress) {
    placeEvaluationLight(app, position);
  } else if (action == om::kActionRelease && app) {
    if (omMainView* main = app->GetMainView()) main->UpdateManipulator(1);
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(0);
  }
}

void omToolLightEval::MouseDrag(std::int32_t, const float*, const float* current, omView*) {
  omApplication* app = GetApplication();
  if (placeEvaluationLight(app, current)) followLight(app);
}

}  // namespace tessel::scene
