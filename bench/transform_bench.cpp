// Placements on scan-sized meshes (a generated scan-like height field of 1k and 10M vertices):
//
// - the panels' Apply of a rotate, a translate and a scale through the loaded module, at 1k and
//   10M vertices: the command changes the placement, never the vertices, so its time must not
//   grow with the mesh. Timed: the button's edit as the window hands it to the panel, the
//   command, its notices and the views marked; not timed: the frame that follows, drawn once
//   after the loop and reported beside a frame of the same view with nothing changed;
// - world positions after a rotate plus translate against a plain loop multiplying the same
//   array by the same matrix;
// - component selection (a box over the view, vertices and faces) and picking (the face under
//   the pixel) on the placed mesh against the same mesh unplaced, seen by a camera the
//   placement carries along, so both see the same picture; each pair timed in one iteration;
// - memory: bytes allocated while a command runs and while a placed mesh is selected.
//
// [SECTION] fixtures
// [SECTION] panel apply
// [SECTION] world positions
// [SECTION] selection and picking
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>

#include "bench/memory_counter.h"
#include "bench/scan_fixture.h"
#include "bench/smoke.h"
#include "bench/stopwatch.h"
#include "bench/studio_fixture.h"
#include "studio/host/studio_host.h"
#include "studio/render/component_selection.h"
#include "studio/render/picking.h"

namespace {

using namespace tessel;
using namespace tessel::studio;
using bench::Clock;
using bench::seconds;

// [SECTION] fixtures

constexpr ViewSize kView{800, 600};
// The scans' vertex counts: a small one, and a scan-sized one (small in the smoke run).
const std::uint32_t kSmall = 1'000, kLarge = bench::sized(10'000'000u, 20'000u);

// 30 degrees about a tilted axis, then a shift: a placement no shortcut can skip.
Placement::Matrix turnAndShift() {
  const auto q = transform::axisAngle({1, 2, 0.5}, 30 * 3.14159265358979323846 / 180);
  return transform::multiply(transform::placementRotation(*q),
                             transform::placementTranslation({3, -1, 0.5}));
}

// A scan of `vertices` vertices (twice as many triangles).
std::unique_ptr<Entity> scanEntity(std::uint32_t vertices) {
  return bench::scanEntity(2 * vertices);
}

// A camera moved by a rigid placement: it sees the placed mesh as `c` sees the unplaced one.
Camera carried(const Camera& c, const Placement& p) {
  Camera out = c;
  out.eye = p.place(c.eye);
  out.target = p.place(c.target);
  out.up = p.placeVector(c.up);
  return out;
}

// [SECTION] panel apply

// Studio with the module loaded (once: a process holds one module) and two scans of 1k and 10M
// vertices; the transform panels are opened once, the scan under test is the only one shown and
// the selection.
struct Studio : bench::LoadedStudio {
  std::map<std::uint32_t, Entity*> scans;
  Studio() : LoadedStudio(200, 150) {
    for (std::uint32_t n : {kSmall, kLarge}) scans[n] = &host->scene().add(scanEntity(n));
    // A panel's attributes are enabled once its tool is active.
    run("coordsys \"Ref\" 0.5 0.5 0 0 0 0.25881904510252076 0.96592582628906829\n"
        "mode object\nfilter object \"Mesh\"\ncommand \"Select All\"\n"
        "tool \"Base Rotate\"\n"
        "panel 33836\nset \"Base Rotate\" \"Ref Coord System\" \"Ref\"\n"
        "set \"Base Rotate\" \"Selection Type\" \"Object Only\"\n"
        "set \"Base Rotate\" \"Axis\" \"Z\"\nset \"Base Rotate\" \"Angle (Deg)\" 30\n"
        "tool \"Base Translate\"\n"
        "panel 33837\nset \"Base Translate\" \"Ref Coord System\" \"Ref\"\n"
        "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
        "set \"Base Translate\" \"Selection Type\" \"Object Only\"\n"
        "set \"Base Translate\" \"X\" 0.0001\n"
        "tool \"Base Scale\"\n"
        "panel 33838\nset \"Scale\" \"Ref Coord System\" \"Ref\"\n"
        "set \"Scale\" \"Type\" \"Nonuniform\"\nset \"Scale\" \"X\" 1.0001\n");
  }
  // Shows and selects the scan of `vertices` alone, unplaced, drawn once, so the view is up to
  // date. Small steps keep it in view over the iterations, so the frames are alike.
  Entity& choose(std::uint32_t vertices) {
    Entity& chosen = *scans.at(vertices);
    for (auto& [n, e] : scans) e->visible = e == &chosen;
    chosen.placement.reset();
    chosen.placementChanged();
    host->scene().setSelection({chosen.id});
    host->drawView(0);
    return chosen;
  }
};

