// Tessel Studio's host: the application object a module sees, over a real scene, real views and
// an OpenGL context. It owns the module library and hands input, commands and notifications to it.
//
// [SECTION] omModuleHost and omRegistry
// [SECTION] omApplication
// [SECTION] frame, menus, accelerators, document, main view
// [SECTION] Studio side: module, files, input, routing, reports
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "host/omModule2.h"
#include "host/omView.h"
#include "platform/CToolBar.h"
#include "studio/host/command_manager.h"
#include "studio/render/component_selection.h"
#include "studio/host/echo.h"
#include "studio/host/factory_list.h"
#include "studio/host/input_state.h"
#include "studio/host/mask_list.h"
#include "studio/host/module_library.h"
#include "studio/host/panel_manager.h"
#include "studio/render/renderer.h"
#include "studio/scene/scene.h"
#include "studio/scene/selection_list.h"
#include "studio/host/tool_manager.h"
#include "studio/host/view_manager.h"

namespace tessel::studio {

// Studio's own menu commands, beside the module's.
inline constexpr std::uint32_t kIdExit = 0xE141;
inline constexpr std::uint32_t kIdLayoutSingle = 0xE201;
inline constexpr std::uint32_t kIdLayoutQuad = 0xE202;

// The keyboard key Studio reports as the filter-step key (key code 4): Tab, a virtual-key code
// no module accelerator uses.
inline constexpr std::uint8_t kFilterStepKey = 0x09;

struct Accelerator {
  std::uint32_t commandId;
  std::uint8_t key;  // virtual-key code: 'A'..'Z', '0'..'9', 0x70.. for F1..
  bool alt, ctrl, shift;
};

class StudioHost final : public omModuleHost,
                         public omRegistry,
                         public omApplication,
                         public omMainFrame,
                         public omMenuBar,
                         public omAccelTable,
                         public omDocument,
                         public omMainView,
                         private ViewHost {
 public:
  StudioHost(Echo echo, std::unique_ptr<GlContext> context);
  ~StudioHost();
  StudioHost(const StudioHost&) = delete;
  StudioHost& operator=(const StudioHost&) = delete;

  // [SECTION] omModuleHost and omRegistry
  omRegistry* GetRegistry() override { return this; }
  omApplication* GetApplication() override { return this; }
  bool IsKeyDown(std::int32_t key) override { return input_.keyDown(key); }
  std::int32_t MessageBox(const char* text, const char* caption, std::uint32_t style) override;
  omFactoryList* GetCommandFactories() override { return &commandFactories_; }
  omFactoryList* GetToolFactories() override { return &toolFactories_; }
  // Panels come with the tools and commands that own them.
  omFactoryList* GetPanelFactories() override { return nullptr; }

  // [SECTION] omApplication
  omDocument* GetDocument() override { return this; }
  omViewManager* GetViewManager() override { return &views_; }
  omMainView* GetMainView() override { return this; }
  void* GetToolContext() override { return nullptr; }
  omCommandManager* GetCommandManager() override { return &commands_; }
  omToolManager* GetToolManager() override { return &tools_; }
  omMaskList* GetComponentFilter() override { return &componentFilter_; }
  omMaskList* GetObjectFilter() override { return &objectFilter_; }
  omPanelManager* GetPanelManager() override { return &panels_; }
  omMenuItem* CreateMenuItem(const char* text, std::uint32_t id) override;
  void NotifySync(std::int32_t code, void* param) override;
  void Notify(const omEvent* event, void* param) override;
  omMainFrame* GetMainFrame() override { return this; }
  const char* GetRegistryKey() override { return "Tessel"; }
  const char* GetProfileName() override { return "Studio"; }

  // [SECTION] frame, menus, accelerators, document, main view
  omMenuBar* GetMenuBar() override { return this; }
  omAccelTable* GetAcceleratorTable() override { return this; }
  void AddToolBar(platform::CToolBar* toolbar) override;
  void DockToolBar(platform::CToolBar* toolbar) override;
  void AddMenu(omMenuItem* root) override;
  void AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                      bool shift) override;
  std::int32_t GetFrameCount() override { return 0; }  // one main frame, no document frames
  omFrame* GetFrame(std::int32_t) override { return nullptr; }
  std::int32_t GetFilterMode() override;
  void Redraw(std::int32_t flags) override;
  void SetObjectMode(std::int32_t mode) override;
  void GetSceneBounds(float* box) override;
  void SetModified(std::int32_t modified) override { modified_ = modified != 0; }
  void BeginUpdate() override { ++updateDepth_; }
  void EndUpdate() override;
  void Lock() override { scene_.lock(); }
  void Unlock() override { scene_.unlock(); }
  bool TryLock() override;
  std::int32_t IsObjectMode() override { return scene_.objectMode ? 1 : 0; }
  omEntityList* GetSelection(std::int32_t which) override;
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
  void UpdateManipulator(std::int32_t) override {}
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

