// The manipulator tools in Studio through the loaded module, on generated scan-like height
// fields:
//
// - one drag step of the translate and the rotate manipulator (the tool's MouseDrag with the
//   handle held, drawing excluded: the views are only marked) on a 1k- and a 10M-vertex scan: a step
//   changes the placement alone, so its time must not grow with the mesh;
// - a whole frame while the translate manipulator is dragged (the step and the view drawn with
//   the manipulator over it) on an 870k-triangle scan in an 800 x 600 view, against the same
//   view drawn with no tool's manipulator and nothing moving, in the same run.
//
// [SECTION] fixture
// [SECTION] drag step
// [SECTION] frame
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>

#include "bench/scan_fixture.h"
#include "bench/stopwatch.h"
#include "bench/smoke.h"
#include "bench/studio_fixture.h"

namespace {

using namespace tessel;
using namespace tessel::studio;
using bench::Clock;
using bench::seconds;

// [SECTION] fixture

// Triangles of the large scan and of a dragon-sized one (small in the smoke run).
const std::uint32_t kLarge = bench::sized(20'000'000u, 20'000u);
const std::uint32_t kDragon = bench::sized(870'000u, 8'700u);

// Studio with the module loaded (a process holds one module) and three scans; the scan under test
// is the only one shown and selected, framed in the view.
struct Studio : bench::LoadedStudio {
  std::map<std::uint32_t, Entity*> scans;  // by triangles
  Studio() : LoadedStudio(800, 600) {
    for (std::uint32_t t : {2'000u, kLarge, kDragon})
      scans[t] = &host->scene().add(bench::scanEntity(t, "scan " + std::to_string(t)));
    run("mode object\nfilter object \"Mesh\"\n");
  }
  // Shows, selects and frames the scan, with its placement back at the identity, and starts
  // `tool` on it.
  Entity& choose(std::uint32_t triangles, const char* tool) {
    Entity& chosen = *scans.at(triangles);
    for (auto& [t, e] : scans) e->visible = e == &chosen;
    chosen.placement.reset();
    chosen.placementChanged();
    chosen.frame.origin = chosen.mesh->bounds().center();
    host->scene().setSelection({chosen.id});
    run("tool \"Object Select\"\ncommand \"View Selected\"\ntool \"" + std::string(tool) + "\"\n");
    return chosen;
  }
  // Presses on the handle of the shown manipulator; the pixel pressed.
  std::pair<float, float> grab(ManipulatorHandle handle) {
    ManipulatorCore* m = host->mainView().shownManipulator();
    double x = 0, y = 0;
    if (!m || !m->handlePixel(host->views().active(), handle, &x, &y))
      throw std::runtime_error("the handle cannot be grabbed");
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    host->mouseMove(fx, fy);
    host->mouseButton(om::kButtonLeft, true, fx, fy);
    return {fx, fy};
  }
};

Studio& studio() {
  static Studio s;
  return s;
}

// [SECTION] drag step

// Args: triangles (2k: 1,024 vertices; 20M: 10.0M vertices), tool (0 translate, 1 rotate).
void BM_DragStep(benchmark::State& state) {
  Studio& s = studio();
  const bool rotate = state.range(1) == 1;
  Entity& scan = s.choose(static_cast<std::uint32_t>(state.range(0)),
                          rotate ? "Base Rotate" : "Base Translate");
  const auto [x, y] = s.grab(rotate ? ManipulatorHandle::Z : ManipulatorHandle::X);
  // The tool's drag step itself, as Studio hands it a pointer move; the views it marks are drawn
  // after the timing (Studio would draw them before the next input).
  omTool* tool = s.host->tools().GetCurrentTool();
  StudioView& view = s.host->views().active();
  const std::uint64_t revision = scan.placement.revision();
  float offset = 20;
  for (auto _ : state) {
    // Back and forth between two pixels, so the handle stays on the view.
    const float previous[2] = {x + offset, y + (rotate ? offset : 0)};
    offset = offset == 20 ? 21 : 20;
    const float current[2] = {x + offset, y + (rotate ? offset : 0)};
    tool->MouseDrag(om::kButtonLeft, previous, current, &view);
  }
  s.host->mouseButton(om::kButtonLeft, false, x + offset, y);
  s.host->drawPending();
  if (scan.placement.revision() == revision) state.SkipWithError("the placement did not change");
  state.counters["vertices"] = static_cast<double>(scan.mesh->vertexCount());
}
BENCHMARK(BM_DragStep)
    ->ArgsProduct({{2'000, kLarge}, {0, 1}})
    ->ArgNames({"triangles", "tool"})
    ->Unit(benchmark::kMicrosecond);

// [SECTION] frame

// Arg 1: a drag step of the translate manipulator, then the view drawn with it; arg 0: the view
// drawn with no manipulator, nothing moving.
void BM_Frame(benchmark::State& state) {
  Studio& s = studio();
  const bool dragging = state.range(0) == 1;
  Entity& scan = s.choose(kDragon, dragging ? "Base Translate" : "Object Select");
  s.host->drawPending();
  float x = 0, y = 0, offset = 0;
  if (dragging) std::tie(x, y) = s.grab(ManipulatorHandle::X);
  double total = 0;
  for (auto _ : state) {
    const auto t = Clock::now();
    if (dragging) {
      offset = offset == 20 ? 21 : 20;
      s.host->mouseMove(x + offset, y);
      s.host->drawPending();
    } else {
      s.host->drawView(0);
    }
    total += seconds(t);
  }
  if (dragging) s.host->mouseButton(om::kButtonLeft, false, x + offset, y);
  state.counters["triangles"] = static_cast<double>(scan.mesh->faceCount());
  state.counters["frame_ms"] = 1e3 * total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Frame)->Arg(0)->Arg(1)->ArgName("dragging")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(20));

}  // namespace

BENCHMARK_MAIN();
