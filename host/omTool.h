// The interactive tool interface. Its 26 operations in this order are the contract with the host
// binary; tool classes append their own after the destructor.
#pragma once

#include <cstdint>

#include "host/omObject.h"

class omApplication;
class omToolManager;
class omView;

class omTool : public omObject {
 public:
  virtual omToolManager* SetToolManager(omToolManager* manager) = 0;
  virtual omToolManager* GetToolManager() = 0;
  virtual omApplication* SetApplication(omApplication* application) = 0;
  virtual omApplication* GetApplication() = 0;
  virtual std::int32_t HostHook1() = 0;
  virtual bool HostHook2(std::int32_t a, std::int32_t b) = 0;
  virtual void Activate() = 0;
  virtual void Deactivate() = 0;
  virtual void Refresh() = 0;
  virtual void Cancel() = 0;
  virtual bool CanActivate() = 0;
  virtual bool AcceptsInput(std::uint32_t flags) = 0;
  // position: x, y in view pixels; action: om::ButtonAction.
  virtual void MouseButton(std::int32_t button, std::int32_t action, const float* position,
                           omView* view) = 0;
  virtual void MouseWheel(std::int32_t delta, std::int32_t unused, omView* view) = 0;
  virtual void MouseDrag(std::int32_t buttons, const float* previous, const float* current,
                         omView* view) = 0;
  virtual void MouseMove(std::int32_t unused, const float* position, omView* view) = 0;
  virtual void HostHook3(std::int32_t a) = 0;
  virtual void HostHook4(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) = 0;
  virtual void HostHook5(std::int32_t* a, std::int32_t* b) = 0;
  virtual void HostHook6(std::int32_t a, std::int32_t b) = 0;
  virtual void OnNotify(const omEvent* event, void* param) = 0;
  virtual void Key(std::int32_t key, std::int32_t flags, omView* view) = 0;
  virtual void HostHook7(std::int32_t a, std::int32_t b, std::int32_t c) = 0;
  virtual ~omTool() = default;
};
