// A host for driving a loaded module in tests: it implements the host interfaces over plain
// records of what the module asked for, and creates tools and commands from the factories the
// module registered, the way a real host would.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "host/omCommand.h"
#include "host/omModule2.h"
#include "host/omTool.h"
#include "host/omView.h"
#include "platform/CCmdTarget.h"
#include "studio/mask_list.h"
#include "tests/host/fake_scene.h"

namespace tessel::test {

// The entries' names of a filter, in order.
std::vector<std::string> entryNames(omMaskList& list);

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
                 public omMainView {
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
  omFactoryList* GetCommandFactories() override { return &commandFactories; }
  omFactoryList* GetToolFactories() override { return &toolFactories; }
  omFactoryList* GetPanelFactories() override;

  // [SECTION] omApplication
  omDocument* GetDocument() override { return this; }
  omViewManager* GetViewManager() override { return nullptr; }
  omMainView* GetMainView() override { return this; }
  void* GetToolContext() override { return nullptr; }
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
  void AddMenu(omMenuItem* root) override;
  void AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                      bool shift) override;
  std::int32_t GetFrameCount() override { return 0; }
  omFrame* GetFrame(std::int32_t) override { return nullptr; }
  std::int32_t GetFilterMode() override { return filterMode; }

  // [SECTION] panel, tool and command managers, main view
  void SetPrompt(const char* text) override { log("prompt: " + std::string(text)); }
  void SetStatusText(const char* text) override { log("status: " + std::string(text)); }
  void SetWarning(const char* text) override { log("warning: " + std::string(text)); }
  void ShowPanel(platform::omPropertyObj* panel, std::uint32_t id, const omRect& rect) override;
  bool ActivateTool(const char* name) override;
  bool PushTool(const char* name) override { return ActivateTool(name); }
  bool PopTool() override { return false; }
  omTool* FindTool(const char* name) override;
  omTool* GetCurrentTool() override { return currentTool_; }
  bool IsToolActive(const char* name) override;
  bool IsToolAvailable(const char* name) override;
  bool IsAllowed(std::uint32_t) override { return true; }
  omCommandData* CreateCommandData(const char* name) override;
  void PrepareCommand() override { log("prepare"); }
  bool ExecuteCommand(const char* name, omCommandData* data) override;
  bool IsCommandAvailable(const char* name) override;
  void Redraw(std::int32_t flags) override { log("redraw " + std::to_string(flags)); }
  void SetObjectMode(std::int32_t mode) override { log("object mode " + std::to_string(mode)); }
  // The scene side is Studio's; these tests only see the module's registration and routing.
  void GetSceneBounds(float* box) override { std::fill(box, box + 6, 0.0f); }
  void SetModified(std::int32_t) override {}
  void BeginUpdate() override {}
  void EndUpdate() override {}
  void Lock() override {}
  void Unlock() override {}
  bool TryLock() override { return true; }
  std::int32_t IsObjectMode() override { return scene ? scene->objectMode : 1; }
  omEntityList* GetSelection(std::int32_t which) override {
    return scene ? scene->list(which) : nullptr;
  }
  void SetKeepSelection(bool) override {}
  void PreparePick() override {}
  void SelectAtPoint(omViewport*, std::int32_t, std::int32_t, bool, std::int32_t) override {}
  void SelectInRect(omViewport*, const float*, bool, std::int32_t) override {}
  void FitAllViewsToAll() override {}
  void FitViewToAll() override {}
  void FitAllViewsToSelected() override {}
  void FitViewToSelected() override {}
  void UpdateManipulator(std::int32_t) override {}
  void SelectAll() override {}
  std::uint32_t GetComponentMask() override { return 0; }
  std::int32_t GetFilterType() override { return 0; }
  std::uint32_t GetComponentKind() override { return 0; }
  omEntity* FirstEntity(std::int32_t) override { return scene ? scene->first() : nullptr; }
  omEntity* NextEntity(std::int32_t) override { return scene ? scene->next() : nullptr; }
  void SetDisplaySwitchD(std::int32_t) override {}
  void SetDisplaySwitchE(std::int32_t) override {}
  void GrowEntitySet(omEntitySet*, omEntitySet*) override {}
  void GrowEntitySet2(omEntitySet*, omEntitySet*) override {}
  void SelectInScanlines(omViewport*, const omScanRow*, std::int32_t rowCount, bool select,
                         bool volume) override {
    log("select in scanlines " + std::to_string(rowCount) + " " + std::to_string(select) + " " +
        std::to_string(volume));
  }
  void BeginPaint(omViewport*) override { log("begin paint"); }
  void PaintSelect(omViewport*, std::int32_t x, std::int32_t y, float brushSize, std::int32_t*,
                   bool select, std::int32_t) override {
    log("paint " + std::to_string(x) + " " + std::to_string(y) + " " +
        std::to_string(brushSize) + " " + std::to_string(select));
  }
  void PostRedrawRequest(omViewport*, omRedrawRequest, std::int32_t, std::int32_t) override {
    log("post redraw request");
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
  float* GetDollyPivot(float* buffer, omViewport*) override {
    std::fill(buffer, buffer + 4, 0.0f);
    return buffer;
  }

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
  std::vector<omMenuItem*> menus;
  std::vector<platform::CToolBar*> toolbars;
  std::vector<std::string> accelerators;  // "KEY ctrl shift alt -> ID"
  platform::omPropertyObj* shownPanel = nullptr;
  // The entities the main view answers with; none while null.
  FakeScene* scene = nullptr;

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
