// A host for driving a loaded module in tests: it implements the host interfaces over plain
// records of what the module asked for, and creates tools and commands from the factories the
// module registered, the way a real host would.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/omApplication.h"
#include "host/omCommand.h"
#include "host/omCursor.h"
#include "host/omEntity.h"
#include "host/omManipulator.h"
#include "host/omModule2.h"
#include "host/omTool.h"
#include "host/omView.h"
#include "platform/CCmdTarget.h"
#include "studio/host/mask_list.h"
#include "tests/host/fake_scene.h"

namespace tessel::test {

class FakeFactoryList : public omFactoryList {
 public:
  void AddFactory(void* factory) override { factories.push_back(factory); }
  std::vector<void*> factories;
};

// One menu item or toolbar button brought up to date by the module.
class FakeCmdUI : public platform::CCmdUI {
 public:
  explicit FakeCmdUI(std::uint32_t id, bool menu = true) : id_(id), menu_(menu) {}
  void Enable(bool on) override { enabled = on; }
  void SetCheck(std::int32_t check) override { checked = check; }
  void SetText(const char* value) override { text = value ? value : ""; }
  std::uint32_t GetID() override { return id_; }
  bool IsMenuItem() override { return menu_; }
  std::int32_t GetIndex() override { return menu_ ? index : -1; }
  void RemoveAllItems() override {
    if (menu_) popup.clear();
  }
  void InsertItem(std::int32_t position, std::uint32_t id, const char* value,
                  bool check) override {
    if (!menu_) return;
    position = std::clamp<std::int32_t>(position, 0, static_cast<std::int32_t>(popup.size()));
    popup.insert(popup.begin() + position, {id, value ? value : "", check});
  }
  void SetItemCount(std::int32_t count) override { itemCount = count; }

  // The popup the item sits in, as the module rebuilt it.
  struct Item {
    std::uint32_t id;
    std::string text;
    bool checked;
  };
  int enabled = -1;  // -1: never set
  int checked = -1;
  std::string text;
  std::int32_t index = 0;
  std::vector<Item> popup;
  std::int32_t itemCount = -1;  // -1: never told

 private:
  std::uint32_t id_;
  bool menu_;
};

// A command's progress sink that keeps the messages it was given.
class FakeProgress final : public omProgress {
 public:
  void SetRange(std::int32_t) override {}
  void Finish() override {}
  void Step(std::int32_t) override {}
  bool IsCancelled() override { return false; }
  void SetMessage(const char* text, std::int32_t) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// The context the host gives each command it runs: view updates are logged; busy when told.
class FakeCommandContext final : public omCommandContext {
 public:
  explicit FakeCommandContext(std::function<void(std::string)> log) : log_(std::move(log)) {}
  void UpdateCurrentView() override { log_("update current view"); }
  void UpdateAllViews() override { log_("update all views"); }
  void ContextOperation1(std::int32_t a, std::int32_t b) override {
    log_("context operation 1 " + std::to_string(a) + " " + std::to_string(b));
  }
  void ContextOperation2(std::int32_t a) override {
    log_("context operation 2 " + std::to_string(a));
  }
  bool IsBusy() override { return busy; }
  bool busy = false;

 private:
  std::function<void(std::string)> log_;
};

// [SECTION] views and selection for tools driven through the fake host

// The evaluation light of the fake view: each placement and reset is logged.
class FakeEvalLight : public omEvalLight {
 public:
  explicit FakeEvalLight(std::function<void(std::string)> log) : log_(std::move(log)) {}
  void PlaceAt(const float* p, std::int32_t w, std::int32_t h) override {
    char text[96];
    std::snprintf(text, sizeof text, "place light %g %g %d %d", p[0], p[1], w, h);
    log_(text);
  }
  void ResetPlacement() override { log_("reset light"); }