  // [SECTION] Studio side: module, files, input, routing, reports
  // Empty on success, else the problem.
  std::string loadModule(const std::string& path);
  // Closes the panel window, lets go of tools, terminates and unloads the module.
  void unloadModule();
  omModule2* module() const { return library_ ? library_->module() : nullptr; }

  // Adds the file's mesh or point cloud to the scene; the scene is untouched on failure.
  std::string open(const std::string& path);
  // Adds a curve or a spring (om::kEntityConnectedA or B) through the points; empty on success.
  std::string addPolyline(std::uint32_t kind, const std::string& name, std::vector<Vec3> points);
  // A named coordinate system at `origin`, turned by the quaternion xyzw (normalised).
  std::string addCoordSys(const std::string& name, const Vec3& origin, const double* xyzw);
  // Each entity's frame origin and orientation, and its world box.
  std::vector<std::string> describeFrames();
  // Writes the active mesh (the last selected one, else the first).
  std::string save(const std::string& path);

  // Input in the active view's pixels. Modifier changes reach the current tool as Key calls.
  void setModifiers(bool shift, bool ctrl, bool alt);
  // The filter-step key (key code 4, kFilterStepKey on the keyboard), held or let go.
  void setFilterStepKey(bool held);
  // Caps Lock's latched state, the invert state of paint strokes.
  void setInvert(bool on) { input_.invert = on; }
  bool inverted() const { return input_.invert; }
  void mouseButton(std::int32_t button, bool press, float x, float y);
  void mouseMove(float x, float y);
  void mouseWheel(std::int32_t delta, float x, float y);

  // A menu or toolbar click: Studio's own commands, else the module's command target (Shift
  // held while routing when `shift`). False when nothing handled it.
  bool routeCommand(std::uint32_t id, bool shift);
  // The command ID bound to the keys, 0 for none.
  std::uint32_t acceleratorFor(std::uint8_t key, bool ctrl, bool shift, bool alt) const;
  // The toolbar button's panel arrow; false when the button has none.
  bool requestToolbarPanel(std::uint32_t id);
  // Picks entry `name` in the object (or component) filter combo of the module's toolbar.
  std::string chooseFilter(bool objectFilter, const std::string& name);

  // Whether the component selection in the active view is exactly what a plain point-in-polygon
  // test over `outline` (x, y pairs) selects; the answer as a line, or the problem.
  std::string checkLasso(const std::vector<double>& outline, bool through);
  // Sets a mesh's component selection to exactly `handles`; empty on success.
  std::string selectComponents(const std::string& object, ComponentKind kind,
                               const std::vector<std::uint32_t>& handles);

  std::vector<std::string> describeCamera();
  std::vector<std::string> describeSelection();
  std::vector<std::string> describeScene();
  // The menu update pass over every menu (studio/host/menu_update.h): enable states, check marks and
  // the module's rebuilt popups. describeMenus runs it first; a window runs it as a menu opens.
  void updateMenus();
  std::vector<std::string> describeMenus();
  std::vector<std::string> describeToolbars();
  std::vector<std::string> describeAccelerators();
  // Writes the active view (or the whole frame) as a PNG.
  std::string shot(const std::string& path, bool wholeFrame);

