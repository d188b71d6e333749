// Scene entities for driving the transform commands against the fake host: frames, placements
// composed in double, attached partners, dependents and coordinate-system displays, each call
// also written to a log the tests read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/omEntity.h"
#include "host/omTransform.h"
#include "host/om_codes.h"
#include "transform/transform_math.h"

namespace tessel::test {

class FakeFrame final : public omCoordFrame {
 public:
  void GetOrigin(float* xyz) override;
  void SetOrigin(const float* xyz) override;
  void GetOrientation(float* xyzw) override;
  void SetOrientation(const float* xyzw) override;
  void GetMatrix(float* m) override;

  float origin[3] = {0, 0, 0};
  float orientation[4] = {0, 0, 0, 1};  // stored as given, so tests can plant a non-unit one
};

class FakeEntity;

// The placement as a row-vector matrix; every step composes after it.
class FakeTransform final : public omTransform {
 public:
  explicit FakeTransform(std::vector<std::string>* log = nullptr) : log_(log) {}
  void Translate(const float* delta) override;
  void Rotate(const float* xyzw, const float* centre) override;
  void Scale(const float* factors, const float* centre) override;
  void MultMatrix(const float* m) override;
  void Commit() override { note("commit"); }
  void Apply() override { note("apply"); }
  void GetForwardMatrix(float* m) override;
  void GetInverseMatrix(float* m) override;
  void SetMatrices(const float* forward, const float* inverse) override;

  transform::Mat4 forward = transform::identity();
  // Where the placement puts a point of the entity's own space.
  transform::Vec3 place(transform::Vec3 p) const { return transform::placePoint(p, forward); }

 private:
  void note(const std::string& s) {
    if (log_) log_->push_back(s);
  }
  std::vector<std::string>* log_;
};

class FakeList final : public omEntityList {
 public:
  bool IsEmpty() override { return items.empty(); }
  std::int32_t CountSelected() override { return GetCount(); }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(items.size()); }
  omEntity* GetAt(std::int32_t i) override {
    return i >= 0 && i < GetCount() ? items[static_cast<std::size_t>(i)] : nullptr;
  }
  void Clear() override { items.clear(); }
  void Remove(omEntity*) override {}
  void CycleActive() override {}
  void Add(omEntity* e) override { items.push_back(e); }
  std::vector<omEntity*> items;
};

// An owner's links to its sub-entities.
class FakeItem final : public omItem {
 public:
  explicit FakeItem(omEntity* sub) : sub_(sub) {}
  omEntity* GetSubEntity() override { return sub_; }

 private:
  omEntity* sub_;
};

class FakeItemList final : public omItemList {
 public:
  std::int32_t GetCount() override { return static_cast<std::int32_t>(links.size()); }
  omItem* GetAt(std::int32_t i) override {
    return i >= 0 && i < GetCount() ? &links[static_cast<std::size_t>(i)] : nullptr;
  }
  std::vector<FakeItem> links;
};

class FakeEntity final : public omEntity {
 public:
  FakeEntity(std::string name, std::uint32_t type, std::vector<std::string>* log)
      : transform(log), name_(std::move(name)), type_(type), log_(log) {}

  std::uint32_t GetType() override { return type_; }
  const char* GetName() override { return name_.c_str(); }
  void InvertSelectedComponents() override {}
  omComponentSet* GetSelectedComponents() override { return nullptr; }
  void InvertComponentSelection() override {}
  omComponentSet* GetVertexSelection() override { return nullptr; }
  omComponentSet* GetFaceSelection() override { return nullptr; }
  omComponentSet* GetEdgeSelection() override { return nullptr; }
  omMesh* GetMesh() override { return mesh; }
  bool IsHidden() override { return false; }
  std::uint32_t* GetStateFlags() override { return &state_; }
  std::int32_t GetFaceFilter() override { return 0; }
  void FloodFaceSelection(std::int32_t) override {}
  omEntityList* GetConnections() override { return nullptr; }
  omEntity* GetConnectionObject() override { return nullptr; }
  omEntity* GetParent() override { return this; }
  void CollectReachable(omEntitySet*, omEntitySet*, std::int32_t) override {}
  void CollectInto(omEntitySet*) override {}

