// The document: the entities of the scene, the selection list, the two modes and the lock. Entities own their data; the selection list holds entity ids in the order selected.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/omEntity.h"
#include "host/om_codes.h"
#include "studio/scene/entity_frame.h"
#include "studio/scene/entity_transform.h"
#include "studio/scene/mesh.h"
#include "studio/scene/mesh_access.h"
#include "studio/scene/placement.h"
#include "studio/scene/vec3.h"

namespace tessel::studio {

// Entity state bits.
enum EntityState : std::uint32_t {
  kStateSelected = 1,
  kStateActive = 2,
  kStateComponents = om::kStateHasComponentSelection,  // set by the module
};

class Scene;
class EndPointIndex;

// A directional light: it shines from `position` towards `aim` (world), whatever the distance;
// the position is also where its marker is drawn.
struct Light {
  Vec3 position{1, 1, 1};
  Vec3 aim{0, 0, 0};
  bool directional = true;
  int slot = -1;  // 0 to om::kLightSlots - 1
  bool firstInGroup = false;
  std::int32_t kind = 0;
};

struct CoordSys {
  Vec3 origin{}, xAxis{1, 0, 0}, yAxis{0, 1, 0}, zAxis{0, 0, 1};
};

// A named map over a mesh's vertices: values (a scan's quality, deviations) or colours.
struct VertexMap {
  std::string name;
  std::vector<float> values;          // #V, or empty for a colour map
  std::vector<std::uint8_t> colours;  // #V by 3 (RGB), or empty for a value map
};

// The selected elements among a flag array, counted when asked.
class FlagSelection final : public omComponentSet {
 public:
  explicit FlagSelection(std::vector<std::uint8_t>* flags = nullptr) : flags_(flags) {}
  std::int32_t GetCount() override;
  void AddHandles(const std::uint32_t* handles, std::int32_t count) override;

 private:
  std::vector<std::uint8_t>* flags_;
};

// The entries of an entity's connection list.
class EntityRefs final : public omEntityList {
 public:
  std::vector<omEntity*> items;
  bool IsEmpty() override { return items.empty(); }
  std::int32_t CountSelected() override { return GetCount(); }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(items.size()); }
  omEntity* GetAt(std::int32_t i) override { return i >= 0 && i < GetCount() ? items[i] : nullptr; }
  void Clear() override { items.clear(); }
  void Remove(omEntity*) override {}
  void CycleActive() override {}
  void Add(omEntity*) override {}
};

struct Entity final : omEntity {
  std::uint32_t GetType() override { return type; }
  const char* GetName() override { return name.c_str(); }
  void InvertSelectedComponents() override;
  omComponentSet* GetSelectedComponents() override { return GetVertexSelection(); }
  void InvertComponentSelection() override;
  omComponentSet* GetVertexSelection() override;
  omComponentSet* GetFaceSelection() override;
  omComponentSet* GetEdgeSelection() override;
  omMesh* GetMesh() override;
  bool IsHidden() override { return !visible; }
  std::uint32_t* GetStateFlags() override { return &state; }
  std::int32_t GetFaceFilter() override { return kFaceFilterVisible; }
  void FloodFaceSelection(std::int32_t range) override;
  omEntityList* GetConnections() override;
  omEntity* GetConnectionObject() override { return isConnected() ? this : nullptr; }
  omEntity* GetParent() override { return this; }
  void CollectReachable(omEntitySet* first, omEntitySet* second, std::int32_t flags) override;
  void CollectInto(omEntitySet* set) override;
  // Placement. Every entity has its frame; every entity with geometry has a transform (a
  // coordinate system has none: its frame is all there is of it).
  omCoordFrame* GetCoordSys() override { return &frameAccess_; }
  // Every entity displays its own frame (a coordinate system is nothing but that display).
  omEntity* GetCoordSysEntity() override { return this; }
  omTransform* GetTransform() override {
    return type == om::kEntityCoordSys ? nullptr : &transformAccess_;
  }
  bool GetBoundingBox(float* box) override;
  void InvalidateGeometry() override { placementChanged(); }
  // Pass 1 drops what was derived from the old placement; Studio has nothing for passes 2 and
  // 3 to bring up to date (no entity is built from another's geometry), and the redraw follows
  // the "entity moved" notice.
  void UpdateAfterMove1() override { placementChanged(); }
  void UpdateAfterMove2() override {}
  void UpdateAfterMove3() override {}
  bool HasAttached() override { return false; }
  omEntity* GetAttached() override { return nullptr; }
  omEntityList* GetItems() override { return nullptr; }
  bool NeedsPrepareA() override { return false; }
  bool NeedsPrepareB() override { return false; }
  void PrepareForTransform() override {}
  void BeginInteractive() override { ++interactiveDepth; }
  void EndInteractive() override {
    if (interactiveDepth > 0) --interactiveDepth;
  }
  bool IsSourceDetached() override { return true; }
  omMesh* GetSourceTarget() override { return nullptr; }
  void SetReferenceMatrix(const float*) override {}
  omEntity* GetOwner() override { return nullptr; }
  std::int32_t HasCurrentMap() override;
  void DeleteCurrentMap() override;
  void ShowEntity() override { visible = true; }
  void HideEntity() override { visible = false; }
  void SetFirstInGroup(bool first) override { light.firstInGroup = first; }
  void SetLightKind(std::int32_t kind) override { light.kind = kind; }
  omItemList* GetItemList() override { return nullptr; }
  // The display of the entity's frame: a coordinate system itself, another entity's tripod.
  bool IsShown() override { return type == om::kEntityCoordSys ? visible : frameShown; }
  void Show() override { (type == om::kEntityCoordSys ? visible : frameShown) = true; }
  void Hide() override { (type == om::kEntityCoordSys ? visible : frameShown) = false; }

