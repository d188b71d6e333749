#include "studio/host/studio_host.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "host/om_codes.h"
#include "platform/CCJToolBar.h"
#include "platform/CCmdTarget.h"
#include "platform/CComboBox.h"
#include "platform/omPropertyToolBar.h"
#include "platform/version_info.h"
#include "studio/host/menu_item.h"
#include "studio/host/menu_update.h"
#include "studio/scene/mesh_io.h"

namespace tessel::studio {
namespace {

std::string format(const Vec3& v) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%.4g, %.4g, %.4g)", v.x, v.y, v.z);
  return buf;
}

std::string keyName(std::uint8_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= 0x70 && key <= 0x7B) return "F" + std::to_string(key - 0x70 + 1);
  switch (key) {
    case 0x08: return "Backspace";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x1B: return "Escape";
    case 0x20: return "Space";
    case 0x2E: return "Delete";
    case 0x24: return "Home";
    case 0x21: return "PageUp";
    case 0x22: return "PageDown";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", key);
  return buf;
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

struct MeshStats {
  std::size_t boundary = 0, nonManifold = 0, degenerate = 0;
};

MeshStats meshStats(const Mesh& m) {
  MeshStats s;
  for (const Edge& e : m.edges) {
    if (e.f1 == kNoFace) ++s.boundary;
  }
  // Pairs (edge, face) are sorted by edge: count the distinct edges.
  for (std::size_t i = 0; i < m.extraEdgeFaces.size(); i += 2)
    if (i == 0 || m.extraEdgeFaces[i] != m.extraEdgeFaces[i - 2]) ++s.nonManifold;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const std::uint32_t* t = &m.faces[3 * static_cast<std::size_t>(f)];
    Vec3 n = cross(m.position(t[1]) - m.position(t[0]), m.position(t[2]) - m.position(t[0]));
    if (length(n) == 0) ++s.degenerate;
  }
  return s;
}

// Studio's own menus, shown before the module's.
omMenuItem* studioMenu(const char* title, std::initializer_list<std::pair<const char*, std::uint32_t>> items) {
  omMenuItem* root = MenuItem::create(title, 0);
  for (auto [text, id] : items) root->AppendItem(MenuItem::create(text, id));
  root->AddRef();
  return root;
}

}  // namespace

StudioHost::StudioHost(Echo echo, std::unique_ptr<GlContext> context)
    : echo_(std::move(echo)),
      context_(std::move(context)),
      renderer_(*context_),
      views_(context_->width(), context_->height(), input_, *this),
      panels_(echo_),
      tools_(*this, toolFactories_),
      commands_(*this, *this, commandFactories_, echo_,
                [this](bool) { redrawAll(); }) {
  objectFilter_.onChange = [this](MaskList& list) {
    if (const char* name = list.GetCurrentName()) echo_("filter: object " + std::string(name));
    broadcast(om::kEventFilterListChanged, &list);
  };
  componentFilter_.onChange = [this](MaskList& list) {
    scene_.componentMask = list.GetCurrentMask();
    echo_("filter: component " + std::string(list.GetCurrentName()));
    broadcast(om::kEventFilterListChanged, &list);
  };
  menus_.push_back(studioMenu("&File", {{"E&xit", kIdExit}}));
  menus_.push_back(studioMenu("&Layout", {{"&Single View", kIdLayoutSingle},
                                          {"&Four Views", kIdLayoutQuad}}));
  redrawAll();
}

StudioHost::~StudioHost() {
  unloadModule();
  for (omMenuItem* menu : menus_) menu->Release();
}

// [SECTION] omModuleHost and omApplication

std::int32_t StudioHost::MessageBox(const char* text, const char* caption, std::uint32_t style) {
  if (messageBox) return messageBox(text, caption, style);
  echo_("message: " + std::string(text ? text : ""));
  return 1;  // OK: nobody is there to press another button
}

