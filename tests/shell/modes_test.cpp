#include <gtest/gtest.h>

#include "tests/shell/workspace_access.h"
#include "flow/cell_grid.h"
#include "model/entity.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

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
  cmd::Line(shelltest::Ws(), From("btline"));
  ASSERT_EQ(cmd::modeRestart, cmd::LineMode);
  tk::Event off = From("grid_tgl");  // any toggle reports its state
  off.state = 0;
  cmd::Select(off);
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  // The button reports no state and always selects.
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("btsel"), "ACTION"), tk::kDefault);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
}

bool AnyWall() { return !shelltest::Entities().empty(); }

ViewWindow Window() {
  ViewWindow w{};
  ViewGetWindow(cmd::handles.datascreen, &w.xmin, &w.xmax, &w.ymin, &w.ymax);
  return w;
}

// The main window's keys act wherever the focus is, and each is taken, so
// that no widget acts on it a second time (a scrollbar would pan again); in
// a text field the keys a field uses edit its text instead.
TEST_F(Modes, KeysActFromAnyFocusButLeaveAFieldItsEditingKeys) {
  tk::Element* field = cmd::handles.htext;
  tk::Element* button = tk::GetHandle("btline");
  const ViewWindow start = Window();
  const double height = start.ymax - start.ymin;

  cmd::Line(shelltest::Ws(), From("btline"));
  EXPECT_EQ(tk::test::Key(field, tk::kKeyEsc), tk::kIgnore);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  EXPECT_EQ(tk::test::Key(field, 'm'), tk::kDefault);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  EXPECT_EQ(tk::test::Key(button, 'm'), tk::kIgnore);
  EXPECT_EQ(cmd::modeRestart, cmd::DragMode);

  EXPECT_EQ(tk::test::Key(field, tk::kKeyLeft), tk::kDefault);  // moves the text cursor
  EXPECT_DOUBLE_EQ(Window().ymin, start.ymin);
  EXPECT_DOUBLE_EQ(Window().xmin, start.xmin);
  EXPECT_EQ(tk::test::Key(field, tk::kKeyDown), tk::kIgnore);
  EXPECT_NEAR(Window().ymin, start.ymin + 0.1 * height, 1e-9);
  EXPECT_EQ(tk::test::Key(button, tk::kKeyPgUp), tk::kIgnore);
  EXPECT_NEAR(Window().ymin, start.ymin + 1.1 * height, 1e-9);
  ViewSetWindow(cmd::handles.datascreen, start.xmin, start.xmax, start.ymin, start.ymax);

  // Delete and BackSpace delete the selection, as "Apagar"; in a field they
  // delete text.
  shelltest::NewLine(1, 1, 4, 1)->selected = 1;
  EXPECT_EQ(tk::test::Key(field, tk::kKeyDel), tk::kDefault);
  EXPECT_EQ(tk::test::Key(field, 8), tk::kDefault);
  EXPECT_TRUE(AnyWall());
  EXPECT_EQ(tk::test::Key(button, tk::kKeyDel), tk::kIgnore);
  EXPECT_FALSE(AnyWall());
  shelltest::NewLine(1, 1, 4, 1)->selected = 1;
  EXPECT_EQ(tk::test::Key(cmd::handles.datascreen, 8), tk::kIgnore);
  EXPECT_FALSE(AnyWall());
  cmd::ResetToSelect();
}

TEST_F(Modes, StartingTheLineModeRemovesTheFlowPicture) {
  shelltest::NewLine(2, 2, 2, 6);
  shelltest::NewLine(2, 6, 6, 6);
  cmd::ViewGrid(shelltest::Ws(), tk::Event{});
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  ASSERT_FALSE(shelltest::Grid().type.empty());
  cmd::Select(From("btsel"));
  EXPECT_FALSE(shelltest::Grid().type.empty());
  cmd::Line(shelltest::Ws(), From("btline"));
  EXPECT_TRUE(shelltest::Grid().type.empty());
}

}  // namespace
