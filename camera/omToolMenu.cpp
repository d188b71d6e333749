#include "camera/omToolMenu.h"

#include <algorithm>

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::camera {

void omToolMenu::updatePrompt() {
  omApplication* app = GetApplication();
  if (omPanelManager* panel = app->GetPanelManager())
    panel->SetPrompt("Drag LMB to tumble, MMB to pan, RMB to roll or LMB+MMB to dolly.");
  if (omViewManager* views = app->GetViewManager()) views->SetCursor(nullptr);
}

void omToolMenu::Activate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  if (omMainView* main = app->GetMainView()) main->Redraw(om::kRedrawCameraGesture);
  updatePrompt();
  visitedViews_.clear();
}

void omToolMenu::Cancel() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panel = app->GetPanelManager()) panel->SetStatusText(nullptr);
  if (omMainView* main = app->GetMainView()) main->Redraw(om::kRedrawCameraGesture);
  updatePrompt();
}

void omToolMenu::Refresh() {
  omApplication* app = GetApplication();
  omViewManager* views = app ? app->GetViewManager() : nullptr;
  omView* view = views ? views->GetActiveView() : nullptr;
  if (view && std::find(visitedViews_.begin(), visitedViews_.end(), view) == visitedViews_.end())
    visitedViews_.push_back(view);
}

void omToolMenu::Deactivate() {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omMainView* main = app->GetMainView()) {
    main->Redraw(om::kRedrawFull);
    main->SetModified(1);
  }
  for (omView* view : visitedViews_) view->RedrawView(0);
  visitedViews_.clear();
}

}  // namespace tessel::camera