 private:
  std::function<void(std::string)> log_;
};

// A light group of the fake host.
class FakeGroup : public omGroup {
 public:
  std::int32_t GetMemberCount() override { return static_cast<std::int32_t>(members.size()); }
  bool IsGroupShown() override { return shown; }
  std::vector<omEntity*> members;
  bool shown = true;
};

// One view: its size, the keys held and the cursor position are the test's; the cursors shown and
// refreshes asked for are logged through `log`.
class FakeView : public omView, public omViewport, public omViewManager {
 public:
  explicit FakeView(std::function<void(std::string)> log) : log_(std::move(log)) {}
  // omViewport: a camera the selection tools never move.
  std::int32_t GetWidth() override { return width; }
  std::int32_t GetHeight() override { return height; }
  std::int32_t IsOrthographic() override { return 0; }
  void Tumble(float*, const float*, const float*) override {}
  void ResetTumbleReference(std::int32_t, std::int32_t) override {}
  std::int32_t GetTumbleMode() override { return 0; }
  void UpdateCamera() override {}
  void SetSceneBounds(const float*) override {}
  void BeginOverlay() override {}
  void EndOverlay() override {}
  void* GetGLProcAddress(const char*) override { return nullptr; }  // nothing is drawn
  void Pan(float*, const float*, const float*) override {}
  float Roll(const float*, const float*) override { return 0; }
  float Zoom(const float*, const float*) override { return 0; }
  float Dolly(const float*, const float*, const float*) override { return 0; }
  float ZoomInToRect(const float*, const float*) override { return 0; }
  float ZoomOutFromRect(const float*, const float*) override { return 0; }
  std::int32_t IsDollyUnbounded() override { return 0; }
  omEvalLight* GetEvaluationLight() override { return &evalLight; }
  void GetViewportRect(float* r) override {
    r[0] = 0, r[1] = 0, r[2] = static_cast<float>(width - 1), r[3] = static_cast<float>(height - 1);
  }
  void PrepareDragA() override { log_("prepare drag A"); }
  void PrepareDragB() override { log_("prepare drag B"); }
  // omView
  omViewport* GetView() override { return this; }
  std::int32_t GetMaxX() override { return width - 1; }
  std::int32_t GetMaxY() override { return height - 1; }
  std::int32_t IsKeyUp(std::int32_t key) override {
    return !((key == 2 && shift) || (key == 1 && ctrl));
  }
  std::int32_t IsButtonUp(std::int32_t) override { return 1; }
  bool IsInvertActive() override { return invert; }
  void GetCursorPosition(float* xy) override { xy[0] = cursor[0], xy[1] = cursor[1]; }
  void SetViewCursor(const omCursor* c) override { SetCursor(c); }
  void RedrawView(std::int32_t flags) override {
    if (logRedraws) log_("redraw view " + std::to_string(flags));
  }
  // omViewManager
  omView* GetActiveView() override { return this; }
  std::int32_t GetViewCount() override { return 1; }
  omView* GetViewAt(std::int32_t i) override { return i == 0 ? this : nullptr; }
  void RefreshViews(std::int32_t flags) override { log_("refresh " + std::to_string(flags)); }
  void FlushRedraws() override { log_("flush"); }
  void SetCursor(const omCursor* c) override {
    log_("cursor " + std::to_string(c ? c->id : 0));
  }
  void FlushRedraws(std::int32_t flag) override { log_("flush " + std::to_string(flag)); }

  std::int32_t width = 200, height = 150;
  bool shift = false, ctrl = false, invert = false;
  bool logRedraws = false;
  float cursor[2] = {0, 0};

 private:
  std::function<void(std::string)> log_;

 public:
  FakeEvalLight evalLight{log_};
};

// The selection list as a count the test sets; clearing it is logged.
class FakeSelection : public omEntityList {
 public:
  explicit FakeSelection(std::function<void(std::string)> log) : log_(std::move(log)) {}
  bool IsEmpty() override { return count == 0; }
  std::int32_t CountSelected() override { return count; }
  std::int32_t GetCount() override { return count; }
  omEntity* GetAt(std::int32_t) override { return nullptr; }
  void Clear() override {
    count = 0;
    log_("clear selection");
  }
  void Remove(omEntity*) override {}
  void CycleActive() override {}
  void Add(omEntity*) override {}
  std::int32_t count = 0;

