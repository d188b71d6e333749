// Component selection on scan-sized meshes (1M and 16M vertices, an 800 x 600 view), each
// against a plain loop that only projects the same vertices, timed in the same iteration: box
// and lasso selection of vertices and faces, the depth image "visible only" reads, the brush's
// grid build and its steps. Every fast path is checked against the plain reference first.
//
// [SECTION] fixtures
// [SECTION] box and lasso
// [SECTION] depth image
// [SECTION] brush
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <random>

#include <time.h>

#include "bench/scan_fixture.h"
#include "bench/smoke.h"
#include "studio/render/brush_grid.h"
#include "studio/render/face_owners.h"
#include "studio/render/component_selection.h"
#include "studio/render/renderer.h"
#include "studio/render/seen_memo.h"
#include "tests/studio/lasso_rows.h"

namespace {

using namespace tessel;
using namespace tessel::studio;
// This thread's CPU time: the machines these run on are shared, and a wall clock would also time
// whatever else ran meanwhile. The depth image alone is timed on the wall: Mesa renders it on
// threads of its own.
struct Clock {
  using time_point = double;
  static double now() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  }
};
using WallClock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return Clock::now() - since; }
double wallSeconds(WallClock::time_point since) {
  return std::chrono::duration<double>(WallClock::now() - since).count();
}

// [SECTION] fixtures

constexpr ViewSize kView{800, 600};
// The unit of the "Mverts" argument (a hundredth of it in the smoke run).
const std::uint32_t kMillion = bench::sized(1'000'000u, 10'000u);

// A scan of `vertices` vertices (a noisy height field, two triangles a grid square) seen from an
// angle, with its surface depth image; only what selection reads is built (no edge table).
struct Scan {
  Scene scene;
  Entity* entity = nullptr;
  ViewPlace place;
  DepthImage depth;
  std::unique_ptr<VisibleDepth> visible;
  double depthSeconds = 0;  // render and read back once
  std::unique_ptr<ComponentSelection> select;

  explicit Scan(std::uint32_t vertices) {
    entity = &scene.add(bench::scanEntity(2 * vertices));
    place.camera = standardCamera(ViewKind::Perspective);
    frameBox(place.camera, scene.bounds(), kView.width, kView.height);
    place.size = kView;
    std::string error;
    auto context = OffscreenContext::create(kView.width, kView.height, &error);
    if (!context) throw std::runtime_error(error);
    Renderer renderer(*context);
    const auto t = WallClock::now();
    depth = renderer.surfaceDepth(scene, place.camera, {0, 0, kView.width, kView.height});
    visible = std::make_unique<VisibleDepth>(depth);
    depthSeconds = wallSeconds(t);
    // The selection reads the depth image rendered above: its cache is filled once.
    select = std::make_unique<ComponentSelection>(
        scene, [this](const ViewPlace&) { return depth; });
  }
  const Mesh& mesh() const { return *entity->mesh; }
  ScreenProjector projector() const { return {place.camera, kView.width, kView.height}; }
};

Scan& scan(std::uint32_t vertices) {
  static std::map<std::uint32_t, std::unique_ptr<Scan>> scans;
  auto& s = scans[vertices];
  if (!s) s = std::make_unique<Scan>(vertices);
  return *s;
}

// The floor: every vertex projected into the view, nothing else.
double projectionPass(const Mesh& m, const ScreenProjector& project) {
  const auto t = Clock::now();
  float sum = 0;
  const float* p = m.positions.data();
  for (std::uint32_t v = 0, n = m.vertexCount(); v < n; ++v) {
    const ScreenVertex s = project(p + 3 * std::size_t{v});
    sum += s.x + s.y;
  }
  benchmark::DoNotOptimize(sum);
  return seconds(t);
}

// The same projection four lanes at a time (what the fast paths run), a buffer of 256 at a time.
double lanesPass(const Mesh& m, const ScreenProjector& project) {
  const auto t = Clock::now();
  ScreenVertex run[256];
  float sum = 0;
  for (std::uint32_t first = 0, n = m.vertexCount(); first < n; first += 256) {
    const std::uint32_t count = std::min(256u, n - first);
    project.run(&m.positions[3 * std::size_t{first}], count, run);
    sum += run[0].x + run[count - 1].y;
  }
  benchmark::DoNotOptimize(sum);
  return seconds(t);
}

// Every face placed at the centre of its corners, the vertices projected four lanes at a time
// into one array first: the least a grid of faces must do before it sorts one.
double facePlacesPass(const Mesh& m, const ScreenProjector& project) {
  const auto t = Clock::now();
  std::vector<ScreenVertex> screen(m.vertexCount());
  for (std::uint32_t first = 0, n = m.vertexCount(); first < n; first += 256)
    project.run(&m.positions[3 * std::size_t{first}], std::min(256u, n - first), &screen[first]);
  float sum = 0;
  const std::uint32_t* corner = m.faces.data();
  for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, corner += 3) {
    const ScreenVertex c = centrePlace(screen[corner[0]], screen[corner[1]], screen[corner[2]]);
    sum += c.x + c.y;
  }
  benchmark::DoNotOptimize(sum);
  return seconds(t);
}

