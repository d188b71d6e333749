#include "studio/host/studio_host.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "host/om_codes.h"
#include "platform/CCmdTarget.h"
#include "studio/edit/delete_faces.h"
#include "studio/edit/group_visibility.h"
#include "studio/edit/separate_faces.h"
#include "studio/host/menu_item.h"
#include "studio/host/toolbar_update.h"
#include "studio/scene/coordinate_offset.h"
#include "studio/scene/mesh_io.h"

namespace tessel::studio {
namespace {

std::string format(const Vec3& v) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%.4g, %.4g, %.4g)", v.x, v.y, v.z);
  return buf;
}


std::string lowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string handleList(const std::vector<std::uint8_t>& flags) {
  constexpr std::size_t kShown = 100;  // the rest are counted, not listed
  std::string out;
  std::size_t count = 0;
  for (std::size_t i = 0; i < flags.size(); ++i) {
    if (!(flags[i] & kSelected)) continue;
    if (count++ < kShown) out += (out.empty() ? "" : " ") + std::to_string(i);
  }
  if (count > kShown) out += " ... (" + std::to_string(count - kShown) + " more)";
  return std::to_string(count) + (count ? " [" + out + "]" : "");
}

}  // namespace

StudioHost::StudioHost(Echo echo, std::unique_ptr<GlContext> context)
    : echo_(std::move(echo)),
      context_(std::move(context)),
      renderer_(*context_),
      views_(context_->width(), context_->height(), input_, *this),
      mainView_(scene_, views_, objectFilter_, renderer_, echo_),
      panels_(echo_),
      tools_(*this, registry_.tools),
      commands_(*this, mainView_, registry_.commands, echo_,
                [this](bool) { mainView_.redrawAll(); }) {
  objectFilter_.onChange = [this](MaskList& list) {
    if (const char* name = list.GetCurrentName()) echo_("filter: object " + std::string(name));
    broadcast(om::kEventFilterListChanged, &list);
  };
  componentFilter_.onChange = [this](MaskList& list) {
    scene_.componentMask = list.GetCurrentMask();
    echo_("filter: component " + std::string(list.GetCurrentName()));
    broadcast(om::kEventFilterListChanged, &list);
  };
  mainView_.notify = [this](std::int32_t code, void* param) { NotifySync(code, param); };
  recorder_ = std::make_unique<edit::SceneRecorder>(scene_);
  scene_.onMeshChanging = [this](const Mesh& mesh) { renderer_.meshChanging(mesh); };
  commands_.running = [this](const char* name, bool starting) {
    if (starting)
      beginEdit(name, true);
    else
      endEdit();
  };
  tools_.switching = [this](const char* name, bool starting) {
    if (starting)
      beginEdit(name);
    else
      endEdit();
  };
  panels_.applying = [this](const std::string& title, bool starting) {
    if (starting)
      beginEdit(title, true);
    else
      endEdit();
  };
  tools_.currentChanged = [this] { broadcast(om::kEventToolChanged, nullptr); };
  mainView_.redrawAll();
}

StudioHost::~StudioHost() {
  unloadModule();
  // The scene goes before the renderer: nothing may read its meshes by then.
  renderer_.stopLevelBuilds();
}

// [SECTION] omModuleHost and omApplication

std::int32_t StudioHost::MessageBox(const char* text, const char* caption, std::uint32_t style) {
  if (messageBox) return messageBox(text, caption, style);
  std::string line = text ? text : "";
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  echo_("messagebox: " + std::string(caption ? caption : "") + ": " + line);
  return 1;  // OK: nobody is there to press another button
}

std::int32_t StudioHost::SetSystemCursor(std::int32_t shape) {
  if (showSystemCursor && shape != systemCursor_) showSystemCursor(shape);
  return std::exchange(systemCursor_, shape);
}

omMenuItem* StudioHost::CreateMenuItem(const char* text, std::uint32_t id) {
  return MenuItem::create(text, id);
}

void StudioHost::NotifySync(std::int32_t code, void* param) {
  echo_("notify: " + std::to_string(code));
  if (code == om::kNotifySelectionChanged || code == om::kNotifyComponentSelectionChanged)
    recorder_->touchFlags();
  broadcast(code, param);
  if (code == om::kNotifyEntityMoved) entityMoved(static_cast<omEntity*>(param));
  if (code == om::kNotifySelectionChanged || code == om::kNotifyComponentSelectionChanged)
    mainView_.redrawAll();
}

void StudioHost::Notify(const omEvent* event, void* param) {
  if (event) NotifySync(event->code, param);
}

void StudioHost::broadcast(std::int32_t code, void* param) {
  // Events raised while one is being delivered (a filter refilled in answer to a document
  // change) wait their turn, so every listener sees them whole and in order.
  pending_.push_back({code, param});
  if (broadcasting_) return;
  broadcasting_ = true;
  // A module that answers every event with another would otherwise never stop.
  constexpr int kMaxEvents = 256;
  for (int delivered = 0; !pending_.empty(); ++delivered) {
    if (delivered == kMaxEvents) {
      echo_("warning: notifications kept raising each other; " +
            std::to_string(pending_.size()) + " dropped");
      pending_.clear();
      break;
    }
    auto [c, p] = pending_.front();
    pending_.erase(pending_.begin());
    omEvent event;
    event.code = c;
    if (omModule2* m = module()) m->OnNotify(&event, p);
    if (omTool* tool = tools_.GetCurrentTool()) tool->OnNotify(&event, p);
  }
  broadcasting_ = false;
}

