// The seed filler, sharp-edge collection and degenerate detection on generated scans, each timed
// against a plain loop doing the same work on the same arrays in the same iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "bench/memory_counter.h"
#include "bench/scan_fixture.h"
#include "host/omCommand.h"
#include "selection/degenerate_polygons.h"
#include "selection/omISeedFillerImpl.h"
#include "studio/mesh_access.h"

namespace {

using namespace tessel;
using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

studio::Mesh connected(std::uint32_t triangles) {
  studio::Mesh m = bench::noisyGrid(triangles);
  studio::buildTopology(m);
  return m;
}

// The 4M scan cut into 1,000 pieces, kept in one mesh as a scan with many parts is.
studio::Mesh cutIntoPieces() {
  studio::Mesh all;
  for (const studio::Mesh& piece : bench::tiledScan(4'000'000, 1000)) {
    const auto base = all.vertexCount();
    all.positions.insert(all.positions.end(), piece.positions.begin(), piece.positions.end());
    for (std::uint32_t v : piece.faces) all.faces.push_back(base + v);
  }
  studio::buildTopology(all);
  return all;
}

studio::Mesh& mesh4M() {
  static studio::Mesh m = connected(4'000'000);
  return m;
}
studio::Mesh& mesh16M() {
  static studio::Mesh m = connected(16'000'000);
  return m;
}
studio::Mesh& pieces() {
  static studio::Mesh m = cutIntoPieces();
  return m;
}
studio::Mesh& meshFor(std::int64_t which) {
  return which == 0 ? mesh4M() : which == 1 ? mesh16M() : pieces();
}
const char* nameOf(std::int64_t which) {
  return which == 0 ? "4M connected" : which == 1 ? "16M connected" : "4M in 1000 pieces";
}

// The floor of any flood: breadth-first through shared vertices over the flat arrays, with
// fresh visited bytes, collecting the faces reached.
std::vector<std::uint32_t> plainBfs(const studio::Mesh& m, std::uint32_t seed, std::uint32_t rings) {
  std::vector<std::uint8_t> faceSeen(m.faceCount()), vertexSeen(m.vertexCount());
  std::vector<std::uint32_t> reached{seed}, frontier{seed}, next;
  faceSeen[seed] = 1;
  for (std::uint32_t r = 0; r < rings && !frontier.empty(); ++r) {
    next.clear();
    for (std::uint32_t f : frontier)
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t v = m.faces[3 * std::size_t{f} + k];
        if (vertexSeen[v]) continue;
        vertexSeen[v] = 1;
        std::uint32_t n = 0;
        const std::uint32_t* around = m.facesAround(v, &n);
        for (std::uint32_t i = 0; i < n; ++i)
          if (!faceSeen[around[i]]) {
            faceSeen[around[i]] = 1;
            next.push_back(around[i]);
            reached.push_back(around[i]);
          }
      }
    frontier.swap(next);
  }
  return reached;
}

void BM_FillMemory(benchmark::State& state) {
  studio::Mesh& m = mesh4M();
  studio::MeshAccess mesh(&m);
  double beyond = 0, result = 0, tree = 0;
  for (auto _ : state) {
    selection::ScopedSeedFiller filler;
    omFaceSet out;
    const std::size_t base = bench::MemoryCounter::reset();
    filler->FillFromFace(&mesh, 0, {}, &out, 0xFFFFFFFFu);
    const std::size_t peak = bench::MemoryCounter::peak - base;
    beyond = double(peak - out.capacityBytes()) / m.faceCount();
    result = double(out.capacityBytes()) / double(out.size());
    const std::size_t before = bench::MemoryCounter::current;
    {
      std::set<std::uint32_t> nodes(out.begin(), out.end());
      tree = double(bench::MemoryCounter::current - before) / double(nodes.size());
    }
  }
  state.counters["fill_bytes_per_mesh_face"] = beyond;
  state.counters["result_bytes_per_face"] = result;
  state.counters["node_tree_bytes_per_face"] = tree;
}
BENCHMARK(BM_FillMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FillAll(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  const std::uint32_t seed = m.faceCount() / 2;
  double fill = 0, bfs = 0;
  std::size_t reached = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    auto plain = plainBfs(m, seed, 0xFFFFFFFFu);
    benchmark::DoNotOptimize(plain.data());
    bfs += seconds(t);
    t = Clock::now();
    omFaceSet out;
    filler->FillFromFace(&mesh, seed, {}, &out, 0xFFFFFFFFu);
    const double s = seconds(t);
    fill += s;
    reached = out.size();
    state.SetIterationTime(s);
    if (reached != plain.size()) state.SkipWithError("the fill and the search disagree");
  }
  state.SetLabel(nameOf(state.range(0)));
  state.counters["faces_reached"] = double(reached);
  state.counters["vs_plain_bfs"] = fill / bfs;
  state.counters["ns_per_face_reached"] = fill / double(state.iterations()) / double(reached) * 1e9;
}
BENCHMARK(BM_FillAll)->Arg(0)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_TenRings(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  // The middle of the grid, away from its border.
  const std::uint32_t seed = m.faceCount() / 2 + 1000;
  std::size_t reached = 0;
  double total = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    omFaceSet out;
    filler->FillFromFace(&mesh, seed, {}, &out, 10);
    const double s = seconds(t);
    total += s;
    reached = out.size();
    state.SetIterationTime(s);
  }
  state.SetLabel(nameOf(state.range(0)));
  state.counters["faces_reached"] = double(reached);
  state.counters["ns_per_face_reached"] = total / double(state.iterations()) / double(reached) * 1e9;
}
BENCHMARK(BM_TenRings)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A progress object as cheap as a host's can be: a counter and a flag another thread may set.
struct CountingProgress final : omProgress {
  void SetRange(std::int32_t total) override { range = total; }
  void Finish() override {}
  void Step(std::int32_t n) override { steps += n; }
  bool IsCancelled() override { return cancel.load(std::memory_order_relaxed); }
  void SetMessage(const char*, std::int32_t) override {}
  std::int32_t range = 0;
  std::int64_t steps = 0;
  std::atomic<bool> cancel{false};
};

