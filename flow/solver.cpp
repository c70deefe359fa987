#include "flow/solver.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/cell_grid.h"
#include "flow/grid_build.h"
#include "flow/progress.h"

SolverSettings solverSettings;
SolveReport lastSolve;

namespace {

constexpr double kDegreesPerRadian = 57.295;
constexpr double kThird = 0.3333333333333333;

// One cell of the sweep.  The new potential is
// factor × ((S + term1) + term2) with S the sum of the listed neighbours;
// a prescribed face enters as a signed term (adding the negated product is
// exactly the subtraction) and an unused term is -0.0, which adds exactly
// nothing.  Unused neighbour slots point at a -0.0 pad for the same reason.
// A solid cell lists no neighbour and has factor 0: it stays at +0 and its
// change is 0, as when it is skipped.
struct SweepCell {
  int neighbour[4];
  double term1, term2, factor;
  bool plain;  // interior cell with all four neighbours fluid
};

struct SweepPlan {
  std::vector<SweepCell> cells;  // in index order
  std::vector<double> phi;       // potentials, plus the pad at the end
  int columns = 0, rows = 0;
};

bool CountsInSum(int neighbour) {
  return neighbour != NoNeighbour && cellGrid.cells[neighbour].type != Solid;
}

void SetTerms(SweepCell& s, const GridCell& c, double dx, double dy) {
  const double none = -0.0;
  s.term1 = s.term2 = none;
  s.factor = kThird;
  switch (c.type) {
    case Interior: s.factor = 0.25; break;
    case TopLeftCorner: s.factor = 0.5; s.term1 = -(c.westU * dx); s.term2 = -(c.northQ * dy); break;
    case TopRightCorner: s.factor = 0.5; s.term1 = c.eastU * dx; s.term2 = -(c.northQ * dy); break;
    case BottomLeftCorner: s.factor = 0.5; s.term1 = -(c.westU * dx); s.term2 = c.southQ * dy; break;
    case BottomRightCorner: s.factor = 0.5; s.term1 = c.eastU * dx; s.term2 = c.southQ * dy; break;
    case TopEdge: s.term1 = -(c.northQ * dy); break;
    case LeftEdge: s.term1 = -(c.westU * dx); break;
    case BottomEdge: s.term1 = c.southQ * dy; break;
    case RightEdge: s.term1 = c.eastU * dx; break;
    default: s.factor = 0; break;
  }
}

SweepPlan MakeSweepPlan(double dx, double dy) {
  const CellGrid& g = cellGrid;
  SweepPlan plan;
  plan.columns = g.columns;
  plan.rows = g.rows;
  plan.phi.assign(g.cellCount + 1, 0.0);
  const int pad = g.cellCount;
  plan.phi[pad] = -0.0;
  plan.cells.resize(g.cellCount);
  for (const GridCell& c : g.cells) {
    plan.phi[c.index] = c.potential;
    SweepCell& s = plan.cells[c.index];
    int used = 0;
    const bool fluid = c.type != Solid && c.type != Unassigned;
    for (int k = 0; fluid && k < 4; ++k) {
      if (CountsInSum(c.neighbours[k])) s.neighbour[used++] = c.neighbours[k];
    }
    while (used < 4) s.neighbour[used++] = pad;
    SetTerms(s, c, dx, dy);
    s.plain = c.type == Interior && s.neighbour[3] != pad;
    if (!fluid) plan.phi[c.index] = 0.0;
  }
  return plan;
}

// The same for a plain interior cell, whose neighbours are found by index
// and whose terms add nothing.
inline void UpdateInteriorCell(double* phi, int i, int nc, double& largest) {
  double sum = 0.0;
  sum += phi[i - nc];
  sum += phi[i + 1];
  sum += phi[i + nc];
  sum += phi[i - 1];
  const double updated = 0.25 * sum;
  const double change = std::fabs(updated - phi[i]);
  if (largest <= change) largest = change;
  phi[i] = updated;
}

inline void UpdateCell(const SweepCell& s, double* phi, int i, double& largest) {
  double sum = 0.0;
  sum += phi[s.neighbour[0]];
  sum += phi[s.neighbour[1]];
  sum += phi[s.neighbour[2]];
  sum += phi[s.neighbour[3]];
  const double updated = s.factor * ((sum + s.term1) + s.term2);
  const double change = std::fabs(updated - phi[i]);
  if (largest <= change) largest = change;
  phi[i] = updated;
}

// Rows first + lanes ... first + lanes - 1, each lane two columns behind
// the row below it.  Every cell still sees its south and west neighbours
// already updated and its north and east ones not yet, exactly as in a
// sweep in index order, but the lanes' updates do not wait on each other,
// so the processor overlaps them.  Each lane keeps its own largest change;
// the largest of those is the sweep's.
template <int Lanes>
void SweepBand(SweepPlan& p, int first, int lanes, double* largest) {
  const int nc = p.columns;
  double* phi = p.phi.data();
  const SweepCell* cells = p.cells.data();
  double lane[Lanes];
  int rowStart[Lanes];  // index of the lane's cell at step 0 (column -2j)
  for (int j = 0; j < Lanes; ++j) {
    lane[j] = largest[j];
    rowStart[j] = (first + j) * nc - 2 * j;
  }
  const int steps = nc + 2 * (lanes - 1);
  for (int step = 0; step < steps; ++step) {
#pragma GCC unroll 16
    for (int j = 0; j < Lanes; ++j) {
      const int c = step - 2 * j;
      if (j >= lanes || c < 0 || c >= nc) continue;
      const int i = rowStart[j] + step;
      if (cells[i].plain) UpdateInteriorCell(phi, i, nc, lane[j]);
      else UpdateCell(cells[i], phi, i, lane[j]);
    }
  }
  for (int j = 0; j < Lanes; ++j) largest[j] = lane[j];
}

double Sweep(SweepPlan& p) {
  constexpr int kLanes = 8;
  double largest[kLanes];
  for (double& l : largest) l = -1000.0;
  for (int first = 0; first < p.rows; first += kLanes) {
    SweepBand<kLanes>(p, first, std::min(kLanes, p.rows - first), largest);
  }
  double result = -1000.0;
  for (double l : largest) {
    if (result <= l) result = l;
  }
  return result;
}

// The sweep written directly against the cell records, kept as the
// reference the planned sweep must match.
double SweepCellRecords(double dx, double dy) {
  CellGrid& g = cellGrid;
  double largest = -1000.0;
  for (GridCell& c : g.cells) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
      if (CountsInSum(c.neighbours[k])) sum += g.cells[c.neighbours[k]].potential;
    }
    double updated = c.potential;
    switch (c.type) {
      case Interior: updated = 0.25 * sum; break;
      case TopLeftCorner: updated = 0.5 * (sum - c.westU * dx - c.northQ * dy); break;
      case TopRightCorner: updated = 0.5 * (sum + c.eastU * dx - c.northQ * dy); break;
      case BottomLeftCorner: updated = 0.5 * (sum - c.westU * dx + c.southQ * dy); break;
      case BottomRightCorner: updated = 0.5 * (sum + c.eastU * dx + c.southQ * dy); break;
      case TopEdge: updated = (sum - c.northQ * dy) * kThird; break;
      case LeftEdge: updated = (sum - c.westU * dx) * kThird; break;
      case BottomEdge: updated = (sum + c.southQ * dy) * kThird; break;
      case RightEdge: updated = (sum + c.eastU * dx) * kThird; break;
      default: break;
    }
    const double change = std::fabs(updated - c.potential);
    if (largest <= change) largest = change;
    c.potential = updated;
  }
  return largest;
}

