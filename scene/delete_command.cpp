#include "scene/delete_command.h"

#include <algorithm>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::scene {

DeleteTargets gatherDeleteTargets(omEntityList& selection, std::uint32_t type, omEntity* global) {
  DeleteTargets out;
  for (std::int32_t i = 0; i < selection.GetCount(); ++i) {
    omEntity* e = selection.GetAt(i);
    if (!e || e->GetType() != type) continue;
    if (global && e == global) {
      out.globalRefused = true;
      continue;
    }
    const bool seen = std::any_of(out.targets.begin(), out.targets.end(),
                                  [e](const DeleteTarget& t) { return t.entity == e; });
    if (seen) continue;
    omEntity* owner = e->GetOwner();
    if (owner && owner->GetType() != om::kEntityDeletedOwner) owner = nullptr;
    out.targets.push_back({e, owner});
  }
  return out;
}

bool canRunDelete(framework::omCommandBase& command, std::uint32_t mask) {
  if (omCommandContext* context = command.GetContext(); context && context->IsBusy())
    return false;
  omApplication* app = command.GetApplication();
  omToolManager* tools = app ? app->GetToolManager() : nullptr;
  if (!tools || !tools->IsAllowed(om::kAllowDelete)) return false;
  omMaskList* filter = app->GetObjectFilter();
  if (!filter || filter->GetCurrentMask() != mask) return false;
  omMainView* main = command.GetMainView();
  omEntityList* selection = main ? main->GetSelection(-1) : nullptr;
  return selection && selection->CountSelected() != 0;
}

DeleteTargets deleteSelected(framework::omCommandBase& command, std::uint32_t type,
                             bool refuseGlobal) {
  DeleteTargets gathered;
  omMainView* main = command.GetMainView();
  if (!main) return gathered;
  main->BeginUpdate();
  main->Lock();
  omEntityList* selection = main->GetSelection(-1);
  if (!main->IsObjectMode() || !selection) {
    main->Unlock();
    main->EndUpdate();
    return gathered;
  }
  gathered = gatherDeleteTargets(*selection, type,
                                 refuseGlobal ? main->GetGlobalCoordSys() : nullptr);
  gathered.ran = true;
  selection->Clear();
  for (const DeleteTarget& t : gathered.targets) main->DeleteEntity(t.owner, t.entity);
  finishDelete(command, *main);
  return gathered;
}

void finishDelete(framework::omCommandBase& command, omMainView& main) {
  main.EndInteraction();
  main.Unlock();
  main.EndUpdate();
  main.UpdateManipulator(1);
  command.UpdateAllViews();
  if (omApplication* app = command.GetApplication()) {
    omEvent event;
    event.code = om::kNotifySelectionChanged;
    app->Notify(&event, nullptr);
  }
}

}  // namespace tessel::scene
