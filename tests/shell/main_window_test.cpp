#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "tests/shell/workspace_access.h"
#include "model/entity.h"
#include "shell/main_window.h"
#include "shell/modes.h"
#include "tests/shell/shell_test_env.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace {

void ForEachElement(tk::Element* root, const std::function<void(tk::Element*)>& visit) {
  if (!root) return;
  visit(root);
  for (tk::Element* child : tk::Children(root)) ForEachElement(child, visit);
}

// A misspelt command name in the window would silently do nothing.
TEST(MainWindow, EveryCommandTheWindowNamesIsRegistered) {
  const char* const callbacks[] = {"ACTION",          "BUTTON_CB",         "MOTION_CB",
                                   "LEAVEWINDOW_CB",  "RESIZE_CB",         "K_ANY",
                                   "K_CR",            "KILLFOCUS_CB",      "BUTTON_PRESS_CB",
                                   "BUTTON_RELEASE_CB", "MOUSEMOVE_CB"};
  int named = 0;
  auto check = [&](tk::Element* e) {
    for (const char* attribute : callbacks) {
      const std::string command = tk::GetAttribute(e, attribute);
      if (command.empty()) continue;
      ++named;
      EXPECT_TRUE(static_cast<bool>(tk::GetFunction(command)))
          << tk::KindOf(e) << " " << attribute << " names " << command;
    }
  };
  ForEachElement(tk::GetHandle("main"), check);
  ForEachElement(tk::GetHandle("bar"), check);
  EXPECT_GE(named, 30);
}

std::pair<int, int> DrawSize(tk::Element* canvas) {
  int w = 0, h = 0;
  std::sscanf(tk::GetAttribute(canvas, "DRAWSIZE").c_str(), "%dx%d", &w, &h);
  return {w, h};
}

// The canvas takes all the room right of the tool column and above the
// bottom bar and follows the window; after a resize the view keeps the
// canvas's shape.  The window never gets smaller than at the start.
TEST(MainWindow, CanvasFollowsTheWindowAndTheViewKeepsItsShape) {
  tk::Element* canvas = tk::GetHandle("datascreen");
  tk::Element* tools = tk::GetHandle("hbox_botao");
  tk::Element* bottomBar = tk::Children(tk::GetHandle("vbox_barra")).at(1);
  const auto fills = [&] {
    const tk::test::Placement room = tk::test::PlacementOf(tk::Parent(tools));
    const tk::test::Placement c = tk::test::PlacementOf(canvas);
    const tk::test::Placement left = tk::test::PlacementOf(tools);
    EXPECT_EQ(c.x, left.x + left.w);
    EXPECT_EQ(c.y, room.y);
    EXPECT_EQ(c.x + c.w, room.x + room.w);
    EXPECT_EQ(c.y + c.h, tk::test::PlacementOf(bottomBar).y);
    return DrawSize(canvas);
  };
  const auto [w, h] = fills();

  // The outer box spans the window below the menu bar.
  const tk::test::Placement outer = tk::test::PlacementOf(tk::Parent(tk::Parent(tools)));
  tk::Element* main = tk::GetHandle("main");
  tk::test::ResizeDialog(main, outer.w + 150, outer.y + outer.h + 90);
  // The view learns the new size when the canvas repaints; the size
  // read-outs show the window it then takes.
  ASSERT_TRUE(shelltest::WaitFor([&] { return ViewFind(canvas)->viewportWidth == w + 150; }));
  const auto [grownW, grownH] = fills();
  EXPECT_EQ(grownH, h + 90);
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  ViewGetWindow(canvas, &xmin, &xmax, &ymin, &ymax);
  EXPECT_NEAR((ymax - ymin) / (xmax - xmin), double(grownH) / grownW, 1e-9);
  char width[32], height[32];
  std::snprintf(width, sizeof width, "%6.1f", xmax - xmin);
  std::snprintf(height, sizeof height, "%6.1f", ymax - ymin);
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("htext"), "VALUE"), width);
  EXPECT_EQ(tk::GetAttribute(tk::GetHandle("vtext"), "VALUE"), height);

  // Made smaller than at the start, the window grows back: every control
  // keeps its place inside it.
  tk::test::ResizeDialog(main, 300, 200);
  const tk::test::Placement window = tk::test::PlacementOf(main);
  ForEachElement(main, [&](tk::Element* e) {
    const tk::test::Placement p = tk::test::PlacementOf(e);
    EXPECT_LE(p.x + p.w, window.w) << tk::KindOf(e) << " " << tk::GetName(e);
    EXPECT_LE(p.y + p.h, window.h) << tk::KindOf(e) << " " << tk::GetName(e);
  });
  EXPECT_EQ(window.w, outer.w);

  tk::test::ResizeDialog(main, outer.w, outer.y + outer.h);
  ASSERT_TRUE(shelltest::WaitFor([&] { return ViewFind(canvas)->viewportWidth == w; }));
  EXPECT_EQ(fills(), std::make_pair(w, h));
}