 private:
  std::function<void(std::string)> log_;
};

// [SECTION] manipulators: they report what the test sets and log what they are asked

// Orientation as a matrix of rows, as the host keeps it.
class FakeManipulatorAxes final : public omManipulatorTransform {
 public:
  void GetMatrix(float* m) override { std::copy(matrix, matrix + 16, m); }
  void SetMatrix(const float* m) override { std::copy(m, m + 16, matrix); }
  void GetRotation(float* xyzw) override;
  void Commit() override { ++commits; }
  float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  int commits = 0;
};

template <class Interface>
class FakeManipulator : public Interface {
 public:
  explicit FakeManipulator(std::function<void(std::string)> log) : log_(std::move(log)) {}
  omCoordFrame* GetCoordSys() override { return &frame; }
  omManipulatorTransform* GetTransform() override { return &axes; }
  bool Pick(omViewport*, const float* p) override {
    log_("pick " + std::to_string(static_cast<int>(p[0])) + " " +
         std::to_string(static_cast<int>(p[1])));
    return p[0] < pickableBelowX;
  }
  void EndDrag() override { log_("end drag"); }
  void GetPosition(float* xyz) override { std::copy(frame.origin, frame.origin + 3, xyz); }

  FakeFrame frame;
  FakeManipulatorAxes axes;
  float pickableBelowX = 100;  // a press left of this x picks a handle
  std::vector<std::vector<float>> drags;  // the point each Drag was given

 protected:
  void logDrag(const float* press, const float* point) {
    drags.push_back({press[0], press[1], point[0], point[1]});
    log_("drag");
  }
  std::function<void(std::string)> log_;
};

// Each Drag moves the centre by `step` and reports it.
class FakeTranslateManipulator final : public FakeManipulator<omTranslateManipulator> {
 public:
  using FakeManipulator::FakeManipulator;
  void Drag(float* out, omViewport*, const float* press, const float* point) override {
    logDrag(press, point);
    for (int i = 0; i < 3; ++i) out[i] = step[i], frame.origin[i] += step[i];
  }
  float step[3] = {1, 0, 0};
};

class FakeRotateManipulator final : public FakeManipulator<omRotateManipulator> {
 public:
  using FakeManipulator::FakeManipulator;
  const float* Drag(float* out, omViewport*, const float* press, const float* point) override {
    logDrag(press, point);
    std::copy(turn, turn + 4, out);
    return out;
  }
  float turn[4] = {0, 0, 0, 1};
};

class FakeScaleManipulator final : public FakeManipulator<omScaleManipulator> {
 public:
  using FakeManipulator::FakeManipulator;
  void Drag(float* out, omViewport*, const float* press, const float* point) override {
    logDrag(press, point);
    std::copy(factors, factors + 3, out);
  }
  void SetRestricted(bool on) override { log_("restricted " + std::to_string(on)); }
  float factors[3] = {1, 1, 1};
};

class FakeHost : public omModuleHost,
                 public omRegistry,
                 public omApplication,
                 public omMainFrame,
                 public omMenuBar,
                 public omAccelTable,
                 public omDocument,
                 public omPanelManager,
                 public omToolManager,
                 public omCommandManager,
                 public omMainView,
                 public omToolContext {
 public:
  FakeHost();
  ~FakeHost();
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  // [SECTION] omModuleHost and omRegistry
  omRegistry* GetRegistry() override;
  omApplication* GetApplication() override { return this; }
  bool IsKeyDown(std::int32_t key) override;
  std::int32_t MessageBox(const char* text, const char*, std::uint32_t) override;
  std::int32_t SetSystemCursor(std::int32_t shape) override {
    log("system cursor " + std::to_string(shape));
    return std::exchange(systemCursor, shape);
  }
  omFactoryList* GetCommandFactories() override { return &commandFactories; }
  omFactoryList* GetToolFactories() override { return &toolFactories; }
  omFactoryList* GetPanelFactories() override;

  // [SECTION] omApplication
  omDocument* GetDocument() override { return this; }
  // Null until a test turns the view on, so registration tests see no view traffic.
  omViewManager* GetViewManager() override { return viewOn ? &view : nullptr; }
  omMainView* GetMainView() override { return this; }
  omToolContext* GetToolContext() override { return this; }
  void BeginToolSession() override { log("begin tool session"); }
  omCommandManager* GetCommandManager() override;
  omToolManager* GetToolManager() override;
  omMaskList* GetComponentFilter() override { return &componentFilter; }
  omMaskList* GetObjectFilter() override { return &objectFilter; }
  omPanelManager* GetPanelManager() override { return this; }
  omMenuItem* CreateMenuItem(const char* text, std::uint32_t id) override;
  void NotifySync(std::int32_t code, void* param) override;
  void Notify(const omEvent* event, void* param) override;
  omMainFrame* GetMainFrame() override { return this; }
  const char* GetRegistryKey() override { return "Tessel"; }
  const char* GetProfileName() override { return "Test Host"; }

  // [SECTION] frames, menus, accelerators, document
  omMenuBar* GetMenuBar() override { return this; }
  omAccelTable* GetAcceleratorTable() override { return this; }
  void AddToolBar(platform::CToolBar* toolbar) override;
  void DockToolBar(platform::CToolBar* toolbar) override;
  void FocusActiveView() override { log("focus active view"); }
  void AddMenu(omMenuItem* root) override;
  void AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                      bool shift) override;
  std::int32_t GetFrameCount() override { return 0; }
  omFrame* GetFrame(std::int32_t) override { return nullptr; }
  std::int32_t GetFilterMode() override { return filterMode; }

