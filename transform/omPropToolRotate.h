// "Base Rotate": the rotate button's panel. A turn about the reference's X, Y or Z axis or a
// custom axis in its axes, through its origin.
#pragma once

#include "transform/omPropToolOrient.h"

class omEntity;

namespace tessel::transform {

class omPropToolRotate : public omPropToolOrient {
 public:
  explicit omPropToolRotate(const char* targetName);
  void OnPropInit() override;
  void OnAttribChanging(int id) override;
  void OnAttribChanged(int id) override;

  omEntity* reference() const { return reference_; }
  bool customAxis() const { return customAxis_; }

 private:
  // The axis fields are typed in only for "Custom"; otherwise they show the chosen axis.
  void followAxisChoice();
  void apply();

  int axis_, axisX_, axisY_, axisZ_, angle_, movementType_, selectionType_, apply_;
  omEntity* reference_ = nullptr;
  bool customAxis_ = false;
};

}  // namespace tessel::transform
