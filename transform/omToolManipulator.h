// The frame the three manipulator tools ("Base Translate", "Base Rotate", "Base Scale") share:
// placing the host's manipulator on the selection as the tool starts, hiding the selection's
// coordinate-system displays while the manipulator stands in for them, the interactive brackets
// of the selected meshes, the modes CTRL and SHIFT choose at a press, the hover read-out, the
// redraws after a step and the clean-up as the tool ends. Each tool adds its own drag step.
//
// [SECTION] tool operations
// [SECTION] shared steps
#pragma once

#include <cstdint>
#include <vector>

#include "framework/omToolBase.h"
#include "transform/transform_math.h"

class omEntity;
class omMainView;
class omManipulator;
class omMesh;
class omViewport;

namespace tessel::transform {

class omToolManipulator : public framework::omToolBase {
 public:
  // [SECTION] tool operations
  void Deactivate() override;
  void Refresh() override {}
  // Not while the host's flag word marks input the tool must not take.
  bool AcceptsInput(std::uint32_t flags) override;
  // Translate and rotate: a press on a handle starts a drag in the mode the keys choose.
  void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                   omView* input) override {
    modeButton(button, action, position, input);
  }
  void Key(std::int32_t key, std::int32_t flags, omView*) override { modeKey(key, flags); }
  // The surface point under the pointer on the status line.
  void MouseMove(std::int32_t unused, const float* position, omView* input) override;
  // Events after which the hidden displays' entities may be gone.
  void OnNotify(const omEvent* event, void* param) override;
  ~omToolManipulator() override = default;

  virtual void UpdatePrompt() = 0;

  // Where the manipulator was placed as the tool started.
  const Vec3& pivot() const { return pivot_; }
  // 0: no drag; else the selection-type bits of the drag in progress.
  std::uint32_t mode() const { return mode_; }

 protected:
  // [SECTION] shared steps
  omMainView* mainView();
  std::vector<omEntity*> selection();
  // Steps of every tool's activation once its manipulator is placed (or null): the meshes, the
  // hidden displays, the interactive brackets, the pivot and the manipulator's axes.
  void activateOnSelection(omMainView& view);
  // The mode of a press on a handle from the keys held: CTRL frames only, SHIFT geometry only.
  static std::uint32_t modeFromKeys(omView& input);
  // A press or release of button 1 for the tools with modes (translate, rotate).
  void modeButton(std::int32_t button, std::int32_t action, const float* position, omView* input);
  // A key while a drag with modes is in progress.
  void modeKey(std::int32_t key, std::int32_t flags);
  // The end of a drag with modes (translate, rotate); runs only while one is in progress.
  virtual void endDrag() {}
  // The pointer held within the view's pixels.
  static void clampToView(omViewport& view, const float* point, float* clamped);
  // Every view takes the scene bounds; when `unlessEmpty`, only bounds with something in them.
  void updateViewBounds(bool unlessEmpty);
  // The redraws after a drag step; a dragged light is redrawn with light updates off.
  void redrawStep(omEntity* active);
  // The dependents of the meshes the tool started on, then the three update passes: the second
  // and third for one entity before the next when `perEntity`, else each over all.
  void settleMove(omMainView& view, const std::vector<omEntity*>& entities, bool dependents,
                  bool perEntity);
  void notify(std::int32_t code, void* param);
  // The tool's prompt and the arrow cursor.
  void showPrompt(const char* text);
  void setStatus(const char* text);
  void refreshViews(std::int32_t flags);

  omManipulator* manipulator_ = nullptr;
  Vec3 pivot_;
  float pressPoint_[2] = {-1, -1};
  std::uint32_t mode_ = 0;
  bool placed_ = false;
  bool moved_ = false;
  std::vector<omMesh*> meshSet_;
  std::vector<omEntity*> hiddenCoordSys_;
  // The meshes whose interactive bracket this tool opened: exactly these are closed.
  std::vector<omEntity*> interactive_;
};

}  // namespace tessel::transform
