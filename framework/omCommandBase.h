// The part every command shares: reference count, host links and values, and the defaults of the
// command interface. A command class overrides only GetName, CreateData, CanExecute and Execute.
#pragma once

#include <cstdint>
#include <new>

#include "host/omCommand.h"

namespace tessel::framework {

class omCommandBase : public omCommand {
 public:
  std::int32_t AddRef() override { return ++refCount_; }
  std::int32_t Release() override;

  omCommandContext* SetContext(omCommandContext* context) override { return context_ = context; }
  omCommandContext* GetContext() override { return context_; }
  omCommandData* CreateData(std::int32_t) override { return nullptr; }
  std::int32_t CommandHook1() override { return 0; }
  omApplication* SetApplication(omApplication* application) override {
    return application_ = application;
  }
  omApplication* GetApplication() override { return application_; }
  omMainView* SetMainView(omMainView* view) override { return mainView_ = view; }
  omMainView* GetMainView() override { return mainView_; }
  std::uint32_t SetHostValue1(std::uint32_t value) override { return hostValue1_ = value; }
  std::uint32_t GetHostValue1() override { return hostValue1_; }
  std::uint32_t SetHostValue2(std::uint32_t value) override { return hostValue2_ = value; }
  std::uint32_t GetHostValue2() override { return hostValue2_; }
  std::uint32_t SetHostValue3(std::uint32_t value) override { return hostValue3_ = value; }
  std::uint32_t GetHostValue3() override { return hostValue3_; }
  std::int32_t GetHostData() override { return hostData_; }
  std::int32_t SetHostData(std::int32_t value) override { return hostData_ = value; }
  bool CommandHook2() override { return false; }
  bool CommandHook3() override { return true; }
  bool CanExecute() override { return true; }
  std::int32_t CommandHook4(std::int32_t, std::int32_t) override { return 2; }
  std::int32_t CommandHook5(std::int32_t, std::int32_t) override { return 2; }
  std::int32_t CommandHook6(std::int32_t) override { return 2; }
  std::int32_t CommandHook7(std::int32_t) override { return 2; }
  // The four context forwarders do nothing while the host has set no context.
  void UpdateCurrentView() override;
  void UpdateAllViews() override;
  void ForwardToContext1(std::int32_t a, std::int32_t b) override;
  void ForwardToContext2(std::int32_t a) override;

 private:
  std::int32_t refCount_ = 0;
  std::int32_t hostData_ = 0;
  std::uint32_t hostValue3_ = 0;
  omApplication* application_ = nullptr;
  omMainView* mainView_ = nullptr;
  std::uint32_t hostValue1_ = 0;
  std::uint32_t hostValue2_ = 0;
  omCommandContext* context_ = nullptr;
};

// The registered factory of command class T: the new command carries host data 3; null on
// allocation failure, and 1 either way.
template <class T>
std::int32_t createCommand(omCommand** out) {
  *out = new (std::nothrow) T();
  if (*out) (*out)->SetHostData(3);
  return 1;
}

// Allocates a command's argument record; null when memory is short.
template <class Record>
omCommandData* createRecord() {
  return new (std::nothrow) Record();
}

}  // namespace tessel::framework