// [SECTION] Studio side: module

std::string StudioHost::loadModule(const std::string& path) {
  if (library_) return "a module is loaded already";
  std::string error;
  library_ = ModuleLibrary::load(path, *this, &error);
  if (!library_) return error;
  frame_.loadStrings(library_->path());
  frame_.settleModuleMenus();
  // The module fills the filters from the document's kind.
  broadcast(om::kEventDocumentKindChanged, nullptr);
  // A module with a selection tool starts in it, as a user expects of a viewer.
  tools_.ActivateTool("Object Select");
  return {};
}

void StudioHost::unloadModule() {
  if (!library_) return;
  navigate(false);
  // Everything of the module's must be let go while its code is still mapped.
  panels_.closePanel();
  tools_.releaseAll();
  library_.reset();
  frame_.clearModule();
}

// [SECTION] Studio side: files

void StudioHost::followDocumentKind() {
  // The document's kind follows its data, so the object filter offers what the scene holds.
  bool mesh = false, curve = false, spring = false;
  for (const auto& e : scene_.entities()) {
    mesh = mesh || e->isMesh();
    curve = curve || e->isCurve();
    spring = spring || e->isSpring();
  }
  const std::int32_t mode = spring ? (curve ? 8 : 3) : curve ? (mesh ? 7 : 2) : mesh ? 1 : 0;
  if (mode != document_.filterMode) {
    document_.filterMode = mode;
    broadcast(om::kEventDocumentKindChanged, nullptr);
  }
}

std::string StudioHost::addPolyline(std::uint32_t kind, const std::string& name,
                                    std::vector<Vec3> points) {
  if (points.size() < 2) return "a polyline needs at least two points";
  for (const Vec3& p : points)
    if (!isFinite(p)) return "a polyline point is not finite";
  auto entity = std::make_unique<Entity>();
  entity->name = scene_.uniqueName(name);
  entity->type = kind;
  entity->points = std::move(points);
  const bool first = scene_.bounds().empty();
  beginEdit(std::string(kind == om::kEntityConnectedA ? "Add Curve " : "Add Spring ") +
            entity->name);
  Entity& added = scene_.add(std::move(entity));
  endEdit();
  echo_("added: " + added.name + " (" + std::to_string(added.points.size()) + " points)");
  followDocumentKind();
  if (first) mainView_.fit(true, false);  // the scene had nothing to frame before
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::open(const std::string& path) {
  // The latest first: a scan of the site last opened takes its offset.
  std::vector<Vec3> offsets;
  for (auto it = scene_.entities().rbegin(); it != scene_.entities().rend(); ++it)
    if ((*it)->mesh && (*it)->mesh->shifted()) offsets.push_back((*it)->mesh->offset);
  LoadedFile file = loadMeshFile(path, offsets);
  if (!file.error.empty()) return file.error;
  auto entity = std::make_unique<Entity>();
  std::filesystem::path p(path);
  entity->name = scene_.uniqueName(p.stem().string());
  entity->type = file.pointCloud ? kEntityPointCloud : om::kEntityPolygonMesh;
  entity->sourceFile = path;
  entity->mesh = std::make_unique<Mesh>(std::move(file.mesh));
  const Mesh& m = *entity->mesh;
  std::string line = "loaded: " + entity->name + ": " + std::to_string(m.vertexCount()) +
                     " vertices";
  if (!file.pointCloud) {
    line += ", " + std::to_string(m.faceCount()) + " faces, " + std::to_string(m.edgeCount()) +
            " edges (" + std::to_string(m.boundaryEdgeCount()) + " boundary, " +
            std::to_string(m.nonManifoldEdgeCount()) + " non-manifold, " +
            std::to_string(m.degenerateFaceCount()) + " degenerate faces)";
    // A file of nothing but zero triangles (an STL of zero bytes) reads as one vertex; say so.
    if (m.bounds().radius() == 0) line += "; all faces at one point";
  }
  if (m.shifted()) line += "; offset " + offsetText(m.offset) + " taken off its coordinates";
  if (file.skippedFaces)
    line += "; " + std::to_string(file.skippedFaces) +
            " faces of the file that repeat a vertex could not be read";
  if (file.shortFaces)
    line += "; " + std::to_string(file.shortFaces) +
            " faces of the file with fewer than 3 corners could not be read";
  for (auto& [name, values] : file.vertexValues)
    entity->addMap({name, std::move(values), {}});
  if (!file.vertexColours.empty()) entity->addMap({"colour", {}, std::move(file.vertexColours)});
  if (!entity->maps.empty()) {
    line += "; maps:";
    for (const VertexMap& map : entity->maps) line += " " + map.name;
  }
  bool first = scene_.bounds().empty();
  beginEdit("Open " + entity->name);
  const std::uint32_t id = scene_.add(std::move(entity)).id;
  endEdit();
  history_.markSaved(id);
  echo_(line);
  for (const std::string& warning : file.warnings) echo_("warning: " + warning);
  followDocumentKind();
  if (first) mainView_.fit(true, false);  // the scene had nothing to frame before
  mainView_.redrawAll();
#if defined(__GLIBC__)
  // The reading and the count of edges for the line above leave their scratch freed but kept by
  // the allocator (the vertex-to-face rows alone are 14 bytes a triangle): handed back.
  malloc_trim(0);
#endif
  return {};
}

std::string StudioHost::addHeightMap(const std::string& object, const std::string& name,
                                     int axis) {
  Entity* e = scene_.findByName(object);
  if (!e || !e->isMesh()) return "no mesh named \"" + object + "\"";
  if (axis < 0 || axis > 2) return "the axis is x, y or z";
  // World positions: a height map of a placed scan follows where it stands.
  VertexMap map{name, {}, {}};
  const Mesh& m = *e->mesh;
  map.values.reserve(m.vertexCount());
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v) {
    const Vec3 p = e->placement.place(m.position(v));
    map.values.push_back(static_cast<float>(axis == 0 ? p.x : axis == 1 ? p.y : p.z));
  }
  e->addMap(std::move(map));
  echo_("map: " + e->name + ": " + name + " (" + std::to_string(e->maps.size()) + " in all)");
  mainView_.redrawAll();
  return {};
}

