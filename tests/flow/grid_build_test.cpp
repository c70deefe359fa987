#include "tests/flow/flow_fixture.h"

namespace {

using GridBuildTest = FlowTest;

TEST_F(GridBuildTest, HorizontalAndVerticalSegmentsMarkTheirRowAndColumn) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  MarkSegmentSolid(7.5, 2.5, 2.5, 2.5);  // drawn east to west
  MarkSegmentSolid(5.5, 8.5, 5.5, 4.5);  // drawn north to south
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    const int row = CellRow(c), column = CellColumn(c);
    const bool onRow = row == 2 && column >= 2 && column <= 7;
    const bool onColumn = column == 5 && row >= 4 && row <= 8;
    EXPECT_EQ(cellGrid.type[c] == Solid, onRow || onColumn) << "cell " << c;
  }
}

// A wall far wider than the drawing: only the part of its edge inside the
// grid is walked, in a bounded number of steps.
TEST_F(GridBuildTest, WallsMuchLargerThanTheGridAreWalkedInsideItOnly) {
  NewLine(0, 0, 1e-9, 1e-9);
  NewLine(0, 0, 0, 0);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  BuildOpenGrid(0, 10, 0, 10, 10);
  MarkSegmentSolid(-1e12, 5.5, 1e12, 5.5);
  for (int column = 0; column < 10; ++column) EXPECT_EQ(cellGrid.type[50 + column], Solid);
  EXPECT_EQ(cellGrid.type[40], LeftEdge);
}

}  // namespace