  // [SECTION] panel, tool and command managers, main view
  void SetPrompt(const char* text) override { log("prompt: " + std::string(text ? text : "")); }
  void SetStatusText(const char* text) override {
    log("status: " + std::string(text ? text : ""));
  }
  void SetWarning(const char* text) override { log("warning: " + std::string(text)); }
  void ShowPanel(platform::omPropertyObj* panel, std::uint32_t id, const omRect& rect) override;
  bool ActivateTool(const char* name) override;
  bool PushTool(const char* name) override { return ActivateTool(name); }
  bool PopTool() override { return false; }
  omTool* FindTool(const char* name) override;
  omTool* GetCurrentTool() override { return currentTool_; }
  bool IsToolActive(const char* name) override;
  bool IsToolAvailable(const char* name) override;
  bool IsAllowed(std::uint32_t flags) override {
    log("is allowed " + std::to_string(flags));
    return (flags & refusedPermissions) == 0;
  }
  omCommandData* CreateCommandData(const char* name) override;
  void PrepareCommand() override { log("prepare"); }
  bool ExecuteCommand(const char* name, omCommandData* data) override;
  bool IsCommandAvailable(const char* name) override;
  void Redraw(std::int32_t flags) override { log("redraw " + std::to_string(flags)); }
  void SetObjectMode(std::int32_t mode) override {
    objectMode = mode;
    log("object mode " + std::to_string(mode));
  }
  // The scene side is Studio's; these tests only see the module's registration and routing.
  void GetSceneBounds(float* box) override { std::fill(box, box + 6, 0.0f); }
  void SetModified(std::int32_t on) override { log("modified " + std::to_string(on)); }
  void BeginUpdate() override {
    ++updateDepth;
    log("begin update");
  }
  void EndUpdate() override {
    --updateDepth;
    log("end update");
  }
  void Lock() override {
    ++lockDepth;
    log("lock");
  }
  void Unlock() override {
    --lockDepth;
    log("unlock");
  }
  bool TryLock() override {
    log("try lock");
    return lockDepth == 0 && ++lockDepth;
  }
  std::int32_t IsObjectMode() override { return scene ? scene->objectMode : objectMode; }
  omEntityList* GetSelection(std::int32_t which) override {
    if (scene) return scene->list(which);
    return viewOn ? &selection : nullptr;
  }
  void SetKeepSelection(bool keep) override { log("keep " + std::to_string(keep)); }
  void PreparePick() override { log("prepare pick"); }
  void SelectAtPoint(omViewport*, std::int32_t x, std::int32_t y, bool select,
                     std::int32_t flags) override {
    log("select at " + std::to_string(x) + " " + std::to_string(y) + " " +
        std::to_string(select) + " " + std::to_string(flags));
  }
  void SelectInRect(omViewport*, const float* r, bool select, std::int32_t flags) override {
    char text[128];
    std::snprintf(text, sizeof text, "select in rect %g %g %g %g %d %d", r[0], r[1], r[2], r[3],
                  select, flags);
    log(text);
  }
  void FitAllViewsToAll() override { log("fit all views to all"); }
  void FitViewToAll() override { log("fit view to all"); }
  void FitAllViewsToSelected() override { log("fit all views to selected"); }
  void FitViewToSelected() override { log("fit view to selected"); }
  void UpdateManipulator(std::int32_t flags) override {
    log("update manipulator " + std::to_string(flags));
  }
  void SelectAll() override { log("select all"); }
  std::uint32_t GetComponentMask() override { return 0; }
  std::int32_t GetFilterType() override { return 0; }
  std::uint32_t GetComponentKind() override { return 0; }
  omEntity* FirstEntity(std::int32_t) override { return scene ? scene->first() : nullptr; }
  omEntity* NextEntity(std::int32_t) override { return scene ? scene->next() : nullptr; }
  void SetDisplaySwitchD(std::int32_t on) override { log("switch D " + std::to_string(on)); }
  void SetDisplaySwitchE(std::int32_t on) override { log("switch E " + std::to_string(on)); }
  void GrowEntitySet(omEntitySet*, omEntitySet*) override { log("grow entity set"); }
  void GrowEntitySet2(omEntitySet*, omEntitySet*) override { log("grow entity set 2"); }
  void SelectInScanlines(omViewport*, const omScanRow* rows, std::int32_t rowCount, bool select,
                         bool volume) override {
    scanRows.assign(static_cast<std::size_t>(std::max(rowCount, 0)), {});
    for (std::int32_t r = 0; rows && r < rowCount; ++r)
      scanRows[r].assign(rows[r].edges, rows[r].edges + rows[r].count);
    log("select in scanlines " + std::to_string(rowCount) + " " + std::to_string(select) + " " +
        std::to_string(volume));
  }
  void BeginPaint(omViewport*) override { log("begin paint"); }
  void PaintSelect(omViewport*, std::int32_t x, std::int32_t y, float brushSize, std::int32_t*,
                   bool select, std::int32_t) override {
    log("paint " + std::to_string(x) + " " + std::to_string(y) + " " +
        std::to_string(brushSize) + " " + std::to_string(select));
  }
  void PostRedrawRequest(omViewport*, omRedrawRequest request, std::int32_t a,
                         std::int32_t b) override {
    char text[96];
    std::snprintf(text, sizeof text, "post redraw request %x %x %x %x %d %d", request.words[0],
                  request.words[1], request.words[6], request.words[9], a, b);
    log(text);
  }
  void EndComponentTool() override { log("end component tool"); }
  void SetDisplaySwitchA(std::int32_t on) override { log("switch A " + std::to_string(on)); }
  void SetDisplaySwitchB(std::int32_t on) override { log("switch B " + std::to_string(on)); }
  void SetDisplaySwitchC(std::int32_t on) override { log("switch C " + std::to_string(on)); }
  void EndTransform(std::int32_t flags) override {
    if (scene) ++scene->endTransforms;
    log("end transform " + std::to_string(flags));
  }
  omEntity* FirstCoordSys() override { return scene ? scene->firstCoordSys() : nullptr; }
  omEntity* NextCoordSys() override { return scene ? scene->nextCoordSys() : nullptr; }
  omEntity* GetGlobalCoordSys() override { return scene ? scene->global : nullptr; }
  bool GetSelectionBox(float* box) override { return scene && scene->selectionBox(box); }
  omTranslateManipulator* GetTranslateManipulator() override {
    log("show translate manipulator");
    return &translateManipulator;
  }
  omRotateManipulator* GetRotateManipulator() override {
    log("show rotate manipulator");
    return &rotateManipulator;
  }
  omScaleManipulator* GetScaleManipulator() override {
    log("show scale manipulator");
    return &scaleManipulator;
  }
  void HideManipulator() override { log("hide manipulator"); }
  std::int32_t PickPoint(omViewport*, std::int32_t, std::int32_t, float* x, float* y, float* z,
                         std::int32_t, std::int32_t) override {
    if (!surfaceUnderPointer) return 0;
    *x = surfacePoint[0], *y = surfacePoint[1], *z = surfacePoint[2];
    return 1;
  }
  std::int32_t GetLightUpdateMode() override { return lightUpdateMode; }
  void SetLightUpdateMode(std::int32_t mode) override {
    lightUpdateMode = mode;
    log("light update mode " + std::to_string(mode));
  }
  void EndInteraction() override { log("end interaction"); }
  float* GetDollyPivot(float* buffer, omViewport*) override {
    std::fill(buffer, buffer + 4, 0.0f);
    return buffer;
  }
  std::uint32_t* GetLightFlags(std::int32_t slot) override {
    return slot >= 0 && slot < om::kLightSlots ? &lightFlags[slot] : nullptr;
  }
  std::uint32_t GetLightDisplayFlags() override { return lightDisplayFlags; }
  std::uint32_t* GetLightDisplayFlagsRef() override { return &lightDisplayFlags; }
  // Lights and coordinate systems join the scene; lights up to om::kLightSlots of them.
  omEntity* CreateLight(std::int32_t kind, std::int32_t flags) override;
  omEntity* CreateCoordSys(std::int32_t flags) override;
  omGroup* GetGroup(std::int32_t kind) override;
  void AddToGroup(omGroup* group, omEntity* entity) override;
  bool IsGridShown() override { return grid; }
  void ShowGrid(bool on) override {
    grid = on;
    log(on ? "grid on" : "grid off");
  }
  void DeleteEntity(omEntity* owner, omEntity* entity) override;
  omMainView* GetUpdateTarget() override { return this; }

