#include "selection/omCmdSelectInverse.h"

#include <algorithm>
#include <vector>

#include "host/omEntity.h"
#include "host/omView.h"
#include "selection/selection_command.h"

namespace tessel::selection {
namespace {

// The selection of a mesh that the component mask shows: vertices before faces before edges;
// null when the mask shows none of them.
omComponentSet* maskedSelection(omEntity& e, std::uint32_t mask) {
  if (mask & om::kMaskVertices) return e.GetVertexSelection();
  if (mask & om::kMaskFaces) return e.GetFaceSelection();
  if (mask & om::kMaskEdges) return e.GetEdgeSelection();
  return nullptr;
}

}  // namespace

bool omCmdSelectInverse::CanExecute() {
  omMainView* main = GetMainView();
  return main && !main->IsObjectMode();
}

std::int32_t omCmdSelectInverse::Execute(omProgress*, omCommandData*) {
  omMainView* main = GetMainView();
  omEntityList* list = main ? main->GetSelection(-1) : nullptr;
  if (list) {
    for (std::int32_t i = 0; i < list->GetCount(); ++i) {
      if (omEntity* e = list->GetAt(i); e && e->GetType() == om::kEntitySingleComponentSelection)
        e->InvertSelectedComponents();
      if (omEntity* e = list->GetAt(i); e && e->GetType() == om::kEntityPolygonMesh)
        e->InvertComponentSelection();
    }
    std::vector<omEntity*> emptied;
    for (std::int32_t i = 0; i < list->GetCount(); ++i) {
      omEntity* e = list->GetAt(i);
      if (!e) continue;
      omComponentSet* set = nullptr;
      if (e->GetType() == om::kEntitySingleComponentSelection)
        set = e->GetSelectedComponents();
      else if (e->GetType() == om::kEntityPolygonMesh)
        set = maskedSelection(*e, main->GetComponentMask());
      if (set && set->GetCount() == 0 &&
          std::find(emptied.begin(), emptied.end(), e) == emptied.end())
        emptied.push_back(e);
    }
    for (omEntity* e : emptied) list->Remove(e);
  }
  UpdateAllViews();
  notifySelectionChanged(*this);
  return om::kExecuteRan;
}

}  // namespace tessel::selection
