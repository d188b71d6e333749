// Studio's script mode on any text, over a small mesh in an offscreen view with the module
// loaded. Lines that would read or write files elsewhere (open, save, shot) are skipped: the
// file readers have fuzzers of their own, and a fuzzer must not write over the machine's files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz/fuzz_temp_dir.h"
#include "studio/script/script_runner.h"
#include "studio/host/studio_host.h"

namespace {

tessel::studio::ScriptRunner* runner = nullptr;
tessel::studio::StudioHost* studio = nullptr;
std::size_t startingEntities = 0;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace tessel::studio;
  // Settings go to the run's own folder, never the user's.
  ::setenv("XDG_CONFIG_HOME", tessel::fuzz::tempDir().c_str(), 1);
  std::string error;
  static auto host = std::make_unique<StudioHost>([](const std::string&) {},
                                                   OffscreenContext::create(64, 48, &error));
  static std::ostream sink(nullptr);  // printed state is dropped
  if (!error.empty() || !host->loadModule(TESSEL_MODULE_PATH).empty()) std::abort();
  static ScriptRunner script(*host, sink);
  runner = &script;
  studio = host.get();
  const auto mesh = tessel::fuzz::tempDir() / "strip.obj";
  std::ofstream(mesh) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 2 0 0\nf 1 2 3\nf 3 2 4\nf 2 5 4\n";
  if (!runner->runLine("open " + mesh.string()).empty()) std::abort();
  startingEntities = host->scene().entities().size();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(in, line);) {
    std::string error;
    const auto words = tessel::studio::tokenize(line, &error);
    if (!error.empty() || words.empty()) continue;
    if (words[0] == "open" || words[0] == "save" || words[0] == "shot") continue;
    (void)runner->runLine(line);
  }
  // Each input starts from the same scene: what inputs added would otherwise pile up over a
  // run, and an input found slow could not be run again on its own to see why.
  auto& scene = studio->scene();
  while (scene.entities().size() > startingEntities)
    studio->mainView().DeleteEntity(nullptr, scene.entities().back().get());
  return 0;
}