std::string StudioHost::showGroup(const std::string& which, bool shown) {
  EntityGroup* group = which == "lights"     ? &scene_.lightGroup
                       : which == "coordsys" ? &scene_.coordSysGroup
                                             : nullptr;
  if (!group) return "the groups are lights and coordsys";
  beginEdit(std::string(shown ? "Show " : "Hide ") + which);
  recorder_->checkpoint();
  auto change = std::make_unique<edit::GroupVisibility>(scene_, *group, shown);
  const int members = change->members();
  recorder_->add(std::move(change), 0);
  endEdit();
  echo_("group: " + which + (shown ? " shown (" : " hidden (") + std::to_string(members) +
        " members)");
  mainView_.redrawAll();
  return {};
}

Entity* StudioHost::saveTarget() {
  for (auto it = scene_.selection().rbegin(); it != scene_.selection().rend(); ++it)
    if (Entity* e = scene_.find(*it); e && e->mesh) return e;
  for (const auto& e : scene_.entities())
    if (e->mesh) return e.get();
  return nullptr;
}

std::string StudioHost::save(const std::string& path) {
  Entity* target = saveTarget();
  if (!target) return path + ": nothing to save (no mesh in the scene)";
  return saveEntity(*target, path);
}

std::string StudioHost::saveOwn() {
  Entity* target = saveTarget();
  if (!target) return "nothing to save (no mesh in the scene)";
  if (std::string problem = ownFileProblem(*target); !problem.empty()) return problem;
  return saveEntity(*target, target->sourceFile);
}

std::string StudioHost::ownFileProblem(const Entity& e) const {
  if (e.sourceFile.empty()) return e.name + " has no file of its own yet: save it as one";
  const std::string ext = lowerExtension(e.sourceFile);
  if (ext != ".ply" && ext != ".obj")
    return e.sourceFile + ": Studio writes PLY and OBJ, not \"" + ext + "\": save it as one";
  // The writers keep positions and faces; writing over the file would lose its other values.
  if (!e.maps.empty())
    return e.sourceFile + ": its maps (" + e.maps.front().name +
           (e.maps.size() > 1 ? ", ..." : "") + ") would be lost: save it as another file";
  return {};
}

std::vector<Entity*> StudioHost::unsavedMeshes() {
  std::vector<Entity*> out;
  for (const auto& e : scene_.entities())
    if (e->mesh && (e->sourceFile.empty() || history_.unsaved(e->id))) out.push_back(e.get());
  return out;
}

std::string StudioHost::saveEntity(Entity& entity, const std::string& path) {
  Entity* target = &entity;
  // The file holds where the mesh is, not where it was loaded: its world positions; vertices a
  // deletion left without faces are not written.
  std::vector<float> world;
  Mesh compact;
  const bool unused = std::any_of(target->mesh->vertexFlags.begin(),
                                  target->mesh->vertexFlags.end(),
                                  [](std::uint8_t f) { return f & kUnused; });
  if (unused) compact = edit::withoutUnusedVertices(*target->mesh);
  const Mesh& m = unused ? compact : *target->mesh;
  // Placed where it was loaded, the mesh writes its own positions (and a shifted mesh the
  // residuals of its file's doubles with them).
  std::string error = saveMeshFile(
      path, m,
      target->placement.isIdentity()
          ? nullptr
          : worldPositions(target->placement, m.positions.data(), m.vertexCount(), world));
  if (!error.empty()) return error;
  echo_("saved: " + target->name + " to " + path);
  // The mesh is now the file's: Ctrl+S writes there, and the scene holds what it holds.
  target->sourceFile = path;
  history_.markSaved(target->id);
  return {};
}

StudioHost::SelectedFaces StudioHost::selectedFaces() {
  SelectedFaces out;
  // The faces each visible mesh's selection takes, by the rules of Delete.
  for (const auto& e : scene_.entities()) {
    if (!e->isMesh() || !e->visible) continue;
    std::vector<std::uint32_t> faces = edit::facesToDelete(*e->mesh, scene_.componentMask);
    if (!faces.empty()) out.meshes.push_back({e.get(), std::move(faces)});
  }
  // One mesh a file: the active one when it has selected faces, else the first that has.
  for (auto it = scene_.selection().rbegin(); it != scene_.selection().rend(); ++it) {
    auto at = std::find_if(out.meshes.begin(), out.meshes.end(),
                           [&](const auto& s) { return s.first->id == *it; });
    if (at != out.meshes.end()) {
      out.chosen = static_cast<std::size_t>(at - out.meshes.begin());
      break;
    }
  }
  return out;
}

