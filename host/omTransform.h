// An entity's coordinate system and the transform that places its geometry. Virtual orders are
// the contract with the host binary: append, never reorder.
//
// Values cross as float: points and vectors 3 floats, quaternions 4 (x, y, z, w), matrices 16
// (four rows of four). Transform matrices act on row vectors (world = local F) and every
// operation composes after what the transform holds (F <- F step).
#pragma once

#include <cstdint>

class omCoordFrame {
 public:
  virtual void GetOrigin(float* xyz) = 0;
  virtual void SetOrigin(const float* xyz) = 0;
  virtual void GetOrientation(float* xyzw) = 0;
  // The host keeps the orientation unit length; a zero or non-finite one leaves it unchanged.
  virtual void SetOrientation(const float* xyzw) = 0;
  // The frame as a row-vector matrix: its axes as the first three rows, its origin as the last.
  virtual void GetMatrix(float* m) = 0;

 protected:
  ~omCoordFrame() = default;
};

class omTransform {
 public:
  virtual void Translate(const float* delta) = 0;
  // Turns by the unit quaternion about `centre`.
  virtual void Rotate(const float* xyzw, const float* centre) = 0;
  virtual void Scale(const float* factors, const float* centre) = 0;
  virtual void MultMatrix(const float* m) = 0;
  // Folds the steps so far into the transform's matrices.
  virtual void Commit() = 0;
  // Brings the geometry up to the transform.
  virtual void Apply() = 0;
  virtual void GetForwardMatrix(float* m) = 0;
  virtual void GetInverseMatrix(float* m) = 0;
  // Takes over another transform's matrices (an attached partner following its owner).
  virtual void SetMatrices(const float* forward, const float* inverse) = 0;

 protected:
  ~omTransform() = default;
};