bool SweepLimitReached(long sweeps) {
  return solverSettings.maxSweeps > 0 && sweeps >= solverSettings.maxSweeps;
}

void IteratePotential(double dx, double dy, double tolerance) {
  lastSolve = SolveReport{};
  if (UsingReferenceAlgorithms()) {
    for (;;) {
      const double largest = SweepCellRecords(dx, dy);
      ++lastSolve.sweeps;
      AdvanceGauge();
      if (!(largest > tolerance)) return;
      if (SweepLimitReached(lastSolve.sweeps)) break;
    }
  } else {
    SweepPlan plan = MakeSweepPlan(dx, dy);
    for (;;) {
      const double largest = Sweep(plan);
      ++lastSolve.sweeps;
      AdvanceGauge();
      if (!(largest > tolerance)) break;
      if (SweepLimitReached(lastSolve.sweeps)) {
        lastSolve.converged = false;
        break;
      }
    }
    for (GridCell& c : cellGrid.cells) c.potential = plan.phi[c.index];
    return;
  }
  lastSolve.converged = false;
}

double Potential(int index) { return cellGrid.cells[index].potential; }

void RecordCentreVelocity(GridCell& p, double u, double q) {
  CellGrid& g = cellGrid;
  p.centreVelX = u;
  p.centreVelY = -q;
  const double speed = std::sqrt(q * q + u * u);
  UpdateMaximum(g.maxCellSpeed, std::fabs(speed));
  UpdateMinimum(g.minCellSpeed, std::fabs(speed));
  p.centreDirection = speed < 0.001 ? 180.0 : std::atan2(q, u) * kDegreesPerRadian + 180.0;
  p.centreSpeed = speed;
}

}  // namespace