  // [SECTION] test side
  // Routes a command ID as a click (with Shift held or not) through the module's command target.
  bool click(omModule2* module, std::uint32_t id, bool shift = false);
  bool update(omModule2* module, FakeCmdUI& ui);
  // The tool or command of that name made by its registered factory; null when none has it.
  omTool* makeTool(const char* name);
  omCommand* makeCommand(const char* name);
  // The log since the last call.
  std::vector<std::string> takeLog();
  void log(std::string line) { log_.push_back(std::move(line)); }

  FakeFactoryList commandFactories, toolFactories;
  studio::MaskList objectFilter, componentFilter;
  std::int32_t filterMode = 1;
  bool shiftDown = false;
  int registryCalls = 0;
  int panelFactoryCalls = 0;
  std::vector<std::string> unavailable;  // tools and commands the host reports unavailable
  // A host that cannot make records hands out none; a confused one makes them all with the
  // factory of this command instead, when set.
  bool noRecords = false;
  std::string recordsFrom;
  std::vector<omMenuItem*> menus;
  std::vector<platform::CToolBar*> toolbars;
  std::vector<std::string> accelerators;  // "KEY ctrl shift alt -> ID"
  platform::omPropertyObj* shownPanel = nullptr;
  // The entities the main view answers with; none while null.
  FakeScene* scene = nullptr;
  FakeView view{[this](std::string line) { log(std::move(line)); }};
  FakeSelection selection{[this](std::string line) { log(std::move(line)); }};
  bool viewOn = false;
  std::int32_t objectMode = 1;
  std::vector<std::vector<omScanEdge>> scanRows;  // the last lasso table, copied
  int lockDepth = 0;  // the main view's lock, held this many times
  int updateDepth = 0;  // open BeginUpdate brackets
  std::uint32_t refusedPermissions = 0;  // bits IsAllowed answers false for
  FakeCommandContext context{[this](std::string line) { log(std::move(line)); }};
  std::uint32_t lightFlags[om::kLightSlots] = {};
  std::uint32_t lightDisplayFlags = 0;
  int lights = 0;  // lights made and not deleted
  bool grid = false;
  bool noGroups = false;  // a host that keeps no groups answers null
  FakeGroup lightGroup, coordSysGroup;
  std::string messageCaption;  // of the last message box
  std::uint32_t messageStyle = 0;
  FakeTranslateManipulator translateManipulator{[this](std::string line) { log(std::move(line)); }};
  FakeRotateManipulator rotateManipulator{[this](std::string line) { log(std::move(line)); }};
  FakeScaleManipulator scaleManipulator{[this](std::string line) { log(std::move(line)); }};
  bool surfaceUnderPointer = false;
  float surfacePoint[3] = {0, 0, 0};
  std::int32_t lightUpdateMode = 1;
  std::int32_t systemCursor = 0;  // the application's pointer, 0 for its own

 private:
  omTool* currentTool_ = nullptr;
  std::vector<omTool*> tools_;  // found tools, one reference each
  std::vector<std::string> log_;
};

// A module library loaded the way a host loads it; released and closed on destruction.
class LoadedModule {
 public:
  explicit LoadedModule(const char* path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // Links the module to `host` and initializes it; the result of Initialize.
  bool start(FakeHost& host);
  omModule2* operator->() const { return module_; }
  omModule2* get() const { return module_; }
  void* handle() const { return handle_; }
  std::uint32_t createResult() const { return createResult_; }

 private:
  void* handle_ = nullptr;
  omModule2* module_ = nullptr;
  std::uint32_t createResult_ = 0;
};

}  // namespace tessel::test
