// Times "Calcular" and the view commands in the real main window on drawings
// of many random short walls, next to the batch tool on the same files;
// then, on the sample drawings, live mode from a change of the drawing to
// its new picture on screen, and Esc during a 400-cell "Calcular".  Needs
// an X display.  Figures are printed, never judged pass or fail.
//
//   window-bench [WALLS ...]        drawings of these sizes (default 2000 20000 200000)
//   window-bench --live             only live mode and Esc
//   window-bench --write N FILE     only writes a drawing of N random walls
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "flow/analysis.h"
#include "model/drawing_file.h"
#include "model/entity_list.h"
#include "shell/commands.h"
#include "shell/editing.h"
#include "shell/modes.h"
#include "shell/startup.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;  // the best of a few runs, so a busy machine disturbs less

double Seconds(const std::function<void()>& action) {
  const auto start = Clock::now();
  action();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double BestOf(int runs, const std::function<void()>& action) {
  double best = Seconds(action);
  for (int r = 1; r < runs; ++r) best = std::fmin(best, Seconds(action));
  return best;
}

// Walls 0.2 to 1 unit long in any direction, their first ends spread over
// 100 x 60 units; the same seed gives the same drawing.
bool WriteRandomWalls(int count, const std::string& path) {
  EntityList drawing;
  std::mt19937 random(20261206u + static_cast<unsigned>(count));
  std::uniform_real_distribution<double> x(0, 100), y(0, 60), length(0.2, 1.0),
      angle(0, 2 * M_PI);
  for (int i = 0; i < count; ++i) {
    const double x0 = x(random), y0 = y(random), l = length(random), a = angle(random);
    const double x1 = x0 + l * std::cos(a), y1 = y0 + l * std::sin(a);
    drawing.insertAtFront(new LineEntity(x0, y0, x1, y1, 0.15));
  }
  std::string error;
  const bool saved = SaveDrawingFile(path, drawing, error);
  if (!saved) std::fprintf(stderr, "window-bench: %s: %s\n", path.c_str(), error.c_str());
  return saved;
}

// Waits for the window system and the renderer to finish the frame, so its
// cost is counted where it was asked for.
void Settle() {
  tk::GLMakeCurrent(cmd::handles.datascreen);
  glFinish();
}

tk::Event CanvasEvent() {
  tk::Event ev;
  ev.element = cmd::handles.datascreen;
  return ev;
}

void OpenThroughTheMenu(shell::Workspace& ws, const std::string& path) {
  tk::test::QueueAnswer({false, {path}});
  cmd::ProjReadFile(ws, tk::Event{});
  Settle();
}

// Processes events until the window waits for no analysis.
void WaitForAnalysis(shell::Workspace& ws) {
  while (ws.awaited.run != 0) tk::LoopWait(0.1);
}

// From the click to the picture of the result on screen.
void Calcular(shell::Workspace& ws) {
  cmd::ViewGrid(ws, tk::Event{});
  WaitForAnalysis(ws);
  Settle();
}

void Command(const std::function<int(const tk::Event&)>& command, tk::Event ev) {
  command(ev);
  Settle();
}

ViewWindow Shown() {
  ViewWindow w{};
  ViewGetWindow(cmd::handles.datascreen, &w.xmin, &w.xmax, &w.ymin, &w.ymax);
  return w;
}

bool Moved(const ViewWindow& a, const ViewWindow& b) {
  return a.xmin != b.xmin || a.xmax != b.xmax || a.ymin != b.ymin || a.ymax != b.ymax;
}

// Moves the window a tenth of its width, to and fro: a frame that cannot
// start from the pixels of the last one.
void MoveTheWindow() {
  static double direction = 1;
  const ViewWindow w = Shown();
  const double shift = direction * 0.1 * (w.xmax - w.xmin);
  direction = -direction;
  ViewSetWindow(cmd::handles.datascreen, w.xmin + shift, w.xmax + shift, w.ymin, w.ymax);
  Settle();
}

// A view command timed on its own; says so when it does not change the view.
void PrintViewStep(const char* label, const std::function<int(const tk::Event&)>& command,
                   tk::Event ev) {
  const ViewWindow before = Shown();
  const double seconds = BestOf(kRuns, [&] { Command(command, ev); });
  std::printf("  %-22s %8.3f s%s\n", label, seconds,
              Moved(before, Shown()) ? "" : "   (the view did not change)");
}

void BenchDrawing(shell::Workspace& ws, int walls, const std::string& path) {
  std::printf("%d random walls (%s)\n", walls, path.c_str());
  const std::string batchCommand = std::string(BRISEL_FLOW_TOOL) + " " + path + " >/dev/null";
  int status = 0;
  const double batch = BestOf(kRuns, [&] { status = std::system(batchCommand.c_str()); });
  if (status != 0) std::printf("  the batch tool failed (status %d)\n", status);

  const double open = BestOf(kRuns, [&] { OpenThroughTheMenu(ws, path); });
  // The analysis alone, as the batch tool runs it once the file is read.
  const double analysis =
      BestOf(kRuns, [&] { Analyse(ws.drawing.entities.walls(), AnalysisOptions{}); });
  ReleaseGrid(ws.result);
  const double window = BestOf(2, [&] { Calcular(ws); });
  const bool computed = ws.result.grid.cellCount > 0;
  std::printf("  %-22s %8.3f s   (reading the file included)\n", "batch tool", batch);
  std::printf("  %-22s %8.3f s\n", "analysis, no window", analysis);
  std::printf("  %-22s %8.3f s   goal 1 s (200 000 walls)\n", "open", open);
  std::printf("  %-22s %8.3f s   %.2f x the batch tool, %.2f x the analysis; goal 3 x + 1 s = %.3f s%s\n",
              "Calcular", window, window / batch, window / analysis, 3 * batch + 1,
              computed ? "" : "   (NO RESULT)");

  const double redraw = BestOf(kRuns, [] { Command(cmd::VisRedisplay, CanvasEvent()); });
  std::printf("  %-22s %8.3f s   goal 0.15 s (200 000 walls)\n", "redraw (VisRedisplay)", redraw);
  std::printf("  %-22s %8.3f s   every wall drawn again\n", "redraw, window moved",
              BestOf(kRuns, [] { MoveTheWindow(); }));
  PrintViewStep("zoom step (VisZoomIn)", cmd::VisZoomIn, CanvasEvent());
  tk::Event right = CanvasEvent();
  right.key = tk::kKeyRight;
  PrintViewStep("pan (Right arrow)", [&ws](const tk::Event& ev) { return cmd::KeyCrtl(ws, ev); },
                right);
  std::fflush(stdout);
}

// Clicks a toggle of the bottom bar.
void Click(const char* toggle, bool on) {
  tk::Event ev;
  ev.state = on ? 1 : 0;
  tk::test::Fire(tk::GetHandle(toggle), "ACTION", ev);
}

void OpenSample(shell::Workspace& ws, const std::string& name) {
  cmd::CloseDrawing(ws);
  OpenThroughTheMenu(ws, std::string(BRISEL_EXAMPLES_DIR) + "/" + name);
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// In live mode on the grid of `cells`: a short wall drawn inside the drawing
// (its extent unchanged), timed from the line's making to its result's
// picture on screen; then undone, as a second change timed the same way.
void BenchLiveChanges(shell::Workspace& ws, const std::string& sample, int cells, double goal) {
  OpenSample(ws, sample);
  Click(("cells" + std::to_string(cells) + "_tgl").c_str(), true);
  Click("live_tgl", true);
  WaitForAnalysis(ws);
  double xmin, xmax, ymin, ymax;
  ws.drawing.entities.drawingExtents(xmin, xmax, ymin, ymax);
  const double cx = (xmin + xmax) / 2, cy = (ymin + ymax) / 2, d = (xmax - xmin) / 40;
  std::vector<double> times;
  for (int k = 0; k < 3; ++k) {
    for (bool undo : {false, true}) {
      const auto start = Clock::now();
      if (undo) {
        cmd::UndoChange(ws);
      } else {
        cmd::CreateLine(ws, cx - d, cy - d * (k + 1), cx + d, cy + d);
      }
      WaitForAnalysis(ws);
      Settle();
      times.push_back(Milliseconds(Clock::now() - start));
    }
  }
  Click("live_tgl", false);
  // The analysis alone, now, on this machine: what the window adds is the rest.
  const double alone =
      1e3 * BestOf(kRuns, [&ws] { Analyse(ws.drawing.entities.walls(), ws.options); });
  std::sort(times.begin(), times.end());
  std::printf("  %-16s %3d cells: change -> picture  median %7.1f ms  worst %7.1f ms   "
              "goal %.0f ms%s   (analysis alone %.1f ms)\n",
              sample.c_str(), cells, times[times.size() / 2], times.back(), goal,
              times.back() <= goal ? "" : " OVER", alone);
  std::fflush(stdout);
}

// Esc into a 400-cell "Calcular", once its gauge has moved: the time
// until the window has answered (controls back, picture without a result
// on screen), and until the worker has dropped the run.
void BenchEsc(shell::Workspace& ws) {
  OpenSample(ws, "corridor.dat");
  Click("cells400_tgl", true);
  cmd::ViewGrid(ws, tk::Event{});
  while (cmd::PipelineRunning(ws) && tk::GetAttribute(cmd::handles.gauge, "VALUE") == "0")
    tk::LoopWait(0.005);
  tk::Event esc;
  esc.element = cmd::handles.datascreen;
  esc.key = tk::kKeyEsc;
  const bool running = cmd::PipelineRunning(ws);
  const auto start = Clock::now();
  cmd::KeyCrtl(ws, esc);
  Settle();
  const double answered = Milliseconds(Clock::now() - start);
  while (!ws.worker.Idle()) std::this_thread::sleep_for(std::chrono::microseconds(200));
  const double dropped = Milliseconds(Clock::now() - start);
  std::printf("  Esc during a 400-cell Calcular%s: window answered %.1f ms (goal 50 ms), "
              "worker stopped %.1f ms\n",
              running ? "" : " (IT HAD ENDED)", answered, dropped);
  Click("cells60_tgl", true);
}

void BenchLive(shell::Workspace& ws) {
  std::printf("live mode on the samples\n");
  for (const char* sample :
       {"corridor.dat", "house.dat", "l_block.dat", "single_room.dat", "two_rooms.dat"}) {
    BenchLiveChanges(ws, sample, 60, 100);
    BenchLiveChanges(ws, sample, 240, 500);
  }
  Click("cells60_tgl", true);
  BenchEsc(ws);
}

std::string TemporaryFolder() {
  char pattern[] = "/tmp/window-bench-XXXXXX";
  const char* folder = mkdtemp(pattern);
  return folder ? folder : "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--write")
    return WriteRandomWalls(std::atoi(argv[2]), argv[3]) ? 0 : 1;

  const bool liveOnly = argc == 2 && std::string(argv[1]) == "--live";
  std::vector<int> sizes;
  for (int i = 1; i < argc && !liveOnly; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty() && !liveOnly) sizes = {2000, 20000, 200000};
  const std::string folder = TemporaryFolder();
  if (folder.empty()) {
    std::perror("window-bench: temporary folder");
    return 1;
  }

  shell::Workspace workspace;
  shell::StartUp(workspace);
  for (int i = 0; i < 30; ++i) tk::LoopStep();
  tk::test::EnableScripting(true);
  for (int walls : sizes) {
    const std::string path = folder + "/walls" + std::to_string(walls) + ".dat";
    if (walls > 0 && WriteRandomWalls(walls, path)) BenchDrawing(workspace, walls, path);
    std::remove(path.c_str());
  }
  rmdir(folder.c_str());
  BenchLive(workspace);
  cmd::EndAnalyses(workspace);
  cmd::CloseDrawing(workspace);
  tk::Close();
  return 0;
}
