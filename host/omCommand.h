// The one-shot command interface and its argument records. The 31 operations in this order, then
// the destructor, are the contract with the host binary.
#pragma once

#include <cstdint>

#include "host/omObject.h"

class omApplication;
class omMainView;

// The host's progress and message sink for one command run; may be null.
class omProgress {
 public:
  virtual void SetRange(std::int32_t total) = 0;
  virtual void Finish() = 0;
  virtual void Step(std::int32_t count) = 0;
  virtual bool IsCancelled() = 0;
  virtual void SetMessage(const char* text, std::int32_t kind) = 0;

 protected:
  ~omProgress() = default;
};

// The host object that refreshes views after a command run.
class omCommandContext {
 public:
  virtual void UpdateCurrentView() = 0;
  virtual void UpdateAllViews() = 0;
  virtual void ContextOperation1(std::int32_t a, std::int32_t b) = 0;
  virtual void ContextOperation2(std::int32_t a) = 0;
  virtual bool IsBusy() = 0;

 protected:
  ~omCommandContext() = default;
};

// An argument record: plain fields after the vtable; the creator destroys it.
class omCommandData {
 public:
  virtual ~omCommandData() = 0;
};
inline omCommandData::~omCommandData() = default;

class omCommand : public omObject {
 public:
  virtual omCommandContext* SetContext(omCommandContext* context) = 0;
  virtual omCommandContext* GetContext() = 0;
  virtual omCommandData* CreateData(std::int32_t unused) = 0;
  virtual std::int32_t CommandHook1() = 0;
  virtual omApplication* SetApplication(omApplication* application) = 0;
  virtual omApplication* GetApplication() = 0;
  virtual omMainView* SetMainView(omMainView* view) = 0;
  virtual omMainView* GetMainView() = 0;
  virtual std::uint32_t SetHostValue1(std::uint32_t value) = 0;
  virtual std::uint32_t GetHostValue1() = 0;
  virtual std::uint32_t SetHostValue2(std::uint32_t value) = 0;
  virtual std::uint32_t GetHostValue2() = 0;
  virtual std::uint32_t SetHostValue3(std::uint32_t value) = 0;
  virtual std::uint32_t GetHostValue3() = 0;
  virtual std::int32_t GetHostData() = 0;
  virtual std::int32_t SetHostData(std::int32_t value) = 0;
  virtual bool CommandHook2() = 0;
  virtual bool CommandHook3() = 0;
  virtual bool CanExecute() = 0;
  // Answers om::kExecuteRan when it ran.
  virtual std::int32_t Execute(omProgress* progress, omCommandData* data) = 0;
  virtual std::int32_t CommandHook4(std::int32_t a, std::int32_t b) = 0;
  virtual std::int32_t CommandHook5(std::int32_t a, std::int32_t b) = 0;
  virtual std::int32_t CommandHook6(std::int32_t a) = 0;
  virtual std::int32_t CommandHook7(std::int32_t a) = 0;
  virtual void UpdateCurrentView() = 0;
  virtual void UpdateAllViews() = 0;
  virtual void ForwardToContext1(std::int32_t a, std::int32_t b) = 0;
  virtual void ForwardToContext2(std::int32_t a) = 0;
  virtual ~omCommand() = default;
};
