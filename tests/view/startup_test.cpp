// The canvas's start-up: the first window spans 10 units across the shorter
// side of the canvas, centred on (5, 5).
#include <gtest/gtest.h>

#include "tests/shell/workspace_access.h"
#include "shell/commands.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace {

struct StartCase {
  const char* rasterSize;
  int width, height;
  ViewWindow expected;
};

class StartupTest : public ::testing::TestWithParam<StartCase> {
 protected:
  static void SetUpTestSuite() { tk::Open(); }
  static void TearDownTestSuite() {
    viewList.clear();
    tk::Close();
  }
};

TEST_P(StartupTest, FirstWindowHasTheCanvasShape) {
  const StartCase& c = GetParam();
  tk::Element* canvas = tk::GLCanvas("VisRedraw");
  tk::SetAttribute(canvas, "SCROLLBAR", "YES");
  tk::SetAttribute(canvas, "BUFFER", "DOUBLE");
  tk::SetAttribute(canvas, "HLIMITFACTOR", "5.0");
  tk::SetAttribute(canvas, "VLIMITFACTOR", "5.0");
  tk::SetAttribute(canvas, "FITFACTOR", "1.10");
  tk::SetAttribute(canvas, "RASTERSIZE", c.rasterSize);
  tk::Element* dialog = tk::Dialog(canvas);
  tk::Map(dialog);
  tk::ShowXY(dialog, 0, 0);
  tk::LoopStep();

  cmd::InitCanvas(canvas, shelltest::Ws());
  ViewWindow w{};
  ViewGetWindow(canvas, &w.xmin, &w.xmax, &w.ymin, &w.ymax);
  EXPECT_NEAR(w.xmin, c.expected.xmin, 1e-9);
  EXPECT_NEAR(w.xmax, c.expected.xmax, 1e-9);
  EXPECT_NEAR(w.ymin, c.expected.ymin, 1e-9);
  EXPECT_NEAR(w.ymax, c.expected.ymax, 1e-9);

  // The resize and redraw that follow showing the window keep that window.
  ViewResize(canvas, c.width, c.height);
  ViewCanvasAction(canvas, 0, 0);
  double width = 0, height = 0;
  ViewGetSize(canvas, &width, &height);
  EXPECT_NEAR(width, c.expected.xmax - c.expected.xmin, 1e-9);
  EXPECT_NEAR(height, c.expected.ymax - c.expected.ymin, 1e-9);

  tk::Destroy(dialog);
}

INSTANTIATE_TEST_SUITE_P(Canvases, StartupTest,
                         ::testing::Values(StartCase{"400x500", 400, 500, {0, 10, -1.25, 11.25}},
                                           StartCase{"500x400", 500, 400, {-1.25, 11.25, 0, 10}}));

}  // namespace
