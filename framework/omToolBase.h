// The part every tool shares: reference count, host links and the defaults of the tool interface.
// A tool class overrides only what its behaviour needs.
#pragma once

#include <cstdint>
#include <new>

#include "host/omTool.h"

namespace tessel::framework {

class omToolBase : public omTool {
 public:
  std::int32_t AddRef() override { return ++refCount_; }
  std::int32_t Release() override;

  omToolManager* SetToolManager(omToolManager* manager) override { return toolManager_ = manager; }
  omToolManager* GetToolManager() override { return toolManager_; }
  omApplication* SetApplication(omApplication* application) override {
    return application_ = application;
  }
  omApplication* GetApplication() override { return application_; }
  std::int32_t HostHook1() override { return 0; }
  bool HostHook2(std::int32_t, std::int32_t) override { return false; }
  void Deactivate() override {}
  // Redraws the main view.
  void Refresh() override;
  void Cancel() override {}
  bool CanActivate() override { return true; }
  bool AcceptsInput(std::uint32_t) override { return true; }
  void MouseButton(std::int32_t, std::int32_t, const float*, omView*) override {}
  void MouseWheel(std::int32_t, std::int32_t, omView*) override {}
  void MouseDrag(std::int32_t, const float*, const float*, omView*) override {}
  void MouseMove(std::int32_t, const float*, omView*) override {}
  void HostHook3(std::int32_t) override {}
  void HostHook4(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void HostHook5(std::int32_t* a, std::int32_t* b) override;
  void HostHook6(std::int32_t, std::int32_t) override {}
  void OnNotify(const omEvent*, void*) override {}
  void Key(std::int32_t, std::int32_t, omView*) override {}
  void HostHook7(std::int32_t, std::int32_t, std::int32_t) override {}

 protected:
  // The view the user works in, or null.
  omView* activeView();

 private:
  std::int32_t refCount_ = 0;
  omToolManager* toolManager_ = nullptr;
  omApplication* application_ = nullptr;
};

// The view the user works in, or null; for code that holds the application only.
omView* activeView(omApplication* app);

// The registered factory of tool class T: null on allocation failure, and 1 either way.
template <class T>
std::int32_t createTool(omTool** out) {
  *out = new (std::nothrow) T();
  return 1;
}

}  // namespace tessel::framework