// A closed outline over the view's middle as a hand draws one: a smooth wavy loop traced with a
// pixel of tremor, one point a mouse move, in whole pixels as the lasso tool clamps them.
std::vector<float> outline(int points) {
  std::mt19937 rng(static_cast<unsigned>(points));
  std::uniform_real_distribution<float> tremor(-0.5f, 0.5f);
  std::vector<float> out;
  for (int i = 0; i < points; ++i) {
    const float a = 6.2831853f * static_cast<float>(i) / static_cast<float>(points);
    const float r = 0.85f + 0.08f * std::sin(3 * a + 0.4f) + 0.05f * std::cos(7 * a);
    out.push_back(std::round(400 + 330 * r * std::cos(a) + tremor(rng)));
    out.push_back(std::round(300 + 250 * r * std::sin(a) + tremor(rng)));
  }
  return out;
}

std::vector<std::uint32_t> selected(const std::vector<std::uint8_t>& flags) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t i = 0; i < flags.size(); ++i)
    if (flags[i] & kSelected) out.push_back(i);
  return out;
}

ComponentKind kindOf(std::uint32_t mask) {
  return mask == om::kMaskVertices ? ComponentKind::Vertices : ComponentKind::Faces;
}

// [SECTION] box and lasso

// Args: vertices (millions), component mask, visible only, lasso points (0: a box).
void BM_RegionSelect(benchmark::State& state) {
  Scan& s = scan(static_cast<std::uint32_t>(state.range(0)) * kMillion);
  const auto mask = static_cast<std::uint32_t>(state.range(1));
  const bool seen = state.range(2) != 0;
  const int points = static_cast<int>(state.range(3));
  s.select->componentMask = mask;
  const SelectMode mode{false, true, !seen};
  const RectRegion box{100, 80, 700, 520};
  const std::vector<float> lasso = outline(std::max(points, 3));
  const test::RowTable table = test::lassoRows(lasso, kView.height);
  auto run = [&] {
    if (points == 0) s.select->inRect(s.place, box, mode);
    else s.select->inLasso(s.place, LassoRegion(table.edges, table.rowStart), mode);
  };
  // The fast path's result against the plain reference, once per configuration. The plain
  // lasso on the 16M scan (2.6e11 edge tests at 2,000 points) is left to the 1M one.
  run();
  const Mesh& m = s.mesh();
  const auto& flags = mask == om::kMaskVertices ? m.vertexFlags : m.faceFlags;
  const std::vector<std::uint32_t> fast = selected(flags);
  bool checked = points == 0 || state.range(0) == 1;
  bool same = true;
  if (checked) {
    const DepthImage* depth = seen ? &s.depth : nullptr;
    same = points == 0 ? fast == componentsInRect(m, kindOf(mask), s.place.camera, kView, box.x0,
                                                  box.y0, box.x1, box.y1, depth)
                       : fast == componentsInPolygon(m, kindOf(mask), s.place.camera, kView,
                                                     test::asDoubles(lasso), depth);
    if (!same) state.SkipWithError("the fast path and the plain reference differ");
  }
  double method = 0, floor = 0, lanes = 0;
  for (auto _ : state) {
    floor += projectionPass(m, s.projector());
    lanes += lanesPass(m, s.projector());
    const auto t = Clock::now();
    run();
    const double took = seconds(t);
    method += took;
    state.SetIterationTime(took);
  }
  state.counters["selected"] = static_cast<double>(fast.size());
  state.counters["vs_projection"] = method / floor;
  state.counters["vs_lanes"] = method / lanes;
  state.counters["projection_ms"] = floor / static_cast<double>(state.iterations()) * 1e3;
  state.counters["checked_identical"] = checked && same ? 1 : 0;
}