Entity* StudioHost::selectionTarget() {
  SelectedFaces faces = selectedFaces();
  return faces.meshes.empty() ? nullptr : faces.meshes[faces.chosen].first;
}

std::string StudioHost::saveSelection(const std::string& path) {
  const SelectedFaces faces = selectedFaces();
  const auto& selected = faces.meshes;
  const std::size_t chosen = faces.chosen;
  if (selected.empty()) return path + ": nothing to save: no face is selected";
  Entity& target = *selected[chosen].first;
  const edit::FacePart part = edit::meshOfFaces(*target.mesh, selected[chosen].second);
  std::vector<float> world;
  const std::string error =
      saveMeshFile(path, part.mesh,
                   target.placement.isIdentity()
                       ? nullptr  // its own positions, with a shifted mesh's residuals
                       : worldPositions(target.placement, part.mesh.positions.data(),
                                        part.mesh.vertexCount(), world));
  if (!error.empty()) return error;
  std::string line = "saved selection: " + std::to_string(part.mesh.faceCount()) + " faces of " +
                     target.name + " to " + path;
  std::string others;
  for (std::size_t i = 0; i < selected.size(); ++i)
    if (i != chosen) others += (others.empty() ? "" : ", ") + selected[i].first->name;
  if (!others.empty()) line += " (not written: the selected faces of " + others + ")";
  echo_(line);
  return {};
}

// [SECTION] Studio side: input

namespace {

// Tools that navigate by themselves; ALT over them is theirs, not Studio's navigation.
bool isCameraTool(omTool* tool) {
  if (!tool) return false;
  const std::string name = tool->GetName();
  return name == "Tumble" || name == "Pan" || name == "Roll" || name == "Dolly" ||
         name == "Zoom" || name == "Menu";
}

// The camera tool an ALT navigation hands the buttons held to, or null.
const char* navigationToolFor(std::int32_t buttons) {
  if ((buttons & om::kButtonLeft) && (buttons & om::kButtonMiddle)) return "Dolly";
  if (buttons & om::kButtonLeft) return "Tumble";
  if (buttons & om::kButtonMiddle) return "Pan";
  if (buttons & om::kButtonRight) return "Roll";
  return nullptr;
}

}  // namespace

omTool* StudioHost::inputTool() {
  return navigation_ ? navigating_ : tools_.GetCurrentTool();
}

void StudioHost::setModifiers(bool shift, bool ctrl, bool alt) {
  settle();
  holdKey(om::kKeyShift, input_.shift, shift);
  holdKey(om::kKeyCtrl, input_.ctrl, ctrl);
  holdKey(om::kKeyAlt, input_.alt, alt);
}

void StudioHost::setFilterStepKey(bool held) {
  holdKey(om::kKeyFilterStep, input_.filterStep, held);
}

void StudioHost::holdKey(std::int32_t key, bool& held, bool next) {
  if (held == next) return;
  held = next;
  if (key == om::kKeyAlt && !isCameraTool(tools_.GetCurrentTool())) {
    navigate(next);
    return;
  }
  omTool* tool = inputTool();
  if (!tool) return;
  // A key may change the selection (the filter-step key does): an edit of its own, or part of
  // the gesture it falls in.
  beginEdit(tool->GetName());
  tool->Key(key, next ? 0 : 1, &views_.active());
  endEdit();
}

void StudioHost::navigate(bool start) {
  if (start && !navigation_) {
    // ALT navigation: the combined camera tool brackets it, the single camera tools take the
    // gestures; the current tool waits underneath, untouched.
    navigation_ = tools_.FindTool("Menu");
    if (!navigation_) return;
    promptBeforeNavigation_ = panels_.prompt();
    cursorBeforeNavigation_ = views_.active().cursor();
    navigation_->Activate();
  } else if (!start && navigation_) {
    if (navigating_) navigating_->Deactivate();
    navigating_ = nullptr;
    navigation_->Deactivate();
    navigation_ = nullptr;
    // The tool underneath takes over again: its prompt and cursor, not the camera tools'.
    if (tools_.GetCurrentTool()) {
      panels_.SetPrompt(promptBeforeNavigation_.c_str());
      views_.SetCursor(&cursorBeforeNavigation_);
    }
  }
}

void StudioHost::mouseButton(std::int32_t button, bool press, float x, float y) {
  settle();  // what the last input changed, before this one is handled
  // Other buttons pressed during Studio's own navigation are kept from the tool, press and
  // release, even when the release comes after the navigation ended.
  if (!press && (ignoredButtons_ & button)) {
    ignoredButtons_ &= ~button;
    return;
  }
  if (held_) {
    if (button != held_->button) {
      if (press) ignoredButtons_ |= button;
      return;
    }
    if (press) return;
    const HeldPress gesture = *held_;
    held_.reset();
    if (gesture.dragging) {
      input_.x = x, input_.y = y;
      if (renderer_.takeReduced()) mainView_.redrawAll();
      return;
    }
    // A click after all: the tool has its press and its release, as if nothing was held back.
    toolButton(button, true, gesture.x, gesture.y);
    toolButton(button, false, x, y);
    return;
  }
  if (press && !navigation_) {
    const HeldInput now{input_.buttons, input_.shift, input_.ctrl, input_.alt,
                        isCameraTool(tools_.GetCurrentTool())};
    if (const CameraMove move = navigationMove(preferences_.navigation, button, now);
        move != CameraMove::None) {
      panels_.clearWarning();
      input_.x = x, input_.y = y;
      held_ = HeldPress{move, button, x, y, x, y};
      return;
    }
  }
  toolButton(button, press, x, y);
}

