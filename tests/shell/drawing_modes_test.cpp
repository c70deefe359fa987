// Select, Drag and Line driven through the canvas's own callbacks, as the
// mouse would, on the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/workspace_access.h"
#include "flow/flow_report.h"
#include "model/entity.h"
#include "model/history.h"
#include "shell/commands.h"
#include "shell/editing.h"
#include "shell/line_dialogs.h"
#include "shell/line_mode.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/pick.h"
#include "view/redraw.h"
#include "view/view.h"

namespace {

const std::string kNoKeys = "     ";
const std::string kShift = "S    ";
const std::string kControl = " C   ";

struct Segment {
  double x0, y0, x1, y1;
};

// The walls from the front (the newest) to the back.
std::vector<Segment> Walls() {
  std::vector<Segment> walls;
  shelltest::Entities().forEachFrontToBack([&](Entity* e) {
    auto* l = static_cast<LineEntity*>(e);
    walls.push_back({l->x0, l->y0, l->x1, l->y1});
  });
  return walls;
}

std::vector<bool> Selection() {
  std::vector<bool> selected;
  shelltest::Entities().forEachFrontToBack([&](Entity* e) { selected.push_back(e->selected != 0); });
  return selected;
}

std::string Prompt() { return tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"); }

class DrawingModes : public ::testing::Test {
 protected:
  void SetUp() override {
    shelltest::Entities().deleteAll();
    shelltest::Hist().Clear();  // earlier walls must not make Abrir ask first
    shelltest::Hist().MarkUnchanged();
    shelltest::Settings().gridShown = shelltest::Settings().snapToGrid = false;
    shelltest::Settings().gridStepX = shelltest::Settings().gridStepY = 1;
    cmd::keyboardEntry = false;
    tk::test::EnableScripting(true);
    ShowWindow(0, 10, 0, 10);
    cmd::ResetToSelect();
  }
  void TearDown() override {
    cmd::ResetToSelect();
    shelltest::Entities().deleteAll();
    shelltest::Settings().gridShown = shelltest::Settings().snapToGrid = false;
    tk::test::EnableScripting(false);
  }

  static tk::Element* Canvas() { return cmd::handles.datascreen; }

  static void ShowWindow(double xmin, double xmax, double ymin, double ymax) {
    ViewSetWindow(Canvas(), xmin, xmax, ymin, ymax);
    tk::GLMakeCurrent(Canvas());
  }

  static void Button(double x, double y, int button, int pressed,
                     const std::string& status = kNoKeys, int dx = 0, int dy = 0) {
    shelltest::Mouse(Canvas(), "BUTTON_CB", x, y, button, pressed, status, dx, dy);
  }
  static void Move(double x, double y, const std::string& status = kNoKeys) {
    shelltest::Mouse(Canvas(), "MOTION_CB", x, y, 0, 0, status);
  }
  static void Click(double x, double y, const std::string& status = kNoKeys, int button = '1') {
    Move(x, y, status);
    Button(x, y, button, 1, status);
    Button(x, y, button, 0, status);
  }
  static void DragFromTo(double x0, double y0, double x1, double y1,
                         const std::string& status = kNoKeys) {
    Move(x0, y0, status);
    Button(x0, y0, '1', 1, status);
    Move((x0 + x1) / 2, (y0 + y1) / 2, status);
    Move(x1, y1, status);
    Button(x1, y1, '1', 0, status);
  }

  static bool RedOnScreenAt(double x, double y) {
    return shelltest::ShownAt(Canvas(), x, y) == Rgb{255, 0, 0};
  }

  static void ExpectWall(const Segment& s, double x0, double y0, double x1, double y1,
                         double tolerance = 1e-9) {
    EXPECT_NEAR(s.x0, x0, tolerance);
    EXPECT_NEAR(s.y0, y0, tolerance);
    EXPECT_NEAR(s.x1, x1, tolerance);
    EXPECT_NEAR(s.y1, y1, tolerance);
  }

  static void ShowGridAndSnap(bool snap) {
    shelltest::Settings().gridShown = true;
    shelltest::Settings().snapToGrid = snap;
  }
};

// ---- Line ----------------------------------------------------------------------------

TEST_F(DrawingModes, TwoClicksMakeASelectedRedWallAndTheModeStartsAgain) {
  ShowGridAndSnap(true);
  shelltest::NewLine(1, 9, 9, 9);
  shelltest::Entities().head()->selected = 1;
  cmd::Line(shelltest::Ws(), tk::Event{});
  Click(1.1, 1.2);
  Move(4.2, 4.9);
  EXPECT_EQ(Prompt(), "Comprimento =      5.000");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorxpos, "TITLE"), "   4.00");
  Click(4.2, 4.9);
  ASSERT_EQ(Walls().size(), 2u);
  ExpectWall(Walls()[0], 1, 1, 4, 5);
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false}));
  EXPECT_TRUE(RedOnScreenAt(2.5, 3));
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(pickService.request.echoStyle, EchoCross + EchoBox);

  // Two clicks at one place make nothing; the mode asks for a first point.
  Click(6, 6);
  Click(6, 6);
  EXPECT_EQ(Walls().size(), 2u);
  EXPECT_EQ(Prompt(), "Entre primeiro ponto com botao esquerdo do mouse; Botao do meio => Teclado.");

  // The right button drops a first point, then leaves the mode.
  Click(2, 2);
  Click(3, 3, kNoKeys, '3');
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_FALSE(pickService.request.echoStyle & EchoLine);
  Click(3, 3, kNoKeys, '3');
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  EXPECT_EQ(Walls().size(), 2u);
}

