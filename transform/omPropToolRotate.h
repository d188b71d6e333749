// "Base Rotate": the rotate button's panel. A turn about the reference's X, Y or Z axis or a
// custom axis in its axes, through its origin.
#pragma once

#include "transform/omPropToolOrient.h"

namespace tessel::transform {

class omPropToolRotate : public omPropToolOrient {
 public:
  explicit omPropToolRotate(const char* targetName);
  void OnPropInit() override;
  void OnAttribChanging(int id) override;

  bool customAxis() const { return customAxis_; }

 protected:
  omManipulator* manipulatorOf(omMainView& view) override;

 private:
  // The axis fields are typed in only for "Custom"; otherwise they show the chosen axis.
  void followAxisChoice();
  void apply();

  int axis_, axisX_, axisY_, axisZ_, angle_, movementType_, selectionType_, apply_;
  bool customAxis_ = false;
};

}  // namespace tessel::transform
