// The property panel of a command: the module's handle for running the command through the host,
// and the attributes a derived panel copies into the command's record.
#pragma once

#include <cstdint>
#include <string>

#include "platform/CCmdTarget.h"
#include "platform/omPropertyObj.h"

struct omEvent;

namespace tessel::framework {

class omPropCmd : public platform::omPropertyObj {
 public:
  // The panel shows `title` when given, the command's name otherwise.
  explicit omPropCmd(const char* targetName, const char* title = nullptr);

  void RefreshPropObj() override;
  void OnPropInit() override;
  // Runs the command with no record; panels whose command takes one override this.
  void Activate() override;

  virtual const char* GetTargetName() const { return targetName_.c_str(); }
  virtual void MarkLinked() { linked_ = true; }
  virtual void OnNotify(const omEvent*, void*) {}
  // Enables the menu item or button while the command is available.
  virtual void OnUpdateCmdUI(platform::CCmdUI* ui);
  virtual bool PanelHook() { return false; }

  bool isLinked() const { return linked_; }
  std::int32_t lastEnabled() const { return lastEnabled_; }

 private:
  std::string targetName_;
  bool linked_ = false;
  std::int32_t lastEnabled_ = -1;
};

}  // namespace tessel::framework
