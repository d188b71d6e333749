// The window's drawing path on a generated scan-like 20M-triangle grid (20k in the smoke run): the
// first moving frame after it is opened, while its levels of detail are being built; the frame
// time of a view drawn as the window draws it, against the floor of the same OpenGL (the same
// triangles from one buffer object, no lighting, nothing else) in the same iteration; a frame
// with half the faces selected against one with none, in turn; the frames drawn while the camera
// moves, whose level of detail follows the measured frame time; the latency from the last of 60
// rapid pointer moves during a tumble to the frame that shows it; and from a press posted while
// a still frame is drawn in pieces to its handling. Needs a display: run it under xvfb-run when
// there is none.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "bench/scan_fixture.h"
#include "bench/smoke.h"
#include "studio/render/gl_api.h"
#include "studio/render/level_of_detail.h"
#include "studio/host/studio_host.h"
#include "studio/window/main_window.h"
#include "studio/window/view_area.h"
#include "studio/window/view_widget.h"
#include "studio/window/window_app.h"
#include "studio/window/window_gl_context.h"
#include "tests/temp_config.h"

namespace {

using namespace tessel;
using Clock = std::chrono::steady_clock;

const std::uint32_t kTriangles = bench::sized(20'000'000u, 20'000u);

struct Session {
  studio::WindowGlContext* context = nullptr;
  std::unique_ptr<studio::StudioHost> host;
  std::unique_ptr<studio::MainWindow> window;
  studio::ViewWidget* view = nullptr;
};
Session* session = nullptr;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The floor: the scan's triangles from one vertex and one index buffer, unlit, one colour.
class OneBufferDraw {
 public:
  explicit OneBufferDraw(const studio::Mesh& m) : count_(static_cast<GLsizei>(m.faces.size())) {
    session->view->makeCurrent();
    gl_.load([](const char* name) { return session->context->procAddress(name); });
    gl_.GenBuffers(2, names_);
    gl_.BindBuffer(GL_ARRAY_BUFFER, names_[0]);
    gl_.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m.positions.size() * 4),
                   m.positions.data(), GL_STATIC_DRAW);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, names_[1]);
    gl_.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m.faces.size() * 4),
                   m.faces.data(), GL_STATIC_DRAW);
    gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  }
  void draw() {
    session->view->makeCurrent();
    gl_.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_.Disable(GL_LIGHTING);
    gl_.Enable(GL_DEPTH_TEST);
    gl_.Color3f(0.7f, 0.7f, 0.7f);
    gl_.EnableClientState(GL_VERTEX_ARRAY);
    gl_.BindBuffer(GL_ARRAY_BUFFER, names_[0]);
    gl_.VertexPointer(3, GL_FLOAT, 0, nullptr);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, names_[1]);
    gl_.DrawElements(GL_TRIANGLES, count_, GL_UNSIGNED_INT, nullptr);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl_.BindBuffer(GL_ARRAY_BUFFER, 0);
    gl_.DisableClientState(GL_VERTEX_ARRAY);
    gl_.Finish();
  }

 private:
  studio::GlApi gl_;
  GLuint names_[2] = {};
  GLsizei count_;
};

std::filesystem::path scanPath;

// Opens the scan unless it is open: the first benchmark opens it, as a person does.
bool openScan() {
  if (session->host->scene().findByName("scan")) return true;
  if (session->window->openFiles({QString::fromStdString(scanPath.string())}) != 1) return false;
  session->view = session->window->viewArea()->view(0);
  return true;
}

studio::Mesh& scanMesh() {
  openScan();
  return *session->host->scene().findByName("scan")->mesh;
}

