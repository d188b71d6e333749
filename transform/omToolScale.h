// "Base Scale": scales the geometry of the selected entities with the host's scale manipulator,
// along the manipulator's axes about its centre. Object mode only; it never changes coordinate
// systems by a drag, but SHIFT and CTRL copy the manipulator's origin or orientation into the
// active entity's coordinate system.
#pragma once

#include <cstdint>

#include "transform/omToolManipulator.h"

namespace tessel::transform {

class omToolScale : public omToolManipulator {
 public:
  const char* GetName() override { return "Base Scale"; }
  void Activate() override;
  void Cancel() override;
  // The translate tool's rule, in object mode only, and never for lights or coordinate systems.
  bool CanActivate() override;
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  // A selection change puts the manipulator on the new active entity.
  void OnNotify(const omEvent* event, void* param) override;
  void Key(std::int32_t key, std::int32_t flags, omView* input) override;
  ~omToolScale() override = default;

  void UpdatePrompt() override;
  bool dragging() const { return dragging_; }

 private:
  bool dragging_ = false;
};

// Factors a scale step may apply: each finite and above zero. A factor at or through zero would
// flatten or mirror the geometry; the step is dropped instead.
bool isApplicableScaleStep(const float* factors);

}  // namespace tessel::transform