// [SECTION] depth image

// The "visible only" read, once per view and camera: the surfaces drawn into a depth buffer and
// read back (Mesa's software rasteriser here), widened for one-read tests, and then the depth
// test of every vertex or every face on the view, whose answers the requests read (timed apart,
// on this thread, against the projection floor).
void BM_DepthImage(benchmark::State& state) {
  Scan& s = scan(static_cast<std::uint32_t>(state.range(0)) * kMillion);
  std::string error;
  auto context = OffscreenContext::create(kView.width, kView.height, &error);
  Renderer renderer(*context);
  const ChunkBoxes vertexRuns(s.mesh(), ComponentTarget::Vertices);
  const ChunkBoxes faceRuns(s.mesh(), ComponentTarget::Faces);
  double floor = 0, vertices = 0, faces = 0;
  for (auto _ : state) {
    floor += projectionPass(s.mesh(), s.projector());
    const auto t = WallClock::now();
    DepthImage image = renderer.surfaceDepth(s.scene, s.place.camera, {0, 0, 800, 600});
    VisibleDepth widened(image);
    benchmark::DoNotOptimize(widened);
    state.SetIterationTime(wallSeconds(t));
    for (auto [runs, took] : {std::pair{&vertexRuns, &vertices}, std::pair{&faceRuns, &faces}}) {
      const ComponentTarget target = runs == &vertexRuns ? ComponentTarget::Vertices
                                                         : ComponentTarget::Faces;
      const auto tested = Clock::now();
      SeenMemo memo(target, componentCount(s.mesh(), target));
      learnSeen(s.mesh(), target, s.projector(), widened, *runs, memo);
      *took += seconds(tested);
      benchmark::DoNotOptimize(memo);
    }
  }
  const auto perIteration = static_cast<double>(state.iterations());
  state.counters["projection_ms"] = floor / perIteration * 1e3;
  state.counters["test_vertices_ms"] = vertices / perIteration * 1e3;
  state.counters["test_faces_ms"] = faces / perIteration * 1e3;
  state.counters["test_vertices_vs_projection"] = vertices / floor;
  state.counters["test_faces_vs_projection"] = faces / floor;
  state.counters["bytes_per_vertex"] =
      2.0 * 800 * 600 * 4 / static_cast<double>(s.mesh().vertexCount());
}

// [SECTION] brush

// The grid build against one projection pass, "visible only" with the view's depth test answered
// (as it is once per image). Args: vertices (millions), component mask.
void BM_BrushBuild(benchmark::State& state) {
  Scan& s = scan(static_cast<std::uint32_t>(state.range(0)) * kMillion);
  const ComponentTarget target = state.range(1) == om::kMaskVertices ? ComponentTarget::Vertices
                                                                     : ComponentTarget::Faces;
  // The depth test's answers, as the view's depth image brings them.
  SeenMemo memo(target, componentCount(s.mesh(), target));
  learnSeen(s.mesh(), target, s.projector(), *s.visible, ChunkBoxes(s.mesh(), target), memo);
  // The faces' owners, kept once per mesh state as the boxes are; what making them costs.
  double ownersTook = 0, ownersFloor = 0;
  std::unique_ptr<FaceOwners> owners;
  if (target == ComponentTarget::Faces) {
    ownersFloor = projectionPass(s.mesh(), s.projector());
    const auto t = Clock::now();
    owners = std::make_unique<FaceOwners>(s.mesh());
    ownersTook = seconds(t);
  }
  BrushGrid grid, plain;
  double method = 0, floor = 0, places = 0, plainTook = 0;
  for (auto _ : state) {
    floor += projectionPass(s.mesh(), s.projector());
    if (target == ComponentTarget::Faces) {
      places += facePlacesPass(s.mesh(), s.projector());
      // The grid that places every face, for comparison.
      const auto t = Clock::now();
      plain.build(s.mesh(), target, s.projector(), s.visible.get(), &memo);
      plainTook += seconds(t);
    }
    const auto t = Clock::now();
    grid.build(s.mesh(), target, s.projector(), s.visible.get(), &memo, owners.get());
    const double took = seconds(t);
    method += took;
    state.SetIterationTime(took);
  }
  state.counters["vs_projection"] = method / floor;
  // What placing the faces alone costs, which any grid of faces pays before sorting a face.
  if (target == ComponentTarget::Faces) {
    state.counters["face_places_vs_projection"] = places / floor;
    state.counters["placing_grid_vs_projection"] = plainTook / floor;
    state.counters["owners_once_vs_projection"] = ownersTook / ownersFloor;
    state.counters["owners_bytes_per_vertex"] =
        static_cast<double>(owners->memoryBytes()) / s.mesh().vertexCount();
    state.counters["unowned_faces"] = static_cast<double>(owners->unowned());
    state.counters["reach_pixels"] = grid.reach();
  }
  state.counters["grid_bytes_per_vertex"] =
      static_cast<double>(grid.memoryBytes()) / s.mesh().vertexCount();
  state.counters["in_grid"] = static_cast<double>(grid.size());
}