  omCoordFrame* GetCoordSys() override { return hasFrame ? &frame : nullptr; }
  omEntity* GetCoordSysEntity() override { return display; }
  omTransform* GetTransform() override { return movable ? &transform : nullptr; }
  bool GetBoundingBox(float* box) override;
  void InvalidateGeometry() override { note("invalidate"); }
  void UpdateAfterMove1() override { note("pass 1"); }
  void UpdateAfterMove2() override { note("pass 2"); }
  void UpdateAfterMove3() override { note("pass 3"); }
  bool HasAttached() override { return attached != nullptr; }
  omEntity* GetAttached() override { return attached; }
  omEntityList* GetItems() override { return &items; }
  bool NeedsPrepareA() override { return needsPrepare; }
  bool NeedsPrepareB() override { return false; }
  void PrepareForTransform() override { note("prepare"); }
  void BeginInteractive() override { ++interactiveDepth; note("begin interactive"); }
  void EndInteractive() override { --interactiveDepth; note("end interactive"); }
  bool IsSourceDetached() override { return detached; }
  omMesh* GetSourceTarget() override { return sourceTarget; }
  void SetReferenceMatrix(const float* m) override;
  bool IsShown() override { return shown; }
  void Show() override { shown = true; note("show"); }
  void Hide() override { shown = false; note("hide"); }
  // An owner read once the entity is gone is the fault the delete commands must not have.
  omEntity* GetOwner() override {
    if (deleted) note("owner read after delete");
    return owner;
  }
  std::int32_t HasCurrentMap() override { return maps > 0; }
  void DeleteCurrentMap() override {
    if (maps > 0) --maps;
    note("delete map");
  }
  void ShowEntity() override { note("show entity"); }
  void HideEntity() override { note("hide entity"); }
  void SetFirstInGroup(bool first) override { note(first ? "first in group" : "not first"); }
  void SetLightKind(std::int32_t kind) override { note("kind " + std::to_string(kind)); }
  omItemList* GetItemList() override { return &itemList; }

  void rename(std::string name) { name_ = std::move(name); }

  FakeFrame frame;
  FakeTransform transform;
  bool hasFrame = true;
  bool movable = true;
  // Corners of the entity's own box, placed by the transform for the world box; empty: none.
  std::vector<transform::Vec3> points;
  omMesh* mesh = nullptr;
  omEntity* attached = nullptr;
  FakeList items;
  FakeItemList itemList;
  bool needsPrepare = false;
  int interactiveDepth = 0;
  bool detached = false;
  omMesh* sourceTarget = nullptr;
  std::vector<float> referenceMatrix;
  bool shown = true;
  omEntity* display = nullptr;
  omEntity* owner = nullptr;
  bool deleted = false;
  int maps = 0;

 private:
  void note(const std::string& s) {
    if (log_) log_->push_back(name_ + ": " + s);
  }
  std::string name_;
  std::uint32_t type_;
  std::uint32_t state_ = 0;
  std::vector<std::string>* log_;
};

// The entities of the fake scene, its selection lists and coordinate systems.
class FakeScene {
 public:
  FakeScene();
  // Owned by the scene, added to its entity order.
  FakeEntity& add(const std::string& name, std::uint32_t type);
  // A coordinate-system entity (listed among the coordinate systems) at `origin`, turned by `q`.
  FakeEntity& addCoordSys(const std::string& name, transform::Vec3 origin, transform::Quat q);
  void select(FakeEntity& e) { selection.items.push_back(&e); }
  // Marks `e` and the entities in its items deleted (a host deletes what an entity carries with
  // it); they stay allocated so a late call is seen, not crashed on.
  void remove(FakeEntity& e);

  omEntityList* list(std::int32_t which);
  omEntity* first();
  omEntity* next();
  omEntity* firstCoordSys();
  omEntity* nextCoordSys();
  bool selectionBox(float* box);

  std::vector<std::string> log;
  FakeList selection, ownersA, ownersB;
  FakeEntity* global = nullptr;
  bool objectMode = true;
  int endTransforms = 0;

 private:
  std::vector<std::unique_ptr<FakeEntity>> entities_;
  std::vector<FakeEntity*> coordSystems_;
  std::size_t cursor_ = 0, coordCursor_ = 0;
};

}  // namespace tessel::test
