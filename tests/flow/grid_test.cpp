#include <random>

#include "tests/flow/flow_fixture.h"

namespace {

using GridTest = FlowTest;

void ExpectLinks(int cell, int south, int east, int north, int west) {
  const int* n = cellGrid.cells[cell].neighbours;
  EXPECT_EQ(n[LinkSouth], south) << "cell " << cell;
  EXPECT_EQ(n[LinkEast], east) << "cell " << cell;
  EXPECT_EQ(n[LinkNorth], north) << "cell " << cell;
  EXPECT_EQ(n[LinkWest], west) << "cell " << cell;
}

std::vector<double> NodeList(int columns, int rows, double xmin, double dx, double ymin, double dy) {
  std::vector<double> xyz;
  double y = ymin;
  for (int j = 0; j <= rows; ++j, y += dy) {
    double x = xmin;
    for (int i = 0; i <= columns; ++i, x += dx) {
      xyz.insert(xyz.end(), {x, y, 0.0});
    }
  }
  return xyz;
}

TEST_F(GridTest, SixtyBySixtyNumberingTypesAndLinks) {
  AllocateGrid(60, 60);
  ASSERT_EQ(ConnectNodes(NodeList(60, 60, 0, 0.5, 0, 0.5)), 1);
  EXPECT_EQ(cellGrid.cellCount, 3600);
  EXPECT_EQ(cellGrid.nodeCount, 3721);
  EXPECT_EQ(cellGrid.cells[0].type, BottomLeftCorner);
  ExpectLinks(0, -1, 1, 60, -1);
  EXPECT_EQ(cellGrid.cells[59].type, BottomRightCorner);
  EXPECT_EQ(cellGrid.cells[3540].type, TopLeftCorner);
  EXPECT_EQ(cellGrid.cells[3599].type, TopRightCorner);
  EXPECT_EQ(cellGrid.cells[61].type, Interior);
  ExpectLinks(61, 1, 62, 121, 60);
  const int c = 61;
  EXPECT_EQ(cellGrid.cells[c].corners[CornerBottomLeft], 62);
  EXPECT_EQ(cellGrid.cells[c].corners[CornerTopRight], 62 + 62);
  EXPECT_DOUBLE_EQ(cellGrid.cells[c].centreX, 0.75);
  EXPECT_DOUBLE_EQ(cellGrid.cells[c].centreY, 0.75);
}

TEST_F(GridTest, IncidentCellsMatchTheFullComparison) {
  AllocateGrid(7, 5);
  ConnectNodesByScan(NodeList(7, 5, -1, 0.3, 2, 0.7));
  const std::vector<GridNode> scanned = cellGrid.nodes;
  AllocateGrid(7, 5);
  ConnectNodes(NodeList(7, 5, -1, 0.3, 2, 0.7));
  ASSERT_EQ(cellGrid.nodes.size(), scanned.size());
  for (size_t n = 0; n < scanned.size(); ++n) {
    EXPECT_EQ(cellGrid.nodes[n].incidentCount, scanned[n].incidentCount) << n;
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(cellGrid.nodes[n].incidentCells[k], scanned[n].incidentCells[k]) << n;
    }
  }
  EXPECT_EQ(cellGrid.nodes[0].incidentCount, 1);                 // grid corner
  EXPECT_EQ(cellGrid.nodes[3].incidentCount, 2);                 // outer ring
  EXPECT_EQ(cellGrid.nodes[8 + 3].incidentCount, 4);             // inside
  EXPECT_EQ(cellGrid.nodes[8 + 3].incidentCells[0], 2);
  EXPECT_EQ(cellGrid.nodes[8 + 3].incidentCells[3], 7 + 3);
}

TEST_F(GridTest, ConnectNodesRefusesAMismatchedNodeList) {
  AllocateGrid(3, 3);
  EXPECT_EQ(ConnectNodes(NodeList(2, 3, 0, 1, 0, 1)), 0);
  EXPECT_TRUE(cellGrid.nodes.empty());
  EXPECT_EQ(LocateCell(0.5, 0.5), -1);
}

TEST_F(GridTest, LocateCellOnSharedEdgesAndOutside) {
  EXPECT_EQ(LocateCell(0, 0), -1);  // no grid
  BuildOpenGrid(0, 6, 0, 6, 60);
  const double edge = cellGrid.nodes[1].x;  // line shared by cells 0 and 1
  EXPECT_EQ(LocateCell(edge, 0.05), 0);
  EXPECT_EQ(LocateCell(0.05, cellGrid.nodes[61].y), 0);  // shared by cells 0 and 60
  EXPECT_EQ(LocateCell(edge, cellGrid.nodes[61].y), 0);  // corner of four cells
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
  std::uniform_int_distribution<int> node(0, cellGrid.nodeCount - 1);
  for (int k = 0; k < 20000; ++k) {
    double px = x(random), py = y(random);
    if (k % 3 == 1) px = cellGrid.nodes[node(random)].x;
    if (k % 3 == 2) py = cellGrid.nodes[node(random)].y;
    if (k % 7 == 0) px = std::nextafter(px, 100.0);
    ASSERT_EQ(LocateCell(px, py), LocateCellByScan(px, py)) << px << " " << py;
  }
}

TEST_F(GridTest, ReleaseGridEmptiesEverything) {
  BuildOpenGrid(0, 4, 0, 4, 10);
  SeedStreamlines();
  ReleaseGrid();
  EXPECT_EQ(cellGrid.cellCount, 0);
  EXPECT_EQ(cellGrid.nodeCount, 0);
  EXPECT_EQ(cellGrid.minCellSpeed, 1000000);
  EXPECT_EQ(cellGrid.cellSpeedTenth, -1.0);
  EXPECT_EQ(cellGrid.boundarySpeedTenth, -1.0);
  EXPECT_TRUE(streamlines.empty());
  EXPECT_EQ(ComputeExtent(), 0);
}

}  // namespace
