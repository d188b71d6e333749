// Where an entity's geometry sits in the world: an affine 4 x 4 matrix in double acting on row
// vectors, world = local F (translation in the last row), with its inverse kept beside it. Mesh
// positions stay in the entity's own space; whoever needs world positions places them on demand,
// and the identity placement is answered without touching a vertex.
//
// Stored row by row, the matrix has the memory layout OpenGL loads column-major, so drawing
// multiplies it onto the model-view matrix as it is.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/scene/vec3.h"
#include "transform/transform_math.h"

namespace tessel::studio {

class Placement {
 public:
  using Matrix = transform::Mat4;

  bool isIdentity() const { return identity_; }
  const Matrix& forward() const { return forward_; }
  const Matrix& inverse() const { return inverse_; }
  // Changes on every accepted change, so caches of placed data can tell when they are stale.
  std::uint64_t revision() const { return revision_; }

  // Takes `forward` when it is finite, affine and invertible; false and unchanged otherwise.
  bool set(const Matrix& forward);
  // F <- F step: the step acts after what the placement holds. False and unchanged when the
  // result would not be a usable placement.
  bool compose(const Matrix& step) { return set(transform::multiply(forward_, step)); }
  void reset() { set(transform::identity()); }

  Vec3 place(const Vec3& p) const;
  Vec3 unplace(const Vec3& p) const;
  // The linear part alone (directions, no translation): v A and v A^-1.
  Vec3 placeVector(const Vec3& v) const;
  Vec3 unplaceVector(const Vec3& v) const;
  // A normal of the entity's surface in world axes (unit length; zero stays zero): n (A^-1)^T.
  Vec3 placeNormal(const Vec3& n) const;

 private:
  Matrix forward_ = transform::identity(), inverse_ = transform::identity();
  bool identity_ = true;
  std::uint64_t revision_ = 0;
};

// World positions of `count` points (x, y, z floats): `local` itself for the identity placement,
// otherwise each point placed into `scratch`, which is what the answer points at.
const float* worldPositions(const Placement& placement, const float* local, std::size_t count,
                            std::vector<float>& scratch);

// The tight world box of the placed points (every point placed, not the placed corners of the
// local box): the local box for the identity.
Box placedBounds(const Placement& placement, const float* local, std::size_t count,
                 const Box& localBox);

}  // namespace tessel::studio
