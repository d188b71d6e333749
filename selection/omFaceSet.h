// An ordered set of face handles: ascending, no duplicates, 4 bytes per face. Fills build their
// results in bulk and hand them over sorted, so single inserts stay the rare case they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class omFaceSet {
 public:
  using Handle = std::uint32_t;

  bool empty() const { return handles_.empty(); }
  std::size_t size() const { return handles_.size(); }
  auto begin() const { return handles_.begin(); }
  auto end() const { return handles_.end(); }
  const Handle* data() const { return handles_.data(); }
  Handle operator[](std::size_t i) const { return handles_[i]; }
  std::size_t capacityBytes() const { return handles_.capacity() * sizeof(Handle); }

  bool contains(Handle face) const;
  // False when the face was already in the set.
  bool insert(Handle face);
  void clear() { handles_.clear(); }
  // Adds handles in any order, repeats allowed; `handles` is left empty (its storage may be
  // taken over when the set was empty).
  void insertMany(std::vector<Handle>& handles);
  // The same, sorting with the caller's `scratch`, which a caller filling often keeps.
  void insertMany(std::vector<Handle>& handles, std::vector<Handle>& scratch);
  // As insertMany, but an empty set keeps the storage of `handles` as it is, capacity and all:
  // for a list reserved for a whole mesh and filled in part, whose unwritten pages cost nothing
  // and whose written ones a shrink would copy.
  void adopt(std::vector<Handle>& handles);

 private:
  std::vector<Handle> handles_;
};

namespace tessel::selection {
// Sorts ascending and drops repeats; large inputs go through a radix sort using `scratch`.
void sortUnique(std::vector<std::uint32_t>& handles, std::vector<std::uint32_t>& scratch);
}  // namespace tessel::selection