// The floor: face normals from the positions as Studio computes them, the dot product per edge,
// the window test marking vertices, and the face loop over the marks.
std::size_t plainSharpEdges(studio::Mesh& m, float lo, float hi) {
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e) {
    const studio::Edge& edge = m.edges[e];
    float n0[3], n1[3];
    const bool both = edge.f1 != studio::kNoFace && studio::faceNormal(m, edge.f0, n0) &&
                      studio::faceNormal(m, edge.f1, n1);
    m.edgeValues[e] = both ? std::clamp(n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2], -1.0f, 1.0f) : 1.0f;
  }
  std::fill(m.vertexMarks.begin(), m.vertexMarks.end(), 0u);
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e)
    if (lo <= m.edgeValues[e] && m.edgeValues[e] <= hi)
      m.vertexMarks[m.edges[e].v0] = m.vertexMarks[m.edges[e].v1] = 1;
  std::vector<std::uint32_t> found;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
    if (m.vertexMarks[v[0]] || m.vertexMarks[v[1]] || m.vertexMarks[v[2]]) found.push_back(f);
  }
  return found.size();
}

float cosineBound(float degrees) { return -std::cos(3.1415927f * degrees * 0.0055555557f); }

void BM_SharpEdges(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  const float lo = cosineBound(0), hi = cosineBound(30);
  double ours = 0, plain = 0;
  std::size_t found = 0, plainFound = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    plainFound = plainSharpEdges(m, lo, hi);
    plain += seconds(t);
    t = Clock::now();
    CountingProgress progress;
    omFaceSet faces;
    filler->ComputeEdgeCosines(&mesh);
    filler->SelectSharpEdgePolygons(&mesh, lo, hi, &faces, studio::kFaceFilterVisible, &progress);
    const double s = seconds(t);
    ours += s;
    found = faces.size();
    state.SetIterationTime(s);
  }
  if (found != plainFound) state.SkipWithError("the pass and the loop disagree");
  state.SetLabel(nameOf(state.range(0)));
  state.counters["faces_selected"] = double(found);
  state.counters["vs_plain_loop"] = ours / plain;
}
BENCHMARK(BM_SharpEdges)->Arg(0)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Degenerate(benchmark::State& state) {
  studio::Mesh& m = mesh4M();
  studio::MeshAccess mesh(&m);
  selection::SetDegenerateTolerance(5e-4);  // finds a few faces of the noisy grid
  double ours = 0, plain = 0;
  std::size_t found = 0, plainFound = 0;
  for (auto _ : state) {
    auto t = Clock::now();
    std::vector<std::uint32_t> loop;
    for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
      const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
      if (selection::isDegenerate(&m.positions[3 * v[0]], &m.positions[3 * v[1]],
                                  &m.positions[3 * v[2]], 5e-4))
        loop.push_back(f);
    }
    plainFound = loop.size();
    plain += seconds(t);
    t = Clock::now();
    CountingProgress progress;
    omFaceSet faces;
    selection::SelectDegeneratePolygons(&mesh, &faces, &progress);
    const double s = seconds(t);
    ours += s;
    found = faces.size();
    state.SetIterationTime(s);
  }
  if (found != plainFound) state.SkipWithError("the detector and the loop disagree");
  state.counters["faces_selected"] = double(found);
  state.counters["vs_plain_loop"] = ours / plain;
}
BENCHMARK(BM_Degenerate)->UseManualTime()->Unit(benchmark::kMillisecond);

// A cancel arrives at a different moment of each pass; the pass must end soon after.
void BM_CancelSharpEdges(benchmark::State& state) {
  studio::Mesh& m = mesh16M();
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  filler->ComputeEdgeCosines(&mesh);
  double worst = 0;
  int k = 0;
  for (auto _ : state) {
    CountingProgress progress;
    omFaceSet faces;
    const auto after = std::chrono::milliseconds(20 + 60 * (k++ % 5));
    std::atomic<Clock::rep> cancelledAt{0};
    std::thread canceller([&] {
      std::this_thread::sleep_for(after);
      cancelledAt = Clock::now().time_since_epoch().count();
      progress.cancel = true;
    });
    filler->SelectSharpEdgePolygons(&mesh, cosineBound(0), cosineBound(30), &faces, -1, &progress);
    const auto returned = Clock::now().time_since_epoch().count();
    canceller.join();
    if (!progress.cancel.load() || returned < cancelledAt.load()) {
      state.SkipWithError("the pass ended before the cancel came");
      break;
    }
    const double latency = double(returned - cancelledAt.load()) * Clock::period::num / Clock::period::den;
    worst = std::max(worst, latency);
    state.SetIterationTime(latency);
  }
  state.counters["worst_cancel_ms"] = worst * 1e3;
}
BENCHMARK(BM_CancelSharpEdges)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