omMenuItem* StudioHost::CreateMenuItem(const char* text, std::uint32_t id) {
  return MenuItem::create(text, id);
}

void StudioHost::NotifySync(std::int32_t code, void* param) {
  echo_("notify: " + std::to_string(code));
  broadcast(code, param);
  if (code == om::kNotifySelectionChanged || code == om::kNotifyComponentSelectionChanged)
    redrawAll();
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

// [SECTION] frame, menus, accelerators, document, main view

void StudioHost::AddToolBar(platform::CToolBar* toolbar) {
  if (toolbar && std::find(toolbars_.begin(), toolbars_.end(), toolbar) == toolbars_.end())
    toolbars_.push_back(toolbar);
}

void StudioHost::DockToolBar(platform::CToolBar*) {}

void StudioHost::AddMenu(omMenuItem* root) {
  if (!root) return;
  root->AddRef();
  menus_.push_back(root);
}

void StudioHost::AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                                bool shift) {
  // A later binding of the same keys replaces the earlier one, as in an accelerator table.
  std::erase_if(accelerators_, [&](const Accelerator& a) {
    return a.key == key && a.alt == alt && a.ctrl == ctrl && a.shift == shift;
  });
  accelerators_.push_back({commandId, key, alt, ctrl, shift});
}

std::int32_t StudioHost::GetFilterMode() { return filterMode_; }

void StudioHost::Redraw(std::int32_t) { redrawAll(); }

void StudioHost::SetObjectMode(std::int32_t mode) {
  if (scene_.objectMode == (mode != 0)) return;
  scene_.objectMode = mode != 0;
  redrawAll();
}

void StudioHost::GetSceneBounds(float* box) {
  if (!box) return;
  Box b = scene_.bounds();
  if (b.empty()) b.add({0, 0, 0});  // an empty scene is a point at the origin
  const double v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
}

void StudioHost::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (redrawPending_) redrawAll();
}

bool StudioHost::TryLock() {
  if (scene_.locked()) return false;
  scene_.lock();
  return true;
}

omEntityList* StudioHost::GetSelection(std::int32_t) { return &selection_; }

StudioView* StudioHost::viewOf(omViewport* viewport) {
  for (int i = 0; i < views_.GetViewCount(); ++i)
    if (static_cast<omViewport*>(&views_.view(i)) == viewport) return &views_.view(i);
  return nullptr;
}

void StudioHost::applySelection(const std::vector<std::uint32_t>& ids, bool select) {
  if (!keepSelection_) scene_.clearSelection();
  for (std::uint32_t id : ids) scene_.select(id, select);
}

ViewPlace StudioHost::componentPlace(StudioView& view) {
  components_.objectMask = objectFilter_.GetCurrentMask();
  components_.componentMask = scene_.componentMask;
  return {view.index(), view.camera, view.size()};
}

void StudioHost::SelectAtPoint(omViewport* viewport, std::int32_t x, std::int32_t y, bool select,
                               std::int32_t flags) {
  StudioView* view = viewOf(viewport);
  if (!view) return;
  if (!scene_.objectMode) {
    // The pixel's centre; flags nonzero: "Volume Select".
    components_.atPoint(componentPlace(*view), x + 0.5, y + 0.5,
                        {keepSelection_, select, flags != 0});
    return;
  }
  std::uint32_t id = objectAt(scene_, view->camera, view->size(), x + 0.5, y + 0.5,
                              objectFilter_.GetCurrentMask());
  std::vector<std::uint32_t> ids;
  if (id) ids.push_back(id);
  applySelection(ids, select);
}

void StudioHost::SelectInRect(omViewport* viewport, const float* rect, bool select,
                              std::int32_t flags) {
  StudioView* view = viewOf(viewport);
  if (!view || !rect) return;
  if (!scene_.objectMode) {
    const RectRegion region{std::min(rect[0], rect[2]), std::min(rect[1], rect[3]),
                            std::max(rect[0], rect[2]), std::max(rect[1], rect[3])};
    components_.inRect(componentPlace(*view), region, {keepSelection_, select, flags != 0});
    return;
  }
  applySelection(objectsInRect(scene_, view->camera, view->size(), rect[0], rect[1], rect[2],
                               rect[3], objectFilter_.GetCurrentMask()),
                 select);
}

