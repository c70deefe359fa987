#include <gtest/gtest.h>

#include "tests/shell/workspace_access.h"
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

class Modes : public ::testing::Test {
 protected:
  void SetUp() override {
    cmd::keyboardEntry = false;
    cmd::ResetToSelect();
  }
  void TearDown() override {
    shelltest::Entities().deleteAll();
    cmd::keyboardEntry = false;
  }
};

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

// Esc in a field returns to Select and lets the key through; m there is
// text, and starts Drag only on the canvas.
TEST_F(Modes, KeysInAFieldReachTheFieldAndEscStillSelects) {
  cmd::Line(tk::Event{});
  EXPECT_EQ(tk::test::Key(tk::GetHandle("htext"), tk::kKeyEsc), tk::kDefault);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  tk::test::Key(cmd::handles.htext, 'm');
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  tk::test::Key(cmd::handles.datascreen, 'm');
  EXPECT_EQ(cmd::modeRestart, cmd::DragMode);
  cmd::ResetToSelect();
}

TEST_F(Modes, StartingTheLineModeRemovesTheFlowPicture) {
  shelltest::NewLine(2, 2, 2, 6);
  shelltest::NewLine(2, 6, 6, 6);
  cmd::ViewGrid(shelltest::Ws(), tk::Event{});
  ASSERT_FALSE(cmd::PipelineRunning());
  ASSERT_FALSE(shelltest::Grid().cells.empty());
  cmd::Select(From("btsel"));
  EXPECT_FALSE(shelltest::Grid().cells.empty());
  cmd::Line(From("btline"));
  EXPECT_TRUE(shelltest::Grid().cells.empty());
}

TEST_F(Modes, CursorReadoutsClearWhenThePointerLeaves) {
  cmd::ShowCursorPos(nullptr, 3.14159, -12.5);
  tk::test::Fire(cmd::handles.datascreen, "LEAVEWINDOW_CB");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorxpos, "TITLE"), " ");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.cursorypos, "TITLE"), " ");
}

}  // namespace
