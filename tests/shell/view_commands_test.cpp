// The view controls of the main window: the tool buttons, the dial, the size
// fields and the keys change the view and the size read-outs follow.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace {

tk::Element* ByAction(tk::Element* root, const std::string& command) {
  if (tk::GetAttribute(root, "ACTION") == command && tk::KindOf(root) == "button") return root;
  for (tk::Element* child : tk::Children(root))
    if (tk::Element* found = ByAction(child, command)) return found;
  return nullptr;
}

ViewWindow Window() {
  ViewWindow w{};
  ViewGetWindow(cmd::handles.datascreen, &w.xmin, &w.xmax, &w.ymin, &w.ymax);
  return w;
}

double Width() { return Window().xmax - Window().xmin; }

// What the read-outs must show for the current window.
void ExpectReadouts() {
  char h[32], v[32];
  std::snprintf(h, sizeof h, "%6.1f", Width());
  std::snprintf(v, sizeof v, "%6.1f", Window().ymax - Window().ymin);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.htext, "VALUE"), h);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.vtext, "VALUE"), v);
}

void Click(const char* command) {
  tk::Element* button = ByAction(cmd::handles.main, command);
  ASSERT_NE(button, nullptr) << command;
  tk::test::Fire(button, "ACTION");
}

// The immediate commands and the V field refresh the read-outs; p is typed
// text, not a command, in a field.
TEST(ViewCommands, ReadoutsFollowTheViewAndFieldsKeepTheirKeys) {
  Click("VisZoomOut");
  ExpectReadouts();
  tk::Event turned;
  turned.angle = 1;
  tk::test::Fire(cmd::handles.scaledial, "MOUSEMOVE_CB", turned);
  ExpectReadouts();
  tk::SetAttribute(cmd::handles.vtext, "VALUE", "12");
  tk::test::Fire(cmd::handles.vtext, "K_CR");
  EXPECT_NEAR(Window().ymax - Window().ymin, 12, 1e-9);
  ExpectReadouts();

  Click("VisZoomIn");
  tk::test::Key(cmd::handles.htext, 'p');
  EXPECT_NEAR(Window().ymax - Window().ymin, 10, 1e-9);
  tk::test::Key(cmd::handles.datascreen, 'p');
  EXPECT_NEAR(Window().ymax - Window().ymin, 12, 1e-9);
  ExpectReadouts();
}

// A mouse button on the canvas at toolkit pixel (x, y).
void CanvasButton(int button, int pressed, int x, int y) {
  tk::Event ev;
  ev.button = button;
  ev.state = pressed;
  ev.x = x;
  ev.y = y;
  ev.status = "     ";
  tk::test::Fire(cmd::handles.datascreen, "BUTTON_CB", ev);
}

// "Ampliar com Janela" prompts for its area, takes it from two clicks, and
// however it ends the read-outs are refreshed and the user's mode comes back.
TEST(ViewCommands, ZoomWindowPromptsThenGivesTheModeBack) {
  tk::test::Fire(tk::GetHandle("btline"), "ACTION");
  ASSERT_EQ(cmd::modeRestart, cmd::LineMode);
  const std::string linePrompt = tk::GetAttribute(cmd::handles.datatopmsg, "TITLE");
  const double start = Width();

  Click("VisZoom");
  EXPECT_NE(tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"), linePrompt);
  CanvasButton('1', 1, 100, 100);
  CanvasButton('1', 0, 100, 100);
  CanvasButton('3', 1, 300, 300);  // cancelled
  CanvasButton('3', 0, 300, 300);
  EXPECT_NEAR(Width(), start, 1e-9);
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"), linePrompt);

  Click("VisZoom");
  for (int x : {100, 300}) {  // a fence along a line: the fit gives it height
    CanvasButton('1', 1, x, 100);
    CanvasButton('1', 0, x, 100);
  }
  EXPECT_NEAR(Width(), start * 200 / ViewFind(cmd::handles.datascreen)->viewportWidth, 1e-3);
  ExpectReadouts();
  EXPECT_EQ(cmd::modeRestart, cmd::LineMode);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"), linePrompt);
  cmd::ResetToSelect();
}

}  // namespace
