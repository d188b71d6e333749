// Loading a 4-million-triangle binary PLY and building its adjacency, against reading the same
// file's bytes; and the same file through assimp, the other well-kept reader we could have used.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

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

void BM_LoadScanAndBuildTopology(benchmark::State& state) {
  auto file = bench::scanFile(kTriangles);
  double load = 0, read = 0;
  std::size_t peak = 0, held = 0, faces = 0;
  for (auto _ : state) {
    read += plainRead(file);
    std::size_t base = bench::MemoryCounter::reset();
    auto t = Clock::now();
    studio::LoadedFile f = studio::loadMeshFile(file);
    double s = seconds(t);
    if (!f.error.empty()) state.SkipWithError(f.error.c_str());
    load += s;
    peak = bench::MemoryCounter::peak - base;
    held = f.mesh.memoryBytes();
    faces = f.mesh.faceCount();
    state.SetIterationTime(s);
  }
  double n = static_cast<double>(state.iterations());
  state.counters["triangles"] = static_cast<double>(faces);
  state.counters["vs_plain_read"] = load / read;
  state.counters["plain_read_s"] = read / n;
  state.counters["peak_B_per_tri"] = static_cast<double>(peak) / static_cast<double>(faces);
  state.counters["held_B_per_tri"] = static_cast<double>(held) / static_cast<double>(faces);
}
BENCHMARK(BM_LoadScanAndBuildTopology)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_AssimpReadsTheSameScan(benchmark::State& state) {
  auto file = bench::scanFile(kTriangles);
  double load = 0, read = 0;
  std::size_t peak = 0, faces = 0, vertices = 0;
  for (auto _ : state) {
    read += plainRead(file);
    std::size_t base = bench::MemoryCounter::reset();
    auto t = Clock::now();
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), 0);
    double s = seconds(t);
    if (!scene || scene->mNumMeshes == 0) state.SkipWithError("assimp could not read the scan");
    else faces = scene->mMeshes[0]->mNumFaces, vertices = scene->mMeshes[0]->mNumVertices;
    load += s;
    peak = bench::MemoryCounter::peak - base;
    state.SetIterationTime(s);
  }
  state.counters["triangles"] = static_cast<double>(faces);
  state.counters["vs_plain_read"] = load / read;
  state.counters["peak_B_per_tri"] = faces ? static_cast<double>(peak) / static_cast<double>(faces) : 0;
  // The file shares each vertex among about six triangles; a reader that unshares them
  // hands back three vertices a triangle.
  state.counters["vertices"] = static_cast<double>(vertices);
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
