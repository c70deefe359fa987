// "Calcular" and live mode in the real main window: the picture they
// leave, the window's controls while the analysis runs beside it, the
// drawings "Calcular" must refuse, and results that belong to the drawing
// on screen only.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/flow/main_window_fixture.h"
#include "tests/shell/shell_test_env.h"
#include "tests/shell/workspace_access.h"
#include "flow/boundary_arrows.h"
#include "flow/cell_grid.h"
#include "flow/flow_report.h"
#include "flow/flow_draw.h"
#include "flow/grid_build.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/entity.h"
#include "model/history.h"
#include "shell/commands.h"
#include "shell/editing.h"
#include "model/drawing_file.h"
#include "shell/startup.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace {

const char* const kButtons[] = {"btsel", "btline", "btkeyboard", "btdel"};

class CalcularGuiTest : public MainWindowTest {
 protected:
  void SetUp() override {
    Click("live_tgl", false);
    Click("cells60_tgl", true);
    ASSERT_TRUE(shelltest::WaitForAnalysis());
    MainWindowTest::SetUp();
  }

  // The dump of the analysis of the drawing as it is, run on its own.
  static std::string AnalysedAlone() {
    return FlowDumpText(Analyse(shelltest::Entities().walls(), shelltest::Ws().options));
  }

