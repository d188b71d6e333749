#include "studio/host/command_manager.h"

#include <unistd.h>

#include <csignal>
#include <algorithm>
#include <cstdio>

#include "host/om_codes.h"

namespace tessel::studio {
namespace {

// Ctrl+C during a command run cancels the run instead of ending Studio.
volatile std::sig_atomic_t interrupted = 0;
extern "C" void onInterrupt(int) { interrupted = 1; }

}  // namespace

TerminalProgress::TerminalProgress(Echo echo)
    : echo_(std::move(echo)), terminal_(::isatty(STDERR_FILENO) == 1) {
  interrupted = 0;
  std::signal(SIGINT, onInterrupt);
}

TerminalProgress::~TerminalProgress() {
  std::signal(SIGINT, SIG_DFL);
  if (drawnPercent_ >= 0) std::fputc('\n', stderr);
}

void TerminalProgress::SetRange(std::int32_t total) {
  total_ = total > 0 ? total : 0;
  done_ = 0;
  drawnPercent_ = -1;
}

void TerminalProgress::Step(std::int32_t count) {
  if (count > 0) done_ += count;
  if (cancelAt_ >= 0 && done_ >= cancelAt_) cancelled_ = true;
  draw();
}

void TerminalProgress::Finish() {
  done_ = total_;
  draw();
}

bool TerminalProgress::IsCancelled() {
  if (interrupted) cancelled_ = true;
  return cancelled_;
}

void TerminalProgress::SetMessage(const char* text, std::int32_t) {
  if (drawnPercent_ >= 0) std::fputc('\n', stderr), drawnPercent_ = -1;
  echo_("message: " + std::string(text ? text : ""));
}

void TerminalProgress::draw() {
  if (!terminal_ || total_ <= 0) return;
  int percent = static_cast<int>(std::min<std::int64_t>(done_ * 100 / total_, 100));
  if (percent == drawnPercent_) return;
  drawnPercent_ = percent;
  char bar[41];
  for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
  bar[40] = 0;
  std::fprintf(stderr, "\r[%s] %3d%%  (Ctrl+C cancels)", bar, percent);
  std::fflush(stderr);
}

CommandManager::CommandManager(omApplication& app, omMainView& mainView,
                               const FactoryList& factories, Echo echo,
                               std::function<void(bool all)> refresh)
    : app_(app),
      mainView_(mainView),
      factories_(factories),
      echo_(std::move(echo)),
      context_(std::move(refresh)) {}

omCommandData* CommandManager::CreateCommandData(const char* name) {
  omCommand* command = name ? factories_.makeCommand(name) : nullptr;
  if (!command) return nullptr;
  omCommandData* data = command->CreateData(0);
  command->Release();
  return data;
}

omCommand* CommandManager::makeWired(const char* name) {
  if (!IsCommandAvailable(name)) return nullptr;
  omCommand* command = factories_.makeCommand(name);
  if (!command) return nullptr;
  command->SetApplication(&app_);
  command->SetMainView(&mainView_);
  command->SetContext(&context_);
  return command;
}

bool CommandManager::ExecuteCommand(const char* name, omCommandData* data) {
  omCommand* command = makeWired(name);
  if (!command) return false;
  bool ran = false;
  if (command->CanExecute()) {
    TerminalProgress terminal(echo_);
    if (cancelAfterSteps >= 0) terminal.cancelAfterSteps(cancelAfterSteps);
    std::unique_ptr<ShownProgress> shown = makeProgress ? makeProgress(name) : nullptr;
    context_.busy = true;
    omProgress* progress = shown ? static_cast<omProgress*>(shown.get()) : &terminal;
    if (running) running(name, true);
    ran = command->Execute(progress, data) == om::kExecuteRan;
    if (running) running(name, false);
    context_.busy = false;
  } else {
    lastRefusal = "command \"" + std::string(name) + "\" cannot run now";
    ++refusals;
    echo_(lastRefusal);
  }
  command->Release();
  return ran;
}

bool CommandManager::canRun(const char* name) {
  omCommand* command = makeWired(name);
  if (!command) return false;
  const bool can = command->CanExecute();
  command->Release();
  return can;
}

bool CommandManager::IsCommandAvailable(const char* name) {
  if (asked && name) asked->push_back(name);
  return name && factories_.has(name) && !unavailable.count(name);
}

}  // namespace tessel::studio
