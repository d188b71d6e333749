// Which of 1,000 objects (4 million triangles in all) lie inside a screen rectangle, as a box
// selection asks it, against a plain loop that only projects the same objects' bounding boxes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include "bench/scan_fixture.h"
#include "studio/picking.h"

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

// The floor: project each bounding box and test it against the rectangle.
std::size_t boxLoop(const Fixture& f, double x0, double y0, double x1, double y1) {
  std::size_t n = 0;
  for (const studio::Box& b : f.boxes) {
    studio::BoxOnScreen s = studio::projectBox(f.camera, f.size, b);
    n += s.x1 >= x0 && s.x0 <= x1 && s.y1 >= y0 && s.y0 <= y1;
  }
  return n;
}

void BM_SelectInRect(benchmark::State& state) {
  Fixture& f = fixture();
  // A rectangle over the middle of the view: objects inside, outside and across its border.
  const double x0 = 200, y0 = 150, x1 = 600, y1 = 450;
  double select = 0, loop = 0;
  std::size_t found = 0, overlapping = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    overlapping = boxLoop(f, x0, y0, x1, y1);
    benchmark::DoNotOptimize(overlapping);
    loop += std::chrono::duration<double>(Clock::now() - t).count();
    t = Clock::now();
    auto ids = studio::objectsInRect(f.scene, f.camera, f.size, x0, y0, x1, y1, om::kMaskMesh);
    double s = std::chrono::duration<double>(Clock::now() - t).count();
    select += s;
    found = ids.size();
    state.SetIterationTime(s);
  }
  state.counters["objects_inside"] = static_cast<double>(found);
  state.counters["boxes_overlapping"] = static_cast<double>(overlapping);
  state.counters["vs_box_loop"] = select / loop;
  state.counters["box_loop_us"] = loop / static_cast<double>(state.iterations()) * 1e6;
}
BENCHMARK(BM_SelectInRect)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