  Scene& scene() { return scene_; }
  ViewManager& views() { return views_; }
  PanelManager& panels() { return panels_; }
  ToolManager& tools() { return tools_; }
  CommandManager& commands() { return commands_; }
  const FactoryList& toolFactories() const { return toolFactories_; }
  const FactoryList& commandFactories() const { return commandFactories_; }
  Renderer& renderer() { return renderer_; }
  ComponentSelection& components() { return components_; }
  bool exitRequested() const { return exitRequested_; }
  void echo(const std::string& line) { echo_(line); }
  // What a front end shows of the module: Studio's menus then the module's, its toolbars, its
  // accelerators, and the file it was loaded from.
  const std::vector<omMenuItem*>& menus() const { return menus_; }
  const std::vector<platform::CToolBar*>& toolbars() const { return toolbars_; }
  const std::vector<Accelerator>& accelerators() const { return accelerators_; }
  std::string modulePath() const { return library_ ? library_->path() : std::string(); }
  // A command's name for people: its tooltip in the module's string table, else its menu text
  // without markers; empty when it has neither.
  std::string commandName(std::uint32_t id) const;
  // The command ID of that name (as commandName answers it, case ignored); 0 for none.
  std::uint32_t commandId(const std::string& name) const;
  // The status-line text of a command in the string table; empty when it has none.
  std::string commandDescription(std::uint32_t id) const;
  // Answers the module's message boxes when set (a window's dialog); otherwise they are echoed
  // and answered OK.
  std::function<std::int32_t(const char* text, const char* caption, std::uint32_t style)>
      messageBox;

 private:
  void growConnected(omEntitySet* in, omEntitySet* out, std::uint32_t kind);
  void followDocumentKind();
  std::size_t entityCursor_ = 0;
  std::size_t coordSysCursor_ = 0;
  // [SECTION] ViewHost
  void redraw(StudioView& view) override;
  void beginOverlay(StudioView& view) override {
    context_->useView(view.index());
    renderer_.beginOverlay(view.rect);
  }
  void endOverlay() override {
    renderer_.endOverlay();
    context_->present();
  }
  void* glProcAddress(const char* name) override { return context_->procAddress(name); }
  void viewsRepainted() override;

  void redrawAll();
  // A key of the current tool's Key and IsKeyUp went down or up (`held` is its state here).
  void holdKey(std::int32_t key, bool& held, bool next);
  // Starts or ends an ALT navigation.
  void navigate(bool start);
  // The tool that takes pointer input now: the navigating camera tool during an ALT navigation.
  omTool* inputTool();
  StudioView* viewOf(omViewport* viewport);
  // A view as component selection sees it, with the filters brought up to date.
  ViewPlace componentPlace(StudioView& view);
  // Selects or deselects `ids`, replacing the selection unless it is being kept.
  void applySelection(const std::vector<std::uint32_t>& ids, bool select);
  // Frames the scene (or the selection) in all views or the active one; false and no change when
  // there is nothing to frame.
  bool fit(bool allViews, bool selectedOnly);
  // Sends an event to the module and then the current tool.
  void broadcast(std::int32_t code, void* param);
  platform::CToolBar* toolbarWithButton(std::uint32_t id, std::int32_t* index) const;

  Echo echo_;
  std::unique_ptr<GlContext> context_;
  Renderer renderer_;
  Scene scene_;
  InputState input_;
  ViewManager views_;
  PanelManager panels_;
  FactoryList toolFactories_{FactoryList::Kind::Tools};
  FactoryList commandFactories_{FactoryList::Kind::Commands};
  ToolManager tools_;
  CommandManager commands_;
  MaskList objectFilter_, componentFilter_;
  std::vector<omMenuItem*> menus_;  // Studio's own, then the module's; one reference each
  std::vector<platform::CToolBar*> toolbars_;  // the module's; shown, not owned
  std::vector<Accelerator> accelerators_;
  std::map<std::uint32_t, std::string> strings_;  // the module's string table
  std::unique_ptr<ModuleLibrary> library_;
  std::vector<std::pair<std::int32_t, void*>> pending_;  // events not yet delivered
  bool broadcasting_ = false;
  bool exitRequested_ = false;
  SelectionList selection_{scene_};
  ComponentSelection components_{scene_, [this](const ViewPlace& place) {
    return renderer_.surfaceDepth(scene_, place.camera, views_.view(place.index).rect);
  }};
  int updateDepth_ = 0;
  omTool* navigation_ = nullptr;  // the combined camera tool, while ALT navigates
  omTool* navigating_ = nullptr;  // the camera tool taking the ALT gesture
  // What the current tool showed when the ALT navigation began, shown again when it ends.
  std::string promptBeforeNavigation_;
  omCursor cursorBeforeNavigation_{};
  bool redrawPending_ = false, keepSelection_ = false, modified_ = false;
  std::int32_t filterMode_ = 1;
};

}  // namespace tessel::studio