// The first moving frame after the scan is opened, as in the window: the first still frame starts
// the levels' build on a thread of its own, and a moving frame drawn before they are built draws
// a sample of the faces. Beside it, in the same run, what that frame waited for before the
// levels were built on their own thread: the same build, called on this thread.
void BM_FirstMovingFrameAfterOpen(benchmark::State& state) {
  studio::StudioHost& host = *session->host;
  studio::Renderer& renderer = host.renderer();
  double open = 0, still = 0, moving = 0, ready = 0, direct = 0, drawn = 0;
  for (auto _ : state) {
    if (host.scene().findByName("scan")) {
      state.SkipWithError("the scan was open before: run this benchmark first");
      return;
    }
    auto t0 = Clock::now();
    if (!openScan()) {
      state.SkipWithError("the scan did not open");
      return;
    }
    open += seconds(Clock::now() - t0);
    studio::ViewWidget* w = session->view;
    const auto opened = Clock::now();
    host.drawView(0);  // the first still frame, which starts the build
    still += seconds(Clock::now() - opened);
    host.tools().ActivateTool("Tumble");
    const QPoint centre = w->rect().center();
    QTest::mousePress(w, Qt::LeftButton, {}, centre);
    host.mouseMove(static_cast<float>(centre.x() + 3), static_cast<float>(centre.y() + 1));
    t0 = Clock::now();
    host.drawView(0);
    const double frame = seconds(Clock::now() - t0);
    moving += frame;
    drawn += static_cast<double>(renderer.lastDrawn());
    state.SetIterationTime(frame);
    QTest::mouseRelease(w, Qt::LeftButton, {}, centre + QPoint(3, 1));
    QApplication::processEvents();
    renderer.waitForLevels();
    ready += seconds(Clock::now() - opened);
    const studio::Mesh& m = scanMesh();
    t0 = Clock::now();
    const auto levels =
        studio::detailLevels(m.positions.data(), m.vertexCount(), m.faces.data(), m.faceCount());
    direct += seconds(Clock::now() - t0);
    benchmark::DoNotOptimize(levels.data());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["open_ms"] = open / n * 1e3;
  state.counters["first_still_frame_ms"] = still / n * 1e3;
  state.counters["first_moving_frame_ms"] = moving / n * 1e3;
  state.counters["first_moving_points"] = drawn / n;
  state.counters["levels_ready_after_still_frame_ms"] = ready / n * 1e3;
  state.counters["levels_built_on_this_thread_ms"] = direct / n * 1e3;
  state.counters["triangles"] = static_cast<double>(scanMesh().faceCount());
}
BENCHMARK(BM_FirstMovingFrameAfterOpen)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_WindowFrame(benchmark::State& state) {
  studio::StudioView& view = session->host->views().view(0);
  view.display = static_cast<studio::DisplayMode>(state.range(0));
  OneBufferDraw floor(scanMesh());
  // Drawn now, not marked: RedrawView only marks a view for the next settle.
  session->host->drawView(0);  // the first frame uploads the scan's buffers
  double window = 0, bare = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    session->host->drawView(0);  // the host's frame: clear, light, draw, selection pass, finish
    auto t1 = Clock::now();
    floor.draw();
    auto t2 = Clock::now();
    window += seconds(t1 - t0), bare += seconds(t2 - t1);
    state.SetIterationTime(seconds(t1 - t0));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["window_ms"] = window / n * 1e3;
  state.counters["one_buffer_ms"] = bare / n * 1e3;
  state.counters["ratio"] = window / bare;
  state.counters["triangles"] = static_cast<double>(scanMesh().faceCount());
  view.display = studio::DisplayMode::Smooth;
}
BENCHMARK(BM_WindowFrame)
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(3));

// Half the faces selected (every other one, the worst order for a pass that picks them out)
// against none, in turn. A change of the selection is drawn once untimed before each timed frame:
// what a frame costs while a selection stands is what counts; the frame right after a change is
// reported apart.
void BM_HalfSelectedFrame(benchmark::State& state) {
  studio::StudioHost& host = *session->host;
  std::vector<std::uint8_t>& flags = scanMesh().faceFlags;
  auto select = [&](bool half) {
    for (std::size_t f = 0; f < flags.size(); ++f)
      flags[f] = half && f % 2 ? std::uint8_t{studio::kSelected} : std::uint8_t{0};
  };
  double none = 0, half = 0, change = 0;
  for (auto _ : state) {
    double selectedFrame = 0;
    for (bool halfSelected : {false, true}) {
      select(halfSelected);
      auto t0 = Clock::now();
      host.drawView(0);  // the frame after the change
      change += seconds(Clock::now() - t0);
      t0 = Clock::now();
      host.drawView(0);
      const double frame = seconds(Clock::now() - t0);
      (halfSelected ? half : none) += frame;
      if (halfSelected) selectedFrame = frame;
    }
    state.SetIterationTime(selectedFrame);
  }
  select(false);
  host.drawView(0);
  const double n = static_cast<double>(state.iterations());
  state.counters["unselected_ms"] = none / n * 1e3;
  state.counters["half_selected_ms"] = half / n * 1e3;
  state.counters["ratio"] = half / none;
  state.counters["frame_after_a_change_ms"] = change / (2 * n) * 1e3;
}
BENCHMARK(BM_HalfSelectedFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(3));

