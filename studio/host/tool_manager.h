// The host's tool manager: one current tool that takes the views' input, a stack for tools that
// run on top of another for a while (a camera gesture inside a selection tool), and the tools
// made once by name from the module's factories.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "host/omTool.h"
#include "studio/host/factory_list.h"

namespace tessel::studio {

class ToolManager final : public omToolManager {
 public:
  ToolManager(omApplication& app, const FactoryList& factories)
      : app_(app), factories_(factories) {}
  ~ToolManager();
  ToolManager(const ToolManager&) = delete;
  ToolManager& operator=(const ToolManager&) = delete;

  bool ActivateTool(const char* name) override;
  bool PushTool(const char* name) override;
  bool PopTool() override;
  omTool* FindTool(const char* name) override;
  omTool* GetCurrentTool() override { return current_; }
  bool IsToolActive(const char* name) override;
  bool IsToolAvailable(const char* name) override;
  bool IsAllowed(std::uint32_t) override { return true; }

  // Deactivates and lets go of every tool, before the module goes.
  void releaseAll();
  std::set<std::string> unavailable;  // what the host reports unavailable (e.g. read-only scene)
  // Called after the current tool changed (activated, pushed or popped).
  std::function<void()> currentChanged;
  // Called before a tool change (true) and after it (false): a tool may change the selection as
  // it starts or ends, an edit the undo history brackets.
  std::function<void(const char* tool, bool starting)> switching;

 private:
  omApplication& app_;
  const FactoryList& factories_;
  omTool* current_ = nullptr;
  std::vector<omTool*> stack_;  // tools under the current one, innermost last
  std::vector<omTool*> tools_;  // one reference each
};

}  // namespace tessel::studio
