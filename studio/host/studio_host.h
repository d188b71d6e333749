// Tessel Studio's host: the application object a module sees, over a real scene, real views and
// an OpenGL context. It owns the module library, the scene and the objects that stand for the
// host's interfaces (main view, document, frame with its menus, registry), and hands input,
// commands and notifications to the module.
//
// [SECTION] omModuleHost
// [SECTION] omApplication
// [SECTION] Studio side: module, files, input, routing, reports
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "host/omModule2.h"
#include "studio/edit/history.h"
#include "studio/edit/scene_recorder.h"
#include "studio/host/command_manager.h"
#include "studio/host/echo.h"
#include "studio/host/input_state.h"
#include "studio/host/mask_list.h"
#include "studio/host/module_library.h"
#include "studio/host/panel_manager.h"
#include "studio/host/preferences.h"
#include "studio/host/studio_document.h"
#include "studio/host/studio_frame.h"
#include "studio/host/studio_main_view.h"
#include "studio/host/studio_registry.h"
#include "studio/host/tool_manager.h"
#include "studio/host/view_manager.h"
#include "studio/render/renderer.h"
#include "studio/scene/object_rows.h"
#include "studio/scene/scene.h"

namespace tessel::studio {

// The keyboard key Studio reports as the filter-step key (key code 4): Tab, a virtual-key code
// no module accelerator uses.
inline constexpr std::uint8_t kFilterStepKey = 0x09;

class StudioHost final : public omModuleHost,
                         public omApplication,
                         public omToolContext,
                         private ViewHost {
 public:
  StudioHost(Echo echo, std::unique_ptr<GlContext> context);
  ~StudioHost();
  StudioHost(const StudioHost&) = delete;
  StudioHost& operator=(const StudioHost&) = delete;

  // [SECTION] omModuleHost
  omRegistry* GetRegistry() override { return &registry_; }
  omApplication* GetApplication() override { return this; }
  bool IsKeyDown(std::int32_t key) override { return input_.keyDown(key); }
  std::int32_t MessageBox(const char* text, const char* caption, std::uint32_t style) override;
  std::int32_t SetSystemCursor(std::int32_t shape) override;

  // [SECTION] omApplication
  omDocument* GetDocument() override { return &document_; }
  omViewManager* GetViewManager() override { return &views_; }
  omMainView* GetMainView() override { return &mainView_; }
  omToolContext* GetToolContext() override { return this; }
  // [SECTION] omToolContext
  void BeginToolSession() override { ++toolSessions_; }
  int toolSessions() const { return toolSessions_; }
  omCommandManager* GetCommandManager() override { return &commands_; }
  omToolManager* GetToolManager() override { return &tools_; }
  omMaskList* GetComponentFilter() override { return &componentFilter_; }
  omMaskList* GetObjectFilter() override { return &objectFilter_; }
  omPanelManager* GetPanelManager() override { return &panels_; }
  omMenuItem* CreateMenuItem(const char* text, std::uint32_t id) override;
  void NotifySync(std::int32_t code, void* param) override;
  void Notify(const omEvent* event, void* param) override;
  omMainFrame* GetMainFrame() override { return &frame_; }
  const char* GetRegistryKey() override { return "Tessel"; }
  const char* GetProfileName() override { return "Studio"; }

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
  // A value map over a mesh's vertices: each vertex's world coordinate along axis 0, 1 or 2 (x,
  // y, z), made the mesh's current map; empty on success.
  std::string addHeightMap(const std::string& object, const std::string& name, int axis);
  // Shows or hides a group ("lights" or "coordsys") with every member; empty on success.
  std::string showGroup(const std::string& which, bool shown);
  // Each entity's frame origin and orientation, and its world box.
  std::vector<std::string> describeFrames();
  // The mesh a save writes: the active one (the last selected), else the first.
  Entity* saveTarget();
  // Writes the active mesh (Save As): the mesh is the file's from then on.
  std::string save(const std::string& path);
  std::string saveEntity(Entity& entity, const std::string& path);
  // Ctrl+S: the active mesh to its own file, in its own format; the problem when it cannot be
  // (ownFileProblem), for a window to ask for a file instead.
  std::string saveOwn();
  // Why the entity cannot be written to the file it came from: none yet, a format Studio does
  // not write, or values there the writers would drop. Empty when it can.
  std::string ownFileProblem(const Entity& entity) const;
  // Meshes and point clouds whose file does not hold what the scene holds (the history's
  // saved-at markers), and those with no file: what closing would lose.
  std::vector<Entity*> unsavedMeshes();
  // Writes the faces the selection takes (the rules of Delete) of one mesh: the active one when
  // it has any, else the first visible mesh that has; the echo names it and any left out.
  std::string saveSelection(const std::string& path);
  // The mesh saveSelection writes now; null when no face is selected.
  Entity* selectionTarget();

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
  // [SECTION] preferences (studio/host/preferences.h): how the mouse navigates, where the wheel
  // zooms, the history's budget and the views' colours.
  // Reads them from the settings file, saying what could not be used, and keeps the file for
  // setPreferences to write. The front ends call it; tests leave the defaults and write nothing.
  void loadPreferences(const std::filesystem::path& settingsFile);
  const Preferences& preferences() const { return preferences_; }
  // Takes them at once (the views are drawn again) and keeps them in the settings file, if one
  // was loaded; the problem when they could not be kept there (they hold for this run).
  std::string setPreferences(const Preferences& p);
  // Shows Edit > Preferences when set (a window's dialog); without it the item prints them.
  std::function<void()> showPreferences;
  std::vector<std::string> describePreferences() const;

  // A toolbar button's panel arrow: shows the button's panel; for a tool's button the tool is
  // made current too, since its panel takes edits only while it is. False when the button has
  // no panel.
  bool openToolbarPanel(std::uint32_t id);
  // The display mode ("smooth", "flat", "wireframe" or "points") of view `view`, or of the
  // active view when -1; the view is drawn again. Empty on success, else the problem.
  std::string setDisplay(const std::string& mode, int view = -1);
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
  // The update of one menu item, the one rule for printed menus and the window: Studio's own
  // commands answer here; the module's item follows its update handler, and an item the module
  // enables whose command's CanExecute says it cannot run now is disabled.
  void updateMenuItem(std::uint32_t id, platform::CCmdUI& ui);
  // The toolbar update pass (studio/host/toolbar_update.h) an idle application runs: it is also
  // where tool panels follow whether their tool is active.
  void updateToolbars();
  // Writes the active view (or the whole frame) as a PNG.
  std::string shot(const std::string& path, bool wholeFrame);

  // [SECTION] the undo history (studio_host_edit.cpp). Edits are recorded around the module's
  // calls: a gesture from its first press to its last release, a command's run, a panel's Apply,
  // and Studio's own verbs; the module never knows.
  void beginEdit(const std::string& name, bool precise = false);
  void endEdit();
  // Undoes or redoes the next step; the problem when there is none. During a gesture the undo
  // waits for the gesture to end (a tool is never undone under its own feet).
  std::string undo();
  std::string redo();
  edit::History& history() { return history_; }
  // Edit > Delete: in object mode the module's "Light Delete" or "Coord Sys Delete" when the
  // object filter is theirs and it can run, else the selected meshes, point clouds, curves and
  // springs; in component mode the faces the component selection takes (edit::facesToDelete).
  // One step; the problem when there is nothing to delete.
  std::string deleteSelection();
  // Edit > Delete Current Map: the module's "Current Map Delete".
  std::string deleteCurrentMap();
  // Hide Selected, Hide Unselected and Show All: entities in object mode, components in
  // component mode. One step each; the problem when nothing changes.
  std::string hide(bool selected);
  // Edit > Separate Selection: the faces the selection takes (as Delete's) of each visible mesh
  // become a new mesh named after it ("dragon part"), out of the old one. One step; the problem
  // when no face is selected.
  std::string separateSelection();
  std::string showAll();
  std::vector<std::string> describeHistory();
  std::size_t historyShadowBytes() const { return recorder_->shadowBytes(); }

  // [SECTION] the object list (studio_host_objects.cpp): the rows a window lists and `print
  // scene` prints, and what a person does to them there. Each change is one step of the history;
  // each answers the problem (shown in the status line), empty when it did what was asked.
  std::vector<ObjectRow> objectRows() { return studio::objectRows(scene_); }
  // Exactly `ids` selected, in that order (the last one active), as picks in object mode would
  // leave it; hidden entities are left out, and said so.
  std::string selectObjects(const std::vector<std::uint32_t>& ids);
  // Shows or hides one entity; hiding deselects it, as Hide Selected does.
  std::string showObject(std::uint32_t id, bool shown);
  // Gives an entity a new name (objectName decides whether it may have it).
  std::string renameObject(std::uint32_t id, const std::string& name);
  // The entity of `name`, 0 for none: what the script verbs name objects by.
  std::uint32_t objectId(const std::string& name);

  // [SECTION] drawing on demand: a command, a gesture step or a script line only marks views
  // (the module's RedrawView, Redraw, FlushRedraws and update brackets all end here); the marked
  // views are drawn once each before the next input, a shot or the end of a script line.
  void drawPending();
  // Headless, no one looks at a view between two reads of it, so a marked view waits until
  // something reads its pixels or depth (a shot, a pick, a tool's overlay over it): settle
  // draws nothing then. A screen (the default) is drawn at every settle.
  void setDrawOnlyWhenRead(bool on) { drawOnlyWhenRead_ = on; }
  // The end of an input step or a script line.
  void settle() {
    if (!drawOnlyWhenRead_) drawPending();
  }
  // Draws the view now, marked or not (a window's own paint). `pieces`: a still frame of a large
  // scene may be drawn in pieces, if drawing in pieces is on.
  void drawView(int index, bool pieces = false);
  // A window draws the views' still frames in pieces, between events, so that input is served
  // between pieces: drawPending draws the first piece and calls onRefine, and each refine draws
  // the next piece and calls onRefine again until the frame is complete.
  // Moving frames follow there: a large mesh's levels of detail are built ahead, on a thread,
  // from its first still frame.
  void setDrawInPieces(bool on) {
    drawInPieces_ = on;
    renderer_.setLevelsAhead(on);
  }
  void refine();
  // Draws what is marked and finishes a frame being drawn in pieces: before the window's
  // picture is taken whole, which a piece's half-drawn frame must not be.
  void completeFrames();
  std::function<void()> onRefine;
  // Runs when a view is marked and none was: a window schedules drawPending then.
  std::function<void()> onDrawPending;
  struct DrawStats {
    std::uint64_t draws = 0;
    double seconds = 0;
  };
  const DrawStats& drawStats() const { return drawStats_; }

  Scene& scene() { return scene_; }
  ViewManager& views() { return views_; }
  PanelManager& panels() { return panels_; }
  ToolManager& tools() { return tools_; }
  CommandManager& commands() { return commands_; }
  const FactoryList& toolFactories() const { return registry_.tools; }
  const FactoryList& commandFactories() const { return registry_.commands; }
  Renderer& renderer() { return renderer_; }
  // The host interfaces Studio implements over its scene, each its own object.
  StudioMainView& mainView() { return mainView_; }
  StudioFrame& frame() { return frame_; }
  const StudioFrame& frame() const { return frame_; }
  ComponentSelection& components() { return mainView_.components(); }
  bool exitRequested() const { return exitRequested_; }
  // The person chose to stay (Cancel when asked about unsaved meshes): Exit is asked for anew.
  void cancelExit() { exitRequested_ = false; }
  void echo(const std::string& line) { echo_(line); }
  // The file the module was loaded from.
  std::string modulePath() const { return library_ ? library_->path() : std::string(); }
  // Answers the module's message boxes when set (a window's dialog); otherwise they are echoed
  // and answered OK.
  std::function<std::int32_t(const char* text, const char* caption, std::uint32_t style)>
      messageBox;
  // Shows the module's application-wide pointer when set (a window's override cursor); 0 puts
  // the window's own back.
  std::function<void(std::int32_t shape)> showSystemCursor;

 private:
  void activateToolOf(std::uint32_t id);
  struct SelectedFaces {
    std::vector<std::pair<Entity*, std::vector<std::uint32_t>>> meshes;
    std::size_t chosen = 0;  // the one a selection save writes
  };
  SelectedFaces selectedFaces();
  // After the history moved: what was derived from the old state goes, the module hears of it.
  void historyMoved(const std::string& what, const std::string& name, bool flagsMoved);
  std::string moveHistory(bool undo);
  // "Entity moved": what was derived from its old place goes, and the views are drawn again.
  void entityMoved(omEntity* entity);
  void followDocumentKind();
  // [SECTION] ViewHost
  void redraw(StudioView& view) override;
  void beginOverlay(StudioView& view) override;
  void endOverlay() override;
  void drawIfMarked(StudioView& view) override {
    if (pendingViews_ & (1u << view.index())) drawView(view.index());
  }
  void* glProcAddress(StudioView& view, const char* name) override {
    // The window draws each view on a surface of its own, current only while it is drawn.
    context_->useView(view.index());
    if (!context_->makeCurrent()) return nullptr;
    return context_->procAddress(name);
  }
  void viewsRepainted() override;

  // A key of the current tool's Key and IsKeyUp went down or up (`held` is its state here).
  void holdKey(std::int32_t key, bool& held, bool next);
  // Starts or ends an ALT navigation.
  void navigate(bool start);
  // A button as the current tool (or the ALT navigation) takes it, once Studio's own navigation
  // has passed it on.
  void toolButton(std::int32_t button, bool press, float x, float y);
  // Studio's own navigation (Edit > Preferences) moves the camera by a drag to (x, y).
  void studioNavigationStep(float x, float y);
  // The tool that takes pointer input now: the navigating camera tool during an ALT navigation.
  omTool* inputTool();
  // Sends an event to the module and then the current tool.
  void broadcast(std::int32_t code, void* param);

  Echo echo_;
  std::unique_ptr<GlContext> context_;
  Renderer renderer_;
  Scene scene_;
  edit::History history_;
  // Declared after the scene it watches, so it goes first.
  std::unique_ptr<edit::SceneRecorder> recorder_;
  bool gestureEdit_ = false;  // a gesture's bracket is open
  bool drawInPieces_ = false, refineQueued_ = false;
  void queueRefine();
  bool movingHistory_ = false;  // an undo or redo is being applied: no bracket records
  std::vector<bool> waitingMoves_;  // undo (true) or redo asked for during a gesture
  InputState input_;
  ViewManager views_;
  MaskList objectFilter_, componentFilter_;
  StudioMainView mainView_;
  StudioRegistry registry_;
  std::int32_t systemCursor_ = 0;  // the module's application-wide pointer, 0 for none
  StudioDocument document_;
  StudioFrame frame_;
  PanelManager panels_;
  ToolManager tools_;
  CommandManager commands_;
  std::unique_ptr<ModuleLibrary> library_;
  std::vector<std::pair<std::int32_t, void*>> pending_;  // events not yet delivered
  bool broadcasting_ = false;
  bool exitRequested_ = false;
  int toolSessions_ = 0;
  unsigned pendingViews_ = 0;  // a bit per view marked since it was last drawn
  bool drawOnlyWhenRead_ = false;
  bool keeping_ = false;  // the overlay begun is kept for the view's next drawing
  DrawStats drawStats_;
  Preferences preferences_;
  std::filesystem::path settingsFile_;  // empty: preferences are not kept
  // A press Studio's own navigation holds back: a drag moves the camera, a release within the
  // click's slop hands the press and the release to the tool after all.
  struct HeldPress {
    CameraMove move = CameraMove::None;
    std::int32_t button = 0;
    float x = 0, y = 0;     // where it was pressed
    float lastX = 0, lastY = 0;
    bool dragging = false;  // beyond the click's slop: a camera move
  };
  std::optional<HeldPress> held_;
  std::int32_t ignoredButtons_ = 0;  // pressed during it: kept from the tool until released
  omTool* navigation_ = nullptr;  // the combined camera tool, while ALT navigates
  omTool* navigating_ = nullptr;  // the camera tool taking the ALT gesture
  // What the current tool showed when the ALT navigation began, shown again when it ends.
  std::string promptBeforeNavigation_;
  omCursor cursorBeforeNavigation_{};
};

}  // namespace tessel::studio