void StudioHost::SelectInScanlines(omViewport* viewport, const omScanRow* rows,
                                   std::int32_t rowCount, bool select, bool volume) {
  StudioView* view = viewOf(viewport);
  if (!view) return;
  // The rows side by side, as the lasso region reads them.
  std::vector<ScanEdge> edges;
  std::vector<std::uint32_t> rowStart{0};
  for (std::int32_t r = 0; rows && r < rowCount; ++r) {
    for (std::int32_t k = 0; rows[r].edges && k < rows[r].count; ++k) {
      const omScanEdge& e = rows[r].edges[k];
      edges.push_back({e.x0, e.y0, e.x1, e.y1});
    }
    rowStart.push_back(static_cast<std::uint32_t>(edges.size()));
  }
  components_.inLasso(componentPlace(*view), LassoRegion(edges, rowStart),
                      {keepSelection_, select, volume});
}

void StudioHost::BeginPaint(omViewport* viewport) {
  if (StudioView* view = viewOf(viewport)) components_.beginPaint(componentPlace(*view), false);
}

void StudioHost::PaintSelect(omViewport* viewport, std::int32_t x, std::int32_t y,
                             float brushSize, std::int32_t* area, bool select,
                             std::int32_t flags) {
  if (area) area[0] = area[1] = area[2] = 0;
  StudioView* view = viewOf(viewport);
  // The panel keeps the size within 1..500; anything else reaching here is not a brush.
  if (!view || !(brushSize > 0) || !std::isfinite(brushSize)) return;
  const std::size_t found = components_.paint(componentPlace(*view), x + 0.5, y + 0.5, brushSize,
                                              {true, select, flags != 0});
  if (area) area[0] = static_cast<std::int32_t>(std::min<std::size_t>(found, INT32_MAX)), area[1] = x, area[2] = y;
}

void StudioHost::PostRedrawRequest(omViewport* viewport, omRedrawRequest, std::int32_t,
                                   std::int32_t) {
  if (StudioView* view = viewOf(viewport)) views_.requestRedraw(view->index());
}

void StudioHost::EndComponentTool() {
  components_.releaseBrush();
  if (scene_.showHoles || scene_.showVertices) {
    scene_.showHoles = scene_.showVertices = false;
    redrawAll();
  }
}

void StudioHost::SetDisplaySwitchA(std::int32_t) {
  for (int i = 0; i < views_.GetViewCount(); ++i) views_.requestRedraw(i);
}

void StudioHost::SetDisplaySwitchB(std::int32_t on) {
  scene_.showHoles = on != 0;
  SetDisplaySwitchA(1);
}

void StudioHost::SetDisplaySwitchC(std::int32_t on) {
  scene_.showVertices = on != 0;
  SetDisplaySwitchA(1);
}

float* StudioHost::GetDollyPivot(float* buffer, omViewport* viewport) {
  if (!buffer) return nullptr;
  StudioView* view = viewOf(viewport);
  const Vec3 p = view ? view->camera.target : Vec3{};
  buffer[0] = static_cast<float>(p.x), buffer[1] = static_cast<float>(p.y);
  buffer[2] = static_cast<float>(p.z), buffer[3] = 1;
  return buffer;
}

omEntity* StudioHost::FirstEntity(std::int32_t flags) {
  entityCursor_ = 0;
  return NextEntity(flags);
}

omEntity* StudioHost::NextEntity(std::int32_t) {
  const auto& all = scene_.entities();
  return entityCursor_ < all.size() ? all[entityCursor_++].get() : nullptr;
}