Studio& studio() {
  static Studio s;
  return s;
}

// Args: vertices, which panel (0 rotate, 1 translate, 2 scale).
void BM_PanelApply(benchmark::State& state) {
  Studio& s = studio();
  Entity& scan = s.choose(static_cast<std::uint32_t>(state.range(0)));
  static const char* const kTitle[] = {"Base Rotate", "Base Translate", "Scale"};
  static const char* const kTool[] = {"Base Rotate", "Base Translate", "Base Scale"};
  static const char* const kPanel[] = {"33836", "33837", "33838"};
  // Its tool active and its panel shown, as a user has them when pressing Apply.
  s.run(std::string("tool \"") + kTool[state.range(1)] + "\"\npanel " + kPanel[state.range(1)] +
        "\n");
  platform::omPropertyObj* panel = s.host->panels().findPanel(kTitle[state.range(1)]);
  if (!panel) return state.SkipWithError("the panel was not shown");
  const std::uint64_t revision = scan.placement.revision();
  const std::size_t before = bench::MemoryCounter::reset();
  for (auto _ : state) {
    const std::string error = s.host->panels().edit(*panel, "Apply", "1");
    if (!error.empty()) return state.SkipWithError(error.c_str());
  }
  if (scan.placement.revision() == revision) state.SkipWithError("the placement did not change");
  state.counters["vertices"] = static_cast<double>(scan.mesh->vertexCount());
  state.counters["bytes_held_after"] =
      static_cast<double>(bench::MemoryCounter::current.load()) - static_cast<double>(before);
  // The frame a user sees after the last Apply, then the same view drawn again unchanged: what
  // the Applies left for drawing to do is their difference. Then the tight world box (every
  // vertex placed), which View All or a Reset would ask for: a whole pass here shows that the
  // frames did not make it.
  auto t = Clock::now();
  s.host->drawPending();
  state.counters["next_frame_ms"] = 1e3 * seconds(t);
  t = Clock::now();
  s.host->drawView(0);
  state.counters["unchanged_frame_ms"] = 1e3 * seconds(t);
  t = Clock::now();
  benchmark::DoNotOptimize(scan.bounds());
  state.counters["world_box_ms"] = 1e3 * seconds(t);
}
BENCHMARK(BM_PanelApply)
    ->ArgsProduct({{kSmall, kLarge}, {0, 1, 2}})
    ->ArgNames({"vertices", "panel"})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(bench::iterations(2000));

// [SECTION] world positions

Mesh& bigMesh() {
  static std::unique_ptr<Entity> e = scanEntity(kLarge);
  return *e->mesh;
}

// The baseline: the same float array times the same matrix, the obvious loop.
void plainLoop(const Placement::Matrix& m, const std::vector<float>& in, std::vector<float>& out) {
  const std::size_t n = in.size() / 3;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = in[3 * i], y = in[3 * i + 1], z = in[3 * i + 2];
    for (int c = 0; c < 3; ++c)
      out[3 * i + c] = static_cast<float>(x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c]);
  }
}

void BM_WorldPositions(benchmark::State& state) {
  const Mesh& m = bigMesh();
  Placement placement;
  placement.set(turnAndShift());
  std::vector<float> scratch(m.positions.size()), plain(m.positions.size());
  double placedSeconds = 0, plainSeconds = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    const float* w = worldPositions(placement, m.positions.data(), m.vertexCount(), scratch);
    benchmark::DoNotOptimize(w);
    placedSeconds += seconds(t);
    t = Clock::now();
    plainLoop(placement.forward(), m.positions, plain);
    benchmark::DoNotOptimize(plain.data());
    plainSeconds += seconds(t);
  }
  const float* w = worldPositions(placement, m.positions.data(), m.vertexCount(), scratch);
  for (std::size_t i = 0; i < plain.size(); i += 9973)
    if (std::fabs(w[i] - plain[i]) > 1e-5f * (1 + std::fabs(plain[i])))
      state.SkipWithError("world positions differ from the plain loop");
  std::vector<float> none;
  if (worldPositions(Placement{}, m.positions.data(), m.vertexCount(), none) != m.positions.data())
    state.SkipWithError("the identity copied the positions");
  state.counters["vertices"] = static_cast<double>(m.vertexCount());
  state.counters["placed_ms"] = 1e3 * placedSeconds / static_cast<double>(state.iterations());
  state.counters["plain_loop_ms"] = 1e3 * plainSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = placedSeconds / plainSeconds;
}
BENCHMARK(BM_WorldPositions)->Unit(benchmark::kMillisecond)->Iterations(bench::iterations(10));

// [SECTION] selection and picking

