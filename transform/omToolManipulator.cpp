#include "transform/omToolManipulator.h"

#include <algorithm>
#include <cstdio>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omTransform.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "transform/orient_steps.h"

namespace tessel::transform {

omMainView* omToolManipulator::mainView() {
  omApplication* app = GetApplication();
  return app ? app->GetMainView() : nullptr;
}

std::vector<omEntity*> omToolManipulator::selection() {
  omMainView* view = mainView();
  return view ? entitiesOf(view->GetSelection(-1)) : std::vector<omEntity*>{};
}

void omToolManipulator::notify(std::int32_t code, void* param) {
  omApplication* app = GetApplication();
  if (!app) return;
  omEvent event;
  event.code = code;
  app->Notify(&event, param);
}

void omToolManipulator::showPrompt(const char* text) {
  omApplication* app = GetApplication();
  if (!app) return;
  if (omPanelManager* panels = app->GetPanelManager()) panels->SetPrompt(text);
  if (omViewManager* views = app->GetViewManager()) views->SetCursor(nullptr);
}

void omToolManipulator::setStatus(const char* text) {
  omApplication* app = GetApplication();
  if (omPanelManager* panels = app ? app->GetPanelManager() : nullptr) panels->SetStatusText(text);
}

void omToolManipulator::refreshViews(std::int32_t flags) {
  omApplication* app = GetApplication();
  if (omViewManager* views = app ? app->GetViewManager() : nullptr) views->RefreshViews(flags);
}

bool omToolManipulator::AcceptsInput(std::uint32_t flags) {
  return (flags & 0xF0u) == 0 && (flags & 0x100000u) == 0;
}

void omToolManipulator::activateOnSelection(omMainView& view) {
  const std::vector<omEntity*> sel = selection();
  moved_ = false;
  meshSet_.clear();
  hiddenCoordSys_.clear();
  interactive_.clear();
  omEntity* active = sel.empty() ? nullptr : sel.back();
  if (active) {
    if (active->GetType() == om::kEntityPolygonMesh)
      for (omEntity* e : sel)
        if (omMesh* mesh = e->GetMesh();
            mesh && std::find(meshSet_.begin(), meshSet_.end(), mesh) == meshSet_.end())
          meshSet_.push_back(mesh);
    for (omEntity* e : sel) {
      // The manipulator takes the place of the coordinate-system display.
      if (omEntity* display = e->GetCoordSysEntity(); display && display->IsShown()) {
        display->Hide();
        hiddenCoordSys_.push_back(e);
      }
      if (e->GetType() == om::kEntityPolygonMesh) {
        e->BeginInteractive();
        interactive_.push_back(e);
      }
    }
    float box[6];
    omCoordFrame* frame = active->GetCoordSys();
    if (sel.size() == 1 && frame)
      pivot_ = readFrame(*frame).origin;
    else if (view.GetSelectionBox(box))
      pivot_ = {(double{box[0]} + box[3]) / 2.0, (double{box[1]} + box[4]) / 2.0,
                (double{box[2]} + box[5]) / 2.0};
    else if (frame)
      pivot_ = readFrame(*frame).origin;
    if (manipulator_) {
      if (omCoordFrame* at = manipulator_->GetCoordSys()) writeOrigin(*at, pivot_);
      if (omManipulatorTransform* axes = manipulator_->GetTransform(); axes && frame) {
        float m[16];
        frame->GetMatrix(m);
        axes->SetMatrix(m);
      }
    }
    placed_ = true;
  }
  omApplication* app = GetApplication();
  if (omToolContext* context = app ? app->GetToolContext() : nullptr) context->BeginToolSession();
  if (!hiddenCoordSys_.empty()) notify(om::kNotifyPanelStateChanged, nullptr);
  view.Redraw(om::kRedrawFull);
  refreshViews(1);
  UpdatePrompt();
}

void omToolManipulator::Deactivate() {
  omMainView* view = mainView();
  if (view) view->HideManipulator();
  manipulator_ = nullptr;
  mode_ = 0;
  meshSet_.clear();
  // Closed on the entities they were opened on, and only on those the scene still holds.
  if (view && !interactive_.empty())
    for (omEntity* e = view->FirstEntity(0); e; e = view->NextEntity(0))
      if (std::find(interactive_.begin(), interactive_.end(), e) != interactive_.end())
        e->EndInteractive();
  interactive_.clear();
  const bool restored = !hiddenCoordSys_.empty();
  for (omEntity* e : hiddenCoordSys_)
    if (omEntity* display = e->GetCoordSysEntity()) display->Show();
  hiddenCoordSys_.clear();
  if (!restored) notify(om::kNotifyPanelStateChanged, nullptr);
  if (view) view->Redraw(om::kRedrawFull);
  refreshViews(0);
}

void omToolManipulator::MouseMove(std::int32_t, const float* position, omView* input) {
  omMainView* view = mainView();
  if (!view || !input || !position) return;
  float x = 0, y = 0, z = 0;
  if (!view->PickPoint(input->GetView(), static_cast<std::int32_t>(position[0]),
                       static_cast<std::int32_t>(position[1]), &x, &y, &z, 0, 1))
    return;
  char text[160];
  std::snprintf(text, sizeof text, "X=%10.2f, Y=%10.2f, Z=%10.2f", x, y, z);
  setStatus(text);
}

void omToolManipulator::OnNotify(const omEvent* event, void*) {
  if (!event) return;
  switch (event->code) {
    case 0: case 21: case 23: case 25:
      // The entities may be gone: their displays are not shown again.
      hiddenCoordSys_.clear();
      break;
    default:
      break;
  }
}

std::uint32_t omToolManipulator::modeFromKeys(omView& input) {
  if (input.IsKeyUp(om::kKeyCtrl) == 0) return kMoveFrames;
  if (input.IsKeyUp(om::kKeyShift) == 0) return kMoveGeometry;
  return kMoveGeometry | kMoveFrames;
}

void omToolManipulator::modeButton(std::int32_t button, std::int32_t action,
                                   const float* position, omView* input) {
  if (button != om::kButtonLeft || !position || !input) return;
  omMainView* view = mainView();
  const std::vector<omEntity*> sel = selection();
  if (!view || sel.empty()) return;
  if (action == om::kActionPress) {
    pressPoint_[0] = position[0], pressPoint_[1] = position[1];
    // Only a press that picks a handle starts a drag; any other leaves the tool idle, whatever a
    // key set before.
    mode_ = 0;
    if (!manipulator_ || !manipulator_->Pick(input->GetView(), pressPoint_)) return;
    mode_ = modeFromKeys(*input);
    prepareSelection(view->GetSelection(1), view->GetSelection(2));
    return;
  }
  if (moved_) {
    notify(om::kNotifyPanelStateChanged, nullptr);
    moved_ = false;
  }
  if (mode_ != 0) {
    endDrag();
    mode_ = 0;
  }
}

void omToolManipulator::modeKey(std::int32_t key, std::int32_t flags) {
  // Keys choose among the modes of a drag in progress; an idle tool keeps no mode, so a later
  // press that misses the manipulator cannot start a drag.
  if (mode_ == 0) return;
  if (flags == 0) {
    endDrag();
    mode_ = 0;
    return;
  }
  if (key == om::kKeyCtrl) mode_ = kMoveFrames;
  if (key == om::kKeyShift) mode_ = kMoveGeometry;
}

void omToolManipulator::clampToView(omViewport& view, const float* point, float* clamped) {
  float r[4] = {0, 0, 0, 0};
  view.GetViewportRect(r);
  clamped[0] = std::clamp(point[0], std::min(r[0], r[2]), std::max(r[0], r[2]));
  clamped[1] = std::clamp(point[1], std::min(r[1], r[3]), std::max(r[1], r[3]));
}

void omToolManipulator::updateViewBounds(bool unlessEmpty) {
  omMainView* view = mainView();
  omApplication* app = GetApplication();
  omViewManager* views = app ? app->GetViewManager() : nullptr;
  if (!view || !views) return;
  float bounds[6];
  view->GetSceneBounds(bounds);
  if (unlessEmpty && bounds[0] > bounds[3]) return;
  for (std::int32_t i = 0; i < views->GetViewCount(); ++i)
    if (omView* v = views->GetViewAt(i))
      if (omViewport* port = v->GetView()) {
        port->UpdateCamera();
        port->SetSceneBounds(bounds);
      }
}

void omToolManipulator::redrawStep(omEntity* active) {
  omMainView* view = mainView();
  if (!view) return;
  if (active && active->GetType() == om::kEntityLight) {
    const std::int32_t saved = view->GetLightUpdateMode();
    view->SetLightUpdateMode(0);
    view->Redraw(om::kRedrawTransformDrag);
    refreshViews(1);
    view->SetLightUpdateMode(saved);
  } else {
    view->Redraw(om::kRedrawTransformDrag);
    refreshViews(1);
  }
  view->Redraw(om::kRedrawFull);
}

void omToolManipulator::settleMove(omMainView& view, const std::vector<omEntity*>& entities,
                                   bool dependents, bool perEntity) {
  if (dependents) {
    std::vector<MovedMesh> moved = movedMeshes(view, entities);
    // Only the meshes the tool started on have dependents to bring along.
    std::erase_if(moved, [&](const MovedMesh& m) {
      return std::find(meshSet_.begin(), meshSet_.end(), m.mesh) == meshSet_.end();
    });
    updateDependents(view, moved, true);
  }
  for (omEntity* e : entities) updatePassA(*e);
  if (perEntity)
    updatePassesPerEntity(GetApplication(), entities);
  else
    updatePassesBC(GetApplication(), entities, std::vector<bool>(entities.size(), true));
}

}  // namespace tessel::transform
