#include "selection/omCmdSeedSelect.h"

#include "host/omEntity.h"
#include "host/omView.h"
#include "selection/omEntitySetImpl.h"
#include "selection/selection_command.h"

namespace tessel::selection {
namespace {

bool floodsFaces(omMainView& main) {
  return !main.IsObjectMode() && static_cast<std::uint32_t>(main.GetFilterType()) == om::kMaskMesh &&
         main.GetComponentKind() == om::kMaskFaces;
}

bool floodsConnected(std::uint32_t filter) {
  return filter == om::kMaskCurve || filter == om::kMaskSpring;
}

template <class Visit>
void forEachSelected(omEntityList& list, Visit&& visit) {
  for (std::int32_t i = 0, n = list.CountSelected(); i < n; ++i)
    if (omEntity* e = list.GetAt(i)) visit(*e);
}

}  // namespace

omCommandData* omCmdSeedSelect::CreateData(std::int32_t) {
  return framework::createRecord<omCmdSeedSelectData>();
}

bool omCmdSeedSelect::CanExecute() {
  omMainView* main = GetMainView();
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  if (!list) return false;
  if (!main->IsObjectMode()) {
    if (!floodsFaces(*main)) return false;
    bool any = false;
    forEachSelected(*list, [&](omEntity& e) {
      omComponentSet* faces = e.GetFaceSelection();
      any = any || (faces && faces->GetCount() > 0);
    });
    return any;
  }
  return floodsConnected(static_cast<std::uint32_t>(main->GetFilterType())) && !list->IsEmpty();
}

std::int32_t omCmdSeedSelect::Execute(omProgress* progress, omCommandData* data) {
  omMainView* main = GetMainView();
  if (!main) return om::kExecuteNotApplicable;
  auto* record = dynamic_cast<omCmdSeedSelectData*>(data);
  const std::int32_t range = record ? record->range : omCmdSeedSelectData::kFillAll;
  if (floodsFaces(*main)) return floodFaces(*main, progress, range);
  const auto filter = static_cast<std::uint32_t>(main->GetFilterType());
  if (main->IsObjectMode() && floodsConnected(filter)) return floodConnected(*main, filter, range);
  return om::kExecuteNotApplicable;
}

std::int32_t omCmdSeedSelect::floodFaces(omMainView& main, omProgress* progress,
                                         std::int32_t range) {
  omEntityList* list = main.GetSelection(-1);
  if (!list) return om::kExecuteNotApplicable;
  main.BeginUpdate();
  if (progress) {
    progress->SetRange(list->CountSelected() + 1);
    progress->Step(1);
  }
  // One pass: flooding each mesh once per selected entity would grow range times the number of
  // selected meshes.
  forEachSelected(*list, [&](omEntity& e) {
    if (e.GetType() != om::kEntityPolygonMesh) return;
    e.FloodFaceSelection(range);
    if (progress) progress->Step(1);
  });
  if (progress) progress->Finish();
  main.EndUpdate();
  notifySelectionChanged(*this);
  main.UpdateManipulator(1);
  UpdateAllViews();
  return om::kExecuteRan;
}

std::int32_t omCmdSeedSelect::floodConnected(omMainView& main, std::uint32_t filter,
                                             std::int32_t range) {
  omEntityList* list = main.GetSelection(-1);
  if (!list) return om::kExecuteNotApplicable;
  main.BeginUpdate();
  main.Lock();
  omEntitySetImpl first, second;
  // The graph entries reached, of each kind.
  omEntitySetImpl reachedFirst, reachedSecond;
  if (range <= 0) {
    omEntitySetImpl walkedSprings;
    // An entry already reached lies in a part already collected whole: collecting it again
    // would walk the same part once per selected member, slow when the user selected them all.
    forEachSelected(*list, [&](omEntity& e) {
      if (e.GetType() == om::kEntityConnectedA) {
        omEntityList* graph = e.GetConnections();
        omEntity* entry = graph ? graph->GetAt(0) : nullptr;
        if (entry && !reachedFirst.Contains(entry))
          entry->CollectReachable(&reachedFirst, &reachedSecond, 1);
      } else if (e.GetType() == om::kEntityConnectedB) {
        // Springs a curve reached are not walked spring to spring, so they count only here.
        omEntity* connection = e.GetConnectionObject();
        if (!connection || walkedSprings.Contains(connection)) return;
        const std::size_t before = walkedSprings.entities().size();
        connection->CollectInto(&walkedSprings);
        for (std::size_t i = before; i < walkedSprings.entities().size(); ++i)
          reachedSecond.Insert(walkedSprings.entities()[i]);
      }
    });
  } else {
    forEachSelected(*list, [&](omEntity& e) {
      if (e.GetType() == om::kEntityConnectedA) first.Insert(&e);
      if (e.GetType() == om::kEntityConnectedB) second.Insert(&e);
    });
    for (std::int32_t step = 0; step < range; ++step) {
      main.GrowEntitySet(&first, &first);
      main.GrowEntitySet2(&second, &second);
    }
    for (omEntity* e : first.entities())
      if (omEntityList* graph = e->GetConnections())
        for (std::int32_t i = 0, n = graph->GetCount(); i < n; ++i) reachedFirst.Insert(graph->GetAt(i));
    for (omEntity* e : second.entities()) reachedSecond.Insert(e->GetConnectionObject());
  }
  // Curves select through their owners' connection objects; springs select their owners.
  bool added = false;
  if (filter == om::kMaskCurve) {
    for (omEntity* entry : reachedFirst.entities()) {
      omEntity* owner = entry->GetParent();
      if (omEntity* pick = owner ? owner->GetConnectionObject() : nullptr) {
        list->Add(pick);
        added = true;
      }
    }
  } else {
    for (omEntity* entry : reachedSecond.entities()) {
      if (omEntity* owner = entry->GetParent()) {
        list->Add(owner);
        added = true;
      }
    }
  }
  if (added) notifySelectionChanged(*this);
  main.Unlock();
  main.EndUpdate();
  main.UpdateManipulator(1);
  main.SetDisplaySwitchD(1);
  main.SetDisplaySwitchE(1);
  UpdateAllViews();
  return om::kExecuteRan;
}

}  // namespace tessel::selection
