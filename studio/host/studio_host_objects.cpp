// Studio side of the object list: selecting, showing and hiding, and renaming entities by row.
#include "studio/host/studio_host.h"

#include <algorithm>

namespace tessel::studio {

std::uint32_t StudioHost::objectId(const std::string& name) {
  const Entity* e = scene_.findByName(name);
  return e ? e->id : 0;
}

std::string StudioHost::selectObjects(const std::vector<std::uint32_t>& ids) {
  settle();
  panels_.clearWarning();  // a new action
  std::vector<std::uint32_t> chosen;
  std::string hidden;
  for (std::uint32_t id : ids) {
    Entity* e = scene_.find(id);
    if (!e || std::find(chosen.begin(), chosen.end(), id) != chosen.end()) continue;
    // A hidden entity is never selected: hiding deselects, and nothing hidden can be picked.
    if (!e->visible) {
      hidden += (hidden.empty() ? "\"" : ", \"") + e->name + "\"";
      continue;
    }
    chosen.push_back(id);
  }
  if (chosen != scene_.selection()) {
    const std::string name =
        chosen.size() == 1 ? "Select \"" + scene_.find(chosen.front())->name + "\""
        : chosen.empty()   ? std::string("Select None")
                           : "Select " + std::to_string(chosen.size()) + " Objects";
    beginEdit(name);
    scene_.setSelection(chosen);
    // What the module does in answer (its panels follow the selection) belongs to the step.
    NotifySync(om::kNotifySelectionChanged, nullptr);
    endEdit();
  }
  return hidden.empty() ? std::string()
                        : "hidden objects are not selected (show them first): " + hidden;
}

std::string StudioHost::showObject(std::uint32_t id, bool shown) {
  settle();
  panels_.clearWarning();  // a new action
  Entity* e = scene_.find(id);
  if (!e) return "no object " + std::to_string(id);
  if (e->type == om::kEntityCoordSys)
    return "a coordinate system is shown and hidden by the panels that use it, or with its group";
  if (e->visible == shown) return {};
  beginEdit(std::string(shown ? "Show \"" : "Hide \"") + e->name + "\"");
  const bool wasSelected = e->state & kStateSelected;
  if (!shown) scene_.select(id, false);
  e->visible = shown;
  if (wasSelected) NotifySync(om::kNotifySelectionChanged, nullptr);
  endEdit();
  echo_((shown ? "shown: " : "hidden: ") + e->name);
  mainView_.components().sceneChanged();
  scene_.geometryChanged();
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::renameObject(std::uint32_t id, const std::string& name) {
  settle();
  panels_.clearWarning();  // a new action
  std::string problem;
  const std::string given = studio::objectName(scene_, id, name, &problem);
  if (!problem.empty()) return problem;
  Entity& e = *scene_.find(id);
  if (e.name == given) return {};
  const std::string old = e.name;
  beginEdit("Rename \"" + old + "\"");
  e.name = given;
  endEdit();
  echo_("renamed: " + old + " -> " + given);
  return {};
}

}  // namespace tessel::studio
