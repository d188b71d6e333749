// Studio's three transform manipulators as the module drives them (host/omManipulator.h): a
// pose (centre and unit quaternion), the handle a press picked and what the drag has reported
// so far. A drag step only answers numbers: the module moves the geometry through placements.
// The main view owns the three and shows at most one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Where the selection sits, as a manipulator follows it: the selected entities' ids (the active
// one last), and the active one's frame and placement as row-vector matrices.
struct SelectionAnchor {
  std::vector<std::uint32_t> ids;
  transform::Mat4 frame = transform::identity();
  transform::Mat4 placement = transform::identity();
};

// The pose of a manipulator that was at `pose` when the selection sat at `before`, now that it
// sits at `after`: moved as the active frame moved, or as the placement did when the frame stayed
// (a move of the geometry alone), so a manipulator off the frame keeps its offset. Nothing when
// nothing moved, the selection is another one, or a matrix is unusable.
std::optional<ManipulatorPoseState> followedPose(const ManipulatorPoseState& pose,
                                                 const SelectionAnchor& before,
                                                 const SelectionAnchor& after);

// Called whenever the module places a manipulator (and at the end of a drag).
using PlacedHook = std::function<void()>;

class ManipulatorFrame final : public omCoordFrame {
 public:
  ManipulatorFrame(ManipulatorPoseState& state, const PlacedHook& placed)
      : state_(state), placed_(placed) {}
  void GetOrigin(float* xyz) override;
  void SetOrigin(const float* xyz) override;
  void GetOrientation(float* xyzw) override;
  void SetOrientation(const float* xyzw) override;
  void GetMatrix(float* m) override;

 private:
  ManipulatorPoseState& state_;
  const PlacedHook& placed_;
};

class ManipulatorAxes final : public omManipulatorTransform {
 public:
  ManipulatorAxes(ManipulatorPoseState& state, const PlacedHook& placed)
      : state_(state), placed_(placed) {}
  void GetMatrix(float* m) override;
  void SetMatrix(const float* m) override;
  void GetRotation(float* xyzw) override;
  void Commit() override {}

 private:
  ManipulatorPoseState& state_;
  const PlacedHook& placed_;
};

// What the three share; the kinds add their Drag.
class ManipulatorCore {
 public:
  using ViewLookup = std::function<StudioView*(omViewport*)>;
  ManipulatorCore(ManipulatorKind kind, ViewLookup lookup) : kind_(kind), lookup_(std::move(lookup)) {}

  ManipulatorKind kind() const { return kind_; }
  ManipulatorPoseState state;
  // The main view's: it notes where the selection sat when the manipulator was put in place.
  PlacedHook placed;
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
  void EndDrag() override {
    reset();
    if (placed) placed();
  }
  void GetPosition(float* xyz) override;

 private:
  ManipulatorFrame frame_{state, placed};
  ManipulatorAxes axes_{state, placed};
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
