// Saving a 1-million-triangle scan as binary PLY and as OBJ: Studio's writer into an atomic file
// (unique temporary, every write checked, flushed to disk, renamed), beside OpenMesh's writers
// writing the same arrays to a plain file as saves did before, and beside a plain write of as many
// bytes through the same atomic file (the floor: the flush to disk is most of a save). All three are
// timed in one iteration, taking turns at going first; the fastest and slowest of five runs are
// reported, and the save's ratio to the plain write in the same iteration.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/IO/exporter/BaseExporter.hh>

#include "bench/scan_fixture.h"
#include "bench/stopwatch.h"
#include "platform/atomic_file.h"

namespace {

using namespace tessel;
using namespace OpenMesh;
using Attributes::StatusInfo;
using IO::BaseExporter;
using bench::Clock;
using bench::seconds;
using studio::Mesh;

constexpr std::uint32_t kTriangles = 1'000'000;
constexpr int kRuns = 5;

// The exporter saves went through before: hands the flat arrays to OpenMesh's writers.
class FlatExporter final : public BaseExporter {
 public:
  FlatExporter(const Mesh& mesh, const float* positions)
      : m_(mesh), positions_(positions ? positions : mesh.positions.data()) {}
  Vec3f point(VertexHandle vh) const override {
    const float* p = &positions_[3 * static_cast<std::size_t>(vh.idx())];
    return Vec3f(p[0], p[1], p[2]);
  }
  Vec3d pointd(VertexHandle vh) const override { return Vec3d(point(vh)); }
  bool is_point_double() const override { return false; }
  Vec3f normal(VertexHandle) const override { return Vec3f(0, 0, 0); }
  Vec3d normald(VertexHandle) const override { return Vec3d(0, 0, 0); }
  bool is_normal_double() const override { return false; }
  Vec3uc color(VertexHandle) const override { return Vec3uc(0, 0, 0); }
  Vec4uc colorA(VertexHandle) const override { return Vec4uc(0, 0, 0, 0); }
  Vec3ui colori(VertexHandle) const override { return Vec3ui(0, 0, 0); }
  Vec4ui colorAi(VertexHandle) const override { return Vec4ui(0, 0, 0, 0); }
  Vec3f colorf(VertexHandle) const override { return Vec3f(0, 0, 0); }
  Vec4f colorAf(VertexHandle) const override { return Vec4f(0, 0, 0, 0); }
  Vec2f texcoord(VertexHandle) const override { return Vec2f(0, 0); }
  Vec2f texcoord(HalfedgeHandle) const override { return Vec2f(0, 0); }
  StatusInfo status(VertexHandle) const override { return {}; }
  unsigned int get_vhandles(FaceHandle fh, std::vector<VertexHandle>& out) const override {
    out.clear();
    for (int k = 0; k < 3; ++k)
      out.emplace_back(static_cast<int>(m_.faces[3 * static_cast<std::size_t>(fh.idx()) + k]));
    return 3;
  }
  HalfedgeHandle getHeh(FaceHandle, VertexHandle) const override { return HalfedgeHandle(); }
  unsigned int get_face_texcoords(std::vector<Vec2f>&) const override { return 0; }
  Vec3f normal(FaceHandle) const override { return Vec3f(0, 0, 0); }
  Vec3d normald(FaceHandle) const override { return Vec3d(0, 0, 0); }
  Vec3uc color(FaceHandle) const override { return Vec3uc(0, 0, 0); }
  Vec4uc colorA(FaceHandle) const override { return Vec4uc(0, 0, 0, 0); }
  Vec3ui colori(FaceHandle) const override { return Vec3ui(0, 0, 0); }
  Vec4ui colorAi(FaceHandle) const override { return Vec4ui(0, 0, 0, 0); }
  Vec3f colorf(FaceHandle) const override { return Vec3f(0, 0, 0); }
  Vec4f colorAf(FaceHandle) const override { return Vec4f(0, 0, 0, 0); }
  StatusInfo status(FaceHandle) const override { return {}; }
  Vec3uc color(EdgeHandle) const override { return Vec3uc(0, 0, 0); }
  Vec4uc colorA(EdgeHandle) const override { return Vec4uc(0, 0, 0, 0); }
  Vec3ui colori(EdgeHandle) const override { return Vec3ui(0, 0, 0); }
  Vec4ui colorAi(EdgeHandle) const override { return Vec4ui(0, 0, 0, 0); }
  Vec3f colorf(EdgeHandle) const override { return Vec3f(0, 0, 0); }
  Vec4f colorAf(EdgeHandle) const override { return Vec4f(0, 0, 0, 0); }
  StatusInfo status(EdgeHandle) const override { return {}; }
  int get_halfedge_id(VertexHandle) override { return -1; }
  int get_halfedge_id(FaceHandle) override { return -1; }
  int get_next_halfedge_id(HalfedgeHandle) override { return -1; }
  int get_to_vertex_id(HalfedgeHandle) override { return -1; }
  int get_face_id(HalfedgeHandle) override { return -1; }
  StatusInfo status(HalfedgeHandle) const override { return {}; }
  std::size_t n_vertices() const override { return m_.vertexCount(); }
  std::size_t n_faces() const override { return m_.faceCount(); }
  std::size_t n_edges() const override { return m_.edgeCount(); }
  bool is_triangle_mesh() const override { return true; }
  // The PLY writer looks for custom properties on a kernel; an empty one has none.
  const BaseKernel* kernel() override { return &noProperties_; }

