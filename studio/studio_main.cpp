// tessel-studio [FILE...] [--script SCRIPT] [--headless] [--module PATH] [--size WxH] [--times]
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "studio/script/script_runner.h"
#include "studio/host/studio_host.h"
#include "studio/window/window_app.h"

namespace {

using namespace tessel::studio;

int usage() {
  std::cerr << "usage: tessel-studio [FILE...] [--script SCRIPT] [--headless] [--module PATH] "
               "[--size WxH] [--times]\n"
               "  --times: after each script line, its time, how much of it was drawing and the resident\n"
               "           memory, on stderr\n";
  return 2;
}

// The module beside the executable, as the build lays them out.
std::string defaultModule() {
  if (const char* env = std::getenv("TESSEL_MODULE")) return env;
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : exe.parent_path()) / "libtessel.so";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  std::string script, module = defaultModule();
  bool headless = false, sizeGiven = false, times = false;
  int width = 800, height = 600;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--script" && i + 1 < argc) script = argv[++i];
    else if (a == "--module" && i + 1 < argc) module = argv[++i];
    else if (a == "--headless") headless = true;
    else if (a == "--times") times = true;
    else if (a == "--size" && i + 1 < argc) {
      sizeGiven = true;
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 16 || height < 16 ||
          width > 8192 || height > 8192) {
        std::cerr << "error: --size wants WIDTHxHEIGHT, 16 to 8192 pixels each\n";
        return 2;
      }
    } else if (a.starts_with("--")) return usage();
    else files.push_back(a);
  }
  if (!headless) {
    if (haveDisplay()) {
      WindowOptions options{files, script, module};
      if (sizeGiven) options.width = width, options.height = height;
      return runWindow(argc, argv, options);
    }
    std::cerr << "tessel-studio: no display for a window; drawing offscreen\n";
  }
  // Headless Studio draws only for a shot or a depth read, so Mesa's software rasteriser works
  // on the calling thread: its threads pay only on an idle machine (a 4M-triangle shot took
  // 1.2-1.3 s on one thread against 1.6-1.8 s on two with others at work), and each keeps its
  // own scene of binned triangles. LP_NUM_THREADS set by the caller stands.
  ::setenv("LP_NUM_THREADS", "0", /*overwrite=*/0);
  std::string error;
  std::unique_ptr<GlContext> context = OffscreenContext::create(width, height, &error);
  if (!context) {
    std::cerr << "error: " << error << '\n';
    return 1;
  }
  auto echo = [](const std::string& line) { std::cout << line << '\n' << std::flush; };
  StudioHost host(echo, std::move(context));
  host.setDrawOnlyWhenRead(true);
  host.loadPreferences(tessel::platform::userSettingsPath());
  if (std::string e = host.loadModule(module); !e.empty()) {
    std::cerr << "error: " << e << '\n';
    return 1;
  }
  for (const std::string& file : files)
    if (std::string e = host.open(file); !e.empty()) {
      std::cerr << "error: " << e << '\n';
      return 1;
    }
  int status = 0;
  ScriptRunner runner(host, std::cout);
  runner.times = times;
  if (!script.empty()) status = runner.runFile(script, std::cerr);
  host.unloadModule();
  return status;
}