void StudioHost::toolButton(std::int32_t button, bool press, float x, float y) {
  if (press) panels_.clearWarning();  // a new action: the last one's warning is out of date
  input_.x = x, input_.y = y;
  mainView_.components().endStroke();  // a brush stroke runs from one press to its release
  if (press)
    input_.buttons |= button;
  else
    input_.buttons &= ~button;
  if (navigation_ && press) {
    navigation_->Refresh();  // the combined tool remembers the view it navigated
    const char* name = navigationToolFor(input_.buttons);
    omTool* next = name ? tools_.FindTool(name) : nullptr;
    if (next != navigating_) {
      if (navigating_) navigating_->Deactivate();
      navigating_ = next;
      if (navigating_) navigating_->Activate();
    }
  }
  const float position[2] = {x, y};
  omTool* tool = inputTool();
  // One step a gesture, from the first press to the last release. Camera tools and ALT
  // navigation change no scene state: nothing to compare afterwards.
  if (press && !gestureEdit_ && tool && !navigation_ && !isCameraTool(tool)) {
    gestureEdit_ = true;
    beginEdit(tool->GetName());
  }
  if (tool)
    tool->MouseButton(button, press ? om::kActionPress : om::kActionRelease, position,
                      &views_.active());
  if (gestureEdit_ && input_.buttons == 0) {
    gestureEdit_ = false;
    endEdit();
  }
  // The camera stopped: what was drawn as a level of detail while it moved is drawn in full.
  if (!press && input_.buttons == 0 && renderer_.takeReduced()) mainView_.redrawAll();
}

void StudioHost::mouseMove(float x, float y) {
  settle();  // what the last input changed, before this one is handled
  if (held_) {
    studioNavigationStep(x, y);
    return;
  }
  const float previous[2] = {input_.x, input_.y}, current[2] = {x, y};
  input_.x = x, input_.y = y;
  // The handle under the pointer lights up while no button is held.
  if (ManipulatorCore* m = mainView_.shownManipulator(); m && !input_.buttons) {
    const ManipulatorHandle h = m->handleAt(views_.active(), x, y);
    if (h != m->hover) {
      m->hover = h;
      mainView_.redrawAll();
    }
  }
  omTool* tool = inputTool();
  if (!tool) return;
  if (input_.buttons)
    tool->MouseDrag(input_.buttons, previous, current, &views_.active());
  else
    tool->MouseMove(0, current, &views_.active());
}

void StudioHost::studioNavigationStep(float x, float y) {
  HeldPress& g = *held_;
  input_.x = x, input_.y = y;
  if (!g.dragging && !beyondClick(x - g.x, y - g.y)) return;
  StudioView& view = views_.active();
  const float press[2] = {g.x, g.y}, last[2] = {g.lastX, g.lastY}, now[2] = {x, y};
  if (!g.dragging) {
    g.dragging = true;
    view.ResetTumbleReference(0, 0);  // the turn is measured from the camera at the press
  }
  switch (g.move) {
    case CameraMove::Tumble: {
      float angles[2];
      // By the whole offset since the press, as the Tumble tool turns: back there, back exactly.
      if (!view.camera.orthographic) view.Tumble(angles, press, now);
      break;
    }
    case CameraMove::Pan: {
      float moved[2];
      view.Pan(moved, last, now);
      break;
    }
    case CameraMove::Dolly: {
      // As a drag of the Dolly tool across the view: rightwards or upwards moves in.
      const float along[2] = {last[0] + (now[0] - last[0]) - (now[1] - last[1]), last[1]};
      float pivot[4];
      view.Dolly(last, along, mainView_.GetDollyPivot(pivot, &view));
      break;
    }
    case CameraMove::None: break;
  }
  g.lastX = x, g.lastY = y;
  view.RedrawView(0);
}

void StudioHost::mouseWheel(std::int32_t delta, float x, float y) {
  settle();
  input_.x = x, input_.y = y;
  if (omTool* tool = inputTool()) tool->MouseWheel(delta, 0, &views_.active());
  // The Dolly tool answers the wheel itself; under every other tool the wheel moves the view: one
  // notch (120) as far as a dolly drag across an eighth of the view's width, 2^(-1/8) of the
  // distance; with SHIFT it zooms.
  omTool* current = tools_.GetCurrentTool();
  if (delta == 0 || (current && std::strcmp(current->GetName(), "Dolly") == 0)) return;
  StudioView& view = views_.active();
  constexpr double kNotchWidths = 1.0 / 8.0;
  const float from[2] = {0, 0};
  const float to[2] = {static_cast<float>(delta / 120.0 * kNotchWidths * view.rect.width), 0};
  if (input_.shift) {
    view.Zoom(from, to);
  } else if (preferences_.wheelTowardsCursor) {
    dollyTowardsPixel(view.camera, view.rect.width, view.rect.height, x, y,
                      1 - std::exp2(-delta / 120.0 * kNotchWidths));
  } else {
    float pivot[4];
    view.Dolly(from, to, mainView_.GetDollyPivot(pivot, &view));
  }
  view.RedrawView(0);
}

// [SECTION] Studio side: routing

