// Loading a 4-million-triangle binary PLY and building its adjacency, against reading the same
// file's bytes; and the same file through assimp, the other well-kept reader we could have used.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

#include "bench/memory_counter.h"
#include "bench/scan_fixture.h"

namespace {

using namespace tessel;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kTriangles = 4'000'000;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The floor: every loader has to get these bytes off the disk (or the page cache).
double plainRead(const std::filesystem::path& file) {
  auto t = Clock::now();
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes(std::filesystem::file_size(file));
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  benchmark::DoNotOptimize(bytes.data());
  return seconds(t);
}

// What one load handed back.
struct Loaded {
  std::size_t faces = 0, vertices = 0, heldBytes = 0;
  const char* error = nullptr;
};

// Times `load` against a plain read of the same file in each iteration, and records the peak
// memory the load needed above what was held before it.
template <class Load>
void measureLoad(benchmark::State& state, Load load) {
  auto file = bench::scanFile(kTriangles);
  double loading = 0, reading = 0;
  std::size_t peak = 0;
  Loaded last;
  for (auto _ : state) {
    reading += plainRead(file);
    std::size_t base = bench::MemoryCounter::reset();
    auto t = Clock::now();
    last = load(file);
    double s = seconds(t);
    if (last.error) state.SkipWithError(last.error);
    loading += s;
    peak = bench::MemoryCounter::peak - base;
    state.SetIterationTime(s);
  }
  const double faces = static_cast<double>(std::max<std::size_t>(last.faces, 1));
  state.counters["triangles"] = static_cast<double>(last.faces);
  // The file shares each vertex among about six triangles; a reader that unshares them hands
  // back three vertices a triangle.
  state.counters["vertices"] = static_cast<double>(last.vertices);
  state.counters["vs_plain_read"] = loading / reading;
  state.counters["plain_read_s"] = reading / static_cast<double>(state.iterations());
  state.counters["peak_B_per_tri"] = static_cast<double>(peak) / faces;
  if (last.heldBytes) state.counters["held_B_per_tri"] = static_cast<double>(last.heldBytes) / faces;
}

void BM_LoadScanAndBuildTopology(benchmark::State& state) {
  measureLoad(state, [](const std::filesystem::path& file) {
    studio::LoadedFile f = studio::loadMeshFile(file);
    Loaded out{f.mesh.faceCount(), f.mesh.vertexCount(), f.mesh.memoryBytes(), nullptr};
    if (!f.error.empty()) out.error = "the scan did not load";
    return out;
  });
}
BENCHMARK(BM_LoadScanAndBuildTopology)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_AssimpReadsTheSameScan(benchmark::State& state) {
  measureLoad(state, [](const std::filesystem::path& file) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), 0);
    if (!scene || scene->mNumMeshes == 0) return Loaded{0, 0, 0, "assimp could not read the scan"};
    return Loaded{scene->mMeshes[0]->mNumFaces, scene->mMeshes[0]->mNumVertices, 0, nullptr};
  });
}
BENCHMARK(BM_AssimpReadsTheSameScan)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The adjacency and edge table alone, from arrays already in memory.
void BM_BuildTopologyOnly(benchmark::State& state) {
  studio::Mesh grid = bench::noisyGrid(kTriangles);
  for (auto _ : state) {
    studio::Mesh m;
    m.positions = grid.positions;
    m.faces = grid.faces;
    auto t = Clock::now();
    studio::buildTopology(m);
    state.SetIterationTime(seconds(t));
    benchmark::DoNotOptimize(m.edges.data());
  }
}
BENCHMARK(BM_BuildTopologyOnly)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