double ScaledTolerance() {
  const CellGrid& g = cellGrid;
  const double w = g.xmax - g.xmin, h = g.ymax - g.ymin;
  const double ratio = (w > h ? w : h) / 13;
  return 0.3 * std::min(1.0, ratio * ratio);
}

void ResetFlowValues() {
  for (GridCell& c : cellGrid.cells) {
    if (c.type == Interior || c.type == Solid) {
      c.potential = c.centreVelX = c.centreVelY = c.westU = c.northQ = c.eastU = c.southQ = 0;
      c.centreDirection = c.centreSpeed = c.boundarySpeed = c.boundaryDirection = 0;
    }
    c.potential = 0;
  }
}

void SolvePotential() {
  CellGrid& g = cellGrid;
  const double dx = g.cellWidth, dy = g.cellHeight;
  AdvanceGauge();
  const double tolerance = solverSettings.tolerance > 0 ? solverSettings.tolerance : ScaledTolerance();
  IteratePotential(dx, dy, tolerance);
  AdvanceGauge();
  for (int i = 0; i < g.cellCount; ++i) ComputeFaceVelocities(i);
  for (GridNode& n : g.nodes) n.velX = n.velY = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    AdvanceGauge();
    ComputeCentreVelocity(i);
    AccumulateNodeVelocity(i);
  }
  AverageNodeVelocities();
  g.cellSpeedTenth = 0.1 * g.maxCellSpeed;
}

void ComputeFaceVelocities(int index) {
  CellGrid& g = cellGrid;
  GridCell& p = g.cells[index];
  const double dx = g.cellWidth, dy = g.cellHeight;
  bool west = false, north = false;
  switch (p.type) {
    case Interior: case BottomRightCorner: case BottomEdge: case RightEdge: west = north = true; break;
    case TopRightCorner: case TopEdge: west = true; break;
    case BottomLeftCorner: case LeftEdge: north = true; break;
    default: break;
  }
  if (west) p.westU = (p.potential - Potential(index - 1)) / dx;
  if (north) p.northQ = (p.potential - Potential(index + g.columns)) / dy;
}

void ComputeCentreVelocity(int index) {
  CellGrid& g = cellGrid;
  GridCell& p = g.cells[index];
  const int east = p.neighbours[LinkEast], south = p.neighbours[LinkSouth];
  auto eastAverage = [&] { return (p.westU + g.cells[east].westU) * 0.5; };
  auto southAverage = [&] { return (p.northQ + g.cells[south].northQ) * 0.5; };
  switch (p.type) {
    case Interior: RecordCentreVelocity(p, eastAverage(), southAverage()); break;
    case TopLeftCorner: RecordCentreVelocity(p, p.westU, p.northQ); break;
    case TopRightCorner: RecordCentreVelocity(p, p.eastU, p.northQ); break;
    case BottomLeftCorner: RecordCentreVelocity(p, p.westU, p.southQ); break;
    case BottomRightCorner: RecordCentreVelocity(p, p.eastU, p.southQ); break;
    case TopEdge: RecordCentreVelocity(p, eastAverage(), p.northQ); break;
    case LeftEdge: RecordCentreVelocity(p, p.westU, southAverage()); break;
    case BottomEdge: RecordCentreVelocity(p, eastAverage(), p.southQ); break;
    case RightEdge: RecordCentreVelocity(p, p.eastU, southAverage()); break;
    default: RecordCentreVelocity(p, 0, 0); break;
  }
}

void AccumulateNodeVelocity(int index) {
  CellGrid& g = cellGrid;
  const GridCell& p = g.cells[index];
  for (int k = 0; k < 4; ++k) {
    GridNode& n = g.nodes[p.corners[k]];
    n.velX += p.centreVelX;
    n.velY += p.centreVelY;
  }
}

void AverageNodeVelocities() {
  for (GridNode& n : cellGrid.nodes) {
    if (n.incidentCount > 0) {
      n.velX /= n.incidentCount;
      n.velY /= n.incidentCount;
    }
    n.speed = std::sqrt(n.velX * n.velX + n.velY * n.velY);
  }
}
