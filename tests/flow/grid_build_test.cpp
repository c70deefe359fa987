#include "tests/flow/flow_fixture.h"

namespace {

using GridBuildTest = FlowTest;

TEST_F(GridBuildTest, TenByFourDrawingGivesTheEnlargedExtent) {
  new LineEntity(0, 0, 10, 4);
  ASSERT_EQ(BuildGridFromDrawing(60), AnalysisOutcome::Done);
  EXPECT_NEAR(cellGrid.xmax - cellGrid.xmin, 13.0, 1e-12);
  EXPECT_NEAR(cellGrid.ymax - cellGrid.ymin, 5.4, 1e-12);
  EXPECT_NEAR(inflowSpeed, 325.0, 1e-9);
  EXPECT_NEAR(cellGrid.cellWidth, 13.0 / 60, 1e-14);
  EXPECT_NEAR(cellGrid.cellHeight, 5.4 / 60, 1e-14);
  EXPECT_EQ(cellGrid.maxBoundarySpeed, inflowSpeed);
  EXPECT_EQ(cellGrid.minBoundarySpeed, 0);
  EXPECT_EQ(cellGrid.boundarySpeedTenth, 0.1 * inflowSpeed);
  EXPECT_EQ(cellGrid.cells[60].boundaryDirection, 180.0);  // west column
  EXPECT_EQ(cellGrid.cells[30].boundarySpeed, 0);           // south row
}

TEST_F(GridBuildTest, HorizontalAndVerticalSegmentsMarkTheirRowAndColumn) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  MarkSegmentSolid(7.5, 2.5, 2.5, 2.5);  // drawn east to west
  MarkSegmentSolid(5.5, 8.5, 5.5, 4.5);  // drawn north to south
  for (const GridCell& c : cellGrid.cells) {
    const int row = CellRow(c.index), column = CellColumn(c.index);
    const bool onRow = row == 2 && column >= 2 && column <= 7;
    const bool onColumn = column == 5 && row >= 4 && row <= 8;
    EXPECT_EQ(c.type == Solid, onRow || onColumn) << "cell " << c.index;
  }
}

TEST_F(GridBuildTest, FluidCellsBesideWallsCloseTheirWallFaces) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  const int between = 5 * 10 + 5;
  cellGrid.cells[between + 10].type = Solid;  // north
  cellGrid.cells[between - 10].type = Solid;  // south
  const int westOnly = 3 * 10 + 2;
  cellGrid.cells[westOnly - 1].type = Solid;
  const int corner = 7 * 10 + 2;
  cellGrid.cells[corner - 1].type = Solid;
  cellGrid.cells[corner + 10].type = Solid;
  ClassifyWallCells();
  EXPECT_EQ(cellGrid.cells[between].type, Interior);
  for (int k = 0; k < 4; ++k) EXPECT_NE(cellGrid.cells[between].neighbours[k], NoNeighbour);
  EXPECT_EQ(cellGrid.cells[westOnly].type, LeftEdge);
  EXPECT_EQ(cellGrid.cells[westOnly].neighbours[LinkWest], NoNeighbour);
  EXPECT_EQ(cellGrid.cells[westOnly].neighbours[LinkEast], westOnly + 1);
  EXPECT_EQ(cellGrid.cells[corner].type, TopLeftCorner);
  EXPECT_EQ(cellGrid.cells[corner].neighbours[LinkNorth], NoNeighbour);
  EXPECT_EQ(cellGrid.cells[corner].westU, 0);
}

TEST_F(GridBuildTest, GaugeAdvancesAndWrapsPastOne) {
  std::string gauge = "0.5";
  std::vector<std::string> seen;
  FlowHooks hooks;
  hooks.readGauge = [&] { return std::stod(gauge); };
  hooks.setGauge = [&](const std::string& text) { gauge = text; seen.push_back(text); };
  int events = 0;
  hooks.processEvents = [&] { ++events; };
  SetFlowHooks(hooks);
  gaugeStep = 0.0001;
  AdvanceGauge();
  EXPECT_EQ(gauge, "0.5001000");
  gauge = "0.99995";
  AdvanceGauge();
  EXPECT_EQ(gauge, "0.0000000");
  EXPECT_EQ(events, 2);
}

TEST_F(GridBuildTest, DrawingWithoutWidthOrHeightBuildsNothing) {
  new LineEntity(0, 1, 5, 1);
  int redraws = 0;
  FlowHooks hooks;
  hooks.redraw = [&] { ++redraws; };
  SetFlowHooks(hooks);
  EXPECT_EQ(RunAnalysis(), AnalysisOutcome::NoArea);
  EXPECT_EQ(cellGrid.cellCount, 0);
  EXPECT_TRUE(streamlines.empty());
  EXPECT_EQ(redraws, 0);
  deleteAll();
  new LineEntity(2, 0, 2, 3);
  EXPECT_EQ(RunAnalysis(), AnalysisOutcome::NoArea);
  EXPECT_EQ(CheckGridExtent(0, 1e308, 0, 1e308, 60, 60), ExtentCheck::NotFinite);
  EXPECT_EQ(CheckGridExtent(0, 1, 0, 1, 60, 60), ExtentCheck::Usable);
}

// A refused drawing leaves no grid, so no earlier result stays over it.
TEST_F(GridBuildTest, RefusedDrawingsDiscardTheEarlierGrid) {
  new LineEntity(0, 0, 4, 3);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  deleteAll();
  EXPECT_EQ(RunAnalysis(), AnalysisOutcome::EmptyDrawing);
  EXPECT_EQ(cellGrid.cellCount, 0);
  EXPECT_TRUE(streamlines.empty());
  // So far from the origin that a cell's width no longer moves a node.
  new LineEntity(1e17, 0, 1e17 + 64, 1);
  EXPECT_EQ(RunAnalysis(), AnalysisOutcome::Collapsed);
  EXPECT_EQ(cellGrid.cellCount, 0);
}

// A wall far wider than the drawing: only the part of its edge inside the
// grid is walked, in a bounded number of steps.
TEST_F(GridBuildTest, WallsMuchLargerThanTheGridAreWalkedInsideItOnly) {
  new LineEntity(0, 0, 1e-9, 1e-9);
  new LineEntity(0, 0, 0, 0);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  BuildOpenGrid(0, 10, 0, 10, 10);
  MarkSegmentSolid(-1e12, 5.5, 1e12, 5.5);
  for (int column = 0; column < 10; ++column) EXPECT_EQ(cellGrid.cells[50 + column].type, Solid);
  EXPECT_EQ(cellGrid.cells[40].type, LeftEdge);
}

}  // namespace
