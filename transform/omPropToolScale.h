// "Scale": the scale button's panel. Factors along the reference's axes, about its origin; with
// "Uniform" the three factors move together.
#pragma once

#include "transform/omPropToolOrient.h"

namespace tessel::transform {

class omPropToolScale : public omPropToolOrient {
 public:
  explicit omPropToolScale(const char* targetName);
  void OnPropInit() override;
  void OnAttribChanging(int id) override;
  // Only makes the tool current.
  void Activate() override { omPropTool::Activate(); }

  bool uniform() const { return uniform_; }

 protected:
  omManipulator* manipulatorOf(omMainView& view) override;

 private:
  // Every factor takes the value of factor `from`.
  void matchFactors(int from);
  void apply();

  int type_, x_, y_, z_, apply_;
  bool uniform_ = true;
};

}  // namespace tessel::transform
