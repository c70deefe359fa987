#include <cmath>
#include <cstring>

#include "tests/flow/flow_fixture.h"

namespace {

using SolverTest = FlowTest;

void Solve() {
  ResetFlowValues();
  SolvePotential();
}

TEST_F(SolverTest, OuterCornerKeepsItsPrescribedWind) {
  BuildOpenGrid(0, 13, 0, 13, 60);
  Solve();
  const GridCell& c = cellGrid.cells[3540];  // top-left corner
  EXPECT_EQ(c.westU, inflowSpeed);
  EXPECT_EQ(c.northQ, 0);
  EXPECT_EQ(c.centreVelX, inflowSpeed);
  EXPECT_EQ(c.centreVelY, 0);
  EXPECT_EQ(c.centreDirection, 180.0);
  EXPECT_EQ(cellGrid.cellSpeedTenth, 0.1 * cellGrid.maxCellSpeed);
}

// On 2 × 2 cells of size 1 with inflow 50 the first sweep gives the
// potentials -25, 12.5, -37.5, 12.5: its largest change is 37.5.
TEST_F(SolverTest, SweepWhoseLargestChangeEqualsTheToleranceEndsTheIteration) {
  BuildOpenGrid(0, 2, 0, 2, 2);
  solverSettings.tolerance = 37.5;
  Solve();
  EXPECT_EQ(lastSolve.sweeps, 1);
  EXPECT_EQ(cellGrid.cells[2].potential, -37.5);
  solverSettings.tolerance = 37.4;
  Solve();
  EXPECT_GT(lastSolve.sweeps, 1);
}

TEST_F(SolverTest, SolidCellStaysAtRestAndSlowCellsPointEast) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  cellGrid.cells[55].type = Solid;
  ClassifyWallCells();
  Solve();
  const GridCell& s = cellGrid.cells[55];
  EXPECT_EQ(s.potential, 0);
  EXPECT_EQ(s.centreVelX, 0);
  EXPECT_EQ(s.centreVelY, 0);
  EXPECT_EQ(s.centreSpeed, 0);
  EXPECT_EQ(s.centreDirection, 180.0);
  EXPECT_EQ(cellGrid.cells[54].type, RightEdge);
  EXPECT_EQ(cellGrid.cells[54].centreVelX, 0);  // wall face closed
}

TEST_F(SolverTest, NodeVelocityIsTheMeanOfItsCells) {
  BuildOpenGrid(0, 5, 0, 3, 6);
  new LineEntity(2, 1, 2, 2);
  Solve();
  const auto& cells = cellGrid.cells;
  const GridNode& corner = cellGrid.nodes[0];
  EXPECT_EQ(corner.velX, cells[0].centreVelX);
  EXPECT_EQ(corner.velY, cells[0].centreVelY);
  const GridNode& ring = cellGrid.nodes[3];  // between cells 2 and 3
  EXPECT_EQ(ring.velX, (cells[2].centreVelX + cells[3].centreVelX) / 2);
  const GridNode& inner = cellGrid.nodes[2 * 7 + 3];  // cells 8, 9, 14, 15
  EXPECT_EQ(inner.velX,
            (((cells[8].centreVelX + cells[9].centreVelX) + cells[14].centreVelX) +
             cells[15].centreVelX) / 4);
  EXPECT_EQ(inner.speed, std::sqrt(inner.velX * inner.velX + inner.velY * inner.velY));
}

TEST_F(SolverTest, SolvingTwiceGivesTheSameField) {
  LoadSample("two_rooms.dat");
  BuildGridFromDrawing(60);
  ComputeFlowStage();
  std::vector<double> first;
  for (const GridCell& c : cellGrid.cells) first.insert(first.end(), {c.potential, c.centreVelX, c.centreVelY});
  ComputeFlowStage();
  std::vector<double> second;
  for (const GridCell& c : cellGrid.cells) second.insert(second.end(), {c.potential, c.centreVelX, c.centreVelY});
  EXPECT_EQ(first, second);
}

// Everything the analysis produces, bit for bit.
std::vector<double> Results() {
  std::vector<double> r;
  for (const GridCell& c : cellGrid.cells) {
    r.insert(r.end(), {double(c.type), c.potential, c.centreVelX, c.centreVelY, c.centreDirection});
  }
  for (const GridNode& n : cellGrid.nodes) r.insert(r.end(), {n.velX, n.velY});
  for (const Streamline& line : streamlines) {
    r.push_back(-1);
    for (const StreamPoint& p : line.points) r.insert(r.end(), {p.x, p.y});
  }
  return r;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST_F(SolverTest, FastAlgorithmsGiveTheReferenceResultsExactly) {
  for (const char* sample : {"house.dat", "l_block.dat"}) {
    LoadSample(sample);
    UseReferenceAlgorithms(true);
    RunAnalysis();
    const std::vector<double> reference = Results();
    const long sweeps = lastSolve.sweeps;
    UseReferenceAlgorithms(false);
    RunAnalysis();
    EXPECT_EQ(lastSolve.sweeps, sweeps) << sample;
    EXPECT_TRUE(SameBits(Results(), reference)) << sample;
  }
}

// An absolute tolerance of 0.3 stops a drawing under a unit wide after one
// sweep with a field that is mostly noise; the scaled tolerance solves it.
TEST_F(SolverTest, SmallDrawingsAreSolvedToTheirScale) {
  new LineEntity(0, 0, 0.6, 0);
  new LineEntity(0.6, 0, 0.6, 0.4);
  BuildGridFromDrawing(60);
  const double side = std::max(cellGrid.xmax - cellGrid.xmin, cellGrid.ymax - cellGrid.ymin);
  EXPECT_DOUBLE_EQ(ScaledTolerance(), 0.3 * (side / 13) * (side / 13));
  solverSettings.tolerance = 0.3;
  Solve();
  EXPECT_EQ(lastSolve.sweeps, 1);
  solverSettings.tolerance = 0;
  Solve();
  EXPECT_GT(lastSolve.sweeps, 100);
  const double scaled = cellGrid.cells[30 * 60 + 30].centreVelX;
  solverSettings.tolerance = ScaledTolerance() / 1000;
  Solve();
  EXPECT_NEAR(scaled, cellGrid.cells[30 * 60 + 30].centreVelX, 0.05 * inflowSpeed);
}

TEST_F(SolverTest, LargeDrawingsKeepTheAbsoluteTolerance) {
  BuildOpenGrid(0, 20, 0, 20, 10);
  EXPECT_EQ(ScaledTolerance(), 0.3);
}

TEST_F(SolverTest, SweepLimitEndsAnUnreachableTolerance) {
  BuildOpenGrid(0, 13, 0, 13, 20);
  solverSettings.tolerance = 1e-300;
  solverSettings.maxSweeps = 50;
  Solve();
  EXPECT_EQ(lastSolve.sweeps, 50);
  EXPECT_FALSE(lastSolve.converged);
}

}  // namespace
