#include "flow/solver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/face_weighted.h"
#include "flow/grid_build.h"
#include "flow/progress.h"

namespace {

constexpr double kDegreesPerRadian = 57.295;
constexpr double kThird = 0.3333333333333333;
// The accurate solve needs a few hundred iterations on the largest grids;
// one that has not converged after this many never will.
constexpr long kMaxIterations = 20000;

bool IsFluid(const GridCell& c) { return c.type >= Interior && c.type <= RightEdge; }

bool CountsInSum(const CellGrid& g, int neighbour) {
  return neighbour != NoNeighbour && g.cells[neighbour].type != Solid;
}

// The new potential of a fluid cell is factor × ((S + term1) + term2) with
// S the sum of its counted neighbours.  A prescribed face enters as a
// signed term (adding the negated product is exactly the subtraction) and
// an unused term is -0.0, which adds exactly nothing.
struct CellFormula {
  double term1 = -0.0, term2 = -0.0, factor = kThird;
};

CellFormula FormulaOf(const GridCell& c, double dx, double dy) {
  CellFormula f;
  switch (c.type) {
    case Interior: f.factor = 0.25; break;
    case TopLeftCorner: f.factor = 0.5; f.term1 = -(c.westU * dx); f.term2 = -(c.northQ * dy); break;
    case TopRightCorner: f.factor = 0.5; f.term1 = c.eastU * dx; f.term2 = -(c.northQ * dy); break;
    case BottomLeftCorner: f.factor = 0.5; f.term1 = -(c.westU * dx); f.term2 = c.southQ * dy; break;
    case BottomRightCorner: f.factor = 0.5; f.term1 = c.eastU * dx; f.term2 = c.southQ * dy; break;
    case TopEdge: f.term1 = -(c.northQ * dy); break;
    case LeftEdge: f.term1 = -(c.westU * dx); break;
    case BottomEdge: f.term1 = c.southQ * dy; break;
    case RightEdge: f.term1 = c.eastU * dx; break;
    default: f.factor = 0; break;
  }
  return f;
}

// ---------------------------------------------------------------------------
// Fast sweep: a wavefront over skewed storage.
//
// Cell (row r, column c) is updated at step s = c + 2r.  Its south and west
// neighbours belong to steps s - 2 and s - 1, its north and east ones to
// steps s + 2 and s + 1, so sweeping the steps in order gives every cell
// exactly the old and new neighbour values of a sweep in index order, and
// the cells of one step do not depend on each other.  The potentials are
// stored step by step, the rows of a step side by side:
//
//   index(r, c) = (c + 2r + kLeadSteps) × lanes + r
//
// so the cells of a step are contiguous and are updated several at a time
// with vector instructions, and every neighbour lies at a fixed offset:
// west -lanes, east +lanes, south -(2 lanes + 1), north +(2 lanes + 1).
//
// Positions that are not fluid cells (solid cells, and the slots beyond the
// grid's edges) hold +0.0: the keep mask turns whatever the vector computes
// there back into +0.0.  A fluid cell adds these places where the reference
// sweep skips the neighbour.  That is exact: the sum starts as 0.0 + south,
// which is never -0.0, and x + 0.0 is x for every x but -0.0.  A solid
// cell's own potential stays in its record.

// Vectors of up to this many lanes; the step ranges are padded to it.
constexpr int kGroup = 4;
// Empty steps before step 0, so that the south offset stays in the storage.
constexpr int kLeadSteps = 3;

int RoundDown(int n, int m) { return n / m * m; }
int RoundUp(int n, int m) { return (n + m - 1) / m * m; }

struct StepRange {
  int begin, end;  // storage indices, a multiple of kGroup apart
};

struct Wavefront {
  int rows = 0, columns = 0;
  int lanes = 0;  // storage slots per step: the rows plus at least one spare
  std::vector<double> phi, factor, term1, term2;
  std::vector<std::int64_t> keep;  // all ones for a fluid cell, else zero
  std::vector<StepRange> steps;

