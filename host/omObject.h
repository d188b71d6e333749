// Root of everything the host and the module hand each other. The virtual order is the contract
// between separately built binaries: append, never reorder.
#pragma once

#include <cstdint>

class omObject {
 public:
  virtual std::int32_t AddRef() = 0;
  // At zero the object destroys itself and 0 is answered.
  virtual std::int32_t Release() = 0;
  // A static string, never freed.
  virtual const char* GetName() = 0;

 protected:
  ~omObject() = default;  // lifetime goes through Release only
};

// The host's event record: only `code` is read by the module.
struct omEvent {
  std::int32_t code = 0;
};

// A rectangle in view or screen pixels (left, top, right, bottom).
struct omRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
