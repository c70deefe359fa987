// Zoom steps, the previous-window stack, pan steps, the dial and the size
// operations on a real canvas of 400 x 500 pixels.
#include "tests/shell/workspace_access.h"
#include "view/zoom.h"

#include <cmath>
#include <limits>
#include <vector>

#include "tests/view/canvas_fixture.h"
#include "view/pick.h"

namespace {

class ZoomTest : public CanvasTest {
 protected:
  void SetUp() override {
    CanvasTest::SetUp();
    ViewSetCallbacks(canvas_, CountingRedraw, DrawingExtents);
    ShowWindow(400, 500, {0, 10, 0, 10});  // shown as x 0..10, y -1.25..11.25
    ViewSetWindow(canvas_, 0, 10, 0, 10);
  }

  static int DrawingExtents(tk::Element*, double& a, double& b, double& c, double& d) {
    return shelltest::Entities().drawingExtents(a, b, c, d) ? 1 : 0;
  }

  static ViewWindow Tall() { return {0, 10, -1.25, 11.25}; }
};

// Zooms push the window, fits and pans clear the stack; a pan moves the
// request too, so a resize keeps the panned place.
TEST_F(ZoomTest, PreviousWindowsLastUntilAFitOrAPan) {
  ZoomStep(canvas_, true);
  ViewFit(canvas_);
  const int before = redraws_;
  PreviousZoom(canvas_);
  EXPECT_EQ(redraws_, before);

  ViewSetWindow(canvas_, 0, 10, 0, 10);
  ZoomStep(canvas_, true);
  ZoomStep(canvas_, false);
  PanStep(canvas_, PanAxis::Horizontal, +0.1);  // the drawing moves right
  PanStep(canvas_, PanAxis::Vertical, -1.0);    // Page Up: a whole height up
  ExpectWindow(CurrentWindow(), {-1, 9, 11.25, 23.75});
  EXPECT_TRUE(view_->previousWindows.empty());
  ViewResize(canvas_, 400, 500);
  ViewCanvasAction(canvas_, 0, 0);
  ExpectWindow(CurrentWindow(), {-1, 9, 11.25, 23.75});
}

TEST_F(ZoomTest, DialScalesByAFifthOfItsAngleUntilTheZoomOutLimit) {
  ZoomStep(canvas_, true);      // s = 1.2
  DialZoom(canvas_, 0.2 * -1);  // one radian down: s = 0.8, together 0.96
  ExpectWindow(CurrentWindow(), {5 - 5 / 0.96, 5 + 5 / 0.96, 5 - 6.25 / 0.96, 5 + 6.25 / 0.96});
  EXPECT_TRUE(view_->previousWindows.empty());
  // The scroll range is set afresh about the new window.
  EXPECT_NEAR(tk::GetFloat(canvas_, "XMIN"), 5 - 5 * 5 / 0.96, 1e-6);

  // A wall 0.1 long: the limit is 50 x 0.05 plus the wall width's share.
  shelltest::NewLine(5, 5, 5.1, 5);
  double xmin, xmax, ymin, ymax;
  ASSERT_TRUE(shelltest::Entities().drawingExtents(xmin, xmax, ymin, ymax));
  const double limit = 50 * std::max(xmax - xmin, ymax - ymin) / 2;
  ViewSetWindow(canvas_, 4.9, 5.2, 4.9, 5.2);
  for (int i = 0; i < 100; ++i) DialZoom(canvas_, -0.1);
  const ViewWindow out = CurrentWindow();
  EXPECT_GT((out.ymax - out.ymin) / 2, limit);
  EXPECT_LT((out.ymax - out.ymin) / 2, limit / 0.9 + 1e-9);  // one step past it at most
  const int before = redraws_;
  DialZoom(canvas_, -0.1);
  EXPECT_EQ(redraws_, before);
  DialZoom(canvas_, 0.1);  // zooming in is still allowed
  EXPECT_EQ(redraws_, before + 1);
}

TEST_F(ZoomTest, SizeFieldsSetOneSideAndTheCanvasShapeGivesTheOther) {
  ViewSetDistortion(canvas_, 2);
  SetHorizontalSize(canvas_, 20);
  double w = 0, h = 0;
  ViewGetSize(canvas_, &w, &h);
  EXPECT_NEAR(w, 20, 1e-9);
  EXPECT_NEAR(h, 12.5, 1e-9);
  ViewSetDistortion(canvas_, 1);
  SetVerticalSize(canvas_, 25);
  ViewGetSize(canvas_, &w, &h);
  EXPECT_NEAR(w, 20, 1e-9);
  EXPECT_NEAR(h, 25, 1e-9);
}

// Whatever is asked, the window stays finite, not empty and not inverted;
// a change that would break that is not made and nothing is redrawn.
TEST_F(ZoomTest, NoViewCommandLeavesAnUnusableWindow) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const int before = redraws_;
  for (double a : {-1.0, -2.0, nan, inf, -inf}) DialZoom(canvas_, a);
  for (double size : {0.0, 1e308, inf, nan, 1e-300}) {
    SetHorizontalSize(canvas_, size);
    SetVerticalSize(canvas_, size);
  }
  ViewSetWindow(canvas_, 0, inf, 0, 10);
  ViewSetWindow(canvas_, nan, 10, 0, 10);
  ViewSetWindow(canvas_, 5, 5, 0, 10);
  ViewSetWindow(canvas_, 0, 10, 3, 1);
  EXPECT_EQ(redraws_, before);
  ExpectWindow(CurrentWindow(), Tall());