  int StepBase(int step) const { return (step + kLeadSteps) * lanes; }
  int Index(int row, int column) const { return StepBase(column + 2 * row) + row; }
};

// The storage places a fluid cell reads must be its counted neighbours:
// each link either names the cell next to it on the grid, or is unused
// where that place is beyond the edge or solid.  Cells of any other type
// (Unassigned, or a code no cell type has) are summed by their neighbours
// but never updated, which the wavefront does not model.
bool LinksFollowTheGrid(const CellGrid& g) {
  for (const GridCell& c : g.cells) {
    if (c.type < Interior || c.type > Solid) return false;
    if (c.type == Solid) continue;
    for (int k = 0; k < 4; ++k) {
      const int beside = GridNeighbour(g, c.index, k);
      const bool empty = beside == NoNeighbour || g.cells[beside].type == Solid;
      if (CountsInSum(g, c.neighbours[k]) ? c.neighbours[k] != beside : !empty) return false;
    }
  }
  return true;
}

// The rows of step s are those with 0 <= s - 2r < columns, widened to
// whole groups of kGroup lanes.
void PlanSteps(Wavefront& w) {
  const int stepCount = w.columns + 2 * (w.rows - 1);
  for (int s = 0; s < stepCount; ++s) {
    const int low = s >= w.columns ? (s - w.columns + 2) / 2 : 0;
    const int high = std::min(w.rows - 1, s / 2);
    w.steps.push_back({w.StepBase(s) + RoundDown(low, kGroup), w.StepBase(s) + RoundUp(high + 1, kGroup)});
  }
}

Wavefront MakeWavefront(const CellGrid& g, double dx, double dy) {
  Wavefront w;
  if (g.cellCount == 0) return w;
  w.rows = g.rows;
  w.columns = g.columns;
  w.lanes = RoundUp(g.rows + 1, kGroup);
  // Steps 0 .. columns + 2 rows - 3, the lead steps, and room for the
  // north and east offsets past the last step.
  const size_t size = static_cast<size_t>(g.columns + 2 * g.rows + kLeadSteps + 4) * w.lanes;
  w.phi.assign(size, 0.0);
  w.factor.assign(size, 0.0);
  w.term1.assign(size, 0.0);
  w.term2.assign(size, 0.0);
  w.keep.assign(size, 0);
  for (const GridCell& c : g.cells) {
    if (!IsFluid(c)) continue;
    const int i = w.Index(c.index / g.columns, c.index % g.columns);
    const CellFormula f = FormulaOf(c, dx, dy);
    w.phi[i] = c.potential;
    w.factor[i] = f.factor;
    w.term1[i] = f.term1;
    w.term2[i] = f.term2;
    w.keep[i] = -1;
  }
  PlanSteps(w);
  return w;
}

// One sweep over the steps with vectors of V (2 or 4 doubles): the same
// operations as the reference sweep, lane by lane.  Each lane keeps its own
// largest change; `change > largest ? change : largest` picks exactly what
// `if (largest <= change) largest = change` picks, a NaN change included.
template <class V>
__attribute__((always_inline)) inline double SweepSteps(Wavefront& w) {
  using Mask = decltype(V{} < V{});
  constexpr int kWidth = sizeof(V) / sizeof(double);
  const auto load = [](const auto* p, auto& v) { std::memcpy(&v, p, sizeof v); };
  const int across = w.lanes, up = 2 * w.lanes + 1;
  double* phi = w.phi.data();
  const Mask magnitude = Mask{} + INT64_MAX;
  V largest = V{} - 1000.0;
  for (const StepRange& step : w.steps) {
    for (int i = step.begin; i < step.end; i += kWidth) {
      V south, east, north, west, factor, term1, term2, old;
      Mask keep;
      load(phi + i - up, south);
      load(phi + i + across, east);
      load(phi + i + up, north);
      load(phi + i - across, west);
      load(w.factor.data() + i, factor);
      load(w.term1.data() + i, term1);
      load(w.term2.data() + i, term2);
      load(w.keep.data() + i, keep);
      load(phi + i, old);
      const V sum = (((0.0 + south) + east) + north) + west;
      const V updated = (V)((Mask)(factor * ((sum + term1) + term2)) & keep);
      const V change = (V)((Mask)(updated - old) & magnitude);
      largest = change > largest ? change : largest;
      std::memcpy(phi + i, &updated, sizeof updated);
    }
  }
  double lane[kWidth];
  std::memcpy(lane, &largest, sizeof lane);
  double result = -1000.0;
  for (double l : lane) {
    if (result <= l) result = l;
  }
  return result;
}

typedef double Double2 __attribute__((vector_size(16)));
typedef double Double4 __attribute__((vector_size(32)));

double SweepWavefrontBy2(Wavefront& w) { return SweepSteps<Double2>(w); }

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) double SweepWavefrontBy4(Wavefront& w) { return SweepSteps<Double4>(w); }

