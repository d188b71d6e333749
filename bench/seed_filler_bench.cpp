// The seed filler, sharp-edge collection and degenerate detection on generated scans, each timed
// against a plain loop doing the same work on the same arrays in the same iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/memory_counter.h"
#include "bench/scan_fixture.h"
#include "bench/smoke.h"
#include "bench/stopwatch.h"
#include "host/omCommand.h"
#include "selection/degenerate_polygons.h"
#include "selection/omISeedFillerImpl.h"
#include "studio/scene/face_flood.h"
#include "studio/scene/mesh_access.h"

namespace {

using namespace tessel;
using bench::Clock;
using bench::seconds;

// The meshes' sizes in triangles (a hundredth in the smoke run).
const std::uint32_t k4M = bench::sized(4'000'000u, 40'000u);
const std::uint32_t k16M = bench::sized(16'000'000u, 160'000u);

// Whether the faces reached are the same set, whatever their order.
bool sameFaces(std::vector<std::uint32_t> a, std::vector<std::uint32_t> b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}

studio::Mesh connected(std::uint32_t triangles) {
  studio::Mesh m = bench::noisyGrid(triangles);
  studio::buildTopology(m);
  return m;
}

// The 4M scan cut into 1,000 pieces, kept in one mesh as a scan with many parts is.
studio::Mesh cutIntoPieces() {
  studio::Mesh all;
  for (const studio::Mesh& piece : bench::tiledScan(k4M, bench::sized(1000u, 10u))) {
    const auto base = all.vertexCount();
    all.positions.insert(all.positions.end(), piece.positions.begin(), piece.positions.end());
    for (std::uint32_t v : piece.faces) all.faces.push_back(base + v);
  }
  studio::buildTopology(all);
  return all;
}

studio::Mesh& mesh4M() {
  static studio::Mesh m = connected(k4M);
  return m;
}
studio::Mesh& mesh16M() {
  static studio::Mesh m = connected(k16M);
  return m;
}
studio::Mesh& pieces() {
  static studio::Mesh m = cutIntoPieces();
  return m;
}
studio::Mesh& scanLike4M() {
  static studio::Mesh m = [] {
    studio::Mesh s = bench::grid(bench::scanLikeSurface(k4M));
    studio::buildTopology(s);
    return s;
  }();
  return m;
}
studio::Mesh& meshFor(std::int64_t which) {
  return which == 0 ? mesh4M() : which == 1 ? mesh16M() : which == 2 ? pieces() : scanLike4M();
}
const char* nameOf(std::int64_t which) {
  return which == 0   ? "4M noisy, connected"
         : which == 1 ? "16M noisy, connected"
         : which == 2 ? "4M noisy in 1000 pieces"
                      : "4M scan-like";
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

// The same search with visited bytes kept between searches and cleared where it set them, as
// Studio's flood keeps its flags on the mesh: the floor for a flood that allocates nothing.
void plainBfsReusing(const studio::Mesh& m, std::uint32_t seed, std::uint32_t rings,
                     std::vector<std::uint8_t>& faceSeen, std::vector<std::uint8_t>& vertexSeen,
                     std::vector<std::uint32_t>& reached, std::vector<std::uint32_t>& touched) {
  std::vector<std::uint32_t> frontier{seed}, next;
  reached.assign(1, seed);
  touched.clear();
  faceSeen[seed] = 1;
  for (std::uint32_t r = 0; r < rings && !frontier.empty(); ++r) {
    next.clear();
    for (std::uint32_t f : frontier)
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t v = m.faces[3 * std::size_t{f} + k];
        if (vertexSeen[v]) continue;
        vertexSeen[v] = 1;
        touched.push_back(v);
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
  for (std::uint32_t f : reached) faceSeen[f] = 0;
  for (std::uint32_t v : touched) vertexSeen[v] = 0;
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
  bool floorFirst = false;
  for (auto _ : state) {
    std::vector<std::uint32_t> plain;
    auto floor = [&] {
      const auto t = Clock::now();
      plain = plainBfs(m, seed, 0xFFFFFFFFu);
      benchmark::DoNotOptimize(plain.data());
      bfs += seconds(t);
    };
    if (floorFirst) floor();
    const auto t = Clock::now();
    omFaceSet out;
    filler->FillFromFace(&mesh, seed, {}, &out, 0xFFFFFFFFu);
    const double s = seconds(t);
    fill += s;
    reached = out.size();
    state.SetIterationTime(s);
    if (!floorFirst) floor();
    floorFirst = !floorFirst;
    if (!sameFaces({out.begin(), out.end()}, plain))
      return state.SkipWithError("the fill and the search disagree");
  }
  state.SetLabel(nameOf(state.range(0)));
  state.counters["faces_reached"] = double(reached);
  state.counters["vs_plain_bfs"] = fill / bfs;
  state.counters["ns_per_face_reached"] = fill / double(state.iterations()) / double(reached) * 1e9;
}
BENCHMARK(BM_FillAll)->Arg(0)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// Ten rings from the middle of the grid, away from its border. The first fill of a filler pays
// for what it keeps between fills (reported apart as first_us); the steady state is the rest.
void BM_TenRings(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  const std::uint32_t seed = m.faceCount() / 2 + 1000;
  const std::vector<std::uint32_t> plain = plainBfs(m, seed, 10);
  std::size_t reached = 0;
  double total = 0, first = -1;
  for (auto _ : state) {
    auto t = Clock::now();
    omFaceSet out;
    filler->FillFromFace(&mesh, seed, {}, &out, 10);
    const double s = seconds(t);
    if (first < 0) first = s;
    else total += s;
    reached = out.size();
    state.SetIterationTime(s);
    if (!sameFaces({out.begin(), out.end()}, plain))
      return state.SkipWithError("the rings and the search disagree");
  }
  state.SetLabel(nameOf(state.range(0)));
  const double steady = state.iterations() > 1 ? total / double(state.iterations() - 1) : first;
  state.counters["faces_reached"] = double(reached);
  state.counters["first_us"] = first * 1e6;
  state.counters["steady_us"] = steady * 1e6;
  state.counters["ns_per_face_reached"] = steady / double(reached) * 1e9;
}
BENCHMARK(BM_TenRings)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The flood Studio runs for "Flood Select" (Entity::FloodFaceSelection grows the face selection
// of the mesh) from one selected face, against the plain search from the same face in the same
// iteration, with visited bytes kept between searches as the flood keeps its flags. The mesh's
// vertex-to-face rows are dropped first: the first flood builds them, as a user's first flood
// after a load does, and is reported apart (first_ms, and the search's first_floor_ms) from the
// steady state the other iterations give. Arguments: the mesh, and the rings (-1: Fill All).
void BM_StudioFlood(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::buildTopology(m);
  const auto rings = static_cast<std::int32_t>(state.range(1));
  const std::uint32_t seed = m.faceCount() / 2 + 1000;
  std::vector<std::uint8_t> faceSeen(m.faceCount()), vertexSeen(m.vertexCount());
  std::vector<std::uint32_t> plain, touched, flooded;
  double flood = 0, bfs = 0, first = -1, firstFloor = -1;
  std::size_t reached = 0;
  bool floorFirst = false;
  for (auto _ : state) {
    std::fill(m.faceFlags.begin(), m.faceFlags.end(), std::uint8_t{0});
    m.faceFlags[seed] = studio::kSelected;
    auto floor = [&] {
      const auto t = Clock::now();
      plainBfsReusing(m, seed, rings < 0 ? 0xFFFFFFFFu : std::uint32_t(rings), faceSeen, vertexSeen,
                      plain, touched);
      benchmark::DoNotOptimize(plain.data());
      const double s = seconds(t);
      if (firstFloor < 0) firstFloor = s; else bfs += s;
    };
    if (floorFirst) floor();
    const auto t = Clock::now();
    const std::uint32_t added = studio::growFaceSelection(m, rings);
    const double s = seconds(t);
    if (first < 0) first = s; else flood += s;
    reached = added + 1;
    state.SetIterationTime(s);
    if (!floorFirst) floor();
    floorFirst = !floorFirst;
    flooded.clear();
    for (std::uint32_t f = 0; f < m.faceCount(); ++f)
      if (m.faceFlags[f] & studio::kSelected) flooded.push_back(f);
    if (!sameFaces(flooded, plain)) return state.SkipWithError("the flood and the search disagree");
  }
  std::fill(m.faceFlags.begin(), m.faceFlags.end(), std::uint8_t{0});
  // One iteration (the smoke run) has no steady state: its first stands for it.
  const double steadyRuns = state.iterations() > 1 ? double(state.iterations() - 1) : 1.0;
  if (state.iterations() == 1) flood = first, bfs = firstFloor;
  state.SetLabel(std::string(nameOf(state.range(0))) + (rings < 0 ? ", Fill All" : ", 10 rings"));
  state.counters["faces_reached"] = double(reached);
  state.counters["first_ms"] = first * 1e3;
  state.counters["first_floor_ms"] = firstFloor * 1e3;
  state.counters["steady_us"] = flood / steadyRuns * 1e6;
  state.counters["vs_plain_bfs"] = flood / bfs;
  state.counters["ns_per_face_reached"] = flood / steadyRuns / double(reached) * 1e9;
}
BENCHMARK(BM_StudioFlood)
    ->Args({0, -1})->Args({1, -1})->Args({0, 10})->Args({1, 10})
    ->Iterations(bench::iterations(6))->UseManualTime()->Unit(benchmark::kMillisecond);

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

// The floor: each face's normal once, as Studio computes it, into arrays kept between runs; the
// dot product per edge, the window test marking vertices, and the face loop over the marks.
void plainSharpEdges(studio::Mesh& m, float lo, float hi, std::vector<float>& normals,
                     std::vector<std::uint8_t>& valid, std::vector<std::uint32_t>& found) {
  const std::uint32_t nf = m.faceCount();
  for (std::uint32_t f = 0; f < nf; ++f) valid[f] = studio::faceNormal(m, f, &normals[3 * std::size_t{f}]);
  const std::vector<studio::Edge>& edges = m.edges();
  std::vector<float>& values = m.edgeValues();
  for (std::size_t e = 0; e < edges.size(); ++e) {
    const studio::Edge& edge = edges[e];
    float value = 1.0f;
    if (edge.f1 != studio::kNoFace && valid[edge.f0] && valid[edge.f1]) {
      const float* n0 = &normals[3 * std::size_t{edge.f0}];
      const float* n1 = &normals[3 * std::size_t{edge.f1}];
      value = std::clamp(n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2], -1.0f, 1.0f);
    }
    values[e] = value;
  }
  std::vector<std::uint32_t>& marks = m.vertexMarks();
  std::fill(marks.begin(), marks.end(), 0u);
  for (std::size_t e = 0; e < edges.size(); ++e)
    if (lo <= values[e] && values[e] <= hi) marks[edges[e].v0] = marks[edges[e].v1] = 1;
  found.clear();
  for (std::uint32_t f = 0; f < nf; ++f) {
    const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
    if (marks[v[0]] || marks[v[1]] || marks[v[2]]) found.push_back(f);
  }
}

float cosineBound(float degrees) { return -std::cos(3.1415927f * degrees * 0.0055555557f); }

// The fold measure and the collection, against the floor in the same iteration, the two taking
// turns going first. The mesh's derived arrays are dropped first: the first pass builds the
// vertex-to-face rows and the edge table, as a user's first sharp-edge pass after a load does,
// and is reported apart (first_ms) from the steady state of the other iterations.
void BM_SharpEdges(benchmark::State& state) {
  studio::Mesh& m = meshFor(state.range(0));
  studio::buildTopology(m);
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  const float lo = cosineBound(0), hi = cosineBound(30);
  std::vector<float> normals(3 * std::size_t{m.faceCount()});
  std::vector<std::uint8_t> valid(m.faceCount());
  std::vector<std::uint32_t> plainFaces;
  double ours = 0, plain = 0, first = -1;
  std::size_t found = 0;
  bool floorFirst = false;
  for (auto _ : state) {
    auto floor = [&] {
      const auto t = Clock::now();
      plainSharpEdges(m, lo, hi, normals, valid, plainFaces);
      plain += seconds(t);
    };
    // The first pass builds what the floor reads: the floor follows it.
    if (floorFirst) floor();
    const auto t = Clock::now();
    CountingProgress progress;
    omFaceSet faces;
    filler->ComputeEdgeCosines(&mesh);
    filler->SelectSharpEdgePolygons(&mesh, lo, hi, &faces, studio::kFaceFilterVisible, &progress);
    const double s = seconds(t);
    if (first < 0) first = s; else ours += s;
    found = faces.size();
    state.SetIterationTime(s);
    if (!floorFirst) floor();
    floorFirst = !floorFirst;
    if (!sameFaces({faces.begin(), faces.end()}, plainFaces))
      return state.SkipWithError("the pass and the loop disagree");
  }
  // The floor's runs after the first pass, against the pass's runs after its first.
  const double steadyRuns = state.iterations() > 1 ? double(state.iterations() - 1) : 1.0;
  if (state.iterations() == 1) ours = first;
  state.SetLabel(nameOf(state.range(0)));
  state.counters["faces_selected"] = double(found);
  state.counters["sharp_fraction"] = double(found) / m.faceCount();
  state.counters["first_ms"] = first * 1e3;
  state.counters["steady_ms"] = ours / steadyRuns * 1e3;
  state.counters["vs_plain_loop"] = (ours / steadyRuns) / (plain / double(state.iterations()));
}
// The noisy surfaces are the worst case (nearly half their faces are selected); the scan-like
// one is what a user's scan looks like. A fixed count: the first pass alone would fill a timed
// run, leaving no steady state.
BENCHMARK(BM_SharpEdges)
    ->Arg(3)->Arg(0)->Arg(2)
    ->Iterations(bench::iterations(4))->UseManualTime()->Unit(benchmark::kMillisecond);

// The baseline: the detector's measure written out plainly. Each side's length (from single
// precision positions, as the detector reads them) and each corner's distance to the opposite
// side taken as a segment, by projecting onto it and clamping.
bool plainDegenerate(const float* a, const float* b, const float* c, double tolerance) {
  auto side = [](const float* p, const float* q) {
    const float x = p[0] - q[0], y = p[1] - q[1], z = p[2] - q[2];
    return std::sqrt(x * x + y * y + z * z);
  };
  if (side(c, b) < tolerance || side(c, a) < tolerance || side(b, a) < tolerance) return true;
  auto toSegment = [](const float* p, const float* s, const float* e) {
    const double d[3] = {double(e[0]) - s[0], double(e[1]) - s[1], double(e[2]) - s[2]};
    const double v[3] = {double(p[0]) - s[0], double(p[1]) - s[1], double(p[2]) - s[2]};
    const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const double t = dd > 0 ? std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / dd, 0.0, 1.0) : 0;
    const double w[3] = {v[0] - t * d[0], v[1] - t * d[1], v[2] - t * d[2]};
    return std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  };
  return toSegment(a, b, c) < tolerance || toSegment(b, c, a) < tolerance ||
         toSegment(c, a, b) < tolerance;
}

// An independent reference for the cross-check: a triangle's smallest corner-to-side distance is
// the height over its longest side, twice its area over that side, so a face is degenerate when
// its shortest side or that height is below the tolerance. Everything in double precision.
// Returns the smaller of the two measures.
double referenceMeasure(const float* a, const float* b, const float* c) {
  double e[3][3];
  const float* p[3] = {a, b, c};
  double shortest = HUGE_VAL, longest = 0;
  for (int k = 0; k < 3; ++k) {
    const float* s = p[k];
    const float* t = p[(k + 1) % 3];
    for (int i = 0; i < 3; ++i) e[k][i] = double(t[i]) - double(s[i]);
    const double l = std::sqrt(e[k][0] * e[k][0] + e[k][1] * e[k][1] + e[k][2] * e[k][2]);
    shortest = std::min(shortest, l), longest = std::max(longest, l);
  }
  const double n[3] = {e[0][1] * e[1][2] - e[0][2] * e[1][1], e[0][2] * e[1][0] - e[0][0] * e[1][2],
                       e[0][0] * e[1][1] - e[0][1] * e[1][0]};
  const double twiceArea = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  return std::min(shortest, longest > 0 ? twiceArea / longest : 0.0);
}

// The least any zero-area test does: one cross product per face, over the flat arrays.
std::size_t zeroAreaFaces(const studio::Mesh& m) {
  std::size_t zero = 0;
  const float* p = m.positions.data();
  const std::uint32_t* v = m.faces.data();
  for (std::uint32_t f = 0, n = m.faceCount(); f < n; ++f, v += 3) {
    const float* a = p + 3 * std::size_t{v[0]};
    const float* b = p + 3 * std::size_t{v[1]};
    const float* c = p + 3 * std::size_t{v[2]};
    const float ux = b[0] - a[0], uy = b[1] - a[1], uz = b[2] - a[2];
    const float wx = c[0] - a[0], wy = c[1] - a[1], wz = c[2] - a[2];
    const float x = uy * wz - uz * wy, y = uz * wx - ux * wz, z = ux * wy - uy * wx;
    zero += x * x + y * y + z * z == 0.0f ? 1 : 0;
  }
  return zero;
}

void BM_Degenerate(benchmark::State& state) {
  // The noisy grid with a tolerance that finds 1.4% of its faces, most of the rest within a
  // few tenths of it: the worst case for screening. The scan-like grid with the default tolerance
  // (1e-8): what a user's scan meets.
  const bool noisy = state.range(0) == 0;
  studio::Mesh& m = meshFor(noisy ? 0 : 3);
  studio::MeshAccess mesh(&m);
  const double kTolerance = noisy ? 5e-4 : 1e-8;
  selection::SetDegenerateTolerance(kTolerance);
  double ours = 0, plain = 0, cross = 0;
  std::vector<std::uint32_t> loop;
  omFaceSet faces;
  for (auto _ : state) {
    auto t = Clock::now();
    benchmark::DoNotOptimize(zeroAreaFaces(m));
    cross += seconds(t);
    t = Clock::now();
    loop.clear();
    for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
      const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
      if (plainDegenerate(&m.positions[3 * v[0]], &m.positions[3 * v[1]], &m.positions[3 * v[2]],
                          kTolerance))
        loop.push_back(f);
    }
    plain += seconds(t);
    t = Clock::now();
    CountingProgress progress;
    faces = omFaceSet();
    selection::SelectDegeneratePolygons(&mesh, &faces, &progress);
    const double s = seconds(t);
    ours += s;
    state.SetIterationTime(s);
  }
  // The cross-check, outside the timing: the detector against the reference, face by face. Only
  // a face whose measure lies within rounding of the tolerance may go either way.
  std::size_t borderline = 0, wrong = 0;
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
    const double measure =
        referenceMeasure(&m.positions[3 * v[0]], &m.positions[3 * v[1]], &m.positions[3 * v[2]]);
    if ((measure < kTolerance) == faces.contains(f)) continue;
    (std::fabs(measure - kTolerance) <= 1e-6 * kTolerance ? borderline : wrong)++;
  }
  if (wrong) state.SkipWithError("the detector and the reference disagree");
  if (loop.size() != faces.size()) state.SkipWithError("the detector and the baseline disagree");
  state.counters["faces_selected"] = double(faces.size());
  state.counters["borderline_faces"] = double(borderline);
  state.counters["vs_plain_loop"] = ours / plain;
  state.counters["vs_cross_product_loop"] = ours / cross;
  state.SetLabel(nameOf(state.range(0)));
  state.counters["ns_per_face"] = ours / double(state.iterations()) / m.faceCount() * 1e9;
}
BENCHMARK(BM_Degenerate)->Arg(0)->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// What "Custom Select" runs on a mesh: the fold measure, then the collection of faces.
// With `measureHearsCancel` false, the measure runs to its end whatever happens, as it once did.
void sharpEdgeCommand(const selection::ScopedSeedFiller& filler, omMesh& mesh, omFaceSet& faces,
                      omProgress& progress, bool measureHearsCancel = true) {
  if (measureHearsCancel)
    filler->ComputeEdgeCosinesOrCancel(&mesh, &progress);
  else
    filler->ComputeEdgeCosines(&mesh);
  filler->SelectSharpEdgePolygons(&mesh, cosineBound(0), cosineBound(30), &faces, -1, &progress);
}

// A cancel arrives at a different moment after the command starts, during the fold measure or
// during the collection; the command must end soon after it.
void BM_CancelSharpEdges(benchmark::State& state) {
  studio::Mesh& m = mesh16M();
  studio::MeshAccess mesh(&m);
  selection::ScopedSeedFiller filler;
  // How long the whole command takes when nobody cancels it: the faster of two runs, the first
  // also pays for touching the mesh's pages.
  double whole = HUGE_VAL;
  for (int run = 0; run < 2; ++run) {
    CountingProgress progress;
    omFaceSet faces;
    const auto t = Clock::now();
    sharpEdgeCommand(filler, mesh, faces, progress);
    whole = std::min(whole, seconds(t));
  }
  double worst = 0, total = 0;
  int k = 0, cancelled = 0, early = 0;
  for (auto _ : state) {
    CountingProgress progress;
    omFaceSet faces;
    // From 5% to 65% of the way through an uncancelled command: during the fold measure (the
    // first two thirds or so) and during the collection.
    const auto after =
        std::chrono::microseconds(static_cast<std::int64_t>(whole * 1e6 * (0.05 + 0.15 * (k++ % 5))));
    std::atomic<Clock::rep> cancelledAt{0};
    std::thread canceller([&] {
      std::this_thread::sleep_for(after);
      cancelledAt = Clock::now().time_since_epoch().count();
      progress.cancel = true;
    });
    sharpEdgeCommand(filler, mesh, faces, progress, state.range(0) == 0);
    const auto returned = Clock::now().time_since_epoch().count();
    canceller.join();
    if (returned < cancelledAt.load()) {  // the machine sped up: this one ran to its end
      ++early;
      state.SetIterationTime(0);
      continue;
    }
    ++cancelled;
    const double latency = double(returned - cancelledAt.load()) * Clock::period::num / Clock::period::den;
    worst = std::max(worst, latency);
    total += latency;
    state.SetIterationTime(latency);
  }
  // The smoke run's single command may outrun its cancel when the uncancelled runs were slowed
  // by other work: that is a busy machine, not a fault.
  if (cancelled == 0 && !bench::smokeRun())
    state.SkipWithError("every command ended before its cancel came");
  state.counters["cancels_measured"] = cancelled;
  state.counters["ended_before_cancel"] = early;
  state.counters["mean_cancel_ms"] = total / std::max(cancelled, 1) * 1e3;
  state.counters["uncancelled_command_ms"] = whole * 1e3;
  state.counters["worst_cancel_ms"] = worst * 1e3;
  state.SetLabel(state.range(0) == 0 ? "16M, cancellable measure" : "16M, measure without cancel");
}
// 0: as the command runs; 1: with a fold measure that does not hear the cancel, for comparison.
BENCHMARK(BM_CancelSharpEdges)->Arg(0)->Arg(1)->Iterations(bench::iterations(10))->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
