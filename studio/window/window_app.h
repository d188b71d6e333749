// Tessel Studio as a desktop application: the toolkit, the window's drawing context, the host
// over it and the main window, in the order each needs the others.
#pragma once

#include <string>
#include <vector>

namespace tessel::studio {

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
// Runs the window until it is closed; the exit status.
int runWindow(int argc, char** argv, const WindowOptions& options);

}  // namespace tessel::studio
