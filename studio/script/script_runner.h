// Studio's script mode: one verb per line, run against the host as a user's actions would be.
// Blank lines and lines starting with '#' are skipped; "double quotes" group words.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "studio/host/studio_host.h"

namespace tessel::studio {

// The words of a line; *error set (and nothing answered) for an unterminated quote.
std::vector<std::string> tokenize(const std::string& line, std::string* error);

// Text as a terminal can show it safely: control characters and bytes that are not UTF-8 as
// \xNN (a script's bad bytes, quoted back in a message, could be terminal escapes or NULs).
std::string escapeBytes(std::string_view text);

// A key name as scripts write it ("W", "5", "F2", "Delete") as a virtual-key code; 0 for none.
std::uint8_t virtualKey(const std::string& name);

class ScriptRunner {
 public:
  explicit ScriptRunner(StudioHost& host, std::ostream& out) : host_(host), out_(out) {}

  // Runs one line; an empty string on success, else what went wrong.
  // A line whose command refuses to run (it cannot run now) fails, unless it starts with
  // "expect-refusal", which then fails when nothing refused.
  std::string runLine(const std::string& line);
  // Runs every line until the first failure, which is reported on `err` as
  // "error: NAME:LINE: problem". 0 when all ran, else 1.
  int run(std::istream& in, const std::string& name, std::ostream& err);
  // The same for the script file at `path` ("-": standard input); a path that is not a file
  // that can be read fails with "error: PATH: problem".
  int runFile(const std::string& path, std::ostream& err);
  // With `times`, run also writes each line's wall time on `err`, and how much of it was drawing.
  bool times = false;
  // Runs after each line that ran; the window brings itself up to date here (a new layout gets
  // its panes and sizes before the next line shoots a view).
  std::function<void()> afterLine;
  // Writes the whole window, its bars and docks included, as a PNG; an empty string on success.
  // Only a window sets it: headless, `shot PATH window` fails.
  std::function<std::string(const std::string& path)> shootWindow;
  // Writes a picture of one of the window's dialogs ("preferences", "shortcuts"), opened as its
  // menu item opens it but not modal, and closed again with nothing applied. Only a window sets
  // it: headless, `shot PATH dialog NAME` fails.
  std::function<std::string(const std::string& path, const std::string& dialog)> shootDialog;

 private:
  std::string runWords(const std::vector<std::string>& words);
  std::string print(const std::vector<std::string>& words);
  std::string help(const std::vector<std::string>& words);
  // Drags a handle of the shown manipulator by pixels, from where it is in the active view.
  std::string manipulatorDrag(const std::vector<std::string>& w);
  std::string pointer(const std::vector<std::string>& words);
  void lines(const std::vector<std::string>& text);

  StudioHost& host_;
  std::ostream& out_;
  std::string refusal_;  // set by a line whose command did not run
};

}  // namespace tessel::studio
