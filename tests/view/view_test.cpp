#include "tests/shell/workspace_access.h"
#include "tests/view/canvas_fixture.h"

namespace {

using ViewTest = CanvasTest;

TEST_F(ViewTest, ScrollbarsHoldTheWindowInWorldUnits) {
  ShowWindow(400, 400, {0, 10, 0, 10});
  SetScrollRange(view_, {0, 10, 0, 10});
  SetScrollThumb(view_, {0, 10, 0, 10});
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMIN"), "-20.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "DY"), "10.000000");
  ViewCanvasAction(canvas_, 2, 5);  // POSY counts down from the top
  ExpectWindow(CurrentWindow(), {2, 12, -5, 5});

  WidenScrollRange(view_, {-50, 0, 0, 100});
  EXPECT_EQ(tk::GetAttribute(canvas_, "XMIN"), "-50.000000");
  EXPECT_EQ(tk::GetAttribute(canvas_, "YMAX"), "100.000000");
  // Huge values are written in full.
  SetScrollRange(view_, {1e12, 1e12 + 10, -1e12, -1e12 + 10});
  EXPECT_DOUBLE_EQ(tk::GetFloat(canvas_, "XMIN"), 1e12 - 20);
  EXPECT_DOUBLE_EQ(tk::GetFloat(canvas_, "YMIN"), -1e12 - 20);
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
}

TEST_F(ViewTest, FitFramesTheDrawingWithTheFitFactor) {
  ShowWindow(400, 400, {0, 1, 0, 1});
  ViewSetCallbacks(canvas_, CountingRedraw,
                   [](tk::Element*, double& a, double& b, double& c, double& d) {
                     return shelltest::Entities().drawingExtents(a, b, c, d) ? 1 : 0;
                   });
  shelltest::NewLine(0, 0, 20, 0);
  shelltest::NewLine(0, 0, 0, 10);
  const int before = redraws_;
  view_->previousWindows.push_back({0, 1, 0, 1});
  ViewFit(canvas_);
  EXPECT_EQ(redraws_, before + 1);
  EXPECT_TRUE(view_->previousWindows.empty());
  // Extents x -3..23, y -1.75..11.75, times 1.1 about the centre, then made square.
  const double hw = 13 * 1.1;
  ExpectWindow(CurrentWindow(), {10 - hw, 10 + hw, 5 - hw, 5 + hw});
}

}  // namespace
