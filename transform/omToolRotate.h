// "Base Rotate": turns the selected entities, their coordinate systems or both with the host's
// rotate manipulator, about the manipulator's centre, by the turn the manipulator reports for
// each pointer step.
#pragma once

#include <cstdint>

#include "transform/omToolManipulator.h"

namespace tessel::transform {

class omToolRotate : public omToolManipulator {
 public:
  const char* GetName() override { return "Base Rotate"; }
  void Activate() override;
  void Cancel() override;
  bool CanActivate() override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  ~omToolRotate() override = default;

  // Copies the pivot (3 floats) to `xyz`.
  virtual void GetPivot(float* xyz);
  void UpdatePrompt() override;

  // The turn of the last drag step and of the one before it; identity between drags.
  const Quat& current() const { return current_; }
  const Quat& previous() const { return previous_; }

 private:
  void endDrag() override;
  Quat current_ = kIdentityQuat, previous_ = kIdentityQuat;
};

}  // namespace tessel::transform
