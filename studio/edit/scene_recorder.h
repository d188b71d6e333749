// Records what an edit changed in the scene without the tools and commands that make the edit
// knowing of it: the recorder keeps a shadow of the scene's state as the last step left it,
// and at the end of an edit compares the scene with it. Entities keep small records (placement,
// frame, light, points, visibility, state bits); meshes keep a copy of their flag arrays, so a
// selection step costs a pass over the flags and keeps only the runs that changed. The flags are
// compared only when the edit said it touched them (a selection notice): a translate of a scan
// stays independent of its size. Before an undo everything is compared, so a change no notice
// announced still becomes a step of its own rather than spoil the differences of the others.
//
// [SECTION] the change a comparison yields
// [SECTION] the recorder
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "studio/edit/flag_diff.h"
#include "studio/edit/history.h"
#include "studio/scene/scene.h"

namespace tessel::studio::edit {

// The flag bits an edit can change and an undo restores; the others are the fills' scratch.
inline constexpr std::uint8_t kRecordedFlags = kSelected | kHidden | kExcluded;

// What an entity is, short of its bulk data (mesh arrays, maps) and of the display of frames
// (a tripod, a coordinate system), which follows the panels shown rather than a person's edits.
struct EntityRecord {
  std::string name;
  bool visible = true;
  std::uint32_t state = 0;
  std::int32_t group = 0;
  CoordSys frame;
  Light light;
  std::vector<Vec3> points;
  Placement::Matrix placement{};

  static EntityRecord of(const Entity& e);
  bool operator==(const EntityRecord& o) const;
  // Puts the record back on the entity; the entity's derived data is dropped where it moved.
  void applyTo(Entity& e) const;
  std::size_t bytes() const { return sizeof(*this) + name.capacity() + points.capacity() * sizeof(Vec3); }
};

// What the scene holds beside its entities that an edit can change.
struct SceneRecord {
  std::vector<std::uint32_t> selection;
  std::uint32_t lightFlags[om::kLightSlots] = {};
  std::uint32_t lightDisplayFlags = 0;
  bool lightsShown = true, coordSysShown = true, gridShown = false;

  static SceneRecord of(const Scene& scene);
  bool operator==(const SceneRecord& o) const;
  void applyTo(Scene& scene) const;
};

// [SECTION] the change a comparison yields

class SceneDiff final : public Change {
 public:
  struct Presence {
    std::uint32_t id = 0;
    bool created = false;  // else deleted
    // The entity while it is out of the scene: after the creation was undone, or while the
    // deletion stands.
    std::unique_ptr<Entity> held;
  };
  struct Record {
    std::uint32_t id = 0;
    EntityRecord before, after;
  };
  struct Flags {
    std::uint32_t id = 0;
    FlagDiff vertices, faces, edges;
  };

  void undo(Scene& scene) override { apply(scene, true); }
  void redo(Scene& scene) override { apply(scene, false); }
  std::size_t bytes() const override;
  bool changesFlags() const override { return !flags.empty(); }
  // A save writes world positions: a move changes the file.
  bool changesFileOf(std::uint32_t entityId) const override;
  bool empty() const {
    return presence.empty() && records.empty() && flags.empty() && !sceneChanged;
  }

  std::vector<Presence> presence;
  std::vector<Record> records;
  std::vector<Flags> flags;
  bool sceneChanged = false;
  SceneRecord sceneBefore, sceneAfter;

 private:
  void apply(Scene& scene, bool undo);
};

// [SECTION] the recorder

class SceneRecorder {
 public:
  // Takes the scene as it is as the state the first step starts from, and keeps the entities the
  // scene removes (Scene::onRemoved) until a step holds them.
  explicit SceneRecorder(Scene& scene);
  ~SceneRecorder();
  SceneRecorder(const SceneRecorder&) = delete;
  SceneRecorder& operator=(const SceneRecorder&) = delete;

  // An edit begins. Brackets nest; the outermost one's end makes the step, under the name of the
  // first bracket that gave one with `precise` (a command run), else the outermost's.
  void begin(const std::string& name, bool precise = false);
  // The edit ends: the step of what it changed, or nothing when nothing did (a camera move) or
  // the bracket was not the outermost.
  std::optional<Step> end();
  bool recording() const { return depth_ > 0; }
  // Component or entity selection changed: the next comparison reads the flag arrays.
  void touchFlags() { flagsTouched_ = true; }
  // Makes a step of whatever changed since the last one: before an undo, whose differences
  // apply only to the state they were taken from. With `readFlags` the flag arrays are read
  // whether a change was announced or not (the step to undo changes flags); without, only when
  // announced, so undoing a translate of a scan stays independent of its size.
  std::optional<Step> flush(const std::string& name, bool readFlags);

  // Folds what changed so far into the open step, so an edit can add a change of its own (a
  // deletion that renumbers faces) after it.
  void checkpoint();
  // Adds a change the edit made and recorded itself; the entity's shadow is taken afresh, since
  // its mesh arrays may have been rebuilt.
  void add(std::unique_ptr<Change> change, std::uint32_t entityId);

  // Takes the scene as it is now (after an undo or a redo) without recording anything; the flag
  // arrays are read only with `readFlags` (the step undone or redone changed them), whatever
  // the notices sent in answer announced.
  void resync(bool readFlags);
  // What the shadow keeps beside the history, in bytes.
  std::size_t shadowBytes() const;

 private:
  struct Shadow {
    EntityRecord record;
    const Mesh* mesh = nullptr;
    std::uint64_t revision = 0;
    std::vector<std::uint8_t> vertices, faces, edges;
  };
  // Compares the scene with the shadow and brings the shadow up to date; the differences, or
  // none when `keep` is false.
  std::unique_ptr<SceneDiff> compare(bool keep, bool flags);
  static void takeFlags(Shadow& shadow, const Entity& e);

  Scene& scene_;
  std::map<std::uint32_t, Shadow> shadows_;
  SceneRecord sceneShadow_;
  std::vector<std::unique_ptr<Entity>> removed_;  // taken out by the scene since the last compare
  int depth_ = 0;
  std::string name_;
  bool precise_ = false;
  bool flagsTouched_ = false;
  std::vector<std::unique_ptr<Change>> open_;
  std::vector<std::unique_ptr<Change>> stray_;  // recorded outside every bracket
};

}  // namespace tessel::studio::edit
