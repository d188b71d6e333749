// The host application as the module sees it: the application object, its managers, the
// document, frames, menus and filters. Each interface's virtual order is the contract with the
// host binary: append, never reorder.
//
// [SECTION] menus and frames
// [SECTION] filters
// [SECTION] managers
// [SECTION] application
#pragma once

#include <cstdint>

#include "host/omObject.h"

namespace tessel::platform {
class CToolBar;
class omPropertyObj;
}  // namespace tessel::platform
class omAccelTable;
class omCommand;
class omCommandData;
class omMainView;
class omTool;
class omViewManager;

// [SECTION] menus and frames

// A host menu item; a separator has empty text and ID 0, a popup has ID 0 and children.
class omMenuItem {
 public:
  virtual std::int32_t AddRef() = 0;
  virtual std::int32_t Release() = 0;
  virtual void AppendItem(omMenuItem* child) = 0;
  virtual const char* GetText() = 0;
  virtual std::uint32_t GetID() = 0;
  virtual std::int32_t GetCount() = 0;
  virtual omMenuItem* GetItem(std::int32_t index) = 0;

 protected:
  ~omMenuItem() = default;
};

class omMenuBar {
 public:
  virtual void AddMenu(omMenuItem* root) = 0;

 protected:
  ~omMenuBar() = default;
};

class omAccelTable {
 public:
  virtual void AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                              bool shift) = 0;

 protected:
  ~omAccelTable() = default;
};

// A document frame window.
class omFrame {
 public:
  virtual omMenuBar* GetMenuBar() = 0;

 protected:
  ~omFrame() = default;
};

class omMainFrame {
 public:
  virtual omMenuBar* GetMenuBar() = 0;
  virtual omAccelTable* GetAcceleratorTable() = 0;
  // The toolbar stays the module's; the host only shows it and routes its clicks.
  virtual void AddToolBar(tessel::platform::CToolBar* toolbar) = 0;
  virtual void DockToolBar(tessel::platform::CToolBar* toolbar) = 0;
  // Keyboard focus to the frame's active view (a toolbar control hands it back once used).
  virtual void FocusActiveView() = 0;

 protected:
  ~omMainFrame() = default;
};

class omDocument {
 public:
  virtual std::int32_t GetFrameCount() = 0;
  virtual omFrame* GetFrame(std::int32_t index) = 0;
  // The document's kind of data, 0-9, that decides the object filter entries.
  virtual std::int32_t GetFilterMode() = 0;

 protected:
  ~omDocument() = default;
};

// [SECTION] filters

// A named-mask list with one current entry: the object filter or the component filter.
class omMaskList {
 public:
  virtual void Clear() = 0;
  virtual void AddEntry(const char* name, std::uint32_t mask) = 0;
  virtual bool SelectName(const char* name) = 0;
  virtual std::uint32_t GetCurrentMask() = 0;
  virtual const char* GetCurrentName() = 0;
  virtual std::int32_t GetCount() = 0;
  // Entry i as name and mask; false for an index out of range.
  virtual bool GetEntry(std::int32_t index, const char** name, std::uint32_t* mask) = 0;
  virtual bool HasMask(std::uint32_t mask) = 0;
  virtual bool SelectMask(std::uint32_t mask) = 0;
  // Makes the entry `step` places on (wrapping round) the current one; false for an empty list.
  virtual bool StepEntry(std::int32_t step) = 0;
  // Makes the named entry current for a while (a tool that selects only lights, say), keeping the
  // entry it replaces; PopTemporaryMask brings that back. False for a name the list lacks.
  virtual bool PushTemporaryMask(const char* name) = 0;
  virtual void PopTemporaryMask() = 0;

 protected:
  ~omMaskList() = default;
};

// [SECTION] managers

// The status line and the panel window.
class omPanelManager {
 public:
  virtual void SetPrompt(const char* text) = 0;
  virtual void SetStatusText(const char* text) = 0;
  virtual void SetWarning(const char* text) = 0;
  virtual void ShowPanel(tessel::platform::omPropertyObj* panel, std::uint32_t commandId,
                         const omRect& rect) = 0;

 protected:
  ~omPanelManager() = default;
};

class omToolManager {
 public:
  virtual bool ActivateTool(const char* name) = 0;
  virtual bool PushTool(const char* name) = 0;
  virtual bool PopTool() = 0;
  virtual omTool* FindTool(const char* name) = 0;
  virtual omTool* GetCurrentTool() = 0;
  virtual bool IsToolActive(const char* name) = 0;
  virtual bool IsToolAvailable(const char* name) = 0;
  // The host's permission word for a kind of operation.
  virtual bool IsAllowed(std::uint32_t flags) = 0;

 protected:
  ~omToolManager() = default;
};

class omCommandManager {
 public:
  // A fresh record of the named command, owned by the caller; null when it takes none.
  virtual omCommandData* CreateCommandData(const char* name) = 0;
  virtual void PrepareCommand() = 0;
  virtual bool ExecuteCommand(const char* name, omCommandData* data) = 0;
  virtual bool IsCommandAvailable(const char* name) = 0;

 protected:
  ~omCommandManager() = default;
};

// [SECTION] application

// The host's record of tool sessions.
class omToolContext {
 public:
  // A tool that changes the scene interactively starts a session when it is activated.
  virtual void BeginToolSession() = 0;

 protected:
  ~omToolContext() = default;
};

class omApplication {
 public:
  virtual omDocument* GetDocument() = 0;
  virtual omViewManager* GetViewManager() = 0;
  virtual omMainView* GetMainView() = 0;
  virtual omToolContext* GetToolContext() = 0;
  virtual omCommandManager* GetCommandManager() = 0;
  virtual omToolManager* GetToolManager() = 0;
  virtual omMaskList* GetComponentFilter() = 0;
  virtual omMaskList* GetObjectFilter() = 0;
  virtual omPanelManager* GetPanelManager() = 0;
  // Count 0 on return: the first AppendItem or AddRef takes the reference.
  virtual omMenuItem* CreateMenuItem(const char* text, std::uint32_t id) = 0;
  // Broadcast an event now, before returning.
  virtual void NotifySync(std::int32_t code, void* param) = 0;
  virtual void Notify(const omEvent* event, void* param) = 0;
  virtual omMainFrame* GetMainFrame() = 0;
  // The two names under which the application keeps its settings ("software\KEY\PROFILE").
  virtual const char* GetRegistryKey() = 0;
  virtual const char* GetProfileName() = 0;

 protected:
  ~omApplication() = default;
};
