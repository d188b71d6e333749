// Loading a 4-million-triangle binary PLY: reading its bytes, parsing it into Studio's arrays,
// and building the adjacency, each measured on its own and as a whole, five times over with the
// range reported; and the same file through assimp, the other well-kept reader we could have
// used. Each load is paired with a plain read of the same file in the same iteration. Last, a
// million-triangle grid against a fan of as many triangles around one vertex.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string>
#include <fstream>
#include <vector>

#include "bench/memory_counter.h"
#include "bench/scan_fixture.h"
#include "bench/stopwatch.h"
#include "bench/smoke.h"
#include "studio/scene/mesh_file_check.h"

namespace {

using namespace tessel;
using bench::Clock;
using bench::seconds;

const std::uint32_t kTriangles = bench::sized(4'000'000u, 20'000u);

const int kRuns = static_cast<int>(bench::iterations(5));

// The fixture file, keyed by every parameter of the surface that made it.
std::filesystem::path scanFile() { return bench::scanFile(bench::noisySurface(kTriangles)); }

// The floor: every loader has to get these bytes off the disk (or the page cache).
double plainRead(const std::filesystem::path& file) {
  auto t = Clock::now();
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes(std::filesystem::file_size(file));
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  benchmark::DoNotOptimize(bytes.data());
  return seconds(t);
}

// The fastest and slowest of several runs: on a shared machine one figure says little.
struct Range {
  double lo = HUGE_VAL, hi = 0;
  void add(double v) { lo = std::min(lo, v), hi = std::max(hi, v); }
  void report(benchmark::State& state, const std::string& name, double scale) const {
    state.counters[name + "_min"] = lo * scale;
    state.counters[name + "_max"] = hi * scale;
  }
};

void BM_PlainRead(benchmark::State& state) {
  auto file = scanFile();
  Range range;
  for (auto _ : state) {
    const double s = plainRead(file);
    range.add(s);
    state.SetIterationTime(s);
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
  range.report(state, "ms", 1e3);
}
BENCHMARK(BM_PlainRead)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

// What one load handed back.
struct Loaded {
  std::size_t faces = 0, vertices = 0, heldBytes = 0;
  const char* error = nullptr;
};

// Times `load` against a plain read of the same file in each iteration, and records the peak
// memory the load needed above what was held before it.
template <class Load>
void measureLoad(benchmark::State& state, Load load) {
  auto file = scanFile();
  Range times, ratios;
  std::size_t peak = 0;
  Loaded last;
  for (auto _ : state) {
    const double reading = plainRead(file);
    std::size_t base = bench::MemoryCounter::reset();
    auto t = Clock::now();
    last = load(file);
    double s = seconds(t);
    if (last.error) state.SkipWithError(last.error);
    times.add(s);
    ratios.add(s / reading);
    peak = bench::MemoryCounter::peak - base;
    state.SetIterationTime(s);
  }
  const double faces = static_cast<double>(std::max<std::size_t>(last.faces, 1));
  state.counters["triangles"] = static_cast<double>(last.faces);
  // The file shares each vertex among about six triangles; a reader that unshares them hands
  // back three vertices a triangle.
  state.counters["vertices"] = static_cast<double>(last.vertices);
  times.report(state, "ms", 1e3);
  ratios.report(state, "vs_plain_read", 1);
  state.counters["peak_B_per_tri"] = static_cast<double>(peak) / faces;
  if (last.heldBytes) state.counters["held_B_per_tri"] = static_cast<double>(last.heldBytes) / faces;
}

// The parse alone: OpenMesh's reader into Studio's flat arrays, with the checks, no adjacency.
void BM_ParseScan(benchmark::State& state) {
  measureLoad(state, [](const std::filesystem::path& file) {
    studio::LoadedFile f = studio::readMeshFile(file);
    Loaded out{f.mesh.faceCount(), f.mesh.vertexCount(), f.mesh.memoryBytes(), nullptr};
    if (!f.error.empty()) out.error = "the scan did not parse";
    return out;
  });
}
BENCHMARK(BM_ParseScan)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

// The CPU time of the calling thread: the parse is single-threaded, and on a shared machine its
// wall time mostly measures the other processes.
double threadSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// What the checks on the file's bytes cost: in each iteration the same file is parsed by
// OpenMesh's reader as it was before the checks (handed the file directly) and as Studio now
// parses it (checked before and after), in alternating order so neither always finds the page
// cache warmer. The iteration time is the checked parse; the ratios are the figures to go by.
void BM_ParseScanWithoutChecksVsWithChecks(benchmark::State& state) {
  auto file = scanFile();
  Range ratios, cpuRatios;
  double wall[2] = {}, cpu[2] = {};  // summed over the iterations: [without, with]
  bool uncheckedFirst = true;
  for (auto _ : state) {
    double w[2] = {}, c[2] = {};
    std::size_t faces[2] = {};
    for (int k = 0; k < 2; ++k) {
      const int checks = (k == 0) != uncheckedFirst;
      const double cpuStart = threadSeconds();
      auto t = Clock::now();
      studio::LoadedFile f = checks ? studio::readMeshFile(file)
                                    : studio::readMeshFileUncheckedForBenchmark(file);
      w[checks] = seconds(t);
      c[checks] = threadSeconds() - cpuStart;
      faces[checks] = f.error.empty() ? f.mesh.faceCount() : 0;
    }
    if (faces[0] == 0 || faces[0] != faces[1]) state.SkipWithError("the two parses differ");
    uncheckedFirst = !uncheckedFirst;
    ratios.add(w[1] / w[0]), cpuRatios.add(c[1] / c[0]);
    for (int i : {0, 1}) wall[i] += w[i], cpu[i] += c[i];
    state.SetIterationTime(w[1]);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["without_ms"] = wall[0] / n * 1e3;
  state.counters["with_ms"] = wall[1] / n * 1e3;
  state.counters["without_cpu_ms"] = cpu[0] / n * 1e3;
  state.counters["with_cpu_ms"] = cpu[1] / n * 1e3;
  ratios.report(state, "with_vs_without", 1);
  cpuRatios.report(state, "with_vs_without_cpu", 1);
  state.counters["with_vs_without_total"] = wall[1] / wall[0];
  state.counters["with_vs_without_cpu_total"] = cpu[1] / cpu[0];
  // The checks on their own, over the bytes already in memory: what every load pays, and what a
  // load that comes up short pays once more to find the message (the body walked throughout).
  std::ifstream in(file, std::ios::binary);
  std::string bytes(std::filesystem::file_size(file), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (const bool thorough : {false, true}) {
    auto t = Clock::now();
    const std::string problem = studio::checkMeshFile(bytes, ".ply", thorough);
    const double s = seconds(t);
    if (!problem.empty()) state.SkipWithError("the checks refused the scan");
    state.counters[thorough ? "checks_walking_body_ms" : "checks_ms"] = s * 1e3;
  }
}
BENCHMARK(BM_ParseScanWithoutChecksVsWithChecks)
    ->UseManualTime()
    ->Iterations(2 * kRuns)
    ->Unit(benchmark::kMillisecond);

void BM_LoadScanAndBuildTopology(benchmark::State& state) {
  measureLoad(state, [](const std::filesystem::path& file) {
    studio::LoadedFile f = studio::loadMeshFile(file);
    f.mesh.edges();  // built on first use since; what a load built before
    Loaded out{f.mesh.faceCount(), f.mesh.vertexCount(), f.mesh.memoryBytes(), nullptr};
    if (!f.error.empty()) out.error = "the scan did not load";
    return out;
  });
}
BENCHMARK(BM_LoadScanAndBuildTopology)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

void BM_AssimpReadsTheSameScan(benchmark::State& state) {
  measureLoad(state, [](const std::filesystem::path& file) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), 0);
    if (!scene || scene->mNumMeshes == 0) return Loaded{0, 0, 0, "assimp could not read the scan"};
    return Loaded{scene->mMeshes[0]->mNumFaces, scene->mMeshes[0]->mNumVertices, 0, nullptr};
  });
}
BENCHMARK(BM_AssimpReadsTheSameScan)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

// The adjacency and edge table alone, from arrays already in memory.
void BM_BuildTopologyOnly(benchmark::State& state) {
  studio::Mesh grid = bench::noisyGrid(kTriangles);
  Range times;
  for (auto _ : state) {
    studio::Mesh m;
    m.positions = grid.positions;
    m.faces = grid.faces;
    auto t = Clock::now();
    studio::buildTopology(m);
    benchmark::DoNotOptimize(m.edges().data());
    const double s = seconds(t);
    times.add(s);
    state.SetIterationTime(s);
  }
  times.report(state, "ms", 1e3);
}
BENCHMARK(BM_BuildTopologyOnly)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

// One vertex of every triangle's: a fan of `triangles` around a centre, the valence a scan never
// has but a polygon of a million corners, split into a fan, does.
studio::Mesh fan(std::uint32_t triangles) {
  studio::Mesh m;
  m.positions = {0, 0, 0};
  for (std::uint32_t i = 0; i <= triangles; ++i) {
    const double a = 2 * M_PI * i / (triangles + 1.0);
    m.positions.insert(m.positions.end(), {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)), 0});
  }
  for (std::uint32_t i = 1; i <= triangles; ++i) m.faces.insert(m.faces.end(), {0, i, i + 1});
  return m;
}

