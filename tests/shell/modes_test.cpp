#include <gtest/gtest.h>

#include "flow/cell_grid.h"
#include "model/entity.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"

namespace {

tk::Event From(const char* name) {
  tk::Event ev;
  ev.element = tk::GetHandle(name);
  return ev;
}

std::string Prompt() { return tk::GetAttribute(tk::GetHandle("datatopmsg"), "TITLE"); }

class Modes : public ::testing::Test {
 protected:
  void SetUp() override {
    cmd::keyboardEntry = false;
    cmd::ResetToSelect();
  }
  void TearDown() override {
    deleteAll();
    cmd::keyboardEntry = false;
  }
};

TEST_F(Modes, PickDoneRestartsTheModeOrFallsBackToSelect) {
  cmd::LineMode();
  ASSERT_EQ(cmd::modeRestart, cmd::LineMode);
  cmd::PickDone(nullptr, -1);  // ended by the shell: the shell decides
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  cmd::PickDone(nullptr, 1);   // a line was made: ready for the next
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  cmd::ShowPrompt(nullptr, "Entre com ponto final");
  cmd::PickDone(nullptr, 0);   // the user cancelled: back to Select
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  EXPECT_EQ(Prompt(), " ");
}

TEST_F(Modes, SelectFromASwitchedOffToggleKeepsTheMode) {
  cmd::Line(From("btline"));
  ASSERT_EQ(cmd::modeRestart, cmd::LineMode);
  tk::Event off = From("grid_tgl");  // any toggle reports its state
  off.state = 0;
  cmd::Select(off);
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  // The button reports no state and always selects.
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("btsel"), "ACTION"), tk::kDefault);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
}

TEST_F(Modes, EscapeFromAnyFieldReturnsToSelectAndLetsTheKeyThrough) {
  cmd::Line(tk::Event{});
  EXPECT_EQ(tk::test::Key(tk::GetHandle("htext"), tk::kKeyEsc), tk::kDefault);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
}

TEST_F(Modes, StartingTheLineModeRemovesTheFlowPicture) {
  new LineEntity(2, 2, 2, 6);
  new LineEntity(2, 6, 6, 6);
  cmd::ViewGrid(tk::Event{});
  ASSERT_FALSE(cmd::PipelineRunning());
  ASSERT_FALSE(cellGrid.cells.empty());
  cmd::Select(From("btsel"));
  EXPECT_FALSE(cellGrid.cells.empty());
  cmd::Line(From("btline"));
  EXPECT_TRUE(cellGrid.cells.empty());
}

TEST_F(Modes, CursorReadoutsShowTwoDecimalsAndClearWhenThePointerLeaves) {
  cmd::ShowCursorPos(nullptr, 3.14159, -12.5);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorxpos, "TITLE"), "   3.14");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorypos, "TITLE"), " -12.50");
  tk::test::Fire(cmd::handles.datascreen, "LEAVEWINDOW_CB");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorxpos, "TITLE"), " ");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorypos, "TITLE"), " ");
}

TEST_F(Modes, ExitEmptiesTheDrawingAndClosesTheLoop) {
  new LineEntity(0, 0, 1, 1);
  ASSERT_NE(EntityList, nullptr);
  ASSERT_FALSE(cmd::PipelineRunning());
  EXPECT_EQ(cmd::Exit(tk::Event{}), tk::kClose);
  EXPECT_EQ(EntityList, nullptr);
}

}  // namespace