void StudioHost::growConnected(omEntitySet* in, omEntitySet* out, std::uint32_t kind) {
  if (!in || !out) return;
  // Taken before inserting, so one call is one step even when `in` and `out` are one set.
  std::vector<Entity*> members;
  for (std::int32_t i = 0, n = in->GetCount(); i < n; ++i)
    if (auto* e = dynamic_cast<Entity*>(in->GetAt(i)); e && e->type == kind) members.push_back(e);
  for (Entity* e : members) {
    out->Insert(e);
    for (Entity* n : connectedNeighbours(scene_, *e, kind)) out->Insert(n);
  }
}

void StudioHost::SelectAll() {
  const std::uint32_t mask = objectFilter_.GetCurrentMask();
  for (const auto& e : scene_.entities())
    if (e->visible && (e->filterMask() & mask)) scene_.select(e->id, true);
}

bool StudioHost::fit(bool allViews, bool selectedOnly) {
  Box box = scene_.bounds(selectedOnly);
  if (box.empty()) {
    echo_(std::string("view: nothing ") + (selectedOnly ? "selected" : "in the scene") +
          " to frame; the cameras are unchanged");
    return false;
  }
  for (int i = 0; i < views_.GetViewCount(); ++i) {
    StudioView& v = views_.view(i);
    if (allViews || &v == &views_.active()) frameBox(v.camera, box, v.rect.width, v.rect.height);
  }
  redrawAll();
  return true;
}

void StudioHost::redrawAll() {
  if (updateDepth_ > 0) {
    redrawPending_ = true;
    return;
  }
  redrawPending_ = false;
  views_.redrawAll();
}

// [SECTION] Studio side: module

std::string StudioHost::loadModule(const std::string& path) {
  if (library_) return "a module is loaded already";
  std::string error;
  library_ = ModuleLibrary::load(path, *this, &error);
  if (!library_) return error;
  strings_.clear();
  platform::LoadStringTable(library_->path(), strings_);
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
  toolbars_.clear();
  for (std::size_t i = 2; i < menus_.size(); ++i) menus_[i]->Release();
  menus_.resize(std::min<std::size_t>(menus_.size(), 2));
  accelerators_.clear();
  strings_.clear();
}

