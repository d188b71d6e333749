// An entity's coordinate system as the module reaches it: origin and unit quaternion over the
// entity's frame (origin and three unit axes). The global coordinate system never moves.
#pragma once

#include "host/omTransform.h"

namespace tessel::studio {

struct Entity;

class EntityFrame final : public omCoordFrame {
 public:
  explicit EntityFrame(Entity& owner) : owner_(owner) {}
  void GetOrigin(float* xyz) override;
  void SetOrigin(const float* xyz) override;
  void GetOrientation(float* xyzw) override;
  void SetOrientation(const float* xyzw) override;
  void GetMatrix(float* m) override;

 private:
  bool fixed() const;
  Entity& owner_;
};

}  // namespace tessel::studio
