#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "flow/direct_solve.h"
#include "flow/face_weighted.h"
#include "tests/flow/flow_fixture.h"

namespace {

using SolverTest = FlowTest;

// The scheme kept for earlier results: equal weights and an early stop.
class LiteralSolverTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    options.scheme = SolverScheme::Literal;
  }
};

double Residual(const CellGrid& g) { return FaceWeightedResidual(g, g.cellWidth, g.cellHeight); }

// A cell's centre velocity along x and along y.
double VelocityX(const CellGrid& g, int cell) { return ComputeCentreVelocity(g, cell).u; }
double VelocityY(const CellGrid& g, int cell) { return -ComputeCentreVelocity(g, cell).q; }

// On 2 × 2 cells of size 1 with inflow 50 the first sweep gives the
// potentials -25, 12.5, -37.5, 12.5: its largest change is 37.5.
TEST_F(LiteralSolverTest, SweepWhoseLargestChangeEqualsTheToleranceEndsTheIteration) {
  BuildOpenGrid(0, 2, 0, 2, 2);
  options.tolerance = 37.5;
  Solve();
  EXPECT_EQ(lastSolve.sweeps, 1);
  EXPECT_EQ(cellGrid.potential[2], -37.5);
  options.tolerance = 37.4;
  Solve();
  EXPECT_GT(lastSolve.sweeps, 1);
}

// Four L-shaped walls give every wall type inside the grid, and the ring
// every outer one.  On square cells one Gauss-Seidel pass of the weighted
// equations is the literal sweep.
TEST_F(SolverTest, SquareCellsGiveTheLiteralUpdateForEveryCellType) {
  BuildGrid(0, 6, 0, 6, 12, 12);
  const int solid[][2] = {{2, 2}, {2, 3}, {3, 2}, {2, 8}, {2, 9}, {3, 9},
                          {9, 2}, {8, 2}, {9, 3}, {9, 9}, {8, 9}, {9, 8}};
  for (const auto& rc : solid) cellGrid.type[rc[0] * 12 + rc[1]] = Solid;
  ClassifyWallCells();
  std::vector<bool> seen(9, false);
  std::vector<double> start;
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    if (cellGrid.type[c] != Solid) seen[cellGrid.type[c]] = true;
    start.push_back(cellGrid.type[c] == Solid ? 0 : std::sin(c * 1.7) * 40);
  }
  for (int type = 0; type <= 8; ++type) EXPECT_TRUE(seen[type]) << type;

  const double d = cellGrid.cellWidth;
  std::vector<double> weighted = start;
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    const CellEquation e = CellEquationOf(cellGrid, c, d, d);
    if (cellGrid.type[c] == Solid) continue;
    double numerator = 0;
    for (int k = 0; k < 4; ++k) {
      if (e.weight[k] != 0) numerator += e.weight[k] * weighted[CellLink(cellGrid, c, k)];
    }
    weighted[c] = (numerator + e.prescribed) / e.diagonal;
  }
  cellGrid.potential = start;
  options.scheme = SolverScheme::Literal;
  options.tolerance = 1e300;  // one sweep
  SolvePotential();
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    EXPECT_NEAR(cellGrid.potential[c], weighted[c], 1e-12 * cellGrid.inflowSpeed) << c << " type " << int(cellGrid.type[c]);
  }
}

// A potential linear in x solves the weighted equations of any cell shape
// exactly: every centre velocity is the inflow.
TEST_F(SolverTest, UniformFlowThroughCellsWiderThanTallIsExact) {
  BuildOpenGrid(0, 13, 0, 5.4, 60);
  Solve();
  EXPECT_TRUE(lastSolve.converged);
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    ASSERT_NEAR(VelocityX(cellGrid, c), cellGrid.inflowSpeed, 1e-9 * cellGrid.inflowSpeed) << c;
    ASSERT_NEAR(VelocityY(cellGrid, c), 0, 1e-9 * cellGrid.inflowSpeed) << c;
    if (c % 60 > 0) {
      ASSERT_NEAR(cellGrid.potential[c] - cellGrid.potential[c - 1], cellGrid.inflowSpeed * cellGrid.cellWidth,
                  1e-9 * cellGrid.inflowSpeed * cellGrid.cellWidth);
    }
  }
}