// The scan in a scene with a view framing it; the selection goes through surfaces (no depth
// image, so no rendering): what differs between the two runs is the placement alone.
struct SelectScene {
  Scene scene;
  Entity* entity;
  ViewPlace plain, placed;
  ComponentSelection select{scene, [](const ViewPlace&) { return DepthImage{}; }};
  SelectScene() : entity(&scene.add(scanEntity(kLarge))) {
    plain.camera = standardCamera(ViewKind::Perspective);
    frameBox(plain.camera, scene.bounds(), kView.width, kView.height);
    plain.size = placed.size = kView;
    Placement p;
    p.set(turnAndShift());
    placed.camera = carried(plain.camera, p);
  }
  void setPlaced(bool on) {
    entity->placement.set(on ? turnAndShift() : transform::identity());
    entity->placementChanged();
  }
  std::size_t selectedCount(const std::vector<std::uint8_t>& flags) const {
    std::size_t n = 0;
    for (std::uint8_t f : flags) n += (f & kSelected) != 0;
    return n;
  }
};

SelectScene& selectScene() {
  static SelectScene s;
  return s;
}

// Args: component mask (1 vertices, 2 faces).
void BM_BoxSelectPlaced(benchmark::State& state) {
  SelectScene& s = selectScene();
  s.select.componentMask = static_cast<std::uint32_t>(state.range(0));
  const SelectMode through{false, true, true};
  const RectRegion box{100, 80, 700, 520};
  const auto& flags = state.range(0) == om::kMaskVertices ? s.entity->mesh->vertexFlags
                                                          : s.entity->mesh->faceFlags;
  double plainSeconds = 0, placedSeconds = 0;
  std::size_t plainCount = 0, placedCount = 0, bytes = 0;
  for (auto _ : state) {
    s.setPlaced(false);
    auto t = Clock::now();
    s.select.inRect(s.plain, box, through);
    plainSeconds += seconds(t);
    plainCount = s.selectedCount(flags);
    s.setPlaced(true);
    const std::size_t held = bench::MemoryCounter::reset();
    t = Clock::now();
    s.select.inRect(s.placed, box, through);
    placedSeconds += seconds(t);
    bytes = bench::MemoryCounter::peak.load() - held;
    placedCount = s.selectedCount(flags);
  }
  // Rounding of the placed projection may move a component on the box's very edge.
  const double diff = std::fabs(static_cast<double>(placedCount) - static_cast<double>(plainCount));
  if (plainCount == 0 || diff > 1e-4 * static_cast<double>(plainCount))
    state.SkipWithError("the placed mesh selected other components");
  state.counters["selected"] = static_cast<double>(placedCount);
  state.counters["plain_ms"] = 1e3 * plainSeconds / static_cast<double>(state.iterations());
  state.counters["placed_ms"] = 1e3 * placedSeconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = placedSeconds / plainSeconds;
  state.counters["peak_bytes_per_vertex"] =
      static_cast<double>(bytes) / s.entity->mesh->vertexCount();
}
BENCHMARK(BM_BoxSelectPlaced)
    ->Arg(om::kMaskVertices)
    ->Arg(om::kMaskFaces)
    ->ArgName("mask")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(5));

void BM_PickPlaced(benchmark::State& state) {
  SelectScene& s = selectScene();
  const double pixels[][2] = {{400, 300}, {250, 200}, {550, 420}, {320, 380}};
  double plainSeconds = 0, placedSeconds = 0;
  int same = 0, hits = 0;
  for (auto _ : state) {
    for (const auto& px : pixels) {
      s.setPlaced(false);
      auto t = Clock::now();
      double d0 = 0, d1 = 0;
      const std::uint32_t a =
          pickFace(*s.entity->mesh, s.plain.camera, kView, px[0], px[1], &d0, &s.entity->placement);
      plainSeconds += seconds(t);
      s.setPlaced(true);
      t = Clock::now();
      const std::uint32_t b = pickFace(*s.entity->mesh, s.placed.camera, kView, px[0], px[1], &d1,
                                       &s.entity->placement);
      placedSeconds += seconds(t);
      same += a == b;
      hits += a != kNoFace;
    }
  }
  if (hits == 0 || same != 4 * static_cast<int>(state.iterations()))
    state.SkipWithError("the placed mesh picked other faces");
  state.counters["plain_ms"] = 1e3 * plainSeconds / (4.0 * static_cast<double>(state.iterations()));
  state.counters["placed_ms"] =
      1e3 * placedSeconds / (4.0 * static_cast<double>(state.iterations()));
  state.counters["ratio"] = placedSeconds / plainSeconds;
}
BENCHMARK(BM_PickPlaced)->Unit(benchmark::kMillisecond)->Iterations(bench::iterations(3));

}  // namespace

BENCHMARK_MAIN();
