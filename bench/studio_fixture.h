// Studio headless with the module loaded, driven by script lines as a user would drive it. A
// process holds one module, so a benchmark program keeps one of these for its whole run.
#pragma once

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "studio/host/studio_host.h"
#include "studio/script/script_runner.h"
#include "tests/temp_config.h"

namespace tessel::bench {

struct LoadedStudio {
  // Panels and tools write their settings as a user's would: never into the user's own folder.
  test::TempConfig config;
  std::ostringstream sink;
  std::unique_ptr<studio::StudioHost> host;
  std::unique_ptr<studio::ScriptRunner> runner;

  // An offscreen drawing buffer of `width` x `height` pixels.
  LoadedStudio(int width, int height) {
    std::string error;
    auto context = studio::OffscreenContext::create(width, height, &error);
    if (!context) throw std::runtime_error(error);
    host = std::make_unique<studio::StudioHost>([](const std::string&) {}, std::move(context));
    if (!(error = host->loadModule(TESSEL_MODULE_PATH)).empty()) throw std::runtime_error(error);
    runner = std::make_unique<studio::ScriptRunner>(*host, sink);
  }
  // Runs the lines; the first that fails throws with its error.
  void run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    if (runner->run(in, "bench", err) != 0) throw std::runtime_error(err.str());
  }
};

}  // namespace tessel::bench
