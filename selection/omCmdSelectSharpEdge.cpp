#include "selection/omCmdSelectSharpEdge.h"

#include <optional>
#include <set>

#include "host/omEntity.h"
#include "host/omView.h"
#include "selection/degenerate_polygons.h"
#include "selection/omISeedFiller.h"
#include "selection/selection_command.h"

namespace tessel::selection {

omCommandData* omCmdSelectSharpEdge::CreateData(std::int32_t) {
  return framework::createRecord<omCmdSelectSharpEdgeData>();
}

bool omCmdSelectSharpEdge::CanExecute() {
  omMainView* main = GetMainView();
  return main && static_cast<std::uint32_t>(main->GetFilterType()) == om::kMaskMesh &&
         main->GetComponentKind() == om::kMaskFaces;
}

std::int32_t omCmdSelectSharpEdge::Execute(omProgress* progress, omCommandData* data) {
  omMainView* main = GetMainView();
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  if (!list) return om::kExecuteRan;
  const omCmdSelectSharpEdgeData defaults;
  auto* given = dynamic_cast<omCmdSelectSharpEdgeData*>(data);
  const omCmdSelectSharpEdgeData& record = given ? *given : defaults;
  list->Clear();

  std::optional<ScopedSeedFiller> filler;
  if (record.sharpEdges) filler.emplace();
  std::set<omMesh*> measured;  // entities sharing a mesh measure its folds once
  for (omEntity* e = main->FirstEntity(0); e; e = main->NextEntity(0)) {
    if (e->IsHidden()) continue;
    omMesh* mesh = e->GetMesh();
    omComponentSet* selection = e->GetFaceSelection();
    if (!mesh || !selection) continue;
    omFaceSet found;
    if (filler) {
      // A cancel during the measure ends the collection at its first check, with its message.
      if (measured.insert(mesh).second) (*filler)->ComputeEdgeCosinesOrCancel(mesh, progress);
      (*filler)->SelectSharpEdgePolygons(mesh, record.minCosine, record.maxCosine, &found,
                                      e->GetFaceFilter(), progress);
    } else {
      SelectDegeneratePolygons(mesh, &found, progress);
    }
    selection->AddHandles(found.data(), static_cast<std::int32_t>(found.size()));
    if (selection->GetCount() > 0) {
      if (std::uint32_t* state = e->GetStateFlags()) *state |= om::kStateHasComponentSelection;
      list->Add(e);
    }
    // A cancel ends the whole run, not only the mesh it came during.
    if (progress && progress->IsCancelled()) break;
  }
  filler.reset();
  main->Redraw(0);
  main->UpdateManipulator(1);
  UpdateAllViews();
  notifySelectionChanged(*this);
  return om::kExecuteRan;
}

}  // namespace tessel::selection
