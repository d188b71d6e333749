#include "studio/edit/scene_recorder.h"

#include <algorithm>
#include <cstring>

#include "studio/edit/map_removal.h"

namespace tessel::studio::edit {
namespace {

bool sameFrame(const CoordSys& a, const CoordSys& b) {
  return a.origin == b.origin && a.xAxis == b.xAxis && a.yAxis == b.yAxis && a.zAxis == b.zAxis;
}

bool sameLight(const Light& a, const Light& b) {
  return a.position == b.position && a.aim == b.aim && a.directional == b.directional &&
         a.slot == b.slot && a.firstInGroup == b.firstInGroup && a.kind == b.kind;
}

std::size_t flagBytes(const FlagDiff& d) { return d.bytes(); }

// Brings a shadow copy of a flag array to `now` by the difference found between them.
void follow(std::vector<std::uint8_t>& shadow, const FlagDiff& diff,
            const std::vector<std::uint8_t>& now) {
  if (shadow.size() != now.size()) {
    // The edge table was built or dropped: nothing to gain from the runs.
    shadow = now;
    return;
  }
  applyFlagDiff(diff, shadow.data(), shadow.size());
}

}  // namespace

EntityRecord EntityRecord::of(const Entity& e) {
  EntityRecord r;
  r.name = e.name;
  // A coordinate system is shown and hidden by the module as its panels come and go.
  r.visible = e.type == om::kEntityCoordSys || e.visible;
  r.state = e.state;
  r.group = e.group;
  r.frame = e.frame;
  r.light = e.light;
  r.points = e.points;
  r.placement = e.placement.forward();
  return r;
}

bool EntityRecord::operator==(const EntityRecord& o) const {
  return name == o.name && visible == o.visible &&
         state == o.state && group == o.group && sameFrame(frame, o.frame) &&
         sameLight(light, o.light) && points == o.points && placement == o.placement;
}

void EntityRecord::applyTo(Entity& e) const {
  e.name = name;
  if (e.type != om::kEntityCoordSys) e.visible = visible;
  e.state = state;
  e.group = group;
  e.frame = frame;
  e.light = light;
  if (e.points != points) e.points = points;
  if (e.placement.forward() != placement) e.placement.set(placement);
  e.placementChanged();
}

SceneRecord SceneRecord::of(const Scene& scene) {
  SceneRecord r;
  r.selection = scene.selection();
  std::copy(std::begin(scene.lightFlags), std::end(scene.lightFlags), r.lightFlags);
  r.lightDisplayFlags = scene.lightDisplayFlags;
  r.lightsShown = scene.lightGroup.shown;
  r.coordSysShown = scene.coordSysGroup.shown;
  r.gridShown = scene.gridShown;
  return r;
}

bool SceneRecord::operator==(const SceneRecord& o) const {
  return selection == o.selection &&
         std::equal(std::begin(lightFlags), std::end(lightFlags), std::begin(o.lightFlags)) &&
         lightDisplayFlags == o.lightDisplayFlags && lightsShown == o.lightsShown &&
         coordSysShown == o.coordSysShown && gridShown == o.gridShown;
}

void SceneRecord::applyTo(Scene& scene) const {
  scene.restoreSelection(selection);
  std::copy(std::begin(lightFlags), std::end(lightFlags), scene.lightFlags);
  scene.lightDisplayFlags = lightDisplayFlags;
  scene.lightGroup.shown = lightsShown;
  scene.coordSysGroup.shown = coordSysShown;
  scene.gridShown = gridShown;
}

// [SECTION] the change a comparison yields

std::size_t SceneDiff::bytes() const {
  std::size_t n = sizeof(*this) + sceneBefore.selection.capacity() * 4 +
                  sceneAfter.selection.capacity() * 4;
  for (const Presence& p : presence) {
    n += sizeof(Presence);
    if (p.held) {
      n += sizeof(Entity) + p.held->points.capacity() * sizeof(Vec3);
      if (p.held->mesh) n += p.held->mesh->memoryBytes();
      for (const VertexMap& m : p.held->maps)
        n += m.values.capacity() * sizeof(float) + m.colours.capacity();
    }
  }
  for (const Record& r : records) n += r.before.bytes() + r.after.bytes();
  for (const Flags& f : flags)
    n += sizeof(Flags) + flagBytes(f.vertices) + flagBytes(f.faces) + flagBytes(f.edges);
  return n;
}

bool SceneDiff::changesFileOf(std::uint32_t entityId) const {
  for (const Record& r : records)
    if (r.id == entityId && r.before.placement != r.after.placement) return true;
  return false;
}

void SceneDiff::apply(Scene& scene, bool undo) {
  for (Presence& p : presence) {
    if (p.created != undo) {
      // Back into the scene: a deletion undone, a creation redone.
      if (p.held) scene.restore(std::move(p.held));
    } else {
      p.held = scene.take(p.id);
    }
  }
  for (const Record& r : records)
    if (Entity* e = scene.find(r.id)) (undo ? r.before : r.after).applyTo(*e);
  if (sceneChanged) (undo ? sceneBefore : sceneAfter).applyTo(scene);
  for (const Flags& f : flags) {
    Entity* e = scene.find(f.id);
    if (!e || !e->mesh) continue;
    Mesh& m = *e->mesh;
    applyFlagDiff(f.vertices, m.vertexFlags.data(), m.vertexFlags.size());
    applyFlagDiff(f.faces, m.faceFlags.data(), m.faceFlags.size());
    if (!f.edges.empty()) {
      std::vector<std::uint8_t>& edges = m.tableEdgeFlags();
      applyFlagDiff(f.edges, edges.data(), edges.size());
    }
  }
  scene.geometryChanged();
}

// [SECTION] the recorder

SceneRecorder::SceneRecorder(Scene& scene) : scene_(scene) {
  scene_.onRemoved = [this](std::unique_ptr<Entity> e) { removed_.push_back(std::move(e)); };
  scene_.onMapRemoved = [this](Entity& e, int index, VertexMap map, int currentAfter) {
    auto change = std::make_unique<MapRemoval>(e.id, index, std::move(map), currentAfter);
    if (depth_ == 0) {
      stray_.push_back(std::move(change));
      return;
    }
    // After what the edit changed so far: an entity made in the same edit exists before its
    // map goes, on a redo too.
    checkpoint();
    open_.push_back(std::move(change));
  };
  compare(false, true);
}

SceneRecorder::~SceneRecorder() {
  scene_.onRemoved = nullptr;
  scene_.onMapRemoved = nullptr;
}

void SceneRecorder::takeFlags(Shadow& s, const Entity& e) {
  s.mesh = e.mesh.get();
  s.revision = e.mesh ? e.mesh->revision : 0;
  if (!e.mesh) {
    s.vertices = {}, s.faces = {}, s.edges = {};
    return;
  }
  s.vertices = e.mesh->vertexFlags;
  s.faces = e.mesh->faceFlags;
  s.edges = e.mesh->edgeFlags;
}

std::unique_ptr<SceneDiff> SceneRecorder::compare(bool keep, bool flags) {
  flags = flags || flagsTouched_;
  flagsTouched_ = false;
  auto diff = std::make_unique<SceneDiff>();
  for (auto it = shadows_.begin(); it != shadows_.end();) {
    if (scene_.find(it->first)) {
      ++it;
      continue;
    }
    if (keep) {
      SceneDiff::Presence p;
      p.id = it->first;
      auto held = std::find_if(removed_.begin(), removed_.end(),
                               [&](const auto& e) { return e && e->id == p.id; });
      if (held != removed_.end()) p.held = std::move(*held);
      // Put back as it was, state bits included (removing it deselected it).
      diff->records.push_back({p.id, it->second.record, it->second.record});
      diff->presence.push_back(std::move(p));
    }
    it = shadows_.erase(it);
  }
  removed_.clear();
  for (const auto& e : scene_.entities()) {
    auto [it, fresh] = shadows_.try_emplace(e->id);
    Shadow& s = it->second;
    if (fresh) {
      if (keep) diff->presence.push_back({e->id, true, nullptr});
      s.record = EntityRecord::of(*e);
      takeFlags(s, *e);
      continue;
    }
    EntityRecord now = EntityRecord::of(*e);
    if (!(now == s.record)) {
      if (keep) diff->records.push_back({e->id, s.record, now});
      s.record = std::move(now);
    }
    if (!e->mesh) continue;
    const Mesh& m = *e->mesh;
    if (!flags && s.mesh == &m && s.revision == m.revision) continue;
    if (s.mesh != &m || s.revision != m.revision) {
      // New arrays under the entity: whoever rebuilt them recorded that change itself.
      takeFlags(s, *e);
      continue;
    }
    SceneDiff::Flags f;
    f.id = e->id;
    f.vertices = diffFlags(s.vertices.data(), s.vertices.size(), m.vertexFlags.data(),
                           m.vertexFlags.size(), kRecordedFlags);
    f.faces = diffFlags(s.faces.data(), s.faces.size(), m.faceFlags.data(), m.faceFlags.size(),
                        kRecordedFlags);
    f.edges = diffFlags(s.edges.data(), s.edges.size(), m.edgeFlags.data(), m.edgeFlags.size(),
                        kRecordedFlags);
    if (f.vertices.empty() && f.faces.empty() && f.edges.empty()) {
      if (s.edges.size() != m.edgeFlags.size()) s.edges = m.edgeFlags;
      continue;
    }
    follow(s.vertices, f.vertices, m.vertexFlags);
    follow(s.faces, f.faces, m.faceFlags);
    follow(s.edges, f.edges, m.edgeFlags);
    if (keep) diff->flags.push_back(std::move(f));
  }
  SceneRecord now = SceneRecord::of(scene_);
  if (!(now == sceneShadow_)) {
    diff->sceneChanged = keep;
    diff->sceneBefore = std::move(sceneShadow_);
    diff->sceneAfter = now;
    sceneShadow_ = std::move(now);
  }
  return diff;
}

void SceneRecorder::begin(const std::string& name, bool precise) {
  if (depth_++ == 0) {
    name_ = name;
    precise_ = precise;
    // What changed outside every bracket joins this step, as unannounced flag changes do.
    open_ = std::move(stray_);
    stray_.clear();
  } else if (precise && !precise_) {
    name_ = name;
    precise_ = true;
  }
}

void SceneRecorder::checkpoint() {
  std::unique_ptr<SceneDiff> diff = compare(true, true);
  if (!diff->empty()) open_.push_back(std::move(diff));
}

void SceneRecorder::add(std::unique_ptr<Change> change, std::uint32_t entityId) {
  open_.push_back(std::move(change));
  if (auto it = shadows_.find(entityId); it != shadows_.end())
    if (Entity* e = scene_.find(entityId)) takeFlags(it->second, *e);
}

std::optional<Step> SceneRecorder::end() {
  if (depth_ == 0 || --depth_ > 0) return std::nullopt;
  if (std::unique_ptr<SceneDiff> diff = compare(true, false); !diff->empty())
    open_.push_back(std::move(diff));
  if (open_.empty()) return std::nullopt;
  Step step;
  step.name = name_;
  step.changes = std::move(open_);
  open_.clear();
  return step;
}

std::optional<Step> SceneRecorder::flush(const std::string& name, bool readFlags) {
  if (depth_ > 0) return std::nullopt;
  std::unique_ptr<SceneDiff> diff = compare(true, readFlags);
  if (diff->empty() && stray_.empty()) return std::nullopt;
  Step step;
  step.name = name;
  step.changes = std::move(stray_);
  stray_.clear();
  if (!diff->empty()) step.changes.push_back(std::move(diff));
  return step;
}

void SceneRecorder::resync(bool readFlags) {
  flagsTouched_ = false;
  compare(false, readFlags);
}

std::size_t SceneRecorder::shadowBytes() const {
  std::size_t n = 0;
  for (const auto& [id, s] : shadows_)
    n += s.record.bytes() + s.vertices.capacity() + s.faces.capacity() + s.edges.capacity();
  return n;
}

}  // namespace tessel::studio::edit
