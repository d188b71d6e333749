#include "studio/host/factory_list.h"

#include <algorithm>

namespace tessel::studio {

void FactoryList::AddFactory(void* factory) {
  if (!factory) return;
  factories_.push_back(factory);
  // The name is only known from an instance; make one now and let it go.
  std::string name;
  if (kind_ == Kind::Tools) {
    omTool* tool = nullptr;
    reinterpret_cast<omToolFactory>(factory)(&tool);
    if (tool) {
      tool->AddRef();
      name = tool->GetName();
      tool->Release();
    }
  } else {
    omCommand* command = nullptr;
    reinterpret_cast<omCommandFactory>(factory)(&command);
    if (command) {
      command->AddRef();
      name = command->GetName();
      command->Release();
    }
  }
  names_.push_back(name);
}

bool FactoryList::has(const std::string& name) const {
  return !name.empty() && std::find(names_.begin(), names_.end(), name) != names_.end();
}

omTool* FactoryList::makeTool(const std::string& name) const {
  if (kind_ != Kind::Tools) return nullptr;
  for (std::size_t i = 0; i < factories_.size(); ++i) {
    if (names_[i] != name) continue;
    omTool* tool = nullptr;
    reinterpret_cast<omToolFactory>(factories_[i])(&tool);
    if (tool) tool->AddRef();
    return tool;
  }
  return nullptr;
}

omCommand* FactoryList::makeCommand(const std::string& name) const {
  if (kind_ != Kind::Commands) return nullptr;
  for (std::size_t i = 0; i < factories_.size(); ++i) {
    if (names_[i] != name) continue;
    omCommand* command = nullptr;
    reinterpret_cast<omCommandFactory>(factories_[i])(&command);
    if (command) command->AddRef();
    return command;
  }
  return nullptr;
}

}  // namespace tessel::studio