double SweepWavefront(Wavefront& w) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2 ? SweepWavefrontBy4(w) : SweepWavefrontBy2(w);
}
#else
double SweepWavefront(Wavefront& w) { return SweepWavefrontBy2(w); }
#endif

void StorePotentials(CellGrid& g, const Wavefront& w) {
  for (GridCell& c : g.cells) {
    if (IsFluid(c)) c.potential = w.phi[w.Index(c.index / w.columns, c.index % w.columns)];
  }
}

// ---------------------------------------------------------------------------
// The sweep written directly against the cell records, kept as the
// reference the fast sweeps must match.
double SweepCellRecords(CellGrid& g, double dx, double dy) {
  double largest = -1000.0;
  for (GridCell& c : g.cells) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
      if (CountsInSum(g, c.neighbours[k])) sum += g.cells[c.neighbours[k]].potential;
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

// Sweeps until the largest change is within the tolerance or the sweep
// limit (when above 0) is reached.
template <class Sweep>
SolveReport RunSweeps(Sweep sweep, double tolerance, long maxSweeps, ProgressPoints& progress) {
  SolveReport report;
  for (;;) {
    const double largest = sweep();
    ++report.sweeps;
    progress.AdvanceGauge();
    if (!(largest > tolerance)) return report;
    if (maxSweeps > 0 && report.sweeps >= maxSweeps) {
      report.converged = false;
      return report;
    }
  }
}

SolveReport IteratePotential(CellGrid& g, double dx, double dy, double tolerance,
                             const AnalysisOptions& options, ProgressPoints& progress) {
  // A grid whose links were edited by hand is swept cell by cell.
  if (options.referenceAlgorithms || !LinksFollowTheGrid(g)) {
    return RunSweeps([&] { return SweepCellRecords(g, dx, dy); }, tolerance, options.maxSweeps,
                     progress);
  }
  Wavefront w = MakeWavefront(g, dx, dy);
  const SolveReport report =
      RunSweeps([&] { return SweepWavefront(w); }, tolerance, options.maxSweeps, progress);
  StorePotentials(g, w);
  return report;
}

double Potential(const CellGrid& g, int index) { return g.cells[index].potential; }

void RecordCentreVelocity(CellGrid& g, GridCell& p, double u, double q) {
  p.centreVelX = u;
  p.centreVelY = -q;
  const double speed = std::sqrt(q * q + u * u);
  UpdateMaximum(g.maxCellSpeed, std::fabs(speed));
  UpdateMinimum(g.minCellSpeed, std::fabs(speed));
  p.centreDirection = speed < 0.001 ? 180.0 : std::atan2(q, u) * kDegreesPerRadian + 180.0;
  p.centreSpeed = speed;
}

}  // namespace

double ScaledTolerance(const CellGrid& g) {
  const double r = g.inflowSpeed * g.cellWidth / (25.0 * 13.0 * 13.0 / 60.0);
  return 0.3 * (r < 1 ? r : 1);
}

void ResetFlowValues(CellGrid& g) {
  for (GridCell& c : g.cells) {
    if (c.type == Interior || c.type == Solid) {
      c.potential = c.centreVelX = c.centreVelY = c.westU = c.northQ = c.eastU = c.southQ = 0;
      c.centreDirection = c.centreSpeed = c.boundarySpeed = c.boundaryDirection = 0;
    }
    c.potential = 0;
  }
}

SolveReport SolvePotential(CellGrid& g, const AnalysisOptions& options, ProgressPoints& progress) {
  const double dx = g.cellWidth, dy = g.cellHeight;
  progress.AdvanceGauge();
  SolveReport report;
  if (options.scheme == SolverScheme::Literal) {
    const double tolerance = options.tolerance > 0 ? options.tolerance : ScaledTolerance(g);
    report = IteratePotential(g, dx, dy, tolerance, options, progress);
  } else {
    report = SolveFaceWeighted(g, dx, dy, options.maxSweeps > 0 ? options.maxSweeps : kMaxIterations,
                               progress);
  }
  progress.AdvanceGauge();
  for (int i = 0; i < g.cellCount; ++i) ComputeFaceVelocities(g, options.scheme, i);
  for (GridNode& n : g.nodes) n.velX = n.velY = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    progress.AdvanceGauge();
    ComputeCentreVelocity(g, options.scheme, i);
    AccumulateNodeVelocity(g, i);
  }
  AverageNodeVelocities(g);
  g.cellSpeedTenth = 0.1 * g.maxCellSpeed;
  return report;
}