// Frames while a tumble drags, one after another as fast as they are drawn: the first after a
// still frame takes its budget from that frame's time, the next ones from their own. The levels
// of detail are built before the timing (their first-use cost is reported apart).
void BM_MovingFrame(benchmark::State& state) {
  openScan();
  studio::ViewWidget* w = session->view;
  studio::StudioHost& host = *session->host;
  studio::Renderer& renderer = host.renderer();
  host.tools().ActivateTool("Tumble");
  const QPoint centre = w->rect().center();
  static double firstUse = -1;
  if (firstUse < 0) {
    renderer.waitForLevels();
    QTest::mousePress(w, Qt::LeftButton, {}, centre);
    const auto t0 = Clock::now();
    host.drawView(0);
    firstUse = seconds(Clock::now() - t0);
    QTest::mouseRelease(w, Qt::LeftButton, {}, centre);
    QApplication::processEvents();
  }
  double still = 0, first = 0, steady = 0, drawn = 0, worst = 0;
  const int kSteady = 10;
  for (auto _ : state) {
    auto t0 = Clock::now();
    host.drawView(0);
    still += seconds(Clock::now() - t0);
    QTest::mousePress(w, Qt::LeftButton, {}, centre);
    double sum = 0;
    for (int i = 0; i <= kSteady; ++i) {
      host.mouseMove(static_cast<float>(centre.x() + 3 * i), static_cast<float>(centre.y() + i));
      t0 = Clock::now();
      host.drawView(0);
      const double frame = seconds(Clock::now() - t0);
      if (i == 0) {
        first += frame;
        continue;
      }
      sum += frame, worst = std::max(worst, frame);
      drawn += static_cast<double>(renderer.lastDrawn());
    }
    steady += sum / kSteady;
    state.SetIterationTime(sum / kSteady);
    QTest::mouseRelease(w, Qt::LeftButton, {}, centre + QPoint(3 * kSteady, kSteady));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["still_frame_ms"] = still / n * 1e3;
  state.counters["first_moving_frame_ms"] = first / n * 1e3;
  state.counters["moving_frame_ms"] = steady / n * 1e3;
  state.counters["worst_moving_frame_ms"] = worst * 1e3;
  state.counters["moving_triangles"] = drawn / (n * kSteady);
  state.counters["first_frame_of_the_levels_ms"] = firstUse * 1e3;
  state.counters["triangles"] = static_cast<double>(scanMesh().faceCount());
}
BENCHMARK(BM_MovingFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(3));

// 60 moves 2 ms apart posted from another thread, as a display server delivers a fast drag
// while a frame is being drawn; the main thread runs the window's event loop. Latency is counted
// in frame times of the scan at rest.
void BM_LastMoveLatency(benchmark::State& state) {
  openScan();
  studio::ViewWidget* w = session->view;
  studio::StudioHost& host = *session->host;
  studio::StudioView& view = host.views().view(0);
  view.display = static_cast<studio::DisplayMode>(state.range(0));
  host.tools().ActivateTool("Tumble");
  const QPoint centre = w->rect().center();
  double latencySum = 0, frameSum = 0, movingSum = 0, framesSum = 0;
  for (auto _ : state) {
    // The frame time a user sees at rest: the scan in full.
    auto f0 = Clock::now();
    host.drawView(0);
    const double frame = seconds(Clock::now() - f0);
    QTest::mousePress(w, Qt::LeftButton, {}, centre);
    QApplication::processEvents();
    // While the camera moves, large meshes draw as levels of detail.
    f0 = Clock::now();
    host.drawView(0);
    movingSum += seconds(Clock::now() - f0);
    const std::uint64_t framesBefore = w->framesPresented();
    std::atomic<bool> done{false};
    Clock::time_point lastPosted;
    const QPoint last = centre + QPoint(120, 60);
    std::thread mover([&] {
      for (int i = 1; i <= 60; ++i) {
        const QPoint p = centre + QPoint(2 * i, i);
        if (i == 60) lastPosted = Clock::now();
        QCoreApplication::postEvent(
            w, new QMouseEvent(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)),
                               Qt::NoButton, Qt::LeftButton, Qt::NoModifier));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      done = true;
    });
    // Until the frame that shows the last move is out.
    Clock::time_point shown;
    for (;;) {
      QApplication::processEvents(QEventLoop::AllEvents);
      float xy[2];
      view.GetCursorPosition(xy);
      if (done && static_cast<int>(xy[0]) == last.x() && static_cast<int>(xy[1]) == last.y()) {
        shown = w->lastFrameTime();
        break;
      }
    }
    mover.join();
    const double latency = seconds(shown - lastPosted);
    latencySum += latency, frameSum += frame;
    framesSum += static_cast<double>(w->framesPresented() - framesBefore);
    state.SetIterationTime(latency);
    QTest::mouseRelease(w, Qt::LeftButton, {}, last);
    QApplication::processEvents();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["latency_ms"] = latencySum / n * 1e3;
  state.counters["frame_ms"] = frameSum / n * 1e3;
  state.counters["moving_frame_ms"] = movingSum / n * 1e3;
  state.counters["latency_in_frames"] = latencySum / frameSum;
  state.counters["frames_for_60_moves"] = framesSum / n;
  view.display = studio::DisplayMode::Smooth;
}
BENCHMARK(BM_LastMoveLatency)
    ->Arg(0)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(5));

