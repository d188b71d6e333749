// Tessel Studio as a desktop application: the toolkit, the window's drawing context, the host
// over it and the main window, in the order each needs the others.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tessel::studio {

class MainWindow;
class ScriptRunner;
class StudioHost;

struct WindowOptions {
  std::vector<std::string> files;
  std::string script;  // run once the window is up; "-" reads standard input
  std::string module;
  int width = 1280, height = 860;
};

// True when a window system is there to show a window on.
bool haveDisplay();
// Sets up what the toolkit must know before its application object exists (an OpenGL
// compatibility profile, one object space for all views). Call before constructing one.
void prepareToolkit();
// Gives a script run in `window` what only a window has: the window brought up to date after
// each line, and `shot PATH window` and `shot PATH dialog NAME`, each written as a PNG and
// echoed as "shot: PATH".
void connectScript(ScriptRunner& runner, MainWindow& window, StudioHost& host,
                   const std::function<void(const std::string&)>& echo);
// Runs the window until it is closed; the exit status.
int runWindow(int argc, char** argv, const WindowOptions& options);

}  // namespace tessel::studio