// Loading with what the load reports (edges, boundary and non-manifold edges) and then the edge
// table, from a file of a million triangles: a grid (valence 6) and a fan (one vertex in every
// triangle). Loading is n log n whatever the valence, so the two stay within a small factor.
void BM_LoadGridAndFan(benchmark::State& state) {
  constexpr std::uint32_t kMillion = 1'000'000;
  const bool isFan = state.range(0) == 1;
  const auto file = isFan ? std::filesystem::temp_directory_path() / "tessel-bench-fan-1M.ply"
                          : bench::scanFile(bench::noisySurface(kMillion));
  if (!std::filesystem::exists(file) && !studio::saveMeshFile(file, fan(kMillion)).empty())
    return state.SkipWithError("the fan could not be saved");
  Range times;
  std::size_t edges = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    studio::LoadedFile f = studio::loadMeshFile(file);
    if (!f.error.empty()) return state.SkipWithError("the mesh did not load");
    f.mesh.boundaryEdgeCount();
    edges = f.mesh.edges().size();
    const double s = seconds(t);
    times.add(s);
    state.SetIterationTime(s);
  }
  state.SetLabel(isFan ? "fan" : "grid");
  state.counters["edges"] = static_cast<double>(edges);
  times.report(state, "ms", 1e3);
}
BENCHMARK(BM_LoadGridAndFan)->Arg(0)->Arg(1)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
