// Scene entities and the selection list, as far as the module's tools and commands use them.
// Virtual orders are the contract with the host binary: append, never reorder.
#pragma once

#include <cstdint>

// A set of selected components (vertices, faces, edges or points) of one entity.
class omComponentSet {
 public:
  virtual std::int32_t GetCount() = 0;

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

 protected:
  ~omEntity() = default;
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

 protected:
  ~omEntityList() = default;
};