 private:
  const Mesh& m_;
  const float* positions_;
  BaseKernel noProperties_;
};


const Mesh& scan() {
  static const Mesh mesh = bench::grid(bench::noisySurface(kTriangles));
  return mesh;
}

// Without the flush to disk the atomic file also does, so the baseline is, if anything, flattered.
double openMeshSave(const std::filesystem::path& file) {
  auto t = Clock::now();
  ::omlog().disable();  // the OBJ writer says "write file" on every call
  FlatExporter exporter(scan(), nullptr);
  IO::Options options;
  if (file.extension() == ".ply") options += IO::Options::Binary;
  if (!IO::IOManager().write(file.string(), exporter, options, 9))
    throw std::runtime_error(file.string() + ": not written");
  return seconds(t);
}

double studioSave(const std::filesystem::path& file) {
  auto t = Clock::now();
  if (std::string error = studio::saveMeshFile(file, scan()); !error.empty())
    throw std::runtime_error(error);
  return seconds(t);
}

// The floor: the same number of bytes, already made, written and committed as a save commits.
double plainWrite(const std::filesystem::path& file, const std::vector<char>& bytes) {
  auto t = Clock::now();
  platform::AtomicFile out(file);
  out.write(bytes.data(), bytes.size());
  if (std::string error = out.commit(); !error.empty()) throw std::runtime_error(error);
  return seconds(t);
}

void measure(benchmark::State& state, const char* extension) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto ours = dir / (std::string("tessel-save-bench") + extension);
  const auto theirs = dir / (std::string("tessel-save-bench-openmesh") + extension);
  const auto plain = dir / (std::string("tessel-save-bench-plain") + extension);
  studioSave(ours);
  const std::vector<char> bytes(std::filesystem::file_size(ours), 'x');
  double lo = HUGE_VAL, hi = 0, baseLo = HUGE_VAL, baseHi = 0, plainLo = HUGE_VAL, plainHi = 0;
  double ratioLo = HUGE_VAL, ratioHi = 0;
  int turn = 0;
  for (auto _ : state) {
    double s = 0, b = 0, w = 0;
    // Each takes its turn going first, so that none always meets a cold or a warm page cache.
    for (int k = 0; k < 3; ++k) {
      switch ((turn + k) % 3) {
        case 0: s = studioSave(ours); break;
        case 1: b = openMeshSave(theirs); break;
        default: w = plainWrite(plain, bytes); break;
      }
    }
    ++turn;
    lo = std::min(lo, s), hi = std::max(hi, s);
    baseLo = std::min(baseLo, b), baseHi = std::max(baseHi, b);
    plainLo = std::min(plainLo, w), plainHi = std::max(plainHi, w);
    ratioLo = std::min(ratioLo, s / w), ratioHi = std::max(ratioHi, s / w);
    state.SetIterationTime(s);
  }
  state.counters["ms_min"] = lo * 1e3;
  state.counters["ms_max"] = hi * 1e3;
  state.counters["openmesh_ms_min"] = baseLo * 1e3;
  state.counters["openmesh_ms_max"] = baseHi * 1e3;
  state.counters["plain_ms_min"] = plainLo * 1e3;
  state.counters["plain_ms_max"] = plainHi * 1e3;
  state.counters["x_plain_min"] = ratioLo;
  state.counters["x_plain_max"] = ratioHi;
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(ours)) / 1e6;
  std::filesystem::remove(ours);
  std::filesystem::remove(plain);
  std::filesystem::remove(theirs);
}

void BM_SavePly(benchmark::State& state) { measure(state, ".ply"); }
void BM_SaveObj(benchmark::State& state) { measure(state, ".obj"); }
BENCHMARK(BM_SavePly)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveObj)->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
