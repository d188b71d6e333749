#include "tests/host/fake_scene.h"

#include <algorithm>
#include <limits>

namespace tessel::test {

using transform::Mat4;
using transform::Vec3;

namespace {

Vec3 vec(const float* v) { return {v[0], v[1], v[2]}; }

void write(const Mat4& m, float* out) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(m[i]);
}

Mat4 read(const float* m) {
  Mat4 out{};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
  return out;
}

}  // namespace

void FakeFrame::GetOrigin(float* xyz) { std::copy(origin, origin + 3, xyz); }
void FakeFrame::SetOrigin(const float* xyz) { std::copy(xyz, xyz + 3, origin); }
void FakeFrame::GetOrientation(float* q) { std::copy(orientation, orientation + 4, q); }
void FakeFrame::SetOrientation(const float* q) { std::copy(q, q + 4, orientation); }

void FakeFrame::GetMatrix(float* m) {
  Mat4 r = transform::placementRotation(
      {orientation[0], orientation[1], orientation[2], orientation[3]});
  r[12] = origin[0];
  r[13] = origin[1];
  r[14] = origin[2];
  write(r, m);
}

void FakeTransform::Translate(const float* d) {
  forward = transform::multiply(forward, transform::placementTranslation(vec(d)));
  note("translate");
}

void FakeTransform::Rotate(const float* q, const float* c) {
  forward = transform::multiply(
      forward, transform::placementRotationAbout({q[0], q[1], q[2], q[3]}, vec(c)));
  note("rotate");
}

void FakeTransform::Scale(const float* s, const float* c) {
  forward = transform::multiply(forward, transform::placementScaleAbout(vec(s), vec(c)));
  note("scale");
}

void FakeTransform::MultMatrix(const float* m) {
  forward = transform::multiply(forward, read(m));
  note("mult matrix");
}

void FakeTransform::GetForwardMatrix(float* m) { write(forward, m); }

void FakeTransform::GetInverseMatrix(float* m) {
  const auto inv = transform::inverseAffine(forward);
  if (inv)
    write(*inv, m);
  else
    std::fill(m, m + 16, std::numeric_limits<float>::quiet_NaN());
}

void FakeTransform::SetMatrices(const float* f, const float*) {
  forward = read(f);
  note("set matrices");
}

bool FakeEntity::GetBoundingBox(float* box) {
  if (points.empty()) return false;
  Vec3 lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
  for (const Vec3& p : points) {
    const Vec3 w = transform.place(p);
    lo = {std::min(lo.x, w.x), std::min(lo.y, w.y), std::min(lo.z, w.z)};
    hi = {std::max(hi.x, w.x), std::max(hi.y, w.y), std::max(hi.z, w.z)};
  }
  const double v[6] = {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
  return true;
}

void FakeEntity::SetReferenceMatrix(const float* m) {
  referenceMatrix.assign(m, m + 16);
  note("reference matrix");
}

FakeScene::FakeScene() { global = &addCoordSys("World", {0, 0, 0}, {0, 0, 0, 1}); }

FakeEntity& FakeScene::add(const std::string& name, std::uint32_t type) {
  entities_.push_back(std::make_unique<FakeEntity>(name, type, &log));
  return *entities_.back();
}

void FakeScene::remove(FakeEntity& e) {
  e.deleted = true;
  for (omEntity* item : e.items.items) static_cast<FakeEntity*>(item)->deleted = true;
}

FakeEntity& FakeScene::addCoordSys(const std::string& name, Vec3 origin, transform::Quat q) {
  FakeEntity& e = add(name, om::kEntityCoordSys);
  e.frame.origin[0] = static_cast<float>(origin.x);
  e.frame.origin[1] = static_cast<float>(origin.y);
  e.frame.origin[2] = static_cast<float>(origin.z);
  e.frame.orientation[0] = static_cast<float>(q.x);
  e.frame.orientation[1] = static_cast<float>(q.y);
  e.frame.orientation[2] = static_cast<float>(q.z);
  e.frame.orientation[3] = static_cast<float>(q.w);
  e.display = &e;
  coordSystems_.push_back(&e);
  return e;
}

omEntityList* FakeScene::list(std::int32_t which) {
  if (which == 1) return &ownersA;
  if (which == 2) return &ownersB;
  return &selection;
}

omEntity* FakeScene::first() {
  cursor_ = 0;
  return next();
}

omEntity* FakeScene::next() {
  return cursor_ < entities_.size() ? entities_[cursor_++].get() : nullptr;
}

omEntity* FakeScene::firstCoordSys() {
  coordCursor_ = 0;
  return nextCoordSys();
}

omEntity* FakeScene::nextCoordSys() {
  return coordCursor_ < coordSystems_.size() ? coordSystems_[coordCursor_++] : nullptr;
}

bool FakeScene::selectionBox(float* box) {
  bool any = false;
  float b[6];
  for (omEntity* e : selection.items) {
    if (!e->GetBoundingBox(b)) continue;
    if (!any) std::copy(b, b + 6, box);
    for (int i = 0; i < 3; ++i) {
      box[i] = std::min(box[i], b[i]);
      box[i + 3] = std::max(box[i + 3], b[i + 3]);
    }
    any = true;
  }
  return any;
}

}  // namespace tessel::test