  // Whether the shown picture is red at a world point or a pixel next to it.
  static bool RedNear(double x, double y) {
    tk::GLMakeCurrent(Canvas());
    double xmin, xmax, ymin, ymax;
    ViewGetWindow(Canvas(), &xmin, &xmax, &ymin, &ymax);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int px = int((x - xmin) / (xmax - xmin) * viewport[2]);
    const int py = int((y - ymin) / (ymax - ymin) * viewport[3]);
    unsigned char rgb[9 * 3] = {};
    glReadBuffer(GL_FRONT);
    glReadPixels(px - 1, py - 1, 3, 3, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    for (int k = 0; k < 9; ++k) {
      if (rgb[3 * k] > 200 && rgb[3 * k + 1] < 80 && rgb[3 * k + 2] < 80) return true;
    }
    return false;
  }

  // The whole picture on the screen, or the one just drawn into the back buffer.
  static std::vector<unsigned char> Picture(GLenum buffer) {
    tk::GLMakeCurrent(Canvas());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<unsigned char> rgb(size_t(viewport[2]) * viewport[3] * 3);
    glFinish();
    glReadBuffer(buffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewport[2], viewport[3], GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }

  // The scene drawn with one glBegin per wall, as each wall draws itself.
  static std::vector<unsigned char> PictureWallByWall() {
    tk::GLMakeCurrent(Canvas());
    double xmin, xmax, ymin, ymax;
    ViewGetWindow(Canvas(), &xmin, &xmax, &ymin, &ymax);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetProjection(xmin, xmax, ymin, ymax);
    shelltest::Entities().forEachBackToFront([](Entity* e) { e->draw(); });
    DrawStreamlines(shelltest::Ws().result);
    DrawBoundaryArrows(shelltest::Grid());
    return Picture(GL_BACK);
  }

  static std::string DrawingText() {
    return WrittenText([](std::FILE* f) { return WriteDrawing(f, shelltest::Entities()); });
  }

  // A partial picture shown must be that of the drawing reaching `xmax`.
  static void ExpectPartialOf(double xmax) {
    if (shelltest::Ws().partial) {
      EXPECT_NEAR(shelltest::Ws().partial->grid.xmax, xmax, 0.01);
    }
  }

  static std::string Prompt() { return tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"); }

  static void ExpectRestoredControls() {
    for (const char* name : kButtons) {
      EXPECT_EQ(tk::GetAttribute(tk::GetHandle(name), "ACTIVE"), "YES") << name;
    }
    EXPECT_EQ(tk::GetAttribute(cmd::handles.gauge, "VALUE"), "0");
    EXPECT_EQ(tk::GetAttribute(cmd::handles.gauge, "SHOW_TEXT"), "NO");
    EXPECT_FALSE(cmd::PipelineRunning(shelltest::Ws()));
  }
};

// "Calcular" gives the controls back and draws the wind arrows beside the
// grid (the streamlines' red is checked by stop_calculation.sh and the
// study test's colour map).
TEST_F(CalcularGuiTest, GivesTheControlsBackAndDrawsTheWindArrows) {
  Open("house.dat");
  Calcular();
  ExpectRestoredControls();
  ASSERT_EQ(shelltest::Grid().cellCount, 3600);
  ASSERT_GT(shelltest::Streamlines().size(), 2u);
  const ArrowScales scales = BoundaryArrowScales(shelltest::Grid());
  const int west = 30 * 60;
  double cx, cy;
  CellCentre(shelltest::Grid(), west, cx, cy);
  const double shaft = ComputeBoundaryDirection(shelltest::Grid(), west).speed * scales.shaft;
  EXPECT_TRUE(RedNear(shelltest::Grid().xmin - shaft / 2, cy));  // a west arrow's shaft
}

// Walls are sent to OpenGL in one batch; the picture must be the one each
// wall drawing itself gives, on every sample and on overlapping walls of
// several colours.
TEST_F(CalcularGuiTest, PictureAfterCalcularIsTheOneDrawnWallByWall) {
  for (const char* sample :
       {"single_room.dat", "two_rooms.dat", "house.dat", "l_block.dat", "corridor.dat", ""}) {
    SCOPED_TRACE(sample);
    if (*sample) {
      Open(sample);
    } else {
      shelltest::Entities().deleteAll();
      for (int i = 0; i < 12; ++i) shelltest::NewLine(i, 0, 12 - i, 6, (i % 3) * 0x7F3F1F + (i % 2));
      shelltest::NewLine(0, 3, 12, 3, 0x123456);
      ViewFit(Canvas());
    }
    Calcular();
    ASSERT_EQ(shelltest::Grid().cellCount, 3600);
    const std::vector<unsigned char> shown = Picture(GL_FRONT);
    const std::vector<unsigned char> wallByWall = PictureWallByWall();
    ASSERT_EQ(shown.size(), wallByWall.size());
    size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) differing += shown[i] != wallByWall[i];
    EXPECT_EQ(differing, 0u);
  }
}

// A refused drawing gets a message, and the picture of the previous
// drawing does not stay on screen over it.
TEST_F(CalcularGuiTest, RefusedDrawingsSayWhyAndDiscardTheEarlierPicture) {
  Open("single_room.dat");
  Calcular();
  ASSERT_EQ(shelltest::Grid().cellCount, 3600);
  shelltest::Entities().deleteAll();
  Calcular();
  shelltest::NewLine(0, 2, 6, 2);
  Calcular();
  shelltest::Entities().deleteAll();
  shelltest::NewLine(0, 0, 1e-120, 1e-120);
  Calcular();
  const auto messages = tk::test::TakeMessages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "Calcular|O desenho está vazio: não há nada a calcular.");
  EXPECT_EQ(messages[1], "Calcular|O desenho precisa ter largura e altura.");
  EXPECT_EQ(messages[2], "Calcular|O desenho é pequeno demais para o cálculo.");
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(shelltest::Streamlines().empty());
  ExpectRestoredControls();
}

// A solve stopped at its iteration limit keeps its picture but says that
// the flow shown is not converged.
TEST_F(CalcularGuiTest, AnUnconvergedSolveIsReportedAsApproximate) {
  Open("house.dat");
  shelltest::Ws().options.maxSweeps = 2;
  Calcular();
  shelltest::Ws().options.maxSweeps = 0;
  EXPECT_EQ(tk::test::TakeMessages(),
            std::vector<std::string>{"Calcular|O cálculo não convergiu no limite de iterações: "
                                     "o escoamento mostrado é aproximado."});
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);
  ExpectRestoredControls();
}

// The Line mode re-armed while the computation runs leaves the result it
// finds alone; the result goes when the computation ends.
TEST_F(CalcularGuiTest, LineModeDuringTheComputationDiscardsTheResultAtTheEnd) {
  Open("house.dat");
  StartCalcular();
  cmd::LineMode();
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(shelltest::Streamlines().empty());
  ExpectRestoredControls();
  cmd::ResetToSelect();
}

