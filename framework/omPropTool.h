// The property panel of a tool: the module's handle for starting the tool, and the attributes
// a derived panel hands to it. Attribute controls are editable only while the tool is active.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CCmdTarget.h"
#include "platform/omPropertyObj.h"

struct omEvent;

namespace tessel::framework {

class omPropTool : public platform::omPropertyObj {
 public:
  // The panel shows `title` when given, the tool's name otherwise.
  explicit omPropTool(const char* targetName, const char* title = nullptr);

  void RefreshPropObj() override;
  void OnPropInit() override;
  // Makes the tool the host's current tool; the first time, also links the panel to it.
  void Activate() override;

  virtual const char* GetTargetName() const { return targetName_.c_str(); }
  virtual void OnNotify(const omEvent*, void*) {}
  // Enables the menu item or button while the tool is available and checks it while active.
  virtual void OnUpdateCmdUI(platform::CCmdUI* ui);
  // Derived panels push their values into the freshly activated tool here, after calling this.
  virtual void LinkTool() { linked_ = true; }

  bool isLinked() const { return linked_; }
  std::int32_t lastEnabled() const { return lastEnabled_; }

 private:
  std::string targetName_;
  bool linked_ = false;
  std::int32_t lastEnabled_ = -1;
};

}  // namespace tessel::framework