// The speed above a wall that closes the lower half of a channel does not
// depend on the cells' shape, square or 2.4 times wider than tall.
TEST_F(SolverTest, FlowOverAWallIsTheSameOnSquareAndOnWideCells) {
  double speed[2];
  const int rows[2] = {25, 60};
  for (int k = 0; k < 2; ++k) {
    BuildGrid(0, 13, 0, 5.4, 60, rows[k]);
    MarkSegmentSolid(6.5, 0, 6.5, 2.7);
    ClassifyWallCells();
    Solve();
    speed[k] = VelocityX(cellGrid, LocateCell(6.5, 4.0)) / cellGrid.inflowSpeed;
  }
  EXPECT_GT(speed[0], 1.7);  // the flow speeds up through the open half
  EXPECT_NEAR(speed[1], speed[0], 0.03 * speed[0]);
}

// The converged field meets the residual bound from any starting field,
// and its potential has a zero mean.
TEST_F(SolverTest, ConvergedFieldIsIndependentOfTheStart) {
  LoadSample("house.dat");
  BuildGridFromDrawing();
  Solve();
  EXPECT_LE(Residual(cellGrid), kResidualRatio);
  const std::vector<double> fromZero = cellGrid.potential;
  double sum = 0;
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    if (cellGrid.type[c] != Solid) sum += cellGrid.potential[c];
  }
  EXPECT_NEAR(sum / 3600, 0, 1e-12 * cellGrid.inflowSpeed * 13);
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    cellGrid.potential[c] = cellGrid.type[c] == Solid ? 0 : 1e4 + std::cos(c) * 5e3;
  }
  SolvePotential();
  EXPECT_LE(Residual(cellGrid), kResidualRatio);
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    ASSERT_NEAR(cellGrid.potential[c], fromZero[c], 1e-9 * cellGrid.inflowSpeed * 13) << c;
  }
}

// The bound the solve must meet: the relative residual goal, or the
// residual that rounding each potential to a double leaves, if larger.
double ResidualBound(const CellGrid& g) {
  long double rounding = 0, rhs = 0;
  for (int c = 0; c < g.cellCount; ++c) {
    const CellEquation e = CellEquationOf(g, c, g.cellWidth, g.cellHeight);
    long double sum = static_cast<long double>(e.diagonal) * std::fabs(g.potential[c]);
    for (int k = 0; k < 4; ++k) {
      if (e.weight[k] != 0) sum += e.weight[k] * std::fabs(g.potential[CellLink(g, c, k)]);
    }
    rounding += sum * sum;
    rhs += static_cast<long double>(e.prescribed) * e.prescribed;
  }
  return std::max(kResidualRatio, 4 * 0x1p-53 * static_cast<double>(std::sqrt(rounding / rhs)));
}

// The velocity across every open face agrees with a sparse direct solve of
// the same equations.
void ExpectTheDirectSolution(const CellGrid& g, const char* what) {
  double seconds;
  const std::vector<double> direct = SolveDirectly(g, seconds);
  double largest = 0;
  for (int c = 0; c < g.cellCount; ++c) {
    const CellEquation e = CellEquationOf(g, c, g.cellWidth, g.cellHeight);
    for (int k : {LinkEast, LinkNorth}) {
      if (e.weight[k] == 0) continue;
      const int j = CellLink(g, c, k);
      const double h = k == LinkEast ? g.cellWidth : g.cellHeight;
      const double solved = (g.potential[c] - g.potential[j]) / h;
      largest = std::max(largest, std::fabs(solved - (direct[c] - direct[j]) / h));
    }
  }
  EXPECT_LE(largest, 1e-10 * g.inflowSpeed) << what;
}

const char* const kSamples[] = {"corridor.dat", "house.dat", "l_block.dat", "single_room.dat",
                                "two_rooms.dat"};

