// Studio's three transform manipulators as the module drives them (host/omManipulator.h): a
// pose (centre and unit quaternion), the handle a press picked and what the drag has reported
// so far. A drag step only answers numbers: the module moves the geometry through placements.
// The main view owns the three and shows at most one.
#pragma once

#include <functional>
#include <string>

#include "host/omManipulator.h"
#include "host/omTransform.h"
#include "studio/render/manipulator_geometry.h"
#include "transform/transform_math.h"

namespace tessel::studio {

class StudioView;

// The manipulator's pose as the module reads and writes it.
struct ManipulatorPoseState {
  Vec3 origin;
  transform::Quat orientation = transform::kIdentityQuat;
  ManipulatorPose pose() const;
};

class ManipulatorFrame final : public omCoordFrame {
 public:
  explicit ManipulatorFrame(ManipulatorPoseState& state) : state_(state) {}
  void GetOrigin(float* xyz) override;
  void SetOrigin(const float* xyz) override;
  void GetOrientation(float* xyzw) override;
  void SetOrientation(const float* xyzw) override;
  void GetMatrix(float* m) override;

 private:
  ManipulatorPoseState& state_;
};

class ManipulatorAxes final : public omManipulatorTransform {
 public:
  explicit ManipulatorAxes(ManipulatorPoseState& state) : state_(state) {}
  void GetMatrix(float* m) override;
  void SetMatrix(const float* m) override;
  void GetRotation(float* xyzw) override;
  void Commit() override {}

 private:
  ManipulatorPoseState& state_;
};

// What the three share; the kinds add their Drag.
class ManipulatorCore {
 public:
  using ViewLookup = std::function<StudioView*(omViewport*)>;
  ManipulatorCore(ManipulatorKind kind, ViewLookup lookup) : kind_(kind), lookup_(std::move(lookup)) {}

  ManipulatorKind kind() const { return kind_; }
  ManipulatorPoseState state;
  ManipulatorHandle hover = ManipulatorHandle::None;
  ManipulatorHandle picked = ManipulatorHandle::None;
  bool restricted = false;
  // The handle under (x, y) of `view` (None when the pose is unusable).
  ManipulatorHandle handleAt(StudioView& view, double x, double y, Vec3* grab = nullptr) const;
  // Where a handle is on screen: a point a press there picks.
  bool handlePixel(StudioView& view, ManipulatorHandle handle, double* x, double* y) const;
  // Forgets the drag.
  void reset();
  std::string describe() const;

 protected:
  bool pick(omViewport* viewport, const float* point);
  StudioView* view(omViewport* viewport) const { return lookup_ ? lookup_(viewport) : nullptr; }

  ManipulatorKind kind_;
  ViewLookup lookup_;
  ManipulatorPose pressPose_;  // the pose at the press: every step is measured from it
  Vec3 grab_;
  Vec3 lastMotion_;      // translate: the motion reported so far
  double lastAngle_ = 0;   // rotate: the angle reported so far
  double lastRatio_ = 1;   // scale: the factor reported so far
};

// Each kind hands out the same frame and axes over its own pose.
template <class Interface>
class StudioManipulator : public Interface, public ManipulatorCore {
 public:
  StudioManipulator(ManipulatorKind kind, ViewLookup lookup)
      : ManipulatorCore(kind, std::move(lookup)) {}
  omCoordFrame* GetCoordSys() override { return &frame_; }
  omManipulatorTransform* GetTransform() override { return &axes_; }
  bool Pick(omViewport* viewport, const float* point) override { return pick(viewport, point); }
  void EndDrag() override { reset(); }
  void GetPosition(float* xyz) override;

 private:
  ManipulatorFrame frame_{state};
  ManipulatorAxes axes_{state};
};

class TranslateManipulator final : public StudioManipulator<omTranslateManipulator> {
 public:
  explicit TranslateManipulator(ViewLookup lookup)
      : StudioManipulator(ManipulatorKind::Translate, std::move(lookup)) {}
  void Drag(float* step, omViewport* view, const float* press, const float* point) override;
};

class RotateManipulator final : public StudioManipulator<omRotateManipulator> {
 public:
  explicit RotateManipulator(ViewLookup lookup)
      : StudioManipulator(ManipulatorKind::Rotate, std::move(lookup)) {}
  const float* Drag(float* xyzw, omViewport* view, const float* press, const float* point) override;
};

class ScaleManipulator final : public StudioManipulator<omScaleManipulator> {
 public:
  explicit ScaleManipulator(ViewLookup lookup)
      : StudioManipulator(ManipulatorKind::Scale, std::move(lookup)) {}
  void Drag(float* factors, omViewport* view, const float* press, const float* point) override;
  void SetRestricted(bool on) override { restricted = on; }
};

}  // namespace tessel::studio
