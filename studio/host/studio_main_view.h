// Studio's main view as the module sees it: the scene's selection, component selection in the
// views, framing, update brackets and display switches. It works over the scene and views that
// StudioHost owns; the module reaches it through omApplication::GetMainView.
#pragma once

#include <cstdint>
#include <functional>

#include "host/omView.h"
#include "studio/host/echo.h"
#include "studio/host/mask_list.h"
#include "studio/host/studio_manipulator.h"
#include "studio/host/view_manager.h"
#include "studio/render/component_selection.h"
#include "studio/render/renderer.h"
#include "studio/scene/scene.h"
#include "studio/scene/selection_list.h"

namespace tessel::studio {

class StudioMainView final : public omMainView {
 public:
  StudioMainView(Scene& scene, ViewManager& views, MaskList& objectFilter, Renderer& renderer,
                 Echo echo);
  StudioMainView(const StudioMainView&) = delete;
  StudioMainView& operator=(const StudioMainView&) = delete;

  // [SECTION] omMainView
  void Redraw(std::int32_t) override { redrawAll(); }
  void SetObjectMode(std::int32_t mode) override;
  void GetSceneBounds(float* box) override;
  void SetModified(std::int32_t modified) override { modified_ = modified != 0; }
  void BeginUpdate() override { ++updateDepth_; }
  void EndUpdate() override;
  void Lock() override { scene_.lock(); }
  void Unlock() override { scene_.unlock(); }
  bool TryLock() override;
  std::int32_t IsObjectMode() override { return scene_.objectMode ? 1 : 0; }
  omEntityList* GetSelection(std::int32_t) override { return &selection_; }
  void SetKeepSelection(bool keep) override { keepSelection_ = keep; }
  void PreparePick() override {}
  void SelectAtPoint(omViewport* view, std::int32_t x, std::int32_t y, bool select,
                     std::int32_t flags) override;
  void SelectInRect(omViewport* view, const float* rect, bool select,
                    std::int32_t flags) override;
  void FitAllViewsToAll() override { fit(true, false); }
  void FitViewToAll() override { fit(false, false); }
  void FitAllViewsToSelected() override { fit(true, true); }
  void FitViewToSelected() override { fit(false, true); }
  void UpdateManipulator(std::int32_t) override { redrawAll(); }
  // The view's target: the point it looks at and tumbles about.
  float* GetDollyPivot(float* buffer, omViewport* view) override;
  void SelectAll() override;
  std::uint32_t GetComponentMask() override { return scene_.componentMask; }
  std::int32_t GetFilterType() override {
    return static_cast<std::int32_t>(objectFilter_.GetCurrentMask());
  }
  std::uint32_t GetComponentKind() override { return scene_.componentMask; }
  omEntity* FirstEntity(std::int32_t) override;
  omEntity* NextEntity(std::int32_t) override;
  // Studio redraws every view after a change anyway; the switches only need to be harmless.
  void SetDisplaySwitchD(std::int32_t) override {}
  void SetDisplaySwitchE(std::int32_t) override {}
  void GrowEntitySet(omEntitySet* in, omEntitySet* out) override {
    growConnected(in, out, om::kEntityConnectedA);
  }
  void GrowEntitySet2(omEntitySet* in, omEntitySet* out) override {
    growConnected(in, out, om::kEntityConnectedB);
  }
  void SelectInScanlines(omViewport* view, const omScanRow* rows, std::int32_t rowCount,
                         bool select, bool volume) override;
  // Brings the brush grids up to date for the view; they are rebuilt only when the camera, the
  // view, the scene or the filters changed since the last stroke.
  void BeginPaint(omViewport* view) override;
  // area receives the number of components under the brush, then the brush's pixel x and y.
  void PaintSelect(omViewport* view, std::int32_t x, std::int32_t y, float brushSize,
                   std::int32_t* area, bool select, std::int32_t flags) override;
  // The view is drawn again at the next FlushRedraws.
  void PostRedrawRequest(omViewport* view, omRedrawRequest, std::int32_t, std::int32_t) override;
  // The brush grids go; the component tool's display switches B and C go off.
  void EndComponentTool() override;
  // A: show the component selection (every view is drawn again); B: outline the holes (boundary
  // edges) of meshes in component mode; C: show mesh vertices as dots in component mode.
  void SetDisplaySwitchA(std::int32_t on) override;
  void SetDisplaySwitchB(std::int32_t on) override;
  void SetDisplaySwitchC(std::int32_t on) override;
  void EndTransform(std::int32_t) override { redrawAll(); }
  omEntity* FirstCoordSys() override;
  omEntity* NextCoordSys() override;
  omEntity* GetGlobalCoordSys() override { return &scene_.globalCoordSys(); }
  bool GetSelectionBox(float* box) override;
  // Lights, coordinate systems, the grid and deletion (studio_main_view_scene.cpp).
  std::uint32_t* GetLightFlags(std::int32_t slot) override;
  std::uint32_t GetLightDisplayFlags() override { return scene_.lightDisplayFlags; }
  std::uint32_t* GetLightDisplayFlagsRef() override { return &scene_.lightDisplayFlags; }
  omEntity* CreateLight(std::int32_t kind, std::int32_t flags) override;
  omEntity* CreateCoordSys(std::int32_t flags) override;
  omGroup* GetGroup(std::int32_t kind) override { return scene_.group(kind); }
  void AddToGroup(omGroup* group, omEntity* entity) override;
  bool IsGridShown() override { return scene_.gridShown; }
  void ShowGrid(bool on) override;
  void DeleteEntity(omEntity* owner, omEntity* entity) override;
  void EndInteraction() override;
  omMainView* GetUpdateTarget() override { return this; }
  omTranslateManipulator* GetTranslateManipulator() override { return show(translate_); }
  omRotateManipulator* GetRotateManipulator() override { return show(rotate_); }
  omScaleManipulator* GetScaleManipulator() override { return show(scale_); }
  void HideManipulator() override;
  // From the depth buffer of the view's last drawing, which holds the surfaces alone (the
  // manipulator and the overlays do not write it).
  std::int32_t PickPoint(omViewport* view, std::int32_t x, std::int32_t y, float* wx, float* wy,
                         float* wz, std::int32_t, std::int32_t) override;
  std::int32_t GetLightUpdateMode() override { return lightUpdateMode_; }
  void SetLightUpdateMode(std::int32_t mode) override { lightUpdateMode_ = mode; }