TEST(MainWindow, SizeFieldsTakeOnlyUnsignedDecimalNumbers) {
  for (const char* name : {"htext", "vtext", "xgrid", "ygrid", "widthtext"}) {
    tk::Element* field = tk::GetHandle(name);
    tk::SetAttribute(field, "VALUE", "");
    EXPECT_EQ(tk::test::Type(field, "-"), "") << name;
    EXPECT_EQ(tk::test::Type(field, "ae+"), "") << name;
    EXPECT_EQ(tk::test::Type(field, "12.5"), "12.5") << name;
    EXPECT_EQ(tk::test::Type(field, "x,-1"), "12.51") << name;
  }
  // A paste is one keystroke: its first character alone must not decide.
  tk::Event paste;
  paste.key = '1';
  paste.text = "1-2";
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("htext"), "ACTION", paste), tk::kIgnore);
  paste.text = "  10.01";  // the read-out's leading blanks stay editable
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("htext"), "ACTION", paste), tk::kDefault);
  // Letters whose code points equal the codes of Home ... Delete (U+0147 to
  // U+0153) are still letters.
  tk::Event letter;
  letter.key = tk::kKeyUp;
  letter.text = "  10.01\xc5\x88";
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("htext"), "ACTION", letter), tk::kIgnore);
  tk::Event backspace;
  backspace.key = 8;
  backspace.text = "  10.0";
  EXPECT_EQ(tk::test::Fire(tk::GetHandle("htext"), "ACTION", backspace), tk::kDefault);
}

// Enter and leaving a field both commit it; only finite values above zero
// are taken (a long run of digits reads as infinity), and the grid steps
// only as a pair.  Either way the size read-outs are written afresh.
TEST(MainWindow, SettingsFieldsTakeOnlyFinitePositiveValues) {
  tk::Element* width = tk::GetHandle("widthtext");
  tk::Element* xgrid = tk::GetHandle("xgrid");
  tk::Element* ygrid = tk::GetHandle("ygrid");
  tk::Element* htext = tk::GetHandle("htext");
  const auto commit = [](tk::Element* field, const char* value, const char* how) {
    tk::SetAttribute(field, "VALUE", value);
    tk::test::Fire(field, how);
  };

  commit(width, "0.3", "K_CR");
  EXPECT_DOUBLE_EQ(shelltest::Settings().wallWidth, 0.3);
  commit(width, "0", "KILLFOCUS_CB");
  commit(width, "", "K_CR");
  commit(width, ".", "K_CR");
  const std::string huge = "9" + std::string(400, '9');
  commit(width, huge.c_str(), "K_CR");
  EXPECT_DOUBLE_EQ(shelltest::Settings().wallWidth, 0.3);

  commit(ygrid, "0.5", "KILLFOCUS_CB");
  commit(xgrid, "2", "K_CR");
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepX, 2.0);
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepY, 0.5);
  commit(ygrid, "0", "K_CR");  // refused: neither step changes
  commit(xgrid, "4", "K_CR");
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepX, 2.0);
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepY, 0.5);
  commit(ygrid, "1", "K_CR");  // both taken: 4 and 1
  commit(xgrid, huge.c_str(), "KILLFOCUS_CB");
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepX, 4.0);
  EXPECT_DOUBLE_EQ(shelltest::Settings().gridStepY, 1.0);

  tk::SetAttribute(htext, "VALUE", "junk");
  commit(width, "0", "K_CR");
  double w = 0;
  ViewGetSize(tk::GetHandle("datascreen"), &w, nullptr);
  char expected[32];
  std::snprintf(expected, sizeof expected, "%6.1f", w);
  EXPECT_EQ(tk::GetAttribute(htext, "VALUE"), expected);

  shelltest::Settings().wallWidth = 0.15;
  shelltest::Settings().gridStepX = shelltest::Settings().gridStepY = 1.0;
}

}  // namespace