void ComputeFaceVelocities(CellGrid& g, SolverScheme scheme, int index) {
  GridCell& p = g.cells[index];
  const double dx = g.cellWidth, dy = g.cellHeight;
  if (scheme == SolverScheme::Accurate) {
    // A prescribed face keeps its value; a face towards a solid cell is a
    // wall, with nothing flowing through it.
    if (!IsFluid(p)) return;
    if (!PrescribesSide(p.type, LinkWest)) {
      p.westU = SharesOpenFace(g, p, LinkWest) ? (p.potential - Potential(g, index - 1)) / dx : 0;
    }
    if (!PrescribesSide(p.type, LinkNorth)) {
      p.northQ =
          SharesOpenFace(g, p, LinkNorth) ? (p.potential - Potential(g, index + g.columns)) / dy : 0;
    }
    return;
  }
  bool west = false, north = false;
  switch (p.type) {
    case Interior: case BottomRightCorner: case BottomEdge: case RightEdge: west = north = true; break;
    case TopRightCorner: case TopEdge: west = true; break;
    case BottomLeftCorner: case LeftEdge: north = true; break;
    default: break;
  }
  if (west) p.westU = (p.potential - Potential(g, index - 1)) / dx;
  if (north) p.northQ = (p.potential - Potential(g, index + g.columns)) / dy;
}

void ComputeCentreVelocity(CellGrid& g, SolverScheme scheme, int index) {
  GridCell& p = g.cells[index];
  const int east = p.neighbours[LinkEast], south = p.neighbours[LinkSouth];
  if (scheme == SolverScheme::Accurate && IsFluid(p)) {
    // The centre lies half a cell from each face, so its velocity is the
    // mean of the two opposite faces', a prescribed face included.
    const double eastFace = east == NoNeighbour ? p.eastU : g.cells[east].westU;
    const double southFace = south == NoNeighbour ? p.southQ : g.cells[south].northQ;
    RecordCentreVelocity(g, p, (p.westU + eastFace) * 0.5, (p.northQ + southFace) * 0.5);
    return;
  }
  // A grid built from a drawing always links these neighbours; a cell whose
  // link was removed takes its own prescribed face instead, as above.
  auto eastAverage = [&] {
    return (p.westU + (east == NoNeighbour ? p.eastU : g.cells[east].westU)) * 0.5;
  };
  auto southAverage = [&] {
    return (p.northQ + (south == NoNeighbour ? p.southQ : g.cells[south].northQ)) * 0.5;
  };
  switch (p.type) {
    case Interior: RecordCentreVelocity(g, p, eastAverage(), southAverage()); break;
    case TopLeftCorner: RecordCentreVelocity(g, p, p.westU, p.northQ); break;
    case TopRightCorner: RecordCentreVelocity(g, p, p.eastU, p.northQ); break;
    case BottomLeftCorner: RecordCentreVelocity(g, p, p.westU, p.southQ); break;
    case BottomRightCorner: RecordCentreVelocity(g, p, p.eastU, p.southQ); break;
    case TopEdge: RecordCentreVelocity(g, p, eastAverage(), p.northQ); break;
    case LeftEdge: RecordCentreVelocity(g, p, p.westU, southAverage()); break;
    case BottomEdge: RecordCentreVelocity(g, p, eastAverage(), p.southQ); break;
    case RightEdge: RecordCentreVelocity(g, p, p.eastU, southAverage()); break;
    default: RecordCentreVelocity(g, p, 0, 0); break;
  }
}

void AccumulateNodeVelocity(CellGrid& g, int index) {
  const GridCell& p = g.cells[index];
  for (int k = 0; k < 4; ++k) {
    GridNode& n = g.nodes[p.corners[k]];
    n.velX += p.centreVelX;
    n.velY += p.centreVelY;
  }
}

void AverageNodeVelocities(CellGrid& g) {
  for (GridNode& n : g.nodes) {
    if (n.incidentCount > 0) {
      n.velX /= n.incidentCount;
      n.velY /= n.incidentCount;
    }
    n.speed = std::sqrt(n.velX * n.velX + n.velY * n.velY);
  }
}
