// A whole headless session on a large scan, as a script runs it: open a generated grid (20M
// triangles unless TESSEL_BENCH_TRIANGLES says otherwise), tumble, flood 10 rings, Fill All,
// sharp edges, a component box, Select All, translate (the panel's Apply), save. Each iteration
// runs the session twice, the two ways in turn: drawing each line's changes (a window's way) and
// drawing only what something reads (headless). The saved files must match byte for byte, and
// the session that draws only when read must not draw at all, as it takes no shot. (A drag on
// the translate manipulator would draw once: the tool picks the surface under the pointer, which
// reads the view's depth.)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "bench/scan_fixture.h"
#include "bench/stopwatch.h"
#include "bench/studio_fixture.h"

namespace {

using namespace tessel;
using bench::Clock;
using bench::seconds;

std::uint32_t triangles() {
  const char* text = std::getenv("TESSEL_BENCH_TRIANGLES");
  const long n = text ? std::atol(text) : 0;
  return n > 0 ? static_cast<std::uint32_t>(n) : 20'000'000u;
}

std::string session(const std::filesystem::path& scan, const std::filesystem::path& saved) {
  return "open " + scan.string() +
         "\n"
         "tool Tumble\n"
         "drag left 400 300 460 280 steps 4\n"
         "mode component\n"
         "filter object \"Mesh\"\n"
         "filter component \"Faces\"\n"
         "select \"scan\" faces 0\n"
         "panel 34025\n"
         "set \"Flood Select\" \"Fill All\" false\n"
         "set \"Flood Select\" \"Fill Range\" 10\n"
         "apply \"Flood Select\"\n"
         "set \"Flood Select\" \"Fill All\" true\n"
         "apply \"Flood Select\"\n"
         "panel 34029\n"
         "set \"Custom Select\" \"Sharp Edge Polygons\" true\n"
         "set \"Custom Select\" \"Min Angle\" 0\n"
         "set \"Custom Select\" \"Max Angle\" 30\n"
         "select \"scan\" faces\n"
         "apply \"Custom Select\"\n"
         "tool \"Component Select\"\n"
         "drag left 300 200 500 400\n"
         "mode object\n"
         "filter object \"Mesh\"\n"
         "command \"Select All\"\n"
         "tool \"Base Translate\"\n"
         "panel 33837\n"
         "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
         "set \"Base Translate\" \"X\" 0.25\n"
         "set \"Base Translate\" \"Apply\" 1\n"
         "save " +
         saved.string() + "\n";
}

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Run {
  double seconds = 0, drawSeconds = 0;
  std::uint64_t draws = 0;
  std::string saved;
};

void BM_ScriptSession(benchmark::State& state) {
  static bench::LoadedStudio studio(800, 600);
  studio::StudioHost& host = *studio.host;
  // The script names the object after its file.
  const auto dir = std::filesystem::temp_directory_path() / "tessel-script-bench";
  std::filesystem::create_directories(dir);
  const auto scan = dir / "scan.ply", saved = dir / "saved.ply";
  std::filesystem::remove(scan);
  std::filesystem::create_symlink(bench::scanFile(bench::scanLikeSurface(triangles())), scan);
  const std::string script = session(scan, saved);

  auto once = [&](bool whenRead) {
    host.setDrawOnlyWhenRead(whenRead);
    const studio::StudioHost::DrawStats before = host.drawStats();
    Run r;
    const auto t = Clock::now();
    studio.run(script);
    r.seconds = seconds(t);
    r.draws = host.drawStats().draws - before.draws;
    r.drawSeconds = host.drawStats().seconds - before.seconds;
    r.saved = contents(saved);
    // The next session opens the scan anew, no tool holding on to the old one.
    studio.run("tool Tumble\n");
    if (const studio::Entity* e = host.scene().findByName("scan")) host.scene().remove(e->id);
    studio.run("layout single\n");
    return r;
  };
  Run eager, whenRead;
  double eagerSeconds = 0, whenReadSeconds = 0, eagerDrawSeconds = 0;
  bool whenReadFirst = false;
  for (auto _ : state) {
    // Each way in turn goes first, so neither always meets the other's warm caches.
    if (whenReadFirst) whenRead = once(true), eager = once(false);
    else eager = once(false), whenRead = once(true);
    whenReadFirst = !whenReadFirst;
    eagerSeconds += eager.seconds, whenReadSeconds += whenRead.seconds;
    eagerDrawSeconds += eager.drawSeconds;
    if (whenRead.draws != 0) return state.SkipWithError("the session without a shot drew");
    if (eager.draws == 0) return state.SkipWithError("the drawing session drew nothing");
    if (eager.saved.empty() || eager.saved != whenRead.saved)
      return state.SkipWithError("the two sessions saved different files");
  }
  host.setDrawOnlyWhenRead(false);
  const double n = static_cast<double>(state.iterations());
  state.counters["every_line_s"] = eagerSeconds / n;
  state.counters["of_which_drawing_s"] = eagerDrawSeconds / n;
  state.counters["when_read_s"] = whenReadSeconds / n;
  state.counters["when_read_vs_every_line"] = whenReadSeconds / eagerSeconds;
  state.counters["triangles"] = triangles();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ScriptSession)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