// One brush step, the grid built. Args: vertices (millions), component mask, brush radius.
void BM_BrushStep(benchmark::State& state) {
  Scan& s = scan(static_cast<std::uint32_t>(state.range(0)) * kMillion);
  s.select->componentMask = static_cast<std::uint32_t>(state.range(1));
  const double radius = static_cast<double>(state.range(2));
  const ComponentKind kind = kindOf(s.select->componentMask);
  s.select->inRect(s.place, {0, 0, 0, 0}, {});  // nothing selected
  s.select->beginPaint(s.place, false);
  // A stroke across the view; each step checked against the plain circle once.
  std::vector<std::pair<double, double>> steps;
  for (int i = 0; i < 64; ++i) steps.push_back({120 + i * 9.0, 300 + 120 * std::sin(i * 0.2)});
  bool same = true;
  std::size_t found = 0;
  for (const auto& [x, y] : steps) {
    s.select->inRect(s.place, {0, 0, 0, 0}, {});
    s.select->endStroke();  // each step alone, to compare with one circle
    found += s.select->paint(s.place, x, y, radius, {true, true, false});
    const Mesh& m = s.mesh();
    same = same && selected(kind == ComponentKind::Vertices ? m.vertexFlags : m.faceFlags) ==
                       componentsInCircle(m, kind, s.place.camera, kView, x, y, radius, &s.depth);
  }
  if (!same) state.SkipWithError("brush steps and the plain circle differ");
  // Timed as a user paints: one stroke along the steps (9 pixels apart, each sweeping the way
  // from the last), a new one at each pass.
  std::size_t i = 0;
  for (auto _ : state) {
    if (i % steps.size() == 0) s.select->endStroke();
    const auto& [x, y] = steps[i++ % steps.size()];
    const auto t = Clock::now();
    s.select->paint(s.place, x, y, radius, {true, i % 2 == 0, false});
    state.SetIterationTime(seconds(t));
  }
  state.counters["per_step_found"] = static_cast<double>(found) / static_cast<double>(steps.size());
  state.counters["grid_builds"] = static_cast<double>(s.select->brushBuilds());
  state.counters["kept_bytes_per_vertex"] =
      static_cast<double>(s.select->memoryBytes()) / s.mesh().vertexCount();
  state.counters["checked_identical"] = same ? 1 : 0;
}

constexpr std::int64_t kV = om::kMaskVertices, kF = om::kMaskFaces;

BENCHMARK(BM_DepthImage)->Args({1})->Args({16})->UseManualTime()->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(3));
BENCHMARK(BM_RegionSelect)
    ->ArgNames({"Mverts", "mask", "visible", "lasso"})
    ->ArgsProduct({{1, 16}, {kV, kF}, {0, 1}, {0, 200, 2000}})
    ->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::sized(0.5, 0.01));
BENCHMARK(BM_BrushBuild)->ArgNames({"Mverts", "mask"})->ArgsProduct({{1}, {kV, kF}})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrushStep)->ArgNames({"Mverts", "mask", "radius"})
    ->ArgsProduct({{1}, {kV, kF}, {10, 50}})->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