// Whatever fails in the computation leaves no half-built grid and says what
// failed; only a failed allocation is reported as a lack of memory.
TEST_F(CalcularGuiTest, AFailureDuringTheComputationSaysWhatFailed) {
  const struct {
    std::function<void()> fail;
    std::string message;
  } cases[] = {
      {[] { throw std::bad_alloc(); }, "Calcular|Memória insuficiente para o cálculo."},
      {[] { throw std::length_error("vector::reserve"); },
       "Calcular|O cálculo falhou: vector::reserve."},
      {[] { throw 1; }, "Calcular|O cálculo falhou por um erro inesperado."},
  };
  for (const auto& c : cases) {
    Open("single_room.dat");
    Calcular();
    const std::vector<Wall> walls = shelltest::Entities().walls();
    cmd::StartAnalysis(shelltest::Ws(), shell::AnalysisKind::Calcular,
                       [&walls, &c](AnalysisProgress& progress) {
                         struct FailingHalfWay : AnalysisProgress {
                           AnalysisProgress* outer;
                           std::function<void()> fail;
                           int redraws = 0;
                           void Redraw(const AnalysisResult&) override {
                             if (++redraws == 2) fail();  // once the flow is solved
                           }
                           const std::atomic<bool>* CancelFlag() const override {
                             return outer->CancelFlag();
                           }
                         } failing;
                         failing.outer = &progress;
                         failing.fail = c.fail;
                         return Analyse(walls, AnalysisOptions{}, failing);
                       });
    ASSERT_TRUE(shelltest::WaitForAnalysis());
    EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{c.message});
    EXPECT_EQ(shelltest::Grid().cellCount, 0);
    EXPECT_TRUE(shelltest::Streamlines().empty());
    ExpectRestoredControls();
  }
}

// While "Calcular" runs, the commands that would change the drawing or the
// result do nothing.  An exit, once the unsaved change is settled, cancels
// the computation and ends at once.
TEST_F(CalcularGuiTest, CommandsArrivingDuringTheComputationAreHeldBack) {
  Open("house.dat");
  shelltest::Hist().Clear();
  shelltest::Hist().MarkUnchanged();
  shelltest::Entities().head()->selected = 1;
  cmd::Delete(shelltest::Ws(), tk::Event{});  // a change that could be undone
  const Entity* const front = shelltest::Entities().head();
  shelltest::Entities().head()->selected = 1;
  const int popups = tk::test::ScriptedPopups();
  StartCalcular();
  ASSERT_TRUE(cmd::PipelineRunning(shelltest::Ws()));
  cmd::Delete(shelltest::Ws(), tk::Event{});
  cmd::MoveSelBack(shelltest::Ws(), tk::Event{});
  cmd::ProjReadFile(shelltest::Ws(), tk::Event{});
  cmd::Line(shelltest::Ws(), tk::Event{});
  EXPECT_FALSE(cmd::CreateLine(shelltest::Ws(), 0, 0, 1, 1));
  cmd::ViewGrid(shelltest::Ws(), tk::Event{});
  tk::test::Key(Canvas(), tk::CtrlKey('z'), " C");
  EXPECT_EQ(shelltest::Entities().head(), front);  // nothing deleted, moved, read or undone
  EXPECT_NE(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(tk::test::ScriptedPopups(), popups);  // no Open dialog
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);  // the computation finished
  EXPECT_FALSE(shelltest::Streamlines().empty());
  ExpectRestoredControls();

  shelltest::Ws().options.cells = 400;
  StartCalcular();
  tk::test::QueueAnswer({false, {"Descartar"}});
  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kClose);
  shelltest::Ws().options.cells = 60;
  EXPECT_EQ(tk::test::ScriptedPopups(), popups + 1);  // the question about the change
  EXPECT_TRUE(shelltest::Ws().worker.Idle());
  EXPECT_EQ(shelltest::Ws().awaited.run, 0u);
  EXPECT_EQ(shelltest::Entities().head(), nullptr);
}

