// The host's transform manipulators as the manipulator tools drive them: the main view hands
// one out (omMainView::GetTranslateManipulator, ...), the tool places it, asks it which handle
// lies under a press and hands it each pointer step. Handles, drawing, picking and the
// projection of the pointer onto an axis, a plane or a ring are the host's. Virtual orders are
// the contract with the host binary: append, never reorder.
//
// Values cross as float: points 3 floats, quaternions 4 (x, y, z, w), matrices 16 (four rows
// of four, row vectors).
#pragma once

#include <cstdint>

class omCoordFrame;
class omViewport;

// The manipulator's orientation: its axes as the rows of a matrix, as omCoordFrame::GetMatrix
// gives them. Only the turn is kept; a matrix with a last row is taken for its first three.
class omManipulatorTransform {
 public:
  virtual void GetMatrix(float* m) = 0;
  // A matrix whose first three rows are not a turn (zero, non-finite) leaves it unchanged.
  virtual void SetMatrix(const float* m) = 0;
  // The same turn as a unit quaternion.
  virtual void GetRotation(float* xyzw) = 0;
  virtual void Commit() = 0;

 protected:
  ~omManipulatorTransform() = default;
};

class omManipulator {
 public:
  // Its centre (the origin) and orientation; the orientation is the transform's.
  virtual omCoordFrame* GetCoordSys() = 0;
  virtual omManipulatorTransform* GetTransform() = 0;
  // True when a handle lies under `point` (view pixels); that handle is the one the following
  // Drag calls move, until EndDrag.
  virtual bool Pick(omViewport* view, const float* point) = 0;
  virtual void EndDrag() = 0;
  // The centre now.
  virtual void GetPosition(float* xyz) = 0;

 protected:
  ~omManipulator() = default;
};

class omTranslateManipulator : public omManipulator {
 public:
  // The picked handle follows the pointer from `press` to `point`; `step` receives the motion
  // since the previous Drag (world units), zero when no handle was picked.
  virtual void Drag(float* step, omViewport* view, const float* press, const float* point) = 0;

 protected:
  ~omTranslateManipulator() = default;
};

class omRotateManipulator : public omManipulator {
 public:
  // The picked ring turns with the pointer from `press` to `point`; `xyzw` receives the turn
  // since the previous Drag (a unit quaternion in world axes, about the centre) and is returned.
  virtual const float* Drag(float* xyzw, omViewport* view, const float* press,
                            const float* point) = 0;

 protected:
  ~omRotateManipulator() = default;
};

class omScaleManipulator : public omManipulator {
 public:
  // `factors` receives the scale since the previous Drag along the manipulator's own axes.
  virtual void Drag(float* factors, omViewport* view, const float* press, const float* point) = 0;
  // Restricted: every handle scales uniformly.
  virtual void SetRestricted(bool restricted) = 0;

 protected:
  ~omScaleManipulator() = default;
};