namespace {

// The item with command `id` under `item`, depth first; null for none.
omMenuItem* menuItemWith(omMenuItem* item, std::uint32_t id) {
  if (!item) return nullptr;
  if (item->GetCount() == 0) return item->GetID() == id ? item : nullptr;
  for (std::int32_t i = 0; i < item->GetCount(); ++i)
    if (omMenuItem* found = menuItemWith(item->GetItem(i), id)) return found;
  return nullptr;
}

std::string lowered(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string StudioHost::commandDescription(std::uint32_t id) const {
  auto it = strings_.find(id);
  if (it == strings_.end()) return {};
  return it->second.substr(0, it->second.find('\n'));
}

std::string StudioHost::commandName(std::uint32_t id) const {
  if (id == 0) return {};
  if (auto it = strings_.find(id); it != strings_.end()) {
    const std::size_t newline = it->second.find('\n');
    std::string tip = newline == std::string::npos ? "" : it->second.substr(newline + 1);
    while (!tip.empty() && tip.back() == ' ') tip.pop_back();
    if (!tip.empty()) return tip;
  }
  for (omMenuItem* menu : menus_)
    if (omMenuItem* item = menuItemWith(menu, id)) {
      std::string text;
      for (const char* c = item->GetText(); *c; ++c)
        if (*c != '&') text += *c;
      while (text.ends_with(".")) text.pop_back();
      return text;
    }
  return {};
}

std::uint32_t StudioHost::commandId(const std::string& name) const {
  const std::string wanted = lowered(name);
  std::vector<std::uint32_t> ids;
  for (const auto& [id, text] : strings_) ids.push_back(id);
  for (const Accelerator& a : accelerators_) ids.push_back(a.commandId);
  for (platform::CToolBar* bar : toolbars_)
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) ids.push_back(bar->GetItemID(i));
  for (std::uint32_t id : ids)
    if (id && lowered(commandName(id)) == wanted) return id;
  return 0;
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
  if (mode != filterMode_) {
    filterMode_ = mode;
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
  Entity& added = scene_.add(std::move(entity));
  echo_("added: " + added.name + " (" + std::to_string(added.points.size()) + " points)");
  followDocumentKind();
  redrawAll();
  return {};
}

std::string StudioHost::open(const std::string& path) {
  LoadedFile file = loadMeshFile(path);
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
    MeshStats s = meshStats(m);
    line += ", " + std::to_string(m.faceCount()) + " faces, " + std::to_string(m.edgeCount()) +
            " edges (" + std::to_string(s.boundary) + " boundary, " +
            std::to_string(s.nonManifold) + " non-manifold, " + std::to_string(s.degenerate) +
            " degenerate faces)";
    if (file.skippedFaces)
      line += "; " + std::to_string(file.skippedFaces) +
              " faces of the file that repeat a vertex could not be read";
  }
  bool first = scene_.bounds().empty();
  scene_.add(std::move(entity));
  echo_(line);
  followDocumentKind();
  if (first) fit(true, false);  // the scene had nothing to frame before
  redrawAll();
  return {};
}

std::string StudioHost::save(const std::string& path) {
  Entity* target = nullptr;
  for (auto it = scene_.selection().rbegin(); it != scene_.selection().rend() && !target; ++it)
    if (Entity* e = scene_.find(*it); e && e->mesh) target = e;
  for (const auto& e : scene_.entities())
    if (!target && e->mesh) target = e.get();
  if (!target) return path + ": nothing to save (no mesh in the scene)";
  std::string error = saveMeshFile(path, *target->mesh);
  if (error.empty()) echo_("saved: " + target->name + " to " + path);
  return error;
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
  if (omTool* tool = inputTool()) tool->Key(key, next ? 0 : 1, &views_.active());
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
  input_.x = x, input_.y = y;
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
  if (omTool* tool = inputTool())
    tool->MouseButton(button, press ? om::kActionPress : om::kActionRelease, position,
                      &views_.active());
}

void StudioHost::mouseMove(float x, float y) {
  const float previous[2] = {input_.x, input_.y}, current[2] = {x, y};
  input_.x = x, input_.y = y;
  omTool* tool = inputTool();
  if (!tool) return;
  if (input_.buttons)
    tool->MouseDrag(input_.buttons, previous, current, &views_.active());
  else
    tool->MouseMove(0, current, &views_.active());
}

void StudioHost::mouseWheel(std::int32_t delta, float x, float y) {
  input_.x = x, input_.y = y;
  if (omTool* tool = inputTool()) tool->MouseWheel(delta, 0, &views_.active());
}

// [SECTION] Studio side: routing

bool StudioHost::routeCommand(std::uint32_t id, bool shift) {
  switch (id) {
    case kIdExit: exitRequested_ = true; return true;
    case kIdLayoutSingle: views_.setLayout(false); return true;
    case kIdLayoutQuad: views_.setLayout(true); return true;
  }
  omModule2* m = module();
  if (!m || !m->GetCommandTarget()) return false;
  bool wasShift = input_.shift;
  input_.shift = shift;
  bool handled = m->GetCommandTarget()->OnCmdMsg(id, platform::CN_COMMAND, nullptr);
  input_.shift = wasShift;
  return handled;
}

std::uint32_t StudioHost::acceleratorFor(std::uint8_t key, bool ctrl, bool shift,
                                         bool alt) const {
  for (const Accelerator& a : accelerators_)
    if (a.key == key && a.ctrl == ctrl && a.shift == shift && a.alt == alt) return a.commandId;
  return 0;
}

platform::CToolBar* StudioHost::toolbarWithButton(std::uint32_t id, std::int32_t* index) const {
  for (platform::CToolBar* bar : toolbars_)
    for (std::int32_t i = 0; i < bar->GetCount(); ++i)
      if (bar->GetItemID(i) == id) {
        *index = i;
        return bar;
      }
  return nullptr;
}

bool StudioHost::requestToolbarPanel(std::uint32_t id) {
  std::int32_t index = 0;
  platform::CToolBar* bar = toolbarWithButton(id, &index);
  platform::omPropertyToolBar* panelBar = bar ? bar->AsPropertyToolBar() : nullptr;
  // The panel opens beside the button; Studio has no screen, so the view's corner stands in.
  return panelBar && panelBar->RequestPanel(index, omRect{0, 0, 24, 24});
}

std::string StudioHost::chooseFilter(bool objectFilter, const std::string& name) {
  // Combos are told apart by what they list: the filter whose entries they show.
  MaskList& list = objectFilter ? objectFilter_ : componentFilter_;
  for (platform::CToolBar* bar : toolbars_) {
    platform::CCJToolBar* controls = bar->AsControlBar();
    if (!controls) continue;
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      platform::CWnd* w = controls->GetControlAt(bar->GetItemID(i));
      platform::CComboBox* combo = w ? w->AsComboBox() : nullptr;
      if (!combo || combo->GetCount() != list.GetCount()) continue;
      bool same = true;
      for (std::int32_t k = 0; k < combo->GetCount() && same; ++k) {
        const char* entry = nullptr;
        list.GetEntry(k, &entry, nullptr);
        same = std::string(combo->GetLBText(k)) == entry;
      }
      if (!same) continue;
      for (std::int32_t k = 0; k < combo->GetCount(); ++k)
        if (name == combo->GetLBText(k)) {
          if (!combo->ChooseItem(k)) return "the filter \"" + name + "\" cannot be chosen now";
          return {};
        }
      return "the filter has no entry \"" + name + "\"";
    }
  }
  return "no filter combo lists the " + std::string(objectFilter ? "object" : "component") +
         " filter";
}

