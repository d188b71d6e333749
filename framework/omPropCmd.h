// The property panel of a command: the module's handle for running the command through the host,
// and the attributes a derived panel copies into the command's record.
#pragma once

#include <cstdint>
#include <string>

#include "host/omApplication.h"
#include "host/omCommand.h"
#include "platform/CCmdTarget.h"
#include "platform/host_services.h"
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

 protected:
  // Runs the panel's command through the host's command manager with a fresh record, which
  // `fill` completes first (it may answer false to run nothing). The record goes afterwards.
  // Without a record of the right type nothing runs and the status line says why: the command's
  // defaults would quietly drop what the panel shows.
  template <class Record, class Fill>
  bool runWithRecord(Fill&& fill) {
    omApplication* app = platform::AfxGetApp()->application;
    omCommandManager* commands = app ? app->GetCommandManager() : nullptr;
    if (!commands) return false;
    omCommandData* data = commands->CreateCommandData(GetTargetName());
    auto* record = dynamic_cast<Record*>(data);
    bool ran = false;
    if (!record) {
      reportNoRecord(app);
    } else if (fill(*record)) {
      commands->PrepareCommand();
      ran = commands->ExecuteCommand(GetTargetName(), data);
    }
    delete data;
    return ran;
  }

 private:
  void reportNoRecord(omApplication* app);

  std::string targetName_;
  bool linked_ = false;
  std::int32_t lastEnabled_ = -1;
};

}  // namespace tessel::framework
