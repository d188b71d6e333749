#include "scene/omCmdCurrentMapDelete.h"

#include <string>
#include <vector>

#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "scene/delete_command.h"

namespace tessel::scene {
namespace {

bool hasMap(omEntity* e) {
  return e && e->GetType() == om::kEntityPolygonMesh && e->HasCurrentMap() != 0;
}

}  // namespace

bool omCmdCurrentMapDelete::CanExecute() {
  if (!canRunDelete(*this, om::kMaskMesh)) return false;
  omEntityList* selection = GetMainView()->GetSelection(-1);
  for (std::int32_t i = 0; i < selection->CountSelected(); ++i)
    if (hasMap(selection->GetAt(i))) return true;
  return false;
}

std::int32_t omCmdCurrentMapDelete::Execute(omProgress* progress, omCommandData*) {
  omMainView* main = GetMainView();
  if (!main) return om::kExecuteRan;
  main->BeginUpdate();
  main->Lock();
  std::size_t deleted = 0;
  if (omEntityList* selection = main->GetSelection(-1)) {
    for (std::int32_t i = 0; i < selection->GetCount(); ++i) {
      omEntity* e = selection->GetAt(i);
      if (!hasMap(e)) continue;
      e->DeleteCurrentMap();
      ++deleted;
    }
  }
  // Said only when a map went: a run over meshes without maps is not a deletion.
  if (progress) progress->SetMessage(deleted ? "Map deleted" : "", 0);
  finishDelete(*this, *main);
  return om::kExecuteRan;
}

}  // namespace tessel::scene