std::string StudioHost::checkLasso(const std::vector<double>& outline, bool through) {
  std::size_t count = 0;
  if (scene_.objectMode) return "check lasso: not in component mode";
  if (!components_.matchesPlainPolygon(componentPlace(views_.active()), outline, through, &count))
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
                                                                     : m.edgeFlags;
  for (std::uint32_t h : handles)
    if (h >= flags.size())
      return "handle " + std::to_string(h) + " out of range (" + object + " has " +
             std::to_string(flags.size()) + ")";
  for (std::uint8_t& f : flags) f &= ~kSelected;
  for (std::uint32_t h : handles) flags[h] |= kSelected;
  // An object whose components are picked is one the component commands work on.
  if (!handles.empty()) scene_.select(e->id, true);
  NotifySync(om::kNotifyComponentSelectionChanged, nullptr);
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
  for (const auto& e : scene_.entities()) {
    std::string kind = e->isMesh()                        ? "mesh"
                       : e->isPointCloud()                ? "point cloud"
                       : e->type == om::kEntityCoordSys   ? "coordinate system"
                       : e->type == om::kEntityLight      ? "light"
                                                          : "entity";
    std::string line = "  " + std::to_string(e->id) + " " + e->name + " (" + kind + ")";
    if (e->mesh) {
      line += " " + std::to_string(e->mesh->vertexCount()) + " vertices";
      if (e->isMesh())
        line += " " + std::to_string(e->mesh->faceCount()) + " faces " +
                std::to_string(e->mesh->edgeCount()) + " edges";
    }
    if (!e->visible) line += " hidden";
    if (e->state & kStateSelected) line += " selected";
    lines.push_back(line);
  }
  return lines;
}

