#include "studio/host/tool_manager.h"

#include <cstring>

namespace tessel::studio {

ToolManager::~ToolManager() { releaseAll(); }

void ToolManager::releaseAll() {
  if (current_) current_->Deactivate();
  current_ = nullptr;
  stack_.clear();
  for (omTool* tool : tools_) tool->Release();
  tools_.clear();
}

omTool* ToolManager::FindTool(const char* name) {
  if (!name) return nullptr;
  for (omTool* tool : tools_)
    if (std::strcmp(tool->GetName(), name) == 0) return tool;
  omTool* tool = factories_.makeTool(name);
  if (!tool) return nullptr;
  tool->SetApplication(&app_);
  tool->SetToolManager(this);
  tools_.push_back(tool);
  return tool;
}

bool ToolManager::ActivateTool(const char* name) {
  if (!IsToolAvailable(name)) return false;
  omTool* tool = FindTool(name);
  if (!tool || !tool->CanActivate()) return false;
  if (switching) switching(name, true);
  // Activating a tool ends any stacked ones too.
  if (current_) current_->Deactivate();
  stack_.clear();
  current_ = tool;
  tool->Activate();
  if (switching) switching(name, false);
  if (currentChanged) currentChanged();
  return true;
}

bool ToolManager::PushTool(const char* name) {
  if (!IsToolAvailable(name)) return false;
  omTool* tool = FindTool(name);
  if (!tool || tool == current_ || !tool->CanActivate()) return false;
  if (switching) switching(name, true);
  if (current_) {
    current_->Deactivate();
    stack_.push_back(current_);
  }
  current_ = tool;
  tool->Activate();
  if (switching) switching(name, false);
  if (currentChanged) currentChanged();
  return true;
}

bool ToolManager::PopTool() {
  if (stack_.empty()) return false;
  if (switching) switching(stack_.back()->GetName(), true);
  current_->Deactivate();
  current_ = stack_.back();
  stack_.pop_back();
  current_->Activate();
  if (switching) switching(current_->GetName(), false);
  if (currentChanged) currentChanged();
  return true;
}

bool ToolManager::IsToolActive(const char* name) {
  return name && current_ && std::strcmp(current_->GetName(), name) == 0;
}

bool ToolManager::IsToolAvailable(const char* name) {
  return name && factories_.has(name) && !unavailable.count(name);
}

}  // namespace tessel::studio