TEST_F(DrawingModes, ShiftLocksTheDirectionAndControlInvertsSnapping) {
  const struct {
    double x, y, lockedX, lockedY;
  } locks[] = {{3, 1, 3, 0}, {3, 2.5, 3, 3}, {-3, 2.5, -3, 3}, {0.5, 4, 0, 4}};
  for (const auto& l : locks) {
    double x = l.x, y = l.y;
    cmd::DirectionLock(0, 0, x, y);
    EXPECT_EQ(x, l.lockedX);
    EXPECT_EQ(y, l.lockedY);
  }

  cmd::Line(shelltest::Ws(), tk::Event{});
  ShowGridAndSnap(true);
  Click(2.1, 2.9);             // snapped to (2, 3)
  Click(6.7, 4.1, kShift);     // (7, 4) locked level: (7, 3)
  Click(5.3, 5.3, kControl);   // free
  Click(2.5, 5.6, kControl);
  shelltest::Settings().snapToGrid = false;
  Click(7.8, 7.2, kControl);   // snapping off: Control snaps, to (8, 7)
  Click(8.8, 8.8, kControl);
  ASSERT_EQ(Walls().size(), 3u);
  ExpectWall(Walls()[2], 2, 3, 7, 3);
  ExpectWall(Walls()[1], 5.3, 5.3, 2.5, 5.6, 0.05);
  EXPECT_NE(Walls()[1].x0, 5);
  ExpectWall(Walls()[0], 8, 7, 9, 9);
}

TEST_F(DrawingModes, MiddleButtonOrControlRightAsksForCoordinates) {
  cmd::Line(shelltest::Ws(), tk::Event{});
  // The first point by dialog, opened by Control + right, whose release
  // comes without the right button in the status.
  tk::test::QueueAnswer({false, {"x0_line3_handle=0.1", "y0_line3_handle=0.2", "call_fok"}});
  Move(5, 5);
  Button(5, 5, '3', 1, " C  3");
  Button(5, 5, '3', 0, " C   ");
  EXPECT_EQ(tk::test::PendingAnswers(), 0u);
  EXPECT_EQ(Prompt(), "Entre com ponto final; Botao do meio => Teclado; Botao da direita => Cancela.");
  // The end point by dialog, on the "Incremental" tab: typed values are
  // taken exactly, however short the line.
  tk::test::QueueAnswer(
      {false, {"stb_handle=Incremental", "x1_line5_handle=0.05", "y1_line5_handle=0", "call_sok"}});
  Click(7, 7, kNoKeys, '2');
  ASSERT_EQ(Walls().size(), 1u);
  EXPECT_EQ(Walls()[0].x0, 0.1);
  EXPECT_EQ(Walls()[0].y0, 0.2);
  EXPECT_EQ(Walls()[0].x1, 0.1 + 0.05);
  EXPECT_EQ(Walls()[0].y1, 0.2);
  // A cancelled dialog goes back to Select.
  Click(7, 7, kNoKeys, '2');
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  tk::SetAttribute(tk::GetHandle("stb_handle"), "VALUE", "Absoluto");
}

TEST_F(DrawingModes, KeyboardLineAsksLineAfterLineUntilCancel) {
  tk::Event ev;
  cmd::Keyboard(ev);
  ASSERT_TRUE(cmd::keyboardEntry);
  // Each dialog starts where the last line ended; a zero tolerance becomes
  // 0.001.
  tk::test::QueueAnswer({false, {"x1_line1_handle=3", "tl_line1_handle=0", "call_ok"}});
  tk::test::QueueAnswer({false, {"y1_line1_handle=4", "call_ok"}});
  tk::test::QueueAnswer({false, {"call_cn"}});
  cmd::Line(shelltest::Ws(), tk::Event{});
  EXPECT_EQ(tk::test::PendingAnswers(), 0u);
  ASSERT_EQ(Walls().size(), 2u);
  ExpectWall(Walls()[1], 0, 0, 3, 0);
  ExpectWall(Walls()[0], 3, 0, 3, 4);
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("tl_line1_handle"), "VALUE"), "0.001000");
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  cmd::Keyboard(ev);
}

