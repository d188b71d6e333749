// Scene entities and the selection list, as far as the module's tools and commands use them.
// Virtual orders are the contract with the host binary: append, never reorder.
#pragma once

#include <cstdint>

class omEntity {
 public:
  // om::EntityType
  virtual std::uint32_t GetType() = 0;
  virtual const char* GetName() = 0;

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

 protected:
  ~omEntityList() = default;
};
