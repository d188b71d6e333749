// The module interface's host link and the questions a host may ask any module.
#pragma once

#include "host/omModule2.h"

namespace tessel::module {

class omModuleImpl2 : public omModule2 {
 public:
  omModuleHost* SetHost(omModuleHost* host) override { return host_ = host; }
  omModuleHost* GetHost() override { return host_; }
  bool IsBaseModule() override { return true; }
  bool CanAccept(std::uint32_t, std::uint32_t) override { return true; }
  bool CanAcceptEx(std::uint32_t, std::uint32_t) override { return true; }

 protected:
  omModuleHost* host() const { return host_; }

 private:
  omModuleHost* host_ = nullptr;
};

}  // namespace tessel::module
