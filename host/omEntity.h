// Scene entities and the selection list, as far as the module's tools and commands use them.
// Virtual orders are the contract with the host binary: append, never reorder.
#pragma once

#include <cstdint>

class omCoordFrame;
class omMesh;
class omTransform;
class omEntity;
class omEntityList;
class omEntitySet;
class omItemList;

// A set of selected components (vertices, faces, edges or points) of one entity.
class omComponentSet {
 public:
  virtual std::int32_t GetCount() = 0;
  // Selects the components with these handles; handles the entity does not have are skipped.
  virtual void AddHandles(const std::uint32_t* handles, std::int32_t count) = 0;

 protected:
  ~omComponentSet() = default;
};

class omEntity {
 public:
  // om::EntityType
  virtual std::uint32_t GetType() = 0;
  virtual const char* GetName() = 0;
  // Entities with one component selection (om::kEntitySingleComponentSelection).
  virtual void InvertSelectedComponents() = 0;
  virtual omComponentSet* GetSelectedComponents() = 0;
  // Polygon meshes (om::kEntityPolygonMesh): inverts the selection of the components the
  // component filter shows; and the three selections.
  virtual void InvertComponentSelection() = 0;
  virtual omComponentSet* GetVertexSelection() = 0;
  virtual omComponentSet* GetFaceSelection() = 0;
  virtual omComponentSet* GetEdgeSelection() = 0;
  // Null for an entity without a polygon mesh.
  virtual omMesh* GetMesh() = 0;
  virtual bool IsHidden() = 0;
  // The entity's state word, which the module sets bits of directly (om::EntityStateFlag).
  virtual std::uint32_t* GetStateFlags() = 0;
  // The value faces of this entity pass omMesh::FaceMatches with when they may be selected.
  virtual std::int32_t GetFaceFilter() = 0;
  // Grows the face selection through shared vertices by `range` rings (0 and 1: one ring; -1:
  // without limit), never onto hidden or excluded faces.
  virtual void FloodFaceSelection(std::int32_t range) = 0;

  // Connected entities (om::kEntityConnectedA and om::kEntityConnectedB). The connection list:
  // entry 0 stands for the entity's own place in its connection graph.
  virtual omEntityList* GetConnections() = 0;
  // The entity the user selects for this one (its owner's pick), or null.
  virtual omEntity* GetConnectionObject() = 0;
  virtual omEntity* GetParent() = 0;
  // Graph entries: everything reachable from here, the first kind into `first`, the second into
  // `second`; and, for a connection object, its own connected entities into `set`.
  virtual void CollectReachable(omEntitySet* first, omEntitySet* second,
                                std::int32_t flags) = 0;
  virtual void CollectInto(omEntitySet* set) = 0;

  // [SECTION] placement (appended)
  // The entity's own coordinate system; null for an entity without one.
  virtual omCoordFrame* GetCoordSys() = 0;
  // The coordinate-system entity that displays this entity's frame (itself for one); or null.
  virtual omEntity* GetCoordSysEntity() = 0;
  // Null for an entity whose geometry cannot be moved.
  virtual omTransform* GetTransform() = 0;
  // The tight world box (6 floats); false, and the box untouched, when the entity is empty.
  virtual bool GetBoundingBox(float* box) = 0;
  virtual void InvalidateGeometry() = 0;
  // The three update passes after a move: the orient commands run each over the whole selection
  // before the next, the manipulator tools run the second and third for one entity at a time.
  virtual void UpdateAfterMove1() = 0;
  virtual void UpdateAfterMove2() = 0;
  virtual void UpdateAfterMove3() = 0;
  // Attached partners (om::kEntityConnectedA and om::kEntityConnectedB).
  virtual bool HasAttached() = 0;
  virtual omEntity* GetAttached() = 0;
  // The items an owner keeps in step with its transform; null when it has none.
  virtual omEntityList* GetItems() = 0;
  virtual bool NeedsPrepareA() = 0;
  virtual bool NeedsPrepareB() = 0;
  virtual void PrepareForTransform() = 0;
  // A bracket around an interactive change of a mesh entity; always closed by the caller.
  virtual void BeginInteractive() = 0;
  virtual void EndInteractive() = 0;
  // Entities made from another entity's mesh: the link to that source.
  virtual bool IsSourceDetached() = 0;
  virtual omMesh* GetSourceTarget() = 0;
  virtual void SetReferenceMatrix(const float* m) = 0;
  // The display of a coordinate-system entity.
  virtual bool IsShown() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // [SECTION] lights, groups, deletion and maps (appended)
  // The entity that owns this one (om::kEntityDeletedOwner for one whose deletion it must
  // hear of), or null.
  virtual omEntity* GetOwner() = 0;
  // Nonzero when a polygon mesh carries a current map (a colour or scalar per vertex).
  virtual std::int32_t HasCurrentMap() = 0;
  // Deletes the current map; the entity's next map, if any, becomes current.
  virtual void DeleteCurrentMap() = 0;
  // The entity's own display in the views.
  virtual void ShowEntity() = 0;
  virtual void HideEntity() = 0;
  // Lights: whether this is the first light of its group, and its kind (om::kLightDirectional).
  virtual void SetFirstInGroup(bool first) = 0;
  virtual void SetLightKind(std::int32_t kind) = 0;
  // [SECTION] linked sub-entities (appended)
  // The links an owner of kind om::kEntityConnectedA keeps to its sub-entities; null when none.
  virtual omItemList* GetItemList() = 0;

 protected:
  ~omEntity() = default;
};

// One link of an owner's item list.
class omItem {
 public:
  // The sub-entity the link stands for (of kind om::kEntityConnectedB), or null.
  virtual omEntity* GetSubEntity() = 0;

 protected:
  ~omItem() = default;
};

class omItemList {
 public:
  virtual std::int32_t GetCount() = 0;
  // Null out of range.
  virtual omItem* GetAt(std::int32_t index) = 0;

 protected:
  ~omItemList() = default;
};

// The entities of one kind that the scene keeps together (om::GroupKind), shown or hidden as one.
class omGroup {
 public:
  virtual std::int32_t GetMemberCount() = 0;
  virtual bool IsGroupShown() = 0;

 protected:
  ~omGroup() = default;
};

// An ordered set of entities the module owns and hands to the host to fill: no repeats, in the
// order first inserted.
class omEntitySet {
 public:
  // False when the entity was already there (or null).
  virtual bool Insert(omEntity* entity) = 0;
  virtual bool Contains(omEntity* entity) = 0;
  virtual std::int32_t GetCount() = 0;
  virtual omEntity* GetAt(std::int32_t index) = 0;

 protected:
  ~omEntitySet() = default;
};

// The selected entities, in the order selected; the last one is the active entity.
class omEntityList {
 public:
  virtual bool IsEmpty() = 0;
  virtual std::int32_t CountSelected() = 0;
  virtual std::int32_t GetCount() = 0;
  // Null out of range.
  virtual omEntity* GetAt(std::int32_t index) = 0;
  virtual void Clear() = 0;
  virtual void Remove(omEntity* entity) = 0;
  // Makes the next selected entity the active one.
  virtual void CycleActive() = 0;
  // Adds to the selection (the entity becomes the active one); no repeats.
  virtual void Add(omEntity* entity) = 0;

 protected:
  ~omEntityList() = default;
};