  std::uint32_t id = 0;
  std::string name;
  std::uint32_t type = 0;  // om::EntityType
  bool visible = true;
  bool frameShown = true;  // the frame's tripod, for entities other than coordinate systems
  std::uint32_t state = 0;  // EntityState bits
  std::string sourceFile;
  std::unique_ptr<Mesh> mesh;  // meshes and point clouds
  std::vector<VertexMap> maps;
  int currentMap = -1;
  std::uint64_t mapRevision = 0;  // moves on with every change of the maps
  std::int32_t group = 0;         // om::GroupKind, 0 for none
  CoordSys frame;
  Light light;
  std::vector<Vec3> points;  // curves and springs: the polyline
  // Where the geometry (mesh, points, light) sits in the world; mesh positions stay local.
  Placement placement;
  // Open BeginInteractive brackets (the module closes each one it opens).
  int interactiveDepth = 0;
  Scene* scene = nullptr;
  // The scene's component filter mask, which InvertComponentSelection follows.
  const std::uint32_t* componentMask = nullptr;

  bool isMesh() const { return type == om::kEntityPolygonMesh; }
  bool isPointCloud() const { return mesh && !isMesh(); }
  bool isCurve() const { return type == om::kEntityConnectedA; }
  bool isSpring() const { return type == om::kEntityConnectedB; }
  bool isConnected() const { return isCurve() || isSpring(); }
  const VertexMap* currentVertexMap() const {
    return currentMap >= 0 && currentMap < static_cast<int>(maps.size()) ? &maps[currentMap]
                                                                         : nullptr;
  }
  // Adds a map and makes it current.
  void addMap(VertexMap map);
  // The object filter mask this entity answers to.
  std::uint32_t filterMask() const;
  // The tight world box of the geometry (every vertex placed), cached until the placement or
  // the mesh changes; a coordinate system's is its origin.
  Box bounds() const;
  // The box in the entity's own space.
  Box localBounds() const;
  // A world box that holds the geometry without placing a vertex: the placed corners of the
  // box in the entity's own space (the tight box for the identity).
  Box looseBounds() const;
  // Drops the cached world box; the scene's change count moves on.
  void placementChanged();

 private:
  FlagSelection vertexSelection_, faceSelection_, edgeSelection_;
  MeshAccess meshAccess_;
  EntityRefs connections_;
  EntityFrame frameAccess_{*this};
  EntityTransform transformAccess_{*this};
  mutable Box worldBox_;
  mutable bool worldBoxValid_ = false;
  mutable const Mesh* worldBoxMesh_ = nullptr;
  mutable std::uint64_t worldBoxRevision_ = 0;
};

// The entities of one kind (lights, coordinate systems) that the scene keeps together.
class EntityGroup final : public omGroup {
 public:
  EntityGroup(const Scene& scene, std::int32_t kind) : scene_(scene), kind_(kind) {}
  std::int32_t GetMemberCount() override;
  bool IsGroupShown() override { return shown; }
  std::int32_t kind() const { return kind_; }
  bool shown = true;

 private:
  const Scene& scene_;
  std::int32_t kind_;
};

// Point clouds are entities with one component selection (their points).
inline constexpr std::uint32_t kEntityPointCloud = om::kEntitySingleComponentSelection;

class Scene {
 public:
  Scene();

