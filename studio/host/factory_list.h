// The factories a module registered, and the names of what each one makes.
#pragma once

#include <string>
#include <vector>

#include "host/omCommand.h"
#include "host/omModule2.h"
#include "host/omTool.h"

namespace tessel::studio {

class FactoryList final : public omFactoryList {
 public:
  enum class Kind { Tools, Commands };
  explicit FactoryList(Kind kind) : kind_(kind) {}
  void AddFactory(void* factory) override;

  // A new tool or command of that name with one reference, or null when no factory makes it.
  omTool* makeTool(const std::string& name) const;
  omCommand* makeCommand(const std::string& name) const;
  const std::vector<std::string>& names() const { return names_; }
  bool has(const std::string& name) const;

 private:
  Kind kind_;
  std::vector<void*> factories_;
  std::vector<std::string> names_;  // by factory; empty when its factory made nothing
};

}  // namespace tessel::studio