// Closed rooms (regions of their own), walls across blocks of cells on a
// slant, cells much wider than tall, solid ring cells and every sample.
TEST_F(SolverTest, SolveMeetsTheResidualBoundAndMatchesADirectSolve) {
  for (const char* sample : kSamples) {
    LoadSample(sample);
    ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done) << sample;
    EXPECT_LE(Residual(cellGrid), ResidualBound(cellGrid)) << sample;
    ExpectTheDirectSolution(cellGrid, sample);
  }
  drawing.deleteAll();
  const double room[][4] = {{0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 3}, {0, 3, 0, 0}, {5, 0.2, 9, 2.9}, {6, 3, 7.5, 0.5}};
  for (const auto& w : room) NewLine(w[0], w[1], w[2], w[3]);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  EXPECT_LE(Residual(cellGrid), ResidualBound(cellGrid));
  ExpectTheDirectSolution(cellGrid, "closed room");
  BuildOpenGrid(0, 10, 0, 10, 10);
  cellGrid.type[50] = cellGrid.type[9] = Solid;
  ClassifyWallCells();
  Solve();
  EXPECT_LE(Residual(cellGrid), ResidualBound(cellGrid));
  ExpectTheDirectSolution(cellGrid, "solid ring cells");
}

// On a fine grid the solve still meets the bound for every sample, in
// about as many iterations as on the coarse one.
TEST_F(SolverTest, FineGridsMeetTheResidualBound) {
  options.cells = 400;
  for (const char* sample : kSamples) {
    LoadSample(sample);
    ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done) << sample;
    EXPECT_LE(Residual(cellGrid), ResidualBound(cellGrid)) << sample;
    EXPECT_LT(lastSolve.sweeps, 100) << sample;
  }
}

// A solid west ring cell leaves nine tenths of the inflow: the outflow is
// scaled to match, and every column carries the same flow.
TEST_F(SolverTest, OutflowMatchesTheInflowLeftBySolidWestCells) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  cellGrid.type[50] = Solid;
  ClassifyWallCells();
  Solve();
  EXPECT_LE(Residual(cellGrid), kResidualRatio);
  EXPECT_NEAR(EastU(cellGrid, 59), 0.9 * cellGrid.inflowSpeed, 1e-12 * cellGrid.inflowSpeed);
  for (int column = 2; column < 10; ++column) {
    double flow = 0;
    for (int row = 0; row < 10; ++row) flow += WestU(cellGrid, row * 10 + column);
    EXPECT_NEAR(flow, 9 * cellGrid.inflowSpeed, 1e-9 * cellGrid.inflowSpeed) << column;
  }
}

