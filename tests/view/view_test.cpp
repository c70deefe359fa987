#include "tests/view/canvas_fixture.h"

namespace {

TEST(FitToAspectTest, GrowsTheWindowToTheCanvasShapeAboutItsCentre) {
  ViewRecord view;
  view.viewportWidth = 400;
  view.viewportHeight = 500;
  ViewWindow w{0, 10, 0, 10};
  FitToAspect(&view, w);
  EXPECT_DOUBLE_EQ(w.xmin, 0);
  EXPECT_DOUBLE_EQ(w.xmax, 10);
  EXPECT_DOUBLE_EQ(w.ymin, -1.25);
  EXPECT_DOUBLE_EQ(w.ymax, 11.25);
  EXPECT_DOUBLE_EQ(view.requestedWindow.ymax, 10);  // the request before the fit

  view.distortion = 2;  // d * h = 20 beats w * r = 12.5: the height stays
  w = {0, 10, 0, 10};
  FitToAspect(&view, w);
  EXPECT_DOUBLE_EQ(w.xmin, -3);
  EXPECT_DOUBLE_EQ(w.xmax, 13);
  EXPECT_DOUBLE_EQ(w.ymin, 0);
  EXPECT_DOUBLE_EQ(w.ymax, 10);
}

using ViewTest = CanvasTest;

TEST_F(ViewTest, ScrollbarsHoldTheWindowInWorldUnits) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  SetScrollRange(view_, {0, 10, 0, 10});
  SetScrollThumb(view_, {0, 10, 0, 10});
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMIN"), "-20.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMAX"), "30.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "YMAX"), "30.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "DY"), "10.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "POSX"), "0.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "POSY"), "0.000000");

  ViewCanvasAction(canvas_, 0, 0);
  ExpectWindow(CurrentWindow(), {0, 10, 0, 10});
  ViewCanvasAction(canvas_, 2, 5);  // POSY counts down from the top
  ExpectWindow(CurrentWindow(), {2, 12, -5, 5});

  WidenScrollRange(view_, {-50, 0, 0, 100});
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMIN"), "-50.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMAX"), "30.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "YMIN"), "-20.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "YMAX"), "100.000000");
}

TEST_F(ViewTest, HugeScrollValuesAreWrittenInFull) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  SetScrollRange(view_, {1e12, 1e12 + 10, -1e12, -1e12 + 10});
  EXPECT_DOUBLE_EQ(tk::GetFloat(canvas_, "XMIN"), 1e12 - 20);
  EXPECT_DOUBLE_EQ(tk::GetFloat(canvas_, "YMIN"), -1e12 - 20);
}

TEST_F(ViewTest, AnEmptyOrInvertedWindowIsIgnoredWithoutRedraw) {
  ViewSetCallbacks(canvas_, CountingRedraw, nullptr);
  ShowWindow(400, 400, {0, 10, 0, 10});
  const int before = redraws_;
  ViewSetWindow(canvas_, 5, 5, 0, 10);
  ViewSetWindow(canvas_, 0, 10, 3, 1);
  EXPECT_EQ(redraws_, before);
  ExpectWindow(CurrentWindow(), {0, 10, 0, 10});

  ViewSetWindow(canvas_, 0, 10, 0, 5);  // grown to the square canvas
  EXPECT_EQ(redraws_, before + 1);
  ExpectWindow(CurrentWindow(), {0, 10, -2.5, 7.5});
}

TEST_F(ViewTest, AfterAResizeTheRequestedWindowComesBackInTheNewShape) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  ViewSetWindow(canvas_, 0, 10, 0, 10);
  ViewCanvasAction(canvas_, 7, 7);  // a scroll moves the displayed window
  ViewResize(canvas_, 400, 500);
  ViewCanvasAction(canvas_, 7, 7);
  // The scroll (x 7..17, y -7..3) became the request; the resize shows that
  // request again, grown to 400 x 500.
  ExpectWindow(CurrentWindow(), {7, 17, -8.25, 4.25});
  double width = 0, height = 0;
  ViewGetSize(canvas_, &width, &height);
  EXPECT_NEAR(width, 10, 1e-9);
  EXPECT_NEAR(height, 12.5, 1e-9);
}