  // Zooming in or out without end stops at the last usable window.
  for (int i = 0; i < 400; ++i) ZoomStep(canvas_, true);
  ViewWindow w = CurrentWindow();
  EXPECT_TRUE(WindowIsUsable(w));
  EXPECT_LT(w.xmax - w.xmin, 1e-8);
  for (int i = 0; i < 1000; ++i) ZoomStep(canvas_, false);
  for (int i = 0; i < 2000; ++i) PanStep(canvas_, PanAxis::Vertical, 1.0);
  w = CurrentWindow();
  EXPECT_TRUE(WindowIsUsable(w));
  EXPECT_GT(w.xmax - w.xmin, 1e20);
  EXPECT_TRUE(std::isfinite(tk::GetFloat(canvas_, "YMAX")));
}

// The interactive commands on a window of x -5..5, y -6.25..6.25: 40 pixels
// to a unit, the origin at pixel (200, 250).
class InteractiveZoomTest : public ZoomTest {
 protected:
  void SetUp() override {
    ZoomTest::SetUp();
    PickAbort();
    ends_.clear();
    tk::SetAttribute(canvas_, "ZOOMFENCE_ADJUST", "YES");
    ViewSetWindow(canvas_, -5, 5, -5, 5);
    tk::GLMakeCurrent(canvas_);
    SetProjection({0, 1, 0, 1});  // some other projection in force
  }
  void TearDown() override {
    PickAbort();
    tk::ResetAttribute(canvas_, "ZOOMFENCE_ADJUST");
  }

  static void Ended(tk::Element*, int status) { ends_.push_back(status); }

  // Left-button events at a world point, in the toolkit's pixels (y down).
  static void Button(double x, double y, int pressed, int button = '1') {
    PickButton(canvas_, button, pressed, int(std::lround(200 + 40 * x)),
               int(std::lround(250 - 40 * y)), "     ");
  }
  static void Click(double x, double y) {
    Button(x, y, 1);
    Button(x, y, 0);
  }
  static void Drag(double x0, double y0, double x1, double y1) {
    Button(x0, y0, 1);
    PickMotion(canvas_, int(std::lround(200 + 40 * x1)), int(std::lround(250 - 40 * y1)), "1    ");
    Button(x1, y1, 0);
  }
  static ViewWindow Start() { return {-5, 5, -6.25, 6.25}; }
  static void ExpectProjectionRestored() {
    ExpectWindow(ReadProjectionWindow(), {0, 1, 0, 1}, 1e-5);
  }

  static inline std::vector<int> ends_;
};

TEST_F(InteractiveZoomTest, ZoomWindowByClickOrByAFenceKeptToTheCanvasShape) {
  ZoomWindowStart(canvas_, Ended);
  ExpectWindow(ReadProjectionWindow(), Start(), 1e-5);  // picks see the view's window
  Click(1, 1);
  Click(1.1, 1.1);  // 4 pixels away: a click, zoom in about the first corner
  ExpectWindow(CurrentWindow(), {1 - 5 / 1.2, 1 + 5 / 1.2, 1 - 6.25 / 1.2, 1 + 6.25 / 1.2}, 1e-5);
  EXPECT_EQ(view_->previousWindows.size(), 1u);
  EXPECT_EQ(ends_, std::vector<int>{1});
  ExpectProjectionRestored();

  // Too flat a fence is made taller.
  ViewSetWindow(canvas_, -5, 5, -5, 5);
  ZoomWindowStart(canvas_, Ended);
  Click(0, 0);
  Click(4, 1);
  ExpectWindow(CurrentWindow(), {0, 4, 0, 5}, 1e-5);
  EXPECT_EQ(ends_, (std::vector<int>{1, 1}));
}

TEST_F(InteractiveZoomTest, RightButtonOrAnotherCommandLeavesTheWindowAsItWas) {
  ZoomWindowStart(canvas_, Ended);
  Click(0, 0);
  Button(3, 3, 1, '3');  // cancelled at the second corner
  Button(3, 3, 0, '3');
  PanStart(canvas_, Ended);
  PickAbort();
  ScaleStart(canvas_, Ended);
  Button(0, 0, 1);
  PickAbort();
  ExpectWindow(CurrentWindow(), Start());
  EXPECT_EQ(ends_, (std::vector<int>{0, -1, -1}));
  EXPECT_TRUE(view_->previousWindows.empty());
  ExpectProjectionRestored();
}

TEST_F(InteractiveZoomTest, PanMovesThePointToTheSecondClickAndScaleFollowsTheDrag) {
  ZoomStep(canvas_, true);
  ZoomStep(canvas_, false);
  PanStart(canvas_, Ended);
  Click(2, 3);
  Click(5, 4);
  ExpectWindow(CurrentWindow(), {-8, 2, -7.25, 5.25}, 1e-5);
  EXPECT_TRUE(view_->previousWindows.empty());

  ViewSetWindow(canvas_, -5, 5, -5, 5);
  ScaleStart(canvas_, Ended);
  Drag(0, 0, -5, 0);  // half the width to the left: s = 0.75
  ExpectWindow(CurrentWindow(), {-5 / 0.75, 5 / 0.75, -6.25 / 0.75, 6.25 / 0.75}, 1e-5);
  // A drag ending more than two widths to the left would invert the window.
  ScaleStart(canvas_, Ended);
  Drag(0, 0, -30, 0);
  ExpectWindow(CurrentWindow(), {-5 / 0.75, 5 / 0.75, -6.25 / 0.75, 6.25 / 0.75}, 1e-5);
  EXPECT_EQ(ends_, (std::vector<int>{1, 1, 1}));
}

}  // namespace
