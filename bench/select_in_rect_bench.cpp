// Which of 1,000 objects (4 million triangles in all) lie inside screen rectangles, as a box
// selection asks it, against a plain loop that only projects the same objects' bounding boxes;
// and which components of one 4M-triangle scan lie inside a rectangle.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iterator>

#include "bench/scan_fixture.h"
#include "bench/smoke.h"
#include "studio/render/picking.h"

namespace {

using namespace tessel;
using Clock = std::chrono::steady_clock;

struct Fixture {
  studio::Scene scene;
  studio::Camera camera;
  studio::ViewSize size{800, 600};
  std::vector<studio::Box> boxes;
  Fixture() {
    for (studio::Mesh& m : bench::tiledScan(4'000'000, 1000)) {
      auto e = std::make_unique<studio::Entity>();
      e->type = om::kEntityPolygonMesh;
      e->mesh = std::make_unique<studio::Mesh>(std::move(m));
      boxes.push_back(e->mesh->bounds());
      scene.add(std::move(e));
    }
    camera = studio::standardCamera(studio::ViewKind::Perspective);
    studio::frameBox(camera, scene.bounds(), size.width, size.height);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

struct Rect {
  double x0, y0, x1, y1;
};

// The floor: project each bounding box and test it against the rectangles. Also counts the
// boxes that cross a rectangle's border, the objects a box selection must test vertex by vertex.
std::size_t boxLoop(const Fixture& f, const std::vector<Rect>& rects, std::size_t* crossing) {
  std::size_t n = 0;
  *crossing = 0;
  for (const Rect& r : rects)
    for (const studio::Box& b : f.boxes) {
      studio::BoxOnScreen s = studio::projectBox(f.camera, f.size, b);
      const bool overlaps = s.x1 >= r.x0 && s.x0 <= r.x1 && s.y1 >= r.y0 && s.y0 <= r.y1;
      const bool inside = s.x0 >= r.x0 && s.x1 <= r.x1 && s.y0 >= r.y0 && s.y1 <= r.y1;
      n += overlaps;
      *crossing += overlaps && !inside;
    }
  return n;
}

// 0: one rectangle over the middle of the view, most objects wholly inside or outside it.
// 1: twelve bands 4 pixels high across the whole view: every object a band meets is cut by it,
//    the worst case for the shortcut through the bounding boxes.
std::vector<Rect> rectanglesFor(std::int64_t which) {
  if (which == 0) return {{200, 150, 600, 450}};
  std::vector<Rect> bands;
  for (int i = 0; i < 12; ++i) bands.push_back({0, 40.0 + 45 * i, 800, 44.0 + 45 * i});
  return bands;
}

void BM_SelectInRect(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<Rect> rects = rectanglesFor(state.range(0));
  double select = 0, loop = 0;
  std::size_t found = 0, overlapping = 0, crossing = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    overlapping = boxLoop(f, rects, &crossing);
    benchmark::DoNotOptimize(overlapping);
    loop += std::chrono::duration<double>(Clock::now() - t).count();
    t = Clock::now();
    found = 0;
    for (const Rect& r : rects)
      found += studio::objectsInRect(f.scene, f.camera, f.size, r.x0, r.y0, r.x1, r.y1,
                                     om::kMaskMesh)
                   .size();
    double s = std::chrono::duration<double>(Clock::now() - t).count();
    select += s;
    state.SetIterationTime(s);
  }
  state.SetLabel(state.range(0) == 0 ? "one rectangle" : "12 bands cutting many objects");
  state.counters["objects_inside"] = static_cast<double>(found);
  state.counters["boxes_overlapping"] = static_cast<double>(overlapping);
  state.counters["boxes_cut"] = static_cast<double>(crossing);
  state.counters["vs_box_loop"] = select / loop;
  state.counters["box_loop_us"] = loop / static_cast<double>(state.iterations()) * 1e6;
}
BENCHMARK(BM_SelectInRect)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Component box selection on one 4M-triangle scan filling the view: the vertices (or face
// centres) inside a rectangle over the middle, against a plain loop projecting the same points
// in double precision; the two take turns going first. The selection projects in single
// precision, so the two lists may differ by components within a hundredth of a pixel of the
// rectangle's border, and by nothing else.
void BM_ComponentsInRect(benchmark::State& state) {
  static studio::Mesh scan = [] {
    studio::Mesh m = bench::noisyGrid(bench::sized(4'000'000u, 40'000u));
    studio::buildTopology(m);
    return m;
  }();
  const auto kind = state.range(0) == 0 ? studio::ComponentKind::Vertices : studio::ComponentKind::Faces;
  const studio::ViewSize size{800, 600};
  studio::Camera camera = studio::standardCamera(studio::ViewKind::Perspective);
  studio::frameBox(camera, scan.bounds(), size.width, size.height);
  const Rect r{200, 150, 600, 450};
  const studio::Projector project(camera, size.width, size.height);
  auto plainLoop = [&] {
    std::vector<std::uint32_t> inside;
    for (std::uint32_t h = 0, n = studio::componentCount(scan, kind); h < n; ++h) {
      const studio::ScreenPoint p = project(studio::componentPosition(scan, kind, h));
      if (p.inFront && p.x >= r.x0 && p.x <= r.x1 && p.y >= r.y0 && p.y <= r.y1)
        inside.push_back(h);
    }
    return inside;
  };
  double ours = 0, loop = 0;
  std::vector<std::uint32_t> found, plainFound;
  bool loopFirst = false;
  for (auto _ : state) {
    if (loopFirst) {
      const auto t = Clock::now();
      plainFound = plainLoop();
      loop += std::chrono::duration<double>(Clock::now() - t).count();
    }
    const auto t = Clock::now();
    found = studio::componentsInRect(scan, kind, camera, size, r.x0, r.y0, r.x1, r.y1);
    const double s = std::chrono::duration<double>(Clock::now() - t).count();
    ours += s;
    state.SetIterationTime(s);
    if (!loopFirst) {
      const auto t2 = Clock::now();
      plainFound = plainLoop();
      loop += std::chrono::duration<double>(Clock::now() - t2).count();
    }
    loopFirst = !loopFirst;
  }
  std::vector<std::uint32_t> differing;
  std::set_symmetric_difference(found.begin(), found.end(), plainFound.begin(), plainFound.end(),
                                std::back_inserter(differing));
  for (std::uint32_t h : differing) {
    const studio::ScreenPoint p = project(studio::componentPosition(scan, kind, h));
    const double border = std::min({std::fabs(p.x - r.x0), std::fabs(p.x - r.x1),
                                     std::fabs(p.y - r.y0), std::fabs(p.y - r.y1)});
    if (!(border < 0.01)) return state.SkipWithError("the selection and the loop disagree");
  }
  if (plainFound.empty()) return state.SkipWithError("the rectangle holds nothing");
  state.SetLabel(state.range(0) == 0 ? "vertices" : "faces");
  state.counters["components_inside"] = static_cast<double>(found.size());
  state.counters["on_the_border"] = static_cast<double>(differing.size());
  state.counters["vs_plain_loop"] = ours / loop;
}
BENCHMARK(BM_ComponentsInRect)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(10));

}  // namespace

BENCHMARK_MAIN();
