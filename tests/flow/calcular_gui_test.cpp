// "Calcular" in the real main window: the picture it leaves, the state of
// the buttons and the gauge, and a drawing it must refuse.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/flow/main_window_fixture.h"
#include "tests/shell/workspace_access.h"
#include "flow/boundary_arrows.h"
#include "flow/cell_grid.h"
#include "flow/face_weighted.h"
#include "flow/flow_draw.h"
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
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&buffer, &size);
    WriteDrawing(f, shelltest::Entities());
    std::fclose(f);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
  }

  static std::string Prompt() { return tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"); }

  static void ExpectRestoredControls() {
    for (const char* name : kButtons) {
      EXPECT_EQ(tk::GetAttribute(tk::GetHandle(name), "ACTIVE"), "YES") << name;
    }
    EXPECT_EQ(tk::GetAttribute(cmd::handles.gauge, "VALUE"), "0");
    EXPECT_EQ(tk::GetAttribute(cmd::handles.gauge, "SHOW_TEXT"), "NO");
    EXPECT_FALSE(cmd::PipelineRunning());
  }
};

TEST_F(CalcularGuiTest, ShowsRedStreamlinesAndWindArrows) {
  Open("house.dat");
  Calcular();
  ExpectRestoredControls();
  ASSERT_EQ(shelltest::Grid().cellCount, 3600);
  ASSERT_GT(shelltest::Streamlines().size(), 2u);
  // The picture is that of the converged, face-weighted field.
  EXPECT_LE(FaceWeightedResidual(shelltest::Grid(), shelltest::Grid().cellWidth, shelltest::Grid().cellHeight), kResidualRatio);

  const Streamline& line = shelltest::Streamlines()[shelltest::Streamlines().size() / 2];
  ASSERT_GT(line.points.size(), 10u);
  const StreamPoint& p = line.points[line.points.size() / 2];
  EXPECT_TRUE(RedNear(p.x, p.y));

  const ArrowScales scales = BoundaryArrowScales(shelltest::Grid());
  const GridCell& west = shelltest::Grid().cells[30 * 60];
  const double shaft = west.boundarySpeed * scales.shaft;
  EXPECT_TRUE(RedNear(shelltest::Grid().xmin - shaft / 2, west.centreY));  // a west arrow's shaft
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
  shelltest::Ws().options = AnalysisOptions{};
  EXPECT_EQ(tk::test::TakeMessages(),
            std::vector<std::string>{"Calcular|O cálculo não convergiu no limite de iterações: "
                                     "o escoamento mostrado é aproximado."});
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);
  ExpectRestoredControls();
}

// The Line mode re-armed while the computation runs cannot take the grid
// from under it; the grid goes when the computation ends.
TEST_F(CalcularGuiTest, LineModeDuringTheComputationDiscardsTheResultAtTheEnd) {
  Open("house.dat");
  bool arrived = false;
  tk::test::QueueEvent([&] {
    arrived = true;
    cmd::LineMode();
  });
  Calcular();
  ASSERT_TRUE(arrived);
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(shelltest::Streamlines().empty());
  ExpectRestoredControls();
  cmd::ResetToSelect();
}

// Whatever stops the computation leaves no half-built grid and says what
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
    tk::test::QueueEvent(c.fail);
    Calcular();
    EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{c.message});
    EXPECT_EQ(shelltest::Grid().cellCount, 0);
    EXPECT_TRUE(shelltest::Streamlines().empty());
    ExpectRestoredControls();
  }
}

// Events keep arriving while "Calcular" runs.  Commands that would change
// or pull the drawing or the grid from under it do nothing then, and an
// exit, once the unsaved change is settled, waits for the end of the
// computation.
TEST_F(CalcularGuiTest, CommandsArrivingDuringTheComputationAreHeldBack) {
  Open("house.dat");
  shelltest::Hist().Clear();
  shelltest::Hist().MarkUnchanged();
  shelltest::Entities().head()->selected = 1;
  cmd::Delete(shelltest::Ws(), tk::Event{});  // a change that could be undone
  const Entity* const front = shelltest::Entities().head();
  shelltest::Entities().head()->selected = 1;
  const int popups = tk::test::ScriptedPopups();
  bool arrived = false;
  tk::test::QueueEvent([&] {
    arrived = true;
    ASSERT_TRUE(cmd::PipelineRunning());
    const int cells = shelltest::Grid().cellCount;
    cmd::Delete(shelltest::Ws(), tk::Event{});
    cmd::MoveSelBack(shelltest::Ws(), tk::Event{});
    cmd::ProjReadFile(shelltest::Ws(), tk::Event{});
    cmd::Line(tk::Event{});
    EXPECT_FALSE(cmd::CreateLine(shelltest::Ws(), 0, 0, 1, 1));  // a line mode already running
    cmd::ViewGrid(shelltest::Ws(), tk::Event{});
    tk::test::Key(Canvas(), tk::CtrlKey('z'), " C");
    tk::test::QueueAnswer({false, {"Descartar"}});
    cmd::Exit(shelltest::Ws(), tk::Event{});
    EXPECT_EQ(shelltest::Entities().head(), front);  // nothing deleted, moved, read or undone
    EXPECT_EQ(shelltest::Grid().cellCount, cells);
    EXPECT_NE(cmd::modeRestart, cmd::LineMode);
    EXPECT_TRUE(cmd::ExitPending());
  });
  Calcular();
  ASSERT_TRUE(arrived);
  EXPECT_EQ(tk::test::ScriptedPopups(), popups + 1);  // the exit question, no Open dialog
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);  // the computation finished
  EXPECT_FALSE(shelltest::Streamlines().empty());
  // The exit took effect at the end: the drawing was emptied then.
  EXPECT_FALSE(cmd::ExitPending());
  EXPECT_EQ(shelltest::Entities().head(), nullptr);
  ExpectRestoredControls();
}

// Esc while the computation runs stops it at its next step: nothing of the
// result is kept, the controls come back, the message line says so and the
// drawing is untouched.  The next "Calcular" runs to the end.
TEST_F(CalcularGuiTest, EscStopsTheComputation) {
  Open("house.dat");
  const std::string drawing = DrawingText();
  ViewRedisplay(Canvas());
  const std::vector<unsigned char> drawingAlone = Picture(GL_FRONT);
  bool arrived = false;
  tk::test::QueueEvent([&] {
    arrived = true;
    tk::test::Key(Canvas(), tk::kKeyEsc);
  });
  Calcular();
  ASSERT_TRUE(arrived);
  ExpectRestoredControls();
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_TRUE(shelltest::Streamlines().empty());
  EXPECT_EQ(Prompt(), "Cálculo interrompido: nenhum resultado foi mantido.");
  EXPECT_EQ(DrawingText(), drawing);
  EXPECT_TRUE(Picture(GL_FRONT) == drawingAlone);

  Calcular();
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);
  EXPECT_GT(shelltest::Streamlines().size(), 2u);
  EXPECT_EQ(Prompt(), " ");
  ExpectRestoredControls();
}

}  // namespace
