// The host's command manager: runs a module command once with its record, a progress object and
// a context that refreshes the views afterwards.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "host/omCommand.h"
#include "studio/host/echo.h"
#include "studio/host/factory_list.h"

namespace tessel::studio {

// Progress of one command run: a bar on the terminal (when stderr is one), its messages echoed,
// cancelled by Ctrl+C or by requestCancel.
class TerminalProgress final : public omProgress {
 public:
  explicit TerminalProgress(Echo echo);
  ~TerminalProgress();
  void SetRange(std::int32_t total) override;
  void Finish() override;
  void Step(std::int32_t count) override;
  bool IsCancelled() override;
  void SetMessage(const char* text, std::int32_t kind) override;

  // From any thread, or after `steps` further steps when given.
  void requestCancel() { cancelled_ = true; }
  void cancelAfterSteps(std::int64_t steps) { cancelAt_ = done_ + steps; }

 private:
  void draw();
  Echo echo_;
  std::int64_t total_ = 0, done_ = 0, cancelAt_ = -1;
  int drawnPercent_ = -1;
  bool terminal_;
  std::atomic<bool> cancelled_{false};
};

// A progress a front end shows (a dialog), owned by the run it reports.
class ShownProgress : public omProgress {
 public:
  virtual ~ShownProgress() = default;
};

class CommandContext final : public omCommandContext {
 public:
  explicit CommandContext(std::function<void(bool all)> refresh) : refresh_(std::move(refresh)) {}
  void UpdateCurrentView() override { refresh_(false); }
  void UpdateAllViews() override { refresh_(true); }
  void ContextOperation1(std::int32_t, std::int32_t) override {}
  void ContextOperation2(std::int32_t) override {}
  bool IsBusy() override { return busy; }
  bool busy = false;

 private:
  std::function<void(bool all)> refresh_;
};

class CommandManager final : public omCommandManager {
 public:
  CommandManager(omApplication& app, omMainView& mainView, const FactoryList& factories,
                 Echo echo, std::function<void(bool all)> refresh);

  omCommandData* CreateCommandData(const char* name) override;
  void PrepareCommand() override {}
  bool ExecuteCommand(const char* name, omCommandData* data) override;
  bool IsCommandAvailable(const char* name) override;
  // Whether the command is there and its CanExecute says it can run now; nothing runs.
  bool canRun(const char* name);

  std::set<std::string> unavailable;
  // While set, each name IsCommandAvailable is asked about is added: a menu item's update
  // handler asks about the command the item runs, which is how Studio learns which one it is.
  std::vector<std::string>* asked = nullptr;
  // Runs refused because the command could not run then, and the last refusal's words.
  std::uint64_t refusals = 0;
  std::string lastRefusal;
  // Makes the progress of each run when set (a window's dialog); otherwise the terminal's.
  std::function<std::unique_ptr<ShownProgress>(const char* command)> makeProgress;
  // Called as a command that can run starts (true) and when it has run (false): the undo
  // history's bracket around it.
  std::function<void(const char* command, bool starting)> running;
  // Steps after which the next run is cancelled, as if the user pressed Ctrl+C; -1 for never.
  std::int64_t cancelAfterSteps = -1;

 private:
  // A command from its factory, set up with the host's objects; null when it is not available.
  omCommand* makeWired(const char* name);
  omApplication& app_;
  omMainView& mainView_;
  const FactoryList& factories_;
  Echo echo_;
  CommandContext context_;
};

}  // namespace tessel::studio
