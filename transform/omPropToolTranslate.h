// "Base Translate": the translate button's panel. A vector (relative) or point (absolute) in the
// reference's axes, applied to geometry, coordinate systems or both.
#pragma once

#include "transform/omPropToolOrient.h"

namespace tessel::transform {

class omPropToolTranslate : public omPropToolOrient {
 public:
  explicit omPropToolTranslate(const char* targetName);
  void OnAttribChanging(int id) override;

 protected:
  omManipulator* manipulatorOf(omMainView& view) override;

 private:
  void apply();

  int x_, y_, z_, movementType_, selectionType_, apply_;
};

}  // namespace tessel::transform