TEST_F(DrawingModes, APickEndedByAnotherCommandChangesNothing) {
  cmd::Line(shelltest::Ws(), tk::Event{});
  Click(2, 2);
  cmd::ProjSaveFile(shelltest::Ws(), tk::Event{});  // cancelled; ends the pick, re-arms the mode
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(pickService.request.echoStyle, EchoCross + EchoBox);
  Click(5, 5);
  tk::test::Key(cmd::handles.datascreen, tk::kKeyEsc);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  cmd::Line(shelltest::Ws(), tk::Event{});
  Click(5, 5);
  cmd::ProjReadFile(shelltest::Ws(), tk::Event{});  // cancelled: the first point goes, the mode stays
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(pickService.request.echoStyle, EchoCross + EchoBox);
  EXPECT_TRUE(Walls().empty());
}

// ---- Select ---------------------------------------------------------------------------

TEST_F(DrawingModes, SelectByClickAndByFenceWithAndWithoutShift) {
  shelltest::NewLine(1, 1, 4, 1);
  shelltest::NewLine(1, 3, 4, 3);
  shelltest::NewLine(6, 1, 6, 8);  // the front
  Click(6, 5);
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
  Click(2, 3, kShift);
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false}));
  Click(2, 3, kShift);  // Shift on a selected wall takes it out
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
  Click(9, 9);  // empty canvas
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));

  // A fence takes what lies wholly inside.
  DragFromTo(0.5, 0.5, 5, 3.5);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, true, true}));
  DragFromTo(0.5, 2.5, 7, 3.5, kShift);  // inverts the wall at y = 3
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true}));

  // 4 pixels apart is a click at the press point; 5 is a fence.
  Move(2, 1);
  Button(2, 1, '1', 1);
  Button(2, 1, '1', 0, kNoKeys, 4, 4);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true}));
  Button(9, 9, '1', 1);
  Button(9, 9, '1', 0, kNoKeys, 5, 0);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
}

// ---- Drag ------------------------------------------------------------------------------

TEST_F(DrawingModes, DragStretchesByBoxHandlesAndMovesEndsAndWholeWalls) {
  ShowGridAndSnap(true);
  Entity* wall = shelltest::NewLine(0, 0, 4, 2);
  wall->selected = 1;
  tk::test::Key(cmd::handles.datascreen, 'm');
  ASSERT_EQ(cmd::modeRestart, cmd::DragMode);
  ASSERT_LT(pickService.request.tolerance, 1.0);

  // Box handle 5, the middle of the right side: the wall doubles in width
  // about the left side.  The model waits for the release; the screen does not.
  Move(4.02, 1.03);
  Button(4.02, 1.03, '1', 1);
  Move(8, 1);
  ExpectWall(Walls()[0], 0, 0, 4, 2);
  EXPECT_TRUE(RedOnScreenAt(7.5, 1.85));
  Button(8, 1, '1', 0);
  ExpectWall(Walls()[0], 0, 0, 8, 2);
  EXPECT_EQ(cmd::modeRestart, cmd::DragMode);

  // Near an end, the vertex handle wins over the box corner: only that end moves.
  DragFromTo(8, 2, 6, 5);
  ExpectWall(Walls()[0], 0, 0, 6, 5);

  // An unselected wall pressed anywhere moves whole, by the cursor's move.
  shelltest::Settings().snapToGrid = false;
  shelltest::NewLine(1, 8, 3, 8);
  DragFromTo(2, 8, 3, 9);
  ASSERT_EQ(Walls().size(), 2u);
  ExpectWall(Walls()[0], 2, 9, 4, 9, 0.03);
  shelltest::Settings().snapToGrid = true;
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false}));

  // A click selects the wall under it and goes back to Select, moving
  // nothing even though the release snaps to the grid and the press did not.
  Click(3, 2.5);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, true}));
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  ExpectWall(Walls()[1], 0, 0, 6, 5);
}