// Everything the analysis produces, bit for bit.
std::vector<double> Results(const CellGrid& cellGrid, const StreamlineList& streamlines) {
  std::vector<double> r;
  for (int c = 0; c < cellGrid.cellCount; ++c) {
    const CentreVelocity v = ComputeCentreVelocity(cellGrid, c);
    r.insert(r.end(), {double(cellGrid.type[c]), cellGrid.potential[c], v.u, -v.q, CentreDirection(v)});
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

TEST_F(LiteralSolverTest, FastAlgorithmsGiveTheReferenceResultsExactly) {
  for (const char* sample : {"house.dat", "l_block.dat"}) {
    LoadSample(sample);
    UseReferenceAlgorithms(true);
    RunAnalysis();
    const std::vector<double> reference = Results(cellGrid, streamlines);
    const long sweeps = lastSolve.sweeps;
    UseReferenceAlgorithms(false);
    RunAnalysis();
    EXPECT_EQ(lastSolve.sweeps, sweeps) << sample;
    EXPECT_TRUE(SameBits(Results(cellGrid, streamlines), reference)) << sample;
  }
}

// SolvePotential from the given starting potentials with the fast or the
// reference sweep: the sweep count, then every potential.
std::vector<double> SolvedFrom(FlowTest& t, const std::vector<double>& start, bool reference) {
  t.cellGrid.potential = start;
  t.UseReferenceAlgorithms(reference);
  t.SolvePotential();
  t.UseReferenceAlgorithms(false);
  std::vector<double> r{double(t.lastSolve.sweeps)};
  r.insert(r.end(), t.cellGrid.potential.begin(), t.cellGrid.potential.end());
  return r;
}

// Starting fields the drawings never give: signed zeros and the smallest
// subnormals, whose products underflow; values that overflow; one infinite
// cell (a solid or spare place that took it in would turn it into NaN);
// and one NaN cell, whose NaN changes the largest change must pass over.
std::vector<std::vector<double>> UnusualStarts(int n) {
  std::vector<double> zeros, huge, infinite(n, 0.0), nan(n, 0.0);
  for (int i = 0; i < n; ++i) {
    const double tame[] = {-0.0, 5e-324, 0.0, -5e-324, -0.0, 1.5};
    zeros.push_back(tame[i % 6]);
    huge.push_back(i % 7 == 3 ? 1e308 : i % 5 == 2 ? -1e308 : -0.0);
  }
  infinite[n / 2] = HUGE_VAL;
  nan[n / 2] = std::nan("");
  return {zeros, huge, infinite, nan};
}

void ExpectFastSolveMatchesReference(FlowTest& t, const char* what) {
  const int n = t.cellGrid.cellCount;
  for (const std::vector<double>& start : UnusualStarts(n)) {
    const std::vector<double> reference = SolvedFrom(t, start, true);
    EXPECT_TRUE(SameBits(SolvedFrom(t, start, false), reference)) << what;
  }
  EXPECT_TRUE(SameBits(SolvedFrom(t, std::vector<double>(n), false),
                       SolvedFrom(t, std::vector<double>(n), true)))
      << what;
}

// Narrow grids, row counts that do not fill the vector lanes, and walls
// inside the grid.
TEST_F(LiteralSolverTest, FastSweepMatchesTheReferenceOnEveryGridShape) {
  options.tolerance = 1e-9;
  options.maxSweeps = 300;
  const int shapes[][2] = {{2, 2}, {2, 7}, {7, 2}, {3, 5}, {12, 4}, {13, 9}, {4, 17}};
  for (const auto& shape : shapes) {
    BuildGrid(0, shape[0], 0, shape[1], shape[0], shape[1]);
    const std::string name = std::to_string(shape[0]) + "x" + std::to_string(shape[1]);
    ExpectFastSolveMatchesReference(*this, name.c_str());
  }
  BuildGrid(0, 13, 0, 9, 13, 9);
  for (int cell : {31, 32, 44, 45, 60, 100}) cellGrid.type[cell] = Solid;
  ClassifyWallCells();
  ExpectFastSolveMatchesReference(*this, "walls");
}

// With no wind, a quarter of the smallest negative sum underflows to -0.0,
// and a cell whose four neighbours are all -0.0 must still get +0.0, as
// the reference sum starts at 0.0.
TEST_F(LiteralSolverTest, FastSweepKeepsTheSignOfZeroPotentials) {
  BuildGrid(0, 6, 0, 6, 6, 6);
  cellGrid.faceU.assign(cellGrid.faceU.size(), 0.0);
  std::vector<double> start(cellGrid.cellCount, -0.0);
  start[3 * 6 + 3] = start[2 * 6 + 4] = -5e-324;
  const std::vector<double> reference = SolvedFrom(*this, start, true);
  EXPECT_TRUE(SameBits(SolvedFrom(*this, start, false), reference));
  EXPECT_FALSE(std::signbit(cellGrid.potential[3 * 6 + 3]));
}

// An absolute tolerance of 0.3 stops a drawing under a unit wide after one
// sweep with a field that is mostly noise; the scaled tolerance solves it.
TEST_F(LiteralSolverTest, SmallDrawingsAreSolvedToTheirScale) {
  NewLine(0, 0, 0.6, 0);
  NewLine(0.6, 0, 0.6, 0.4);
  BuildGridFromDrawing();
  options.tolerance = 0.3;
  Solve();
  EXPECT_EQ(lastSolve.sweeps, 1);
  options.tolerance = 0;
  Solve();
  EXPECT_GT(lastSolve.sweeps, 100);
  const double scaled = VelocityX(cellGrid, 30 * 60 + 30);
  options.tolerance = ScaledTolerance() / 1000;
  Solve();
  EXPECT_NEAR(scaled, VelocityX(cellGrid, 30 * 60 + 30), 0.05 * cellGrid.inflowSpeed);
}

// A tall narrow drawing: the tolerance follows the potential's step across
// one cell, so the sweeps go on until the field has settled and the
// streamlines cross the whole grid.
TEST_F(LiteralSolverTest, TallNarrowDrawingsAreSolvedToTheirCells) {
  NewLine(0, 0, 0.5, 10);
  ASSERT_EQ(RunAnalysis(), AnalysisOutcome::Done);
  EXPECT_GT(lastSolve.sweeps, 5000);
  ASSERT_FALSE(streamlines.empty());
  for (const Streamline& line : streamlines) EXPECT_LT(line.points.size(), StreamlinePointLimit());
}

}  // namespace
