#include "studio/scene/entity_transform.h"

#include "studio/scene/scene.h"
#include "transform/transform_math.h"

namespace tessel::studio {

namespace tm = tessel::transform;

namespace {

tm::Vec3 vec(const float* v) { return {v[0], v[1], v[2]}; }

tm::Mat4 read(const float* m) {
  tm::Mat4 out{};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
  return out;
}

void write(const tm::Mat4& m, float* out) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
}

}  // namespace

void EntityTransform::compose(const double* step) {
  tm::Mat4 s;
  std::copy(step, step + 16, s.begin());
  if (owner_.placement.compose(s)) owner_.placementChanged();
}

void EntityTransform::Translate(const float* delta) {
  if (!delta) return;
  compose(tm::placementTranslation(vec(delta)).data());
}

void EntityTransform::Rotate(const float* xyzw, const float* centre) {
  if (!xyzw || !centre) return;
  // A quaternion that is not unit length would scale what it turns.
  const auto q = tm::normalized(tm::Quat{xyzw[0], xyzw[1], xyzw[2], xyzw[3]});
  if (!q || !tm::isFinite(vec(centre))) return;
  compose(tm::placementRotationAbout(*q, vec(centre)).data());
}

void EntityTransform::Scale(const float* factors, const float* centre) {
  if (!factors || !centre) return;
  if (!tm::isUsableScale(vec(factors)) || !tm::isFinite(vec(centre))) return;
  compose(tm::placementScaleAbout(vec(factors), vec(centre)).data());
}

void EntityTransform::MultMatrix(const float* m) {
  if (m) compose(read(m).data());
}

void EntityTransform::Apply() {
  Entity& e = owner_;
  if (e.mesh || e.placement.isIdentity()) return;
  for (Vec3& p : e.points) p = e.placement.place(p);
  if (e.type == om::kEntityLight) e.light.position = e.placement.place(e.light.position);
  e.placement.reset();
  e.placementChanged();
}

void EntityTransform::GetForwardMatrix(float* m) {
  if (m) write(owner_.placement.forward(), m);
}

void EntityTransform::GetInverseMatrix(float* m) {
  if (m) write(owner_.placement.inverse(), m);
}

void EntityTransform::SetMatrices(const float* forward, const float*) {
  if (forward && owner_.placement.set(read(forward))) owner_.placementChanged();
}

}  // namespace tessel::studio