  // [SECTION] entities
  Entity& add(std::unique_ptr<Entity> entity);
  // A unique name from `base` ("dragon", "dragon 2", ...).
  std::string uniqueName(const std::string& base) const;
  bool remove(std::uint32_t id);
  // Takes the entity out of the scene whole (deselected, its id kept), for the undo history to
  // hold; null for the global coordinate system or an id not in the scene.
  std::unique_ptr<Entity> take(std::uint32_t id);
  // Puts an entity taken out back in its place by id; false (and the entity dropped) when an
  // entity of that id is there already.
  bool restore(std::unique_ptr<Entity> entity);
  // When set, an entity that `remove` takes out is handed here instead of destroyed: the undo
  // history keeps what a deletion removed.
  std::function<void(std::unique_ptr<Entity>)> onRemoved;
  // Runs before a mesh's positions or faces change, and before its entity is taken out: whatever
  // reads them on another thread (the renderer's levels of detail) stops first.
  std::function<void(const Mesh&)> onMeshChanging;
  void meshChanging(const Mesh& mesh) {
    if (onMeshChanging) onMeshChanging(mesh);
  }
  // When set, a map an entity deletes (DeleteCurrentMap) is handed here with where it was and
  // which map is current after it, instead of destroyed.
  std::function<void(Entity&, int index, VertexMap map, int currentAfter)> onMapRemoved;
  Entity* find(std::uint32_t id);
  // The scene's entity at this address, or none. Addresses are only compared, so a host object
  // the module hands back after it was removed is safe to ask about.
  Entity* findByAddress(const omEntity* entity);
  Entity* findByName(const std::string& name);
  const std::vector<std::unique_ptr<Entity>>& entities() const { return entities_; }
  Entity& globalCoordSys() { return *entities_.front(); }
  // The tight box of every shown mesh, point cloud, curve and spring (selected ones only, when
  // asked): what a view frames.
  Box bounds(bool selectedOnly = false) const;
  // A box that holds every shown shape without placing a vertex (their loose boxes): enough for
  // a depth range or a marker's size, and the same as `bounds()` while nothing is placed.
  Box looseBounds() const;

  // [SECTION] selection
  // Entity ids, in the order selected; the last one is the active entity.
  const std::vector<std::uint32_t>& selection() const { return selection_; }
  void select(std::uint32_t id, bool on);
  void clearSelection();
  void setSelection(std::vector<std::uint32_t> ids);
  // The selection list as it was, without touching the entities' state bits (an undo restores
  // those with the entities); ids not in the scene are left out.
  void restoreSelection(const std::vector<std::uint32_t>& ids);
  // Makes the next entity of the selection the active one (the first after the last).
  void cycleActive();

  // [SECTION] modes and brackets
  bool objectMode = true;
  std::uint32_t componentMask = om::kMaskFaces;
  // Component tools' display: holes outlined, vertices shown as dots (component mode only).
  bool showHoles = false, showVertices = false;
  void lock() { ++lockDepth_; }
  void unlock();
  bool locked() const { return lockDepth_ > 0; }
  // The end points of the visible entities of `kind` (curves or springs), for finding which
  // meet. While the scene is locked (a command at work, as a flood is) one index serves every
  // question of its kind, so a flood over many parts sorts the end points once, not once a part;
  // unlocked, each call sorts them afresh. A change of geometry or of the entities drops it.
  std::shared_ptr<const EndPointIndex> endPoints(std::uint32_t kind);

  // [SECTION] lights, groups and the grid
  // A flag word per light slot and one for the scene's light display (om::kLightDisplayBit).
  std::uint32_t lightFlags[om::kLightSlots] = {};
  std::uint32_t lightDisplayFlags = 0;
  bool gridShown = false;
  EntityGroup lightGroup{*this, om::kGroupLights};
  EntityGroup coordSysGroup{*this, om::kGroupCoordSys};
  EntityGroup* group(std::int32_t kind);
  // Shows or hides a group with its members; the global coordinate system heads its group, so
  // showing that group brings it back too. Returns how many members there are.
  int showGroup(EntityGroup& group, bool shown);
  // The lowest light slot no light holds; -1 when all are taken.
  int freeLightSlot() const;
  // Whether a light's marker shows: the scene's display bit and its slot's.
  bool lightShown(const Entity& light) const;

  // [SECTION] changes
  // Moves on whenever an entity's placement or geometry changes: caches of drawn, projected or
  // picked data compare it.
  std::uint64_t geometryStamp() const { return geometryStamp_; }
  void geometryChanged() { ++geometryStamp_; }

 private:
  std::vector<std::unique_ptr<Entity>> entities_;
  std::vector<std::unique_ptr<Entity>>::iterator at(std::uint32_t id);
  std::unordered_map<const omEntity*, std::uint32_t> idByAddress_;
  std::vector<std::uint32_t> selection_;
  std::uint32_t nextId_ = 1;
  int lockDepth_ = 0;
  struct EndPointCache {
    std::uint32_t kind = 0;
    std::shared_ptr<const EndPointIndex> index;
    std::uint64_t geometryStamp = 0;
    std::uint32_t nextId = 0;
    std::size_t entities = 0;
  };
  EndPointCache endPointCache_[2];
  std::uint64_t geometryStamp_ = 0;
};

}  // namespace tessel::studio
