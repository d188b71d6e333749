// Each face of a mesh owned by one of its corners (the least handle), so that the brush can
// bucket faces by where their owners project instead of placing every face for each camera: a
// face's centre lies within a bound of its owner's place that the camera gives from the owner's
// depth and the face's size. Kept once per mesh state: a byte a face (its owner as a step from
// the least owner of its run of kRun faces) and a byte a vertex (how far the corners of the faces
// it owns lie from it, rounded up to one of 256 lengths). Scans and most files list a face near
// its corners, so a step fits a byte; a face whose owner does not fit is placed on its own.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/scene/mesh.h"

namespace tessel::studio {

class FaceOwners {
 public:
  static constexpr std::uint32_t kRun = 128;      // faces a base
  static constexpr std::uint8_t kUnowned = 0xFF;  // a face placed on its own

  FaceOwners() = default;
  explicit FaceOwners(const Mesh& mesh);

  bool fits(const Mesh& mesh) const {
    return faces_ == mesh.faceCount() && vertices_ == mesh.vertexCount();
  }
  // Face f's owner, when steps()[f] != kUnowned: base(f / kRun) + steps()[f].
  const std::uint8_t* steps() const { return steps_.data(); }
  std::uint32_t base(std::uint32_t run) const { return bases_[run]; }
  // No corner of a face that vertex v owns lies farther than this from v (the mesh's own space).
  float reach(std::uint32_t v) const { return lengths_[reach_[v]]; }
  const std::uint8_t* reaches() const { return reach_.data(); }
  const float* lengths() const { return lengths_; }
  // How many faces are placed on their own.
  std::uint32_t unowned() const { return unowned_; }
  std::size_t memoryBytes() const {
    return steps_.capacity() + reach_.capacity() + bases_.capacity() * 4;
  }

 private:
  std::uint32_t faces_ = 0, vertices_ = 0, unowned_ = 0;
  std::vector<std::uint8_t> steps_;
  std::vector<std::uint32_t> bases_;
  std::vector<std::uint8_t> reach_;
  float lengths_[256] = {};  // 0, then eight steps an octave up to the longest reach
};

}  // namespace tessel::studio
