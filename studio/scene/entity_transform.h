// An entity's placement as the module moves it: each step composes after the placement at once
// (F <- F step) in double, so Commit has nothing left to fold. A step that would leave the
// placement singular or non-finite is refused and the placement stays as it was.
#pragma once

#include "host/omTransform.h"

namespace tessel::studio {

struct Entity;

class EntityTransform final : public omTransform {
 public:
  explicit EntityTransform(Entity& owner) : owner_(owner) {}
  void Translate(const float* delta) override;
  void Rotate(const float* xyzw, const float* centre) override;
  void Scale(const float* factors, const float* centre) override;
  void MultMatrix(const float* m) override;
  void Commit() override {}
  // A mesh is drawn, picked and saved through its placement, so it is always up to date. The
  // few points of a curve, spring or light are moved to where the placement puts them and the
  // placement goes back to the identity: their end points meet other entities' in world space.
  void Apply() override;
  void GetForwardMatrix(float* m) override;
  void GetInverseMatrix(float* m) override;
  // Takes `forward`; the inverse is computed here again rather than trusted.
  void SetMatrices(const float* forward, const float* inverse) override;

 private:
  void compose(const double* step);
  Entity& owner_;
};

}  // namespace tessel::studio