TEST_F(DrawingModes, AHorizontalWallIsLengthenedByItsEndBoxHandle) {
  ShowGridAndSnap(true);
  shelltest::Settings().gridStepX = shelltest::Settings().gridStepY = 0.5;
  // Close enough that the handles of the box lie outside the ends' reach.
  ShowWindow(2.5, 5.5, -1.5, 1.5);
  Entity* wall = shelltest::NewLine(0, 0, 4, 0);
  wall->selected = 1;
  cmd::Drag(tk::Event{});
  ASSERT_LT(pickService.request.tolerance, 0.075);
  DragFromTo(4, 0, 5, 0);
  ExpectWall(Walls()[0], 0, 0, 5, 0);
}

// A dragged wall is shown where it is held by every redraw, whatever asks
// for it, while the model stays exactly as it was until the release.
// Dropped by Esc, the wall is shown where it is again and, in live mode,
// analysed there again.
TEST_F(DrawingModes, DragPreviewLeavesTheModelExactlyAsItWas) {
  Entity* wall = shelltest::NewLine(0.1, 0.3, 4.7, 2.9);
  wall->selected = 1;
  const Segment before = Walls()[0];
  tk::Event on;
  on.state = 1;
  tk::test::Fire(tk::GetHandle("live_tgl"), "ACTION", on);
  cmd::Drag(tk::Event{});
  Move(4.7, 1.6);
  Button(4.7, 1.6, '1', 1);  // the box handle on the right: a stretch to x = 9.24
  for (double x = 4.8; x < 9.5; x += 0.37) Move(x, 1.6 + x / 50);
  ViewRedisplay(Canvas());
  EXPECT_TRUE(RedOnScreenAt(8.33, 2.64));  // on the stretched wall only
  tk::test::Key(cmd::handles.datascreen, tk::kKeyEsc);  // no release: nothing applied
  ExpectWall(Walls()[0], before.x0, before.y0, before.x1, before.y1, 0);
  EXPECT_FALSE(RedOnScreenAt(8.33, 2.64));
  EXPECT_TRUE(RedOnScreenAt(2.4, 1.6));
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  EXPECT_TRUE(FlowDumpText(shelltest::Ws().result) ==
              FlowDumpText(Analyse(shelltest::Entities().walls(), shelltest::Ws().options)));
  tk::test::Fire(tk::GetHandle("live_tgl"), "ACTION", tk::Event{});
  ReleaseGrid(shelltest::Ws().result);
}

// ---- Undo ------------------------------------------------------------------------------

// Each wall with its selection, from the front.
std::vector<std::vector<double>> Drawing() {
  std::vector<std::vector<double>> drawing;
  shelltest::Entities().forEachFrontToBack([&](Entity* e) {
    std::vector<double> wall = e->shape();
    wall.push_back(e->selected);
    drawing.push_back(wall);
  });
  return drawing;
}

// Walls drawn by mouse and by dialog and the three kinds of drag, each one
// step: Control+Z takes them back one by one, selection included, and
// Control+Y makes them again.
TEST_F(DrawingModes, LinesAndDragsAreUndoneAndRedoneOneByOne) {
  shelltest::Hist().Clear();
  std::vector<std::vector<std::vector<double>>> states = {Drawing()};
  cmd::Line(shelltest::Ws(), tk::Event{});
  Click(1, 1);
  Click(5, 3);
  states.push_back(Drawing());
  tk::test::QueueAnswer({false, {"stb_handle=Absoluto", "x1_line4_handle=1", "y1_line4_handle=8",
                                 "call_sok"}});
  Click(1, 1);
  Click(7, 7, kNoKeys, '2');
  states.push_back(Drawing());
  ASSERT_EQ(Walls().size(), 2u);

  tk::test::Key(Canvas(), 'm');
  DragFromTo(3, 2, 4, 2.5);  // the older wall, pressed in its middle, moves whole
  states.push_back(Drawing());
  DragFromTo(2, 1.5, 2, 0.5);  // now selected: its end or box corner stretches it
  states.push_back(Drawing());
  DragFromTo(1, 8, 2, 9);  // the unselected dialog wall moves whole, selected again
  states.push_back(Drawing());
  for (size_t i = 1; i < states.size(); ++i) ASSERT_NE(states[i], states[i - 1]) << i;

  for (size_t i = states.size() - 1; i-- > 0;) {
    tk::test::Key(Canvas(), tk::CtrlKey('z'), " C");
    EXPECT_EQ(Drawing(), states[i]) << "after undoing to state " << i;
  }
  EXPECT_EQ(cmd::modeRestart, cmd::DragMode);
  for (size_t i = 1; i < states.size(); ++i) {
    tk::test::Key(Canvas(), tk::CtrlKey('y'), " C");
    EXPECT_EQ(Drawing(), states[i]) << "after redoing to state " << i;
  }
  shelltest::Hist().Clear();
}

}  // namespace