TEST_F(ViewTest, ResizeWithAdjustKeepsTheScaleAndTheLowerLeftCorner) {
  tk::SetAttribute(canvas_, "WINDOWRESIZE_ADJUST", "YES");
  ShowWindow(400, 400, {0, 10, 0, 10});
  ViewResize(canvas_, 800, 200);
  ViewCanvasAction(canvas_, 0, 0);
  tk::SetAttribute(canvas_, "WINDOWRESIZE_ADJUST", "NO");
  ExpectWindow(CurrentWindow(), {0, 20, 0, 5});
}

TEST_F(ViewTest, FitFramesTheDrawingWithTheFitFactor) {
  ShowWindow(400, 400, {0, 1, 0, 1});
  ViewSetCallbacks(canvas_, CountingRedraw,
                   [](tk::Element*, double& a, double& b, double& c, double& d) {
                     return drawingExtents(a, b, c, d) ? 1 : 0;
                   });
  FitToDrawing(canvas_);  // empty drawing: 0..10 with a margin of 1.10
  ExpectWindow(CurrentWindow(), {-0.5, 10.5, -0.5, 10.5});

  new LineEntity(0, 0, 20, 0);
  new LineEntity(0, 0, 0, 10);
  const int before = redraws_;
  view_->previousWindows.push_back({0, 1, 0, 1});
  ViewFit(canvas_);
  EXPECT_EQ(redraws_, before + 1);
  EXPECT_TRUE(view_->previousWindows.empty());
  // Extents x -3..23, y -1.75..11.75, times 1.1 about the centre, then made square.
  const double hw = 13 * 1.1;
  ExpectWindow(CurrentWindow(), {10 - hw, 10 + hw, 5 - hw, 5 + hw});
}

TEST_F(ViewTest, DistortionStretchesTheVerticalAxis) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  ViewSetDistortion(canvas_, 2);
  double d = 0;
  ViewGetDistortion(canvas_, &d);
  EXPECT_EQ(d, 2);
  // Fitted again: -0.5..10.5 high, twice as wide to fill the square canvas.
  ExpectWindow(CurrentWindow(), {-6, 16, -0.5, 10.5});
}

TEST_F(ViewTest, PixelConversionsFollowTheProjection) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  SetProjection({0, 10, 0, 10});
  int px = 0, py = 0;
  WorldToPixel(5, 2.5, px, py);
  EXPECT_EQ(px, 200);
  EXPECT_EQ(py, 100);
  WorldToPixel(0.01, 0.01, px, py);  // truncated, not rounded
  EXPECT_EQ(px, 0);
  double x = 0, y = 0;
  PixelToWorld(100, 300, x, y);
  // OpenGL keeps its matrices in single precision.
  EXPECT_NEAR(x, 2.5, 1e-5);
  EXPECT_NEAR(y, 7.5, 1e-5);
  EXPECT_EQ(FlipY(100), 300);
  ExpectWindow(ReadProjectionWindow(), {0, 10, 0, 10}, 1e-5);
}

TEST_F(ViewTest, OperationsOnACanvasWithoutAViewDoNothing) {
  tk::Element* other = tk::GLCanvas("");
  double w = -1;
  ViewGetSize(other, &w, nullptr);
  ViewSetWindow(other, 0, 1, 0, 1);
  ViewCanvasAction(other, 0, 0);
  ViewResize(other, 10, 10);
  EXPECT_EQ(w, -1);
  EXPECT_EQ(ViewFind(other), nullptr);
  viewResized = false;
  tk::Destroy(other);
}

}  // namespace