void StudioHost::updateMenus() {
  omModule2* m = module();
  platform::CCmdTarget* target = m ? m->GetCommandTarget() : nullptr;
  auto own = [this](std::uint32_t id, platform::CCmdUI& ui) {
    switch (id) {
      case kIdExit: ui.Enable(true); return true;
      case kIdLayoutSingle:
      case kIdLayoutQuad:
        ui.Enable(true);
        ui.SetCheck((id == kIdLayoutQuad) == views_.quad() ? 1 : 0);
        return true;
      default: return false;
    }
  };
  for (omMenuItem* menu : menus_) updateMenu(*menu, target, own);
}

std::vector<std::string> StudioHost::describeMenus() {
  updateMenus();
  std::vector<std::string> lines;
  for (omMenuItem* menu : menus_) describeMenu(menu, 0, lines);
  return lines;
}

std::vector<std::string> StudioHost::describeToolbars() {
  std::vector<std::string> lines;
  for (platform::CToolBar* bar : toolbars_) {
    lines.push_back(std::string(bar->GetWindowText()) +
                    (bar->IsWindowVisible() ? "" : " (hidden)"));
    platform::CCJToolBar* controls = bar->AsControlBar();
    platform::omPropertyToolBar* panels = bar->AsPropertyToolBar();
    for (std::int32_t i = 0; i < bar->GetCount(); ++i) {
      std::uint32_t id = bar->GetItemID(i);
      if (id == 0) {
        lines.push_back("  -");
        continue;
      }
      std::string line = "  [" + std::to_string(id) + "]";
      if (std::string name = commandName(id); !name.empty()) line += " " + name;
      platform::CWnd* w = controls ? controls->GetControlAt(id) : nullptr;
      if (platform::CComboBox* combo = w ? w->AsComboBox() : nullptr) {
        line += " combo {";
        for (std::int32_t k = 0; k < combo->GetCount(); ++k)
          line += (k ? ", " : "") + std::string(combo->GetLBText(k));
        line += "} = " + std::string(combo->GetCurSel() >= 0 ? combo->GetLBText(combo->GetCurSel()) : "");
        if (!combo->IsWindowEnabled()) line += " disabled";
      } else {
        std::uint32_t state = bar->GetButtonState(i);
        if (state & platform::TBSTATE_CHECKED) line += " checked";
        if (!(state & platform::TBSTATE_ENABLED)) line += " disabled";
      }
      if (bar->GetButtonState(i) & platform::TBSTATE_MARKED) line += " marked";
      if (panels && panels->IsPanelButton(i)) line += " panel";
      lines.push_back(line);
    }
  }
  return lines;
}

std::vector<std::string> StudioHost::describeAccelerators() {
  std::vector<std::string> lines;
  for (const Accelerator& a : accelerators_) {
    std::string keys = std::string(a.ctrl ? "Ctrl+" : "") + (a.shift ? "Shift+" : "") +
                       (a.alt ? "Alt+" : "") + keyName(a.key);
    std::string name = commandName(a.commandId);
    lines.push_back(keys + " -> " + std::to_string(a.commandId) + (name.empty() ? "" : " " + name));
  }
  return lines;
}

std::string StudioHost::shot(const std::string& path, bool wholeFrame) {
  PixelRect rect = wholeFrame ? PixelRect{0, 0, context_->width(), context_->height()}
                              : views_.active().rect;
  context_->useView(views_.active().index());
  std::string error = writePng(path, renderer_.readPixels(rect), rect.width, rect.height);
  if (error.empty()) echo_("shot: " + path);
  return error;
}

void StudioHost::viewsRepainted() {
  // What a tool drew over the views (a rubber band) is gone; the tool has to know.
  if (omTool* tool = tools_.GetCurrentTool()) tool->Refresh();
}

void StudioHost::redraw(StudioView& view) {
  bool active = views_.quad() && &view == &views_.active();
  context_->useView(view.index());
  renderer_.drawView(scene_, view.camera, view.rect, active);
  context_->present();
}

}  // namespace tessel::studio