  // [SECTION] Studio side
  // Where the main view's events go: StudioHost's notification, which echoes and broadcasts.
  std::function<void(std::int32_t code, void* param)> notify;
  // The scene's entity that is `entity`, compared by identity; null for anything else.
  Entity* entityOf(omEntity* entity);
  // Draws every view now, or when the outermost update bracket ends.
  void redrawAll();
  // Frames the scene (or the selection) in all views or the active one; false and no change when
  // there is nothing to frame.
  bool fit(bool allViews, bool selectedOnly);
  ComponentSelection& components() { return components_; }
  // A view as component selection sees it, with the filters brought up to date.
  ViewPlace componentPlace(StudioView& view);
  bool modified() const { return modified_; }
  // The manipulator shown, or null.
  ManipulatorCore* shownManipulator() const { return shown_; }
  // Keeps the shown manipulator on the selection after its placement changed (a panel's Apply,
  // a command, an undo): it moves as the selection moved since the manipulator was last put in
  // place. A drag of the manipulator moves it itself and is left alone.
  void followSelection();
  // Whether a manipulator handle is being dragged: the scene bounds a drag step asks for are
  // then the placed corners of each entity's own box, which costs nothing per vertex.
  bool manipulatorDragging() const {
    return shown_ && shown_->picked != ManipulatorHandle::None;
  }

 private:
  StudioView* viewOf(omViewport* viewport);
  // Selects or deselects `ids`, replacing the selection unless it is being kept.
  void applySelection(const std::vector<std::uint32_t>& ids, bool select);
  void growConnected(omEntitySet* in, omEntitySet* out, std::uint32_t kind);
  template <class M>
  M* show(M& manipulator) {
    if (shown_ != &manipulator) {
      if (shown_) shown_->reset();
      shown_ = &manipulator;
      noteAnchor();
      redrawAll();
    }
    return &manipulator;
  }
  // Where the selection sits now.
  SelectionAnchor anchor() const;
  // The manipulator was put in place: remembers where the selection sits.
  void noteAnchor();

  Scene& scene_;
  ViewManager& views_;
  MaskList& objectFilter_;
  Echo echo_;
  Renderer& renderer_;
  SelectionList selection_{scene_};
  ComponentSelection components_;
  std::size_t entityCursor_ = 0;
  std::size_t coordSysCursor_ = 0;
  ManipulatorCore::ViewLookup lookup_{[this](omViewport* v) { return viewOf(v); }};
  TranslateManipulator translate_{lookup_};
  RotateManipulator rotate_{lookup_};
  ScaleManipulator scale_{lookup_};
  ManipulatorCore* shown_ = nullptr;
  SelectionAnchor anchor_;  // where the selection sat when the manipulator was put in place
  std::int32_t lightUpdateMode_ = 1;
  int updateDepth_ = 0;
  bool redrawPending_ = false, keepSelection_ = false, modified_ = false;
};

}  // namespace tessel::studio
