// The status line (prompt, status text, warning) and the panel window, which shows one panel at
// a time and edits it as a user would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/omApplication.h"
#include "platform/omPropertyObj.h"
#include "studio/host/echo.h"

namespace tessel::studio {

class PanelManager final : public omPanelManager {
 public:
  explicit PanelManager(Echo echo) : echo_(std::move(echo)) {}
  void SetPrompt(const char* text) override;
  void SetStatusText(const char* text) override;
  void SetWarning(const char* text) override;
  void ShowPanel(platform::omPropertyObj* panel, std::uint32_t commandId,
                 const omRect& rect) override;

  // The panel window closes (before the module terminates and destroys its panels); edited
  // values are saved first.
  void closePanel();
  // Saves the values of every panel edited since its last save: when edits settle (a window's
  // quiet moment after them), before the panels go, or when asked. False when one failed.
  bool flushSettings();
  // Called after an edit left values unsaved: a window then schedules flushSettings.
  std::function<void()> unsaved;
  // A panel shown at some time, by title; null when none with that title was shown.
  platform::omPropertyObj* findPanel(const std::string& title) const;
  platform::omPropertyObj* shownPanel() const { return shown_; }
  // The command ID the shown panel was last shown for; 0 when none is shown.
  std::uint32_t shownFor() const { return shownFor_; }
  // How many times a panel was shown, so a caller can tell whether a call showed one.
  std::uint64_t shows() const { return shows_; }
  // One line per attribute: name, value, choices, and "disabled" or "read-only" when so.
  std::vector<std::string> describe(platform::omPropertyObj& panel) const;
  // An attribute's value as the panel window shows it: the attribute's own text, unless that
  // text reads back as another value.
  static std::string valueText(platform::omPropAttribType& attrib);
  // Edits attribute `name` of the panel to `value` as typed; an empty string on success.
  std::string edit(platform::omPropertyObj& panel, const std::string& name,
                   const std::string& value);

  // The panel's one Apply: its own "Apply" button when it has one (the window then adds none),
  // else the panel window's. `applying` brackets it and every attribute edit (true before, false
  // after): the undo history's bracket. The problem when the panel is the shown, inactive one.
  std::string apply(platform::omPropertyObj& panel);
  // The index of the panel's own "Apply" button, or -1.
  static int ownApply(platform::omPropertyObj& panel);
  // A tool's panel shown while its tool is not current: it can be looked at, not edited or
  // applied. The toolbar update pass decides it.
  bool shownInactive() const { return shown_ && inactive_; }
  void setShownInactive(bool on);
  std::function<void(const std::string& title, bool starting)> applying;

  const std::string& prompt() const { return prompt_; }
  const std::string& status() const { return status_; }
  const std::string& warning() const { return warning_; }
  // Takes the warning down without a line on the terminal: the next action began, or it was up
  // long enough.
  void clearWarning() {
    if (warning_.empty()) return;
    warning_.clear();
    if (changed) changed();
  }
  // Called after the prompt, status text or warning changed, or a panel was shown.
  std::function<void()> changed;

 private:
  Echo echo_;
  std::string prompt_, status_, warning_;
  platform::omPropertyObj* shown_ = nullptr;
  std::uint32_t shownFor_ = 0;
  std::uint64_t shows_ = 0;
  bool inactive_ = false;
  std::vector<platform::omPropertyObj*> known_;
};

}  // namespace tessel::studio
