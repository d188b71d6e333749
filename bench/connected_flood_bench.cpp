// "Flood Select" over curves and springs through the loaded module: a chain of N curves in parts,
// a spring ending on every fourth curve, the first curve of every other part selected as seeds,
// at N = 1,000 and 10,000. Each iteration times the panel's Apply (the module's walk, the host's
// end-point searches, the selection it adds) and, as the floor, the same flood as a plain walk
// over one end-point index of the same curves; the two take turns going first. The flood must
// select exactly what the plain walk reaches. The ratio must not grow with N: a walk per
// selected member, or a test of every pair, makes it grow with N or N squared.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/smoke.h"
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

// The floor: every curve reached from the seeds through shared end points, as a plain walk.
std::vector<std::uint32_t> plainFlood(Scene& scene, const std::vector<std::uint32_t>& seeds) {
  const EndPointIndex index(scene, om::kEntityConnectedA);
  std::set<std::uint32_t> reached(seeds.begin(), seeds.end());
  std::deque<std::uint32_t> queue(seeds.begin(), seeds.end());
  while (!queue.empty()) {
    const Entity* e = scene.find(queue.front());
    queue.pop_front();
    for (Entity* next : index.meeting(*e))
      if (reached.insert(next->id).second) queue.push_back(next->id);
  }
  return {reached.begin(), reached.end()};
}

Studio& studio() {
  static Studio s;
  return s;
}

void BM_ConnectedFlood(benchmark::State& state) {
  Studio& s = studio();
  const int perPart = static_cast<int>(state.range(1));
  const std::vector<std::uint32_t> curves = s.chain(static_cast<int>(state.range(0)), perPart);
  platform::omPropertyObj* panel = s.host->panels().findPanel("Flood Select");
  if (!panel) return state.SkipWithError("the panel was not shown");
  // Half the parts seeded: a flood that did nothing, or that ran past a gap, leaves another
  // selection than the walk's.
  std::vector<std::uint32_t> seeds;
  for (std::size_t i = 0; i < curves.size(); i += 2 * static_cast<std::size_t>(perPart))
    seeds.push_back(curves[i]);
  double floodSeconds = 0, floorSeconds = 0;
  std::vector<std::uint32_t> flooded, walked;
  bool floorFirst = false;
  for (auto _ : state) {
    auto floor = [&] {
      const auto t = Clock::now();
      walked = plainFlood(s.host->scene(), seeds);
      floorSeconds += seconds(t);
    };
    if (floorFirst) floor();
    s.host->scene().setSelection(seeds);
    const auto t = Clock::now();
    panel->ApplyAttribs();
    floodSeconds += seconds(t);
    if (!floorFirst) floor();
    floorFirst = !floorFirst;
    flooded = s.host->scene().selection();
    std::sort(flooded.begin(), flooded.end());
    if (flooded != walked || (perPart > 1 && walked.size() <= seeds.size()))
      return state.SkipWithError("the flood selected other curves than the plain walk reaches");
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["selected"] = static_cast<double>(flooded.size());
  state.counters["flood_ms"] = 1e3 * floodSeconds / n;
  state.counters["plain_walk_ms"] = 1e3 * floorSeconds / n;
  state.counters["flood_vs_walk"] = floodSeconds / floorSeconds;
}
BENCHMARK(BM_ConnectedFlood)
    ->Args({bench::sized(1'000, 100), bench::sized(1'000, 10)})
    ->Args({bench::sized(10'000, 400), bench::sized(10'000, 40)})
    ->Args({bench::sized(10'000, 400), 1})
    ->ArgNames({"curves", "per_part"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(20));

}  // namespace

BENCHMARK_MAIN();