bool StudioHost::routeCommand(std::uint32_t id, bool shift) {
  settle();
  // A new action: the last one's warning has been read or is out of date.
  panels_.clearWarning();
  switch (id) {
    case kIdExit: exitRequested_ = true; return true;
    case kIdLayoutSingle: views_.setLayout(false); return true;
    case kIdLayoutQuad: views_.setLayout(true); return true;
    case kIdShowObjectList:
    case kIdShowProperties: {
      const Pane pane = id == kIdShowObjectList ? Pane::ObjectList : Pane::Properties;
      frame_.showPane(pane, !frame_.paneShown(pane));
      echo_(std::string("pane: ") + (pane == Pane::ObjectList ? "object list" : "properties") +
            (frame_.paneShown(pane) ? " shown" : " hidden"));
      return true;
    }
    case kIdAllToolbars:
    case kIdNoToolbar: frame_.showAllToolbars(id == kIdAllToolbars); return true;
    case kIdPreferences:
      if (showPreferences)
        showPreferences();
      else
        for (const std::string& line : describePreferences()) echo_(line);
      return true;
    case kIdUndo:
    case kIdRedo:
    case kIdDelete:
    case kIdDeleteMap:
    case kIdHideSelected:
    case kIdHideUnselected:
    case kIdShowAll:
    case kIdSeparate: {
      const std::string problem = id == kIdUndo            ? undo()
                                  : id == kIdRedo          ? redo()
                                  : id == kIdDelete        ? deleteSelection()
                                  : id == kIdDeleteMap     ? deleteCurrentMap()
                                  : id == kIdHideSelected  ? hide(true)
                                  : id == kIdHideUnselected ? hide(false)
                                  : id == kIdSeparate      ? separateSelection()
                                                           : showAll();
      // A refusal is shown where the person looks, not only on the terminal.
      if (!problem.empty()) {
        panels_.SetWarning(problem.c_str());
        echo_(problem);
      }
      return true;
    }
  }
  if (platform::CToolBar* bar = frame_.toolbarOfItem(id)) {
    bar->ShowWindow(!bar->IsWindowVisible());
    return true;
  }
  omModule2* m = module();
  if (!m || !m->GetCommandTarget()) return false;
  const std::uint64_t showsBefore = panels_.shows();
  const std::uint64_t refusalsBefore = commands_.refusals;
  bool wasShift = input_.shift;
  input_.shift = shift;
  beginEdit(frame_.commandName(id));
  bool handled = m->GetCommandTarget()->OnCmdMsg(id, platform::CN_COMMAND, nullptr);
  endEdit();
  input_.shift = wasShift;
  // A refusal is shown where the person looks, not only on the terminal.
  if (commands_.refusals != refusalsBefore) panels_.SetWarning(commands_.lastRefusal.c_str());
  // Only where the click showed this item's panel: Shift on a plain menu command runs it.
  if (handled && shift && panels_.shows() != showsBefore && panels_.shownFor() == id)
    activateToolOf(id);
  // A panel shown is shown in the properties pane, whether or not it was open.
  if (panels_.shows() != showsBefore) frame_.showPane(Pane::Properties, true);
  return handled;
}

bool StudioHost::openToolbarPanel(std::uint32_t id) {
  settle();
  if (!frame_.requestToolbarPanel(id)) return false;
  activateToolOf(id);
  frame_.showPane(Pane::Properties, true);
  return true;
}

void StudioHost::activateToolOf(std::uint32_t id) {
  // A panel whose tool is not current can only be looked at: opening a tool's panel makes the
  // tool current, as a plain click on its button does. A command's panel only opens.
  omModule2* m = module();
  if (m && m->GetCommandTarget() && isToolButton(m->GetCommandTarget(), id))
    m->GetCommandTarget()->OnCmdMsg(id, platform::CN_COMMAND, nullptr);
}

std::string StudioHost::setDisplay(const std::string& mode, int index) {
  const std::optional<DisplayMode> chosen = displayModeNamed(mode);
  if (!chosen) return "no display mode \"" + mode + "\" (smooth, flat, wireframe or points)";
  if (index >= views_.GetViewCount()) {
    return "no view " + std::to_string(index) + " in this layout (" +
           std::to_string(views_.GetViewCount()) + " views)";
  }
  StudioView& view = index < 0 ? views_.active() : views_.view(index);
  view.display = *chosen;
  echo_("display: " + mode + " (view " + std::to_string(view.index()) + ")");
  redraw(view);
  return {};
}

std::string StudioHost::chooseFilter(bool objectFilter, const std::string& name) {
  return frame_.chooseFilter(objectFilter ? objectFilter_ : componentFilter_, objectFilter, name);
}

std::string StudioHost::checkLasso(const std::vector<double>& outline, bool through) {
  std::size_t count = 0;
  if (scene_.objectMode) return "check lasso: not in component mode";
  if (!mainView_.components().matchesPlainPolygon(mainView_.componentPlace(views_.active()), outline, through, &count))
    return "check lasso: the selection differs from a plain point-in-polygon test of the outline";
  echo_("check: the selection is what a plain point-in-polygon test of the " +
        std::to_string(outline.size() / 2) + "-point outline selects (" + std::to_string(count) +
        " components)");
  return {};
}

