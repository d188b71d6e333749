// "Base Translate": drags the selected entities, their coordinate systems or both with the
// host's translate manipulator; each step moves the geometry by the manipulator's step and shows
// it on the status line.
#pragma once

#include <cstdint>

#include "transform/omToolManipulator.h"

namespace tessel::transform {

class omToolTranslate : public omToolManipulator {
 public:
  const char* GetName() override { return "Base Translate"; }
  void Activate() override;
  void Cancel() override;
  // A selection the filter lets move, never the global coordinate system.
  bool CanActivate() override;
  void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                 omView* input) override;
  ~omToolTranslate() override = default;

  void UpdatePrompt() override;

 private:
  void endDrag() override;
};

}  // namespace tessel::transform
