// Undo and redo on the 16M-triangle scan-like grid, each against the operation it reverses, and
// the bytes the step keeps: Fill All, a flood of ten rings, a box drawn through an 800 x 600
// view, a numeric translate, and deleting 1M faces. An iteration sets up the operation's
// starting state (untimed), then times the operation, its undo and its redo, and undoes it once
// more so the next iteration starts alike. Nothing is drawn: the frames after each are the
// renderer's, the same for all three.
#include <benchmark/benchmark.h>

#include <numeric>

#include "bench/scan_fixture.h"
#include "bench/stopwatch.h"
#include "bench/studio_fixture.h"

namespace {

using namespace tessel;
using namespace tessel::studio;
using bench::Clock;
using bench::seconds;

struct UndoStudio : bench::LoadedStudio {
  Entity* scan = nullptr;
  platform::omPropertyObj* flood = nullptr;
  platform::omPropertyObj* translate = nullptr;
  UndoStudio() : LoadedStudio(800, 600) {
    scan = &host->scene().add(bench::scanEntity(16'000'000));
    run("command \"View All\"\nmode object\nfilter object \"Mesh\"\ncommand \"Select All\"\n"
        "tool \"Base Translate\"\npanel 33837\nset \"Base Translate\" \"Ref Coord System\" \"Global\"\n"
        "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
        "set \"Base Translate\" \"Selection Type\" \"Object Only\"\n"
        "set \"Base Translate\" \"X\" 0.001\n"
        "mode component\nfilter component \"Faces\"\npanel 34025\n");
    flood = host->panels().findPanel("Flood Select");
    translate = host->panels().findPanel("Base Translate");
  }
  void select(std::vector<std::uint32_t> faces) {
    if (std::string e = host->selectComponents("scan", ComponentKind::Faces, faces); !e.empty())
      throw std::runtime_error(e);
  }
};

UndoStudio& studio() {
  static UndoStudio s;
  return s;
}

enum Operation { kFillAll, kTenRings, kBox, kTranslate, kDelete1M };
const char* const kLabels[] = {"Fill All", "flood of 10 rings", "box through the view",
                               "translate", "delete 1M faces"};

void prepare(UndoStudio& s, int op) {
  PanelManager& panels = s.host->panels();
  const std::uint32_t middle = s.scan->mesh->faceCount() / 2 + 2000;
  switch (op) {
    case kFillAll:
    case kTenRings:
      s.host->mainView().SetObjectMode(0);
      s.select({middle});
      panels.edit(*s.flood, "Fill All", op == kFillAll ? "true" : "false");
      panels.edit(*s.flood, "Fill Range", "10");
      break;
    case kBox:
      s.host->mainView().SetObjectMode(0);
      s.select({});
      s.host->tools().ActivateTool("Component Select");
      break;
    case kTranslate:
      s.host->mainView().SetObjectMode(1);
      s.host->tools().ActivateTool("Base Translate");
      s.host->panels().ShowPanel(s.translate, 33837, {});
      break;
    case kDelete1M: {
      s.host->mainView().SetObjectMode(0);
      std::vector<std::uint32_t> faces(1'000'000);
      // A band across the scan: rows of faces, as a box over a part of it takes them.
      std::iota(faces.begin(), faces.end(), s.scan->mesh->faceCount() / 3);
      s.select(std::move(faces));
      break;
    }
  }
}

void perform(UndoStudio& s, int op) {
  switch (op) {
    case kFillAll:
    case kTenRings: s.host->panels().apply(*s.flood); break;
    case kBox:
      s.host->mouseMove(250, 200);
      s.host->mouseButton(om::kButtonLeft, true, 250, 200);
      s.host->mouseMove(400, 300);
      s.host->mouseMove(550, 400);
      s.host->mouseButton(om::kButtonLeft, false, 550, 400);
      break;
    case kTranslate: s.host->panels().edit(*s.translate, "Apply", "1"); break;
    case kDelete1M: s.host->deleteSelection(); break;
  }
}

void BM_UndoAgainstTheOperation(benchmark::State& state) {
  UndoStudio& s = studio();
  const int op = static_cast<int>(state.range(0));
  double opSeconds = 0, undoSeconds = 0, redoSeconds = 0;
  double bytes = 0;
  int runs = 0;
  for (auto _ : state) {
    prepare(s, op);
    // A step is known by its first change: the history's size stays put once the budget drops
    // an old step for each new one.
    auto newest = [&]() -> const void* {
      const edit::Step* last = s.host->history().nextUndo();
      return last && !last->changes.empty() ? last->changes.front().get() : nullptr;
    };
    const void* before = newest();
    Clock::time_point t = Clock::now();
    perform(s, op);
    const double took = seconds(t);
    const edit::Step* step = s.host->history().nextUndo();
    if (!step || newest() == before) return state.SkipWithError("the operation made no step");
    bytes = static_cast<double>(step->bytes());
    t = Clock::now();
    std::string error = s.host->undo();
    const double undid = seconds(t);
    t = Clock::now();
    if (error.empty()) error = s.host->redo();
    const double redid = seconds(t);
    if (error.empty()) error = s.host->undo();
    if (!error.empty()) return state.SkipWithError(error.c_str());
    state.SetIterationTime(took);
    opSeconds += took, undoSeconds += undid, redoSeconds += redid, ++runs;
  }
  state.SetLabel(kLabels[op]);
  state.counters["op_ms"] = 1e3 * opSeconds / runs;
  state.counters["undo_ms"] = 1e3 * undoSeconds / runs;
  state.counters["redo_ms"] = 1e3 * redoSeconds / runs;
  state.counters["step_bytes"] = bytes;
  // The copy of the flags the recorder compares with, beside the history.
  state.counters["shadow_MB"] = static_cast<double>(s.host->historyShadowBytes()) / (1 << 20);
}
BENCHMARK(BM_UndoAgainstTheOperation)
    ->DenseRange(kFillAll, kDelete1M)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