std::string StudioHost::selectComponents(const std::string& object, ComponentKind kind,
                                         const std::vector<std::uint32_t>& handles) {
  Entity* e = scene_.findByName(object);
  if (!e) return "no object \"" + object + "\"";
  if (!e->mesh) return "\"" + object + "\" has no components";
  Mesh& m = *e->mesh;
  if (e->isPointCloud() && kind != ComponentKind::Vertices)
    return "\"" + object + "\" is a point cloud: only vertices";
  std::vector<std::uint8_t>& flags = kind == ComponentKind::Vertices ? m.vertexFlags
                                     : kind == ComponentKind::Faces  ? m.faceFlags
                                                                     : m.tableEdgeFlags();
  for (std::uint32_t h : handles)
    if (h >= flags.size())
      return "handle " + std::to_string(h) + " out of range (" + object + " has " +
             std::to_string(flags.size()) + ")";
  beginEdit("Select " + e->name);
  for (std::uint8_t& f : flags) f &= ~kSelected;
  for (std::uint32_t h : handles) flags[h] |= kSelected;
  // An object whose components are picked is one the component commands work on.
  if (!handles.empty()) scene_.select(e->id, true);
  NotifySync(om::kNotifyComponentSelectionChanged, nullptr);
  endEdit();
  return {};
}

// [SECTION] Studio side: reports

std::vector<std::string> StudioHost::describeCamera() {
  StudioView& v = views_.active();
  const Camera& c = v.camera;
  char fov[64];
  if (c.orthographic)
    std::snprintf(fov, sizeof fov, "height %.4g", c.orthoHeight);
  else
    std::snprintf(fov, sizeof fov, "fov %.4g", c.fovDegrees);
  return {"camera: view " + std::to_string(v.index()) + " (" + v.kindName() + ") eye " +
              format(c.eye) + " target " + format(c.target) + " up " + format(c.up) + " " + fov +
              " projection " + (c.orthographic ? "orthographic" : "perspective")};
}

std::vector<std::string> StudioHost::describeSelection() {
  std::vector<std::string> lines;
  std::string objects;
  for (std::uint32_t id : scene_.selection())
    if (Entity* e = scene_.find(id)) objects += (objects.empty() ? "" : ", ") + e->name;
  lines.push_back("selection: " + std::to_string(scene_.selection().size()) + " objects" +
                  (objects.empty() ? "" : " (" + objects + ")") + ", " +
                  (scene_.objectMode ? "object mode" : "component mode"));
  for (const auto& e : scene_.entities()) {
    if (!e->mesh) continue;
    const Mesh& m = *e->mesh;
    lines.push_back("  " + e->name + ": vertices " + handleList(m.vertexFlags) + "; faces " +
                    handleList(m.faceFlags) + "; edges " + handleList(m.edgeFlags));
  }
  return lines;
}

std::vector<std::string> StudioHost::describeScene() {
  std::vector<std::string> lines{"scene: " + std::to_string(scene_.entities().size()) +
                                 " entities"};
  for (const ObjectRow& row : objectRows()) lines.push_back("  " + describeRow(row));
  return lines;
}

namespace {

// Passes an update handler's answers on, noting whether it enabled the item.
class NotingCmdUI final : public platform::CCmdUI {
 public:
  explicit NotingCmdUI(platform::CCmdUI& ui) : ui_(ui) {}
  void Enable(bool on) override { enabled = on, ui_.Enable(on); }
  void SetCheck(std::int32_t check) override { ui_.SetCheck(check); }
  void SetText(const char* text) override { ui_.SetText(text); }
  std::uint32_t GetID() override { return ui_.GetID(); }
  bool IsMenuItem() override { return ui_.IsMenuItem(); }
  std::int32_t GetIndex() override { return ui_.GetIndex(); }
  void RemoveAllItems() override { ui_.RemoveAllItems(); }
  void InsertItem(std::int32_t position, std::uint32_t id, const char* text,
                  bool checked) override {
    ui_.InsertItem(position, id, text, checked);
  }
  void SetItemCount(std::int32_t count) override { ui_.SetItemCount(count); }
  bool enabled = false;

 private:
  platform::CCmdUI& ui_;
};

}  // namespace

void StudioHost::updateMenuItem(std::uint32_t id, platform::CCmdUI& ui) {
  switch (id) {
    case kIdExit: ui.Enable(true); return;
    case kIdUndo:
    case kIdRedo: {
      const edit::Step* next = id == kIdUndo ? history_.nextUndo() : history_.nextRedo();
      const std::string text = std::string(id == kIdUndo ? "&Undo" : "&Redo") +
                               (next ? " \"" + next->name + "\"" : "");
      ui.SetText(text.c_str());
      ui.Enable(next != nullptr);
      return;
    }
    case kIdDelete:
    case kIdHideSelected:
    case kIdHideUnselected:
    case kIdShowAll:
    case kIdSeparate:
    case kIdPreferences:
    case kIdAllToolbars:
    case kIdNoToolbar: ui.Enable(true); return;
    case kIdDeleteMap: ui.Enable(commands_.canRun("Current Map Delete")); return;
    case kIdLayoutSingle:
    case kIdLayoutQuad:
      ui.Enable(true);
      ui.SetCheck((id == kIdLayoutQuad) == views_.quad() ? 1 : 0);
      return;
    case kIdShowObjectList:
    case kIdShowProperties:
      ui.Enable(true);
      ui.SetCheck(frame_.paneShown(id == kIdShowObjectList ? Pane::ObjectList : Pane::Properties));
      return;
  }
  if (platform::CToolBar* bar = frame_.toolbarOfItem(id)) {
    ui.Enable(true);
    ui.SetCheck(bar->IsWindowVisible() ? 1 : 0);
    return;
  }
  omModule2* m = module();
  platform::CCmdTarget* target = m ? m->GetCommandTarget() : nullptr;
  std::vector<std::string> asked;
  NotingCmdUI noting(ui);
  commands_.asked = &asked;
  updateModuleItem(id, target, noting);
  commands_.asked = nullptr;
  // The module enables a command's item while the command is there at all; whether it can run
  // now is its CanExecute's to say (Invert needs component mode, Cycle two selected objects).
  if (noting.enabled && asked.size() == 1 && !commands_.canRun(asked.front().c_str()))
    ui.Enable(false);
}