// Esc while the computation runs answers at once: nothing of the result is
// kept, the controls come back, the message line says so and the drawing
// is untouched; the computation, dropped, never shows up later.
TEST_F(CalcularGuiTest, EscStopsTheComputation) {
  Open("house.dat");
  const std::string drawing = DrawingText();
  ViewRedisplay(Canvas());
  const std::vector<unsigned char> drawingAlone = Picture(GL_FRONT);
  Calcular();
  ASSERT_EQ(shelltest::Grid().cellCount, 3600);
  shelltest::Ws().options.cells = 240;
  StartCalcular();
  tk::test::Key(Canvas(), tk::kKeyEsc);
  shelltest::Ws().options.cells = 60;
  ExpectRestoredControls();
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(shelltest::Streamlines().empty());
  EXPECT_EQ(Prompt(), "Cálculo interrompido: nenhum resultado foi mantido.");
  EXPECT_EQ(DrawingText(), drawing);
  EXPECT_TRUE(Picture(GL_FRONT) == drawingAlone);
  EXPECT_TRUE(shelltest::WaitFor([] { return shelltest::Ws().worker.Idle(); }));
  for (int i = 0; i < 10; ++i) tk::LoopWait(0.01);
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(Picture(GL_FRONT) == drawingAlone);
}

// A 400-cell "Calcular" leaves the window live: the arrows pan and the
// zoom works at once, the gauge moves and the picture grows, while the
// drawing buttons stay inactive to the end.
// The analysis waits at each of its pictures until the window has shown one
// and moved the gauge, so that neither a fast machine nor a busy one can
// finish the run before the window had a chance to show any of it; the
// first picture comes late enough for the worker to hand it on.
TEST_F(CalcularGuiTest, TheWindowStaysLiveDuringA400CellCalcular) {
  Open("house.dat");
  Click("cells400_tgl", true);
  ASSERT_EQ(shelltest::Ws().options.cells, 400);
  std::atomic<bool> released{false};
  const std::vector<Wall> walls = shelltest::Entities().walls();
  const AnalysisOptions options = shelltest::Ws().options;
  cmd::StartAnalysis(shelltest::Ws(), shell::AnalysisKind::Calcular, [&](AnalysisProgress& progress) {
    struct HeldAtPictures : AnalysisProgress {
      AnalysisProgress* outer;
      std::atomic<bool>* released;
      bool first = true;
      void GaugeMoved(double value) override { outer->GaugeMoved(value); }
      void Pause() override { outer->Pause(); }
      void Redraw(const AnalysisResult& partial) override {
        if (first) std::this_thread::sleep_for(AnalysisPacing{}.firstPartial + std::chrono::milliseconds(20));
        first = false;
        outer->Redraw(partial);
        const std::atomic<bool>* cancel = outer->CancelFlag();
        while (!*released && !(cancel && *cancel)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      const std::atomic<bool>* CancelFlag() const override { return outer->CancelFlag(); }
    } held;
    held.outer = &progress;
    held.released = &released;
    return Analyse(walls, options, held);
  });
  double xmin, xmax, ymin, ymax, x2min, x2max, y2min, y2max;
  ViewGetWindow(Canvas(), &xmin, &xmax, &ymin, &ymax);
  tk::test::Key(Canvas(), tk::kKeyRight);
  cmd::VisZoomIn(tk::Event{});
  ViewGetWindow(Canvas(), &x2min, &x2max, &y2min, &y2max);
  EXPECT_LT(x2max - x2min, xmax - xmin);  // zoomed in
  EXPECT_LT(x2min + x2max, xmin + xmax);  // moved left: the drawing goes right
  EXPECT_TRUE(cmd::PipelineRunning(shelltest::Ws()));
  bool gaugeMoved = false, partShown = false, buttonsInactive = true;
  for (int waits = 0; shelltest::Ws().awaited.run != 0; ++waits) {
    tk::LoopWait(0.05);
    gaugeMoved |= tk::GetAttribute(cmd::handles.gauge, "VALUE") != "0";
    partShown |= shelltest::Ws().partial != nullptr;
    if (shelltest::Ws().awaited.run != 0)
      buttonsInactive &= tk::GetAttribute(tk::GetHandle("btline"), "ACTIVE") == "NO";
    if ((gaugeMoved && partShown) || waits == 400) released = true;
  }
  EXPECT_TRUE(gaugeMoved);
  EXPECT_TRUE(partShown);
  EXPECT_TRUE(buttonsInactive);
  EXPECT_EQ(shelltest::Grid().cellCount, 400 * 400);
  ExpectRestoredControls();
  Click("cells60_tgl", true);
  Click("cells60_tgl", false);  // clicked again, the choice stays
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("cells60_tgl"), "VALUE"), "ON");
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("cells400_tgl"), "VALUE"), "OFF");
  EXPECT_EQ(shelltest::Ws().options.cells, 60);
}