// A still frame drawn in pieces between events, as the window draws one after the camera stops:
// a press posted from another thread a while into it, as a display server delivers a click, is
// handled after the piece being drawn, not after the frame. The smoke run's scan fits one piece,
// so there it is cut into a hundred pieces.
void BM_PressDuringRefinement(benchmark::State& state) {
  openScan();
  studio::ViewWidget* w = session->view;
  studio::StudioHost& host = *session->host;
  studio::Renderer& renderer = host.renderer();
  studio::StudioView& view = host.views().view(0);
  host.tools().ActivateTool("Tumble");
  if (bench::smokeRun()) renderer.setPieceTriangles(kTriangles / 100);
  double latencySum = 0, frameSum = 0, piecesSum = 0, worst = 0;
  bool handledDuring = true;
  int n = 0;
  for (auto _ : state) {
    auto f0 = Clock::now();
    host.drawView(0);  // whole, for the frame time a press would wait without pieces
    frameSum += seconds(Clock::now() - f0);
    const QPoint at = w->rect().center() + QPoint(n % 7 - 3, n % 5 - 2);
    ++n;
    view.RedrawView(0);
    QApplication::processEvents();  // the first piece
    if (!renderer.refining()) {
      state.SkipWithError("the still frame was not drawn in pieces");
      break;
    }
    std::atomic<bool> posted{false};
    Clock::time_point postedAt;
    std::thread presser([&] {
      // A quarter of a whole frame in: some pieces drawn, more to come.
      if (!bench::smokeRun())
        std::this_thread::sleep_for(std::chrono::duration<double>(frameSum / n / 4));
      postedAt = Clock::now();
      posted = true;
      QCoreApplication::postEvent(
          w, new QMouseEvent(QEvent::MouseButtonPress, QPointF(at), QPointF(w->mapToGlobal(at)),
                             Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    });
    int pieces = 0;
    for (;;) {
      const bool refiningBefore = renderer.refining();
      QApplication::processEvents(QEventLoop::AllEvents);
      pieces += refiningBefore;
      float xy[2];
      view.GetCursorPosition(xy);
      if (posted && static_cast<int>(xy[0]) == at.x() && static_cast<int>(xy[1]) == at.y()) {
        const double latency = seconds(Clock::now() - postedAt);
        latencySum += latency, worst = std::max(worst, latency);
        state.SetIterationTime(latency);
        break;
      }
      if (!renderer.refining() && posted) handledDuring = false;
    }
    presser.join();
    piecesSum += pieces;
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
    while (renderer.refining()) QApplication::processEvents();
  }
  renderer.setPieceTriangles(0);
  if (!handledDuring) state.SkipWithError("a press waited for the frame to be complete");
  const double iterations = static_cast<double>(state.iterations());
  state.counters["press_handled_ms"] = latencySum / iterations * 1e3;
  state.counters["worst_press_ms"] = worst * 1e3;
  state.counters["whole_frame_ms"] = frameSum / iterations * 1e3;
  state.counters["pieces_before_the_press"] = piecesSum / iterations;
}
BENCHMARK(BM_PressDuringRefinement)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(bench::iterations(5));

}  // namespace

int main(int argc, char** argv) {
  studio::prepareToolkit();
  QApplication app(argc, argv);
  const test::TempConfig config;  // the window's panels write settings; never the user's own
  Session s;
  session = &s;
  auto owned = std::make_unique<studio::WindowGlContext>(800, 600);
  s.context = owned.get();
  s.host = std::make_unique<studio::StudioHost>([](const std::string&) {}, std::move(owned));
  if (std::string e = s.host->loadModule(TESSEL_MODULE_PATH); !e.empty()) {
    std::fprintf(stderr, "%s\n", e.c_str());
    return 1;
  }
  const auto dir = std::filesystem::temp_directory_path() / "tessel-window-bench";
  std::filesystem::create_directories(dir);
  s.window = std::make_unique<studio::MainWindow>(*s.host, *s.context, dir / "settings.json");
  s.window->resize(1280, 860);
  s.window->show();
  if (!QTest::qWaitForWindowExposed(s.window.get())) return 1;
  // The scan-like surface the other 20M benchmarks open, written once to the temporary folder,
  // opened by a name that makes its entity "scan".
  // The first benchmark opens it.
  scanPath = dir / "scan.ply";
  std::filesystem::remove(scanPath);
  std::filesystem::create_symlink(bench::scanFile(bench::scanLikeSurface(kTriangles)), scanPath);
  s.view = s.window->viewArea()->view(0);
  QApplication::processEvents();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  s.window.reset();
  s.host.reset();
  return 0;
}
