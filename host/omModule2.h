// The module entry and the host's registration interface. Virtual orders are the contract with
// the host binary: append, never reorder.
#pragma once

#include <cstdint>

#include "host/omObject.h"

namespace tessel::platform {
class CCmdTarget;
}  // namespace tessel::platform
class omApplication;
class omCommand;
class omTool;

using omToolFactory = std::int32_t (*)(omTool** out);
using omCommandFactory = std::int32_t (*)(omCommand** out);

// One kind of factory list; the host creates tools and commands by name through it.
class omFactoryList {
 public:
  // `factory` is an omToolFactory or omCommandFactory, by the list.
  virtual void AddFactory(void* factory) = 0;

 protected:
  ~omFactoryList() = default;
};

class omRegistry {
 public:
  virtual omFactoryList* GetCommandFactories() = 0;
  virtual omFactoryList* GetToolFactories() = 0;
  virtual omFactoryList* GetPanelFactories() = 0;

 protected:
  ~omRegistry() = default;
};

// What the host offers a module it has loaded. Beyond the registry, it stands in for the pieces of
// the operating system a module would otherwise ask directly: the application object, the key
// state and the message box.
class omModuleHost {
 public:
  virtual omRegistry* GetRegistry() = 0;
  virtual omApplication* GetApplication() = 0;
  // key: om::Key code; true while held.
  virtual bool IsKeyDown(std::int32_t key) = 0;
  // Shows a modal message; answers the button chosen (1 = OK).
  virtual std::int32_t MessageBox(const char* text, const char* caption, std::uint32_t style) = 0;
  // The pointer's shape over the whole application (om::kSystemCursorWait, or 0 for the
  // application's own); answers the shape it replaces, so a caller can put that back.
  virtual std::int32_t SetSystemCursor(std::int32_t shape) = 0;

 protected:
  ~omModuleHost() = default;
};

// Identifies a loaded module's file to its resource loader: the handle dlopen gave the host.
using HINSTANCE = void*;

class omModule2 : public omObject {
 public:
  virtual const char* GetVersion() = 0;
  virtual const char* GetLegalNotice() = 0;
  virtual bool IsBaseModule() = 0;
  virtual omModuleHost* SetHost(omModuleHost* host) = 0;
  virtual omModuleHost* GetHost() = 0;
  virtual bool Initialize() = 0;
  virtual void Terminate() = 0;
  virtual void OnNotify(const omEvent* event, void* param) = 0;
  virtual bool CanAccept(std::uint32_t a, std::uint32_t b) = 0;
  virtual bool CanAcceptEx(std::uint32_t a, std::uint32_t b) = 0;
  // There is no shared command-routing runtime between host and module binaries, so the module
  // hands out its command target and its resource link explicitly.
  virtual tessel::platform::CCmdTarget* GetCommandTarget() = 0;
  virtual void SetResourceInstance(HINSTANCE instance) = 0;

 protected:
  ~omModule2() = default;
};

extern "C" {
// The module's only export. *out receives the module interface with a count of 0.
using CreateModule2Fn = std::uint32_t (*)(omModule2** out);
}
