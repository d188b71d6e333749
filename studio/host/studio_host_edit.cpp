// Studio side of the undo history: the brackets that record an edit, undo and redo.
#include "studio/host/studio_host.h"

#include <algorithm>

#include "studio/edit/delete_faces.h"
#include "studio/edit/point_removal.h"
#include "studio/edit/separate_faces.h"
#include "studio/edit/visibility.h"

namespace tessel::studio {

void StudioHost::beginEdit(const std::string& name, bool precise) {
  if (!movingHistory_) recorder_->begin(name, precise);
}

void StudioHost::endEdit() {
  if (movingHistory_) return;
  if (std::optional<edit::Step> step = recorder_->end()) history_.push(std::move(*step));
  // Whatever moved the selection without a notice (a command, a panel's Apply) is over.
  mainView_.followSelection();
  if (recorder_->recording() || waitingMoves_.empty()) return;
  // What was asked for during the gesture, now that it is over, in the order asked.
  std::vector<bool> moves = std::move(waitingMoves_);
  waitingMoves_.clear();
  for (bool undoing : moves)
    if (std::string problem = moveHistory(undoing); !problem.empty()) echo_(problem);
}

std::string StudioHost::undo() { return moveHistory(true); }
std::string StudioHost::redo() { return moveHistory(false); }

std::string StudioHost::moveHistory(bool undoing) {
  const char* what = undoing ? "undo" : "redo";
  if (recorder_->recording()) {
    waitingMoves_.push_back(undoing);
    echo_(std::string(what) + ": waits for the gesture in progress to end");
    return {};
  }
  // Whatever changed outside every bracket becomes a step first: the history's differences
  // only undo from the state they were taken in.
  // The flags are read only when the step to move over changes them: a translate's undo is a
  // matrix, whatever the scan's size.
  const edit::Step* next = undoing ? history_.nextUndo() : history_.nextRedo();
  if (std::optional<edit::Step> stray = recorder_->flush("Changes", next && next->changesFlags()))
    history_.push(std::move(*stray));
  next = undoing ? history_.nextUndo() : history_.nextRedo();
  if (!next) return std::string("nothing to ") + what;
  const std::string name = next->name;
  const bool flagsMove = next->changesFlags();
  // What the module does in answer (a tool started again, a filter refilled) belongs to the
  // undo, not to a step of its own that would end the redo steps.
  movingHistory_ = true;
  std::vector<std::uint32_t> before;
  for (const auto& e : scene_.entities()) before.push_back(e->id);
  if (undoing)
    history_.undo(scene_);
  else
    history_.redo(scene_);
  // The module hears of entities that came back or went, as when they were made or deleted.
  bool gone = false;
  for (std::uint32_t id : before) gone = gone || !scene_.find(id);
  if (gone) NotifySync(om::kEventEntityDeleted, nullptr);
  for (const auto& e : scene_.entities())
    if (!std::binary_search(before.begin(), before.end(), e->id))
      NotifySync(om::kEventEntityAdded, e.get());
  historyMoved(what, name, flagsMove);
  movingHistory_ = false;
  return {};
}

void StudioHost::historyMoved(const std::string& what, const std::string& name, bool flagsMoved) {
  for (const auto& e : scene_.entities()) e->placementChanged();
  mainView_.components().sceneChanged();
  mainView_.followSelection();
  followDocumentKind();
  echo_(what + ": " + name);
  // The module and its tool follow the selection and placements as they are now; whatever they
  // change in answer is not an edit of anyone's.
  NotifySync(om::kNotifySelectionChanged, nullptr);
  NotifySync(om::kNotifyComponentSelectionChanged, nullptr);
  recorder_->resync(flagsMoved);
  mainView_.redrawAll();
}

std::string StudioHost::deleteSelection() {
  if (scene_.objectMode) {
    const std::uint32_t filter = objectFilter_.GetCurrentMask();
    const char* own = filter & om::kMaskLights     ? "Light Delete"
                      : filter & om::kMaskCoordSys ? "Coord Sys Delete"
                                                   : nullptr;
    if (own && commands_.canRun(own)) {
      omCommandData* data = commands_.CreateCommandData(own);
      const bool ran = commands_.ExecuteCommand(own, data);
      delete data;
      return ran ? std::string() : std::string("\"") + own + "\" did not run";
    }
    std::vector<Entity*> doomed;
    for (std::uint32_t id : scene_.selection())
      if (Entity* e = scene_.find(id); e && (e->mesh || e->isConnected())) doomed.push_back(e);
    if (doomed.empty()) return "nothing to delete: no mesh, point cloud, curve or spring is selected";
    beginEdit("Delete");
    for (Entity* e : doomed) mainView_.DeleteEntity(nullptr, e);
    endEdit();
    followDocumentKind();
    return {};
  }
  beginEdit("Delete");
  // The renumbering change goes after whatever changed before it.
  recorder_->checkpoint();
  std::size_t faces = 0, points = 0;
  std::string names;
  for (const auto& e : scene_.entities()) {
    if (!e->mesh || !e->visible) continue;
    if (e->isPointCloud()) {
      scene_.meshChanging(*e->mesh);
      auto removal = std::make_unique<edit::PointRemoval>(e->id, *e->mesh);
      if (!removal->removed()) continue;
      points += removal->removed();
      names += (names.empty() ? "" : ", ") + e->name;
      recorder_->add(std::move(removal), e->id);
      continue;
    }
    std::vector<std::uint32_t> doomed = edit::facesToDelete(*e->mesh, scene_.componentMask);
    if (doomed.empty()) continue;
    scene_.meshChanging(*e->mesh);
    auto removal = std::make_unique<edit::FaceRemoval>(e->id, *e->mesh, std::move(doomed));
    faces += removal->removed();
    names += (names.empty() ? "" : ", ") + e->name;
    recorder_->add(std::move(removal), e->id);
  }
  endEdit();
  if (!faces && !points)
    return scene_.componentMask & om::kMaskHoles
               ? "nothing to delete: holes are deleted by deleting faces"
               : "nothing to delete: no face or point is selected";
  scene_.geometryChanged();
  mainView_.components().sceneChanged();
  std::string what = faces ? std::to_string(faces) + " faces" : "";
  if (points) what += (faces ? " and " : "") + std::to_string(points) + " points";
  echo_("deleted: " + what + " of " + names);
  NotifySync(om::kNotifyComponentSelectionChanged, nullptr);
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::separateSelection() {
  // Gathered first: the parts join the entity list being walked.
  struct Cut {
    Entity* source;
    std::vector<std::uint32_t> faces;
  };
  std::vector<Cut> cuts;
  for (const auto& e : scene_.entities()) {
    if (!e->isMesh() || !e->visible) continue;
    std::vector<std::uint32_t> faces = edit::facesToDelete(*e->mesh, scene_.componentMask);
    if (!faces.empty()) cuts.push_back({e.get(), std::move(faces)});
  }
  if (cuts.empty())
    return scene_.componentMask & om::kMaskHoles
               ? "nothing to separate: holes are separated by selecting faces"
               : "nothing to separate: no face is selected";
  beginEdit("Separate Selection");
  // The renumbering change goes after whatever changed before it.
  recorder_->checkpoint();
  std::vector<Entity*> parts;
  for (Cut& cut : cuts) {
    Entity& source = *cut.source;
    edit::FacePart part = edit::meshOfFaces(*source.mesh, cut.faces);
    auto entity = std::make_unique<Entity>();
    entity->name = scene_.uniqueName(edit::partName(source.name));
    entity->type = om::kEntityPolygonMesh;
    // Where the source stands, so the part stays where it was seen.
    entity->placement = source.placement;
    entity->frame = source.frame;
    entity->frameShown = source.frameShown;
    for (const VertexMap& map : source.maps) {
      VertexMap kept{map.name, {}, {}};
      if (!map.values.empty())
        for (std::uint32_t v : part.vertices) kept.values.push_back(map.values[v]);
      if (!map.colours.empty())
        for (std::uint32_t v : part.vertices)
          kept.colours.insert(kept.colours.end(), &map.colours[3 * std::size_t{v}],
                              &map.colours[3 * std::size_t{v} + 3]);
      entity->maps.push_back(std::move(kept));
    }
    entity->currentMap = source.currentMap;
    entity->mesh = std::make_unique<Mesh>(std::move(part.mesh));
    scene_.meshChanging(*source.mesh);
    auto removal =
        std::make_unique<edit::FaceRemoval>(source.id, *source.mesh, std::move(cut.faces));
    recorder_->add(std::move(removal), source.id);
    parts.push_back(&scene_.add(std::move(entity)));
  }
  endEdit();
  scene_.geometryChanged();
  mainView_.components().sceneChanged();
  for (std::size_t i = 0; i < parts.size(); ++i)
    echo_("separated: " + std::to_string(parts[i]->mesh->faceCount()) + " faces of " +
          cuts[i].source->name + " as " + parts[i]->name);
  for (Entity* part : parts) NotifySync(om::kEventEntityAdded, part);
  NotifySync(om::kNotifyComponentSelectionChanged, nullptr);
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::deleteCurrentMap() {
  const char* command = "Current Map Delete";
  if (!commands_.canRun(command)) return "no current map to delete";
  omCommandData* data = commands_.CreateCommandData(command);
  const bool ran = commands_.ExecuteCommand(command, data);
  delete data;
  mainView_.redrawAll();
  return ran ? std::string() : std::string("\"") + command + "\" did not run";
}

std::string StudioHost::hide(bool selected) {
  const char* name = selected ? "Hide Selected" : "Hide Unselected";
  beginEdit(name);
  recorder_->touchFlags();
  const std::size_t hidden = scene_.objectMode
                                 ? edit::hideEntities(scene_, selected)
                                 : edit::hideComponents(scene_, scene_.componentMask, selected);
  endEdit();
  if (!hidden) return std::string(name) + ": nothing to hide";
  echo_("hidden: " + std::to_string(hidden) +
        (scene_.objectMode ? " objects" : " faces and points"));
  mainView_.components().sceneChanged();
  scene_.geometryChanged();
  NotifySync(scene_.objectMode ? om::kNotifySelectionChanged
                               : om::kNotifyComponentSelectionChanged,
             nullptr);
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::showAll() {
  beginEdit("Show All");
  recorder_->touchFlags();
  const std::size_t shown =
      scene_.objectMode ? edit::showEntities(scene_) : edit::showComponents(scene_);
  endEdit();
  if (!shown) return "Show All: nothing is hidden";
  echo_("shown: " + std::to_string(shown) + (scene_.objectMode ? " objects" : " components"));
  mainView_.components().sceneChanged();
  scene_.geometryChanged();
  mainView_.redrawAll();
  return {};
}

std::vector<std::string> StudioHost::describeHistory() {
  std::vector<std::string> lines = history_.describe();
  lines.push_back("history: the scene's shadow keeps " +
                  std::to_string(historyShadowBytes()) + " bytes");
  std::string unsaved;
  for (const Entity* e : unsavedMeshes()) unsaved += (unsaved.empty() ? "" : ", ") + e->name;
  lines.push_back(unsaved.empty() ? "history: every mesh is saved" : "history: unsaved: " + unsaved);
  return lines;
}

}  // namespace tessel::studio
