// The toolkit on a real X server: the canvas's size and callbacks,
// the layout of a window and its resizing.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <functional>
#include <thread>
#include <vector>

#include "toolkit/toolkit.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { tk::Open(); }
  void TearDown() override { tk::Close(); }

  // The main window's arrangement: a column of tools, beside it a 400x500
  // canvas with scrollbars above a bar wider than the canvas.
  tk::Element* MakeCanvasDialog() {
    canvas = tk::GLCanvas("Redraw");
    tk::SetAttribute(canvas, "SCROLLBAR", "YES");
    tk::SetAttribute(canvas, "BUFFER", "DOUBLE");
    tk::SetAttribute(canvas, "RASTERSIZE", "400x500");
    tk::SetAttribute(canvas, "RESIZE_CB", "Resized");
    bar = tk::Label("a bar wider than the canvas, so the canvas has room to fill");
    tk::SetAttribute(bar, "SIZE", "600");
    column = tk::VBox({tk::Button("b", ""), tk::Fill()});
    dialog = tk::Dialog(tk::HBox({column, tk::VBox({canvas, bar})}));
    return dialog;
  }

  std::string DrawSize() const { return tk::GetAttribute(canvas, "DRAWSIZE"); }

  // Lets the toolkit handle events until `done` holds; the X server answers
  // at its own pace, so a fixed number of steps is not enough on a busy
  // machine.
  static bool PumpUntil(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      tk::LoopStep();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static void DrawWhite() {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  tk::Element* canvas = nullptr;
  tk::Element* bar = nullptr;
  tk::Element* column = nullptr;
  tk::Element* dialog = nullptr;
};

std::string SizeText(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

TEST_F(WindowTest, ResizeIsReportedBeforeTheRedrawThatFollows) {
  std::vector<std::string> calls;
  tk::SetFunction("Resized", [&](const tk::Event& ev) {
    calls.push_back("resize " + SizeText(ev.width, ev.height));
    return tk::kDefault;
  });
  tk::SetFunction("Redraw", [&](const tk::Event& ev) {
    calls.push_back("redraw");
    tk::GLMakeCurrent(ev.element);
    DrawWhite();
    tk::GLSwapBuffers(ev.element);
    return tk::kDefault;
  });
  MakeCanvasDialog();
  tk::Map(dialog);
  const std::string first = DrawSize();
  tk::ShowXY(dialog, tk::kCenter, tk::kCenter);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() >= 2; }));
  EXPECT_EQ(calls[0], "resize " + first);
  EXPECT_EQ(calls[1], "redraw");

  // A larger window grows the canvas; it reports its new size before the
  // redraw that follows.
  calls.clear();
  const tk::test::Placement whole = tk::test::PlacementOf(tk::Parent(column));
  tk::test::ResizeDialog(dialog, whole.w + 100, whole.h + 100);
  ASSERT_TRUE(PumpUntil([&] { return calls.size() >= 2; }));
  EXPECT_NE(DrawSize(), first);
  EXPECT_EQ(calls[0], "resize " + DrawSize());
  EXPECT_EQ(calls[1], "redraw");
}

// A close request made while a long computation lets events through ends
// the loop only when the computation is over.
TEST_F(WindowTest, LoopEndsOnlyOnceControlIsBackInTheLoop) {
  std::vector<std::string> steps;
  tk::SetFunction("Redraw", [&](const tk::Event&) {
    if (!steps.empty()) return tk::kDefault;
    steps.push_back("computing");
    tk::ExitLoop();
    for (int i = 0; i < 3; ++i) tk::LoopStep();
    steps.push_back("computed");
    return tk::kDefault;
  });
  MakeCanvasDialog();
  tk::Map(dialog);
  tk::ShowXY(dialog, tk::kCenter, tk::kCenter);
  tk::Redraw(canvas);
  tk::MainLoop();
  EXPECT_EQ(steps, (std::vector<std::string>{"computing", "computed"}));
  EXPECT_TRUE(tk::IsVisible(dialog));  // nothing is closed before Close
}

}  // namespace