// In live mode every change of the drawing, of the grid or of the wind
// brings the result of the drawing as it now is, the one an analysis of it
// alone gives, without "Calcular"; the editing commands are not held back.
TEST_F(CalcularGuiTest, LiveModeFollowsEveryChangeOfTheDrawing) {
  Open("house.dat");
  shelltest::Hist().Clear();
  Click("live_tgl", true);
  EXPECT_FALSE(cmd::PipelineRunning(shelltest::Ws()));
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  EXPECT_TRUE(FlowDumpText(shelltest::Ws().result) == AnalysedAlone());

  const std::function<void()> changes[] = {
      [] { ASSERT_TRUE(cmd::CreateLine(shelltest::Ws(), 1, 1, 3, 4)); },
      [] { cmd::Delete(shelltest::Ws(), tk::Event{}); },  // the new line, selected
      [] { cmd::UndoChange(shelltest::Ws()); },
      [] { cmd::RedoChange(shelltest::Ws()); },
      [] { Click("cells120_tgl", true); },
      [] { SetField("windtext", "200"); },
  };
  for (const auto& change : changes) {
    const std::string before = FlowDumpText(shelltest::Ws().result);
    change();
    ASSERT_TRUE(shelltest::WaitForAnalysis());
    const std::string now = FlowDumpText(shelltest::Ws().result);
    EXPECT_NE(now, before);
    EXPECT_TRUE(now == AnalysedAlone());
  }
  EXPECT_TRUE(tk::test::TakeMessages().empty());
  SetField("windtext", "270");
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  // Switched off, a change leaves the picture alone, as after "Calcular".
  Click("live_tgl", false);
  const std::string last = FlowDumpText(shelltest::Ws().result);
  ASSERT_TRUE(cmd::CreateLine(shelltest::Ws(), 1, 1, 3, 4));
  EXPECT_TRUE(shelltest::WaitForAnalysis());
  EXPECT_TRUE(FlowDumpText(shelltest::Ws().result) == last);
}

// Changes faster than the analyses: each cancels the run before it, and
// neither a result nor a partial picture of an older drawing is ever
// shown, only those of the newest.
TEST_F(CalcularGuiTest, LiveModeNeverShowsAResultOfAnOlderDrawing) {
  Open("house.dat");
  Click("cells240_tgl", true);
  Click("live_tgl", true);
  double xmax = 0;
  for (int i = 1; i <= 4; ++i) {
    ASSERT_TRUE(cmd::CreateLine(shelltest::Ws(), 0, 0, 20 + i, 1));  // each reaches further east
    double x0, x1, y0, y1;
    ASSERT_TRUE(shelltest::Entities().drawingExtents(x0, x1, y0, y1));
    xmax = x1;
    for (int k = 0; k < 3; ++k) {
      tk::LoopWait(0.02);
      ExpectPartialOf(xmax);
    }
  }
  while (shelltest::Ws().awaited.run != 0) {
    tk::LoopWait(0.02);
    ExpectPartialOf(xmax);
  }
  EXPECT_NEAR(shelltest::Grid().xmax, xmax, 0.01);
  EXPECT_TRUE(FlowDumpText(shelltest::Ws().result) == AnalysedAlone());
}

}  // namespace
