#include <random>

#include "tests/flow/flow_fixture.h"

namespace {

using GridTest = FlowTest;

TEST_F(GridTest, LocateCellOnSharedEdgesAndOutside) {
  EXPECT_EQ(LocateCell(0, 0), -1);  // no grid
  BuildOpenGrid(0, 6, 0, 6, 60);
  const double edge = cellGrid.columnX[1];  // line shared by cells 0 and 1
  EXPECT_EQ(LocateCell(edge, 0.05), 0);
  EXPECT_EQ(LocateCell(0.05, cellGrid.rowY[1]), 0);  // shared by cells 0 and 60
  EXPECT_EQ(LocateCell(edge, cellGrid.rowY[1]), 0);  // corner of four cells
  EXPECT_EQ(LocateCell(0, 0), 0);
  EXPECT_EQ(LocateCell(cellGrid.xmax, cellGrid.ymax), 3599);
  EXPECT_EQ(LocateCell(-0.001, 1), -1);
  EXPECT_EQ(LocateCell(1, cellGrid.ymax + 0.001), -1);
  EXPECT_EQ(LocateCell(std::nan(""), 1), -1);
}

// Node lines made by repeated addition are not exact multiples of the cell
// size, so points are drawn both at random and exactly on node lines.
TEST_F(GridTest, FastLocateCellAgreesWithTheScan) {
  BuildOpenGrid(-3.7, 9.1, 0.3, 5.7, 60);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(-4, 9.5), y(0, 6);
  std::uniform_int_distribution<int> line(0, 60);
  for (int k = 0; k < 20000; ++k) {
    double px = x(random), py = y(random);
    if (k % 3 == 1) px = cellGrid.columnX[line(random)];
    if (k % 3 == 2) py = cellGrid.rowY[line(random)];
    if (k % 7 == 0) px = std::nextafter(px, 100.0);
    ASSERT_EQ(LocateCell(px, py), LocateCellByScan(cellGrid, px, py)) << px << " " << py;
  }
}

// A wall far wider than the drawing: only the part of its edge inside the
// grid is walked, in a bounded number of steps.
TEST_F(GridTest, WallsMuchLargerThanTheGridAreWalkedInsideItOnly) {
  NewLine(0, 0, 1e-9, 1e-9);
  NewLine(0, 0, 0, 0);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  BuildOpenGrid(0, 10, 0, 10, 10);
  MarkSegmentSolid(-1e12, 5.5, 1e12, 5.5);
  for (int column = 0; column < 10; ++column) EXPECT_EQ(cellGrid.type[50 + column], Solid);
  EXPECT_EQ(cellGrid.type[40], LeftEdge);
}

// The grid keeps a byte of type, the potential and two face values per
// cell (about 25 bytes), and once solved the velocity of a node (16 more);
// with the solver's working set beside it, a whole run stays well within
// 120 bytes a cell.
TEST_F(GridTest, BytesPerCellOfTheGridAndTheSolver) {
  LoadSample("house.dat");
  options.cells = 300;
  ASSERT_EQ(BuildGridFromDrawing(), AnalysisOutcome::Done);
  const double cells = cellGrid.cellCount;
  EXPECT_LE(GridBytes(cellGrid) / cells, 25.5);
  Solve();
  EXPECT_LE(GridBytes(cellGrid) / cells, 41.5);
  EXPECT_LE(lastSolve.workingBytes / cells, 75);
}

}  // namespace