void StudioHost::updateMenus() {
  omModule2* m = module();
  platform::CCmdTarget* target = m ? m->GetCommandTarget() : nullptr;
  frame_.updateMenus(target, [this](std::uint32_t id, platform::CCmdUI& ui) {
    updateMenuItem(id, ui);
    return true;
  });
}

void StudioHost::updateToolbars() {
  omModule2* m = module();
  platform::CCmdTarget* target = m ? m->GetCommandTarget() : nullptr;
  for (platform::CToolBar* bar : frame_.toolbars()) updateToolbar(*bar, target);
  const std::optional<bool> current = toolCurrent(target, panels_.shownFor());
  panels_.setShownInactive(current && !*current);
}

std::vector<std::string> StudioHost::describeMenus() {
  updateMenus();
  return frame_.describeMenus();
}

std::string StudioHost::shot(const std::string& path, bool wholeFrame) {
  drawPending();
  PixelRect rect = wholeFrame ? PixelRect{0, 0, context_->width(), context_->height()}
                              : views_.active().rect;
  context_->useView(views_.active().index());
  std::string error = writePng(path, renderer_.readPixels(rect), rect.width, rect.height);
  if (error.empty()) echo_("shot: " + path);
  return error;
}

void StudioHost::beginOverlay(StudioView& view) {
  context_->useView(view.index());
  // Headless, a marked view waits for a read; the overlay waits with it, to go over the drawing
  // the read brings, rather than costing a frame no one sees.
  keeping_ = drawOnlyWhenRead_ && (pendingViews_ & (1u << view.index())) &&
             renderer_.keepOverlay(view.index(), view.rect);
  if (keeping_) return;
  // The overlay goes over the view as it is now.
  drawIfMarked(view);
  context_->useView(view.index());
  renderer_.beginOverlay(view.rect);
}

void StudioHost::endOverlay() {
  if (std::exchange(keeping_, false)) return renderer_.endKeptOverlay();
  renderer_.endOverlay();
  context_->present();
}

void StudioHost::viewsRepainted() {
  // What a tool drew over the views (a rubber band) is gone; the tool has to know.
  if (omTool* tool = tools_.GetCurrentTool()) tool->Refresh();
}

void StudioHost::redraw(StudioView& view) {
  // Its next drawing would have covered whatever was drawn over the view before this mark.
  if (drawOnlyWhenRead_) renderer_.dropOverlays(view.index());
  const bool first = pendingViews_ == 0;
  pendingViews_ |= 1u << view.index();
  if (first && onDrawPending) onDrawPending();
}

void StudioHost::drawPending() {
  const unsigned pending = pendingViews_;
  pendingViews_ = 0;
  for (int i = 0; i < views_.GetViewCount(); ++i)
    if (pending & (1u << i)) drawView(i, true);
#if defined(__GLIBC__)
  // A frame of a large mesh leaves the software rasterizer's scratch freed but kept by the
  // allocator; handing it back keeps a scan that is only looked at to what it holds.
  if (pending) malloc_trim(0);
#endif
}

void StudioHost::refine() {
  refineQueued_ = false;
  // A view marked since its frame began is drawn anew by the next drawPending instead.
  const int view = renderer_.refiningView();
  if (view < 0 || (pendingViews_ & (1u << view))) return;
  if (!renderer_.continuePieces()) queueRefine();
}

void StudioHost::completeFrames() {
  drawPending();
  const int view = renderer_.refiningView();
  if (view < 0) return;
  renderer_.completePieces();
  context_->useView(view);
  context_->present();
}

void StudioHost::queueRefine() {
  // One next piece queued at a time, however often a frame was begun anew meanwhile.
  if (refineQueued_ || !onRefine) return;
  refineQueued_ = true;
  onRefine();
}

void StudioHost::drawView(int index, bool pieces) {
  if (index < 0 || index >= 4) return;
  pendingViews_ &= ~(1u << index);
  const auto start = std::chrono::steady_clock::now();
  StudioView& view = views_.view(index);
  // A camera dragged by a held button draws large meshes as levels of detail until it stops.
  renderer_.setMoving((held_ && held_->dragging) ||
                      (input_.buttons != 0 &&
                       (navigation_ || isCameraTool(tools_.GetCurrentTool()))));
  bool active = views_.quad() && &view == &views_.active();
  context_->useView(view.index());
  ManipulatorDrawing manipulator;
  if (const ManipulatorCore* m = mainView_.shownManipulator())
    manipulator = {m->kind(), m->state.pose(), m->hover, m->picked};
  renderer_.setDisplay(view.display);
  renderer_.setView(view.index(), pieces && drawInPieces_);
  if (renderer_.drawView(scene_, view.camera, view.rect, active, view.evalLight.direction,
                         manipulator.kind == ManipulatorKind::None ? nullptr : &manipulator)) {
    renderer_.replayOverlays(view.index(), view.rect);
    context_->present();
  } else {
    queueRefine();
  }
  ++drawStats_.draws;
  drawStats_.seconds +=
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace tessel::studio
