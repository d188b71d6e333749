// "Flood Select" over curves and springs with every member selected, through the loaded module:
// a chain of N curves with a spring ending on every fourth, at N = 1,000 and 10,000. Each
// iteration times the panel's Apply (the module's walk, the host's end-point searches, the
// selection it adds) and, as the baseline, one end-point index of the same curves (a sort of
// their 2N end points). The ratio must not grow with N: a walk per selected member, or a test of
// every pair, makes it grow with N or N squared.
#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "bench/studio_fixture.h"
#include "studio/scene/end_point_index.h"

namespace {

using namespace tessel;
using namespace tessel::studio;
using bench::Clock;
using bench::seconds;

struct Studio : bench::LoadedStudio {
  std::vector<std::uint32_t> added;
  Studio() : LoadedStudio(200, 150) {}
  Entity& add(std::uint32_t kind, Vec3 a, Vec3 b) {
    auto e = std::make_unique<Entity>();
    e->name = kind == om::kEntityConnectedA ? "c" : "s";
    e->type = kind;
    e->points = {a, b};
    Entity& in = host->scene().add(std::move(e));
    added.push_back(in.id);
    return in;
  }
  // Replaces the curves and springs of the last call; answers the curves' ids.
  std::vector<std::uint32_t> chain(int curves, int perPart) {
    for (std::uint32_t id : added) host->scene().remove(id);
    added.clear();
    std::vector<std::uint32_t> ids;
    // One curve apart through the host, as a user adds one, so that the filters offer curves;
    // the chain straight into the scene, which costs a few milliseconds instead of a redraw each.
    if (!host->addPolyline(om::kEntityConnectedA, "apart", {{0, 9, 0}, {1, 9, 0}}).empty())
      throw std::runtime_error("the curve apart was refused");
    added.push_back(host->scene().entities().back()->id);
    for (int i = 0; i < curves; ++i) {
      // Parts of `perPart` curves one unit apart, each a gentle zigzag, so that ends share
      // neither x nor y with many others.
      const int part = i / perPart, k = i % perPart;
      const double x = part * (perPart + 1.0) + k;
      const Vec3 a{x, (k % 2) * 0.5, 0}, b{x + 1, ((k + 1) % 2) * 0.5, 0};
      ids.push_back(add(om::kEntityConnectedA, a, b).id);
      if (i % 4 == 0) add(om::kEntityConnectedB, a, {a.x, a.y, 1});
    }
    host->scene().geometryChanged();
    // The "Curve" filter is offered once there are curves.
    run("mode object\nfilter object \"Curve\"\npanel 34025\n"
        "set \"Flood Select\" \"Fill All\" true\n");
    return ids;
  }
};

Studio& studio() {
  static Studio s;
  return s;
}

void BM_ConnectedFlood(benchmark::State& state) {
  Studio& s = studio();
  const std::vector<std::uint32_t> curves =
      s.chain(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  platform::omPropertyObj* panel = s.host->panels().findPanel("Flood Select");
  if (!panel) return state.SkipWithError("the panel was not shown");
  double floodSeconds = 0, indexSeconds = 0;
  for (auto _ : state) {
    s.host->scene().setSelection(curves);
    auto t = Clock::now();
    panel->ApplyAttribs();
    floodSeconds += seconds(t);
    t = Clock::now();
    const EndPointIndex index(s.host->scene(), om::kEntityConnectedA);
    benchmark::DoNotOptimize(&index);
    indexSeconds += seconds(t);
  }
  if (s.host->scene().selection().size() != curves.size())
    state.SkipWithError("the flood did not keep every curve selected");
  const double n = static_cast<double>(state.iterations());
  state.counters["flood_ms"] = 1e3 * floodSeconds / n;
  state.counters["index_ms"] = 1e3 * indexSeconds / n;
  state.counters["flood_vs_index"] = floodSeconds / indexSeconds;
}
BENCHMARK(BM_ConnectedFlood)
    ->Args({1'000, 1'000})
    ->Args({10'000, 10'000})
    ->Args({10'000, 1})
    ->ArgNames({"curves", "per_part"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
