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

// A neighbour's potential counts in a cell's sum when it is fluid: a solid
// one counts as 0, as does the place past the grid's edge.
bool CountsInSum(const CellGrid& g, int neighbour) {
  return neighbour != NoNeighbour && IsFluidType(g.type[neighbour]);
}

// The new potential of a fluid cell is factor × ((S + term1) + term2) with
// S the sum of its counted neighbours.  A prescribed face enters as a
// signed term (adding the negated product is exactly the subtraction) and
// an unused term is -0.0, which adds exactly nothing.
struct CellFormula {
  double term1 = -0.0, term2 = -0.0, factor = kThird;
};

CellFormula FormulaOf(const CellGrid& g, int i, double dx, double dy) {
  CellFormula f;
  switch (g.type[i]) {
    case Interior: f.factor = 0.25; break;
    case TopLeftCorner: f.factor = 0.5; f.term1 = -(WestU(g, i) * dx); f.term2 = -(NorthQ(g, i) * dy); break;
    case TopRightCorner: f.factor = 0.5; f.term1 = EastU(g, i) * dx; f.term2 = -(NorthQ(g, i) * dy); break;
    case BottomLeftCorner: f.factor = 0.5; f.term1 = -(WestU(g, i) * dx); f.term2 = SouthQ(g, i) * dy; break;
    case BottomRightCorner: f.factor = 0.5; f.term1 = EastU(g, i) * dx; f.term2 = SouthQ(g, i) * dy; break;
    case TopEdge: f.term1 = -(NorthQ(g, i) * dy); break;
    case LeftEdge: f.term1 = -(WestU(g, i) * dx); break;
    case BottomEdge: f.term1 = SouthQ(g, i) * dy; break;
    case RightEdge: f.term1 = EastU(g, i) * dx; break;
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
// cell's own potential stays in the grid.

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
  for (int c = 0; c < g.cellCount; ++c) {
    if (!IsFluidType(g.type[c])) continue;
    const int i = w.Index(CellRow(g, c), CellColumn(g, c));
    const CellFormula f = FormulaOf(g, c, dx, dy);
    w.phi[i] = g.potential[c];
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
  for (int c = 0; c < g.cellCount; ++c) {
    if (IsFluidType(g.type[c])) g.potential[c] = w.phi[w.Index(CellRow(g, c), CellColumn(g, c))];
  }
}

// ---------------------------------------------------------------------------
// The sweep written directly against the grid's cells and links, kept as
// the reference the fast sweeps must match.
double SweepCells(CellGrid& g, double dx, double dy) {
  double largest = -1000.0;
  for (int i = 0; i < g.cellCount; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
      const int j = CellLink(g, i, k);
      if (CountsInSum(g, j)) sum += g.potential[j];
    }
    double updated = g.potential[i];
    switch (g.type[i]) {
      case Interior: updated = 0.25 * sum; break;
      case TopLeftCorner: updated = 0.5 * (sum - WestU(g, i) * dx - NorthQ(g, i) * dy); break;
      case TopRightCorner: updated = 0.5 * (sum + EastU(g, i) * dx - NorthQ(g, i) * dy); break;
      case BottomLeftCorner: updated = 0.5 * (sum - WestU(g, i) * dx + SouthQ(g, i) * dy); break;
      case BottomRightCorner: updated = 0.5 * (sum + EastU(g, i) * dx + SouthQ(g, i) * dy); break;
      case TopEdge: updated = (sum - NorthQ(g, i) * dy) * kThird; break;
      case LeftEdge: updated = (sum - WestU(g, i) * dx) * kThird; break;
      case BottomEdge: updated = (sum + SouthQ(g, i) * dy) * kThird; break;
      case RightEdge: updated = (sum + EastU(g, i) * dx) * kThird; break;
      default: break;
    }
    const double change = std::fabs(updated - g.potential[i]);
    if (largest <= change) largest = change;
    g.potential[i] = updated;
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
  if (options.referenceAlgorithms) {
    return RunSweeps([&] { return SweepCells(g, dx, dy); }, tolerance, options.maxSweeps, progress);
  }
  Wavefront w = MakeWavefront(g, dx, dy);
  const SolveReport report =
      RunSweeps([&] { return SweepWavefront(w); }, tolerance, options.maxSweeps, progress);
  StorePotentials(g, w);
  return report;
}

// The speed statistics of a cell's centre velocity.
void RecordCellSpeed(CellGrid& g, const CentreVelocity& v) {
  const double speed = CentreSpeed(v);
  UpdateMaximum(g.maxCellSpeed, std::fabs(speed));
  UpdateMinimum(g.minCellSpeed, std::fabs(speed));
}

// The centre velocities of one row of cells, each recorded in the speed
// statistics after a gauge step.
void CentreVelocitiesOfRow(CellGrid& g, int row, std::vector<CentreVelocity>& v,
                           ProgressPoints& progress) {
  for (int c = 0; c < g.columns; ++c) {
    progress.AdvanceGauge();
    v[c] = ComputeCentreVelocity(g, row * g.columns + c);
    RecordCellSpeed(g, v[c]);
  }
}

}  // namespace

double ScaledTolerance(const CellGrid& g) {
  const double r = g.inflowSpeed * g.cellWidth / (25.0 * 13.0 * 13.0 / 60.0);
  return 0.3 * (r < 1 ? r : 1);
}

// Every face that no fluid cell prescribes belongs to an Interior or a
// Solid cell on one side at least, so clearing theirs clears every solved
// value and keeps every prescribed one.
void ResetFlowValues(CellGrid& g) {
  for (int i = 0; i < g.cellCount; ++i) {
    if (g.type[i] == Interior || g.type[i] == Solid) {
      WestU(g, i) = EastU(g, i) = NorthQ(g, i) = SouthQ(g, i) = 0;
    }
    g.potential[i] = 0;
  }
}

// The node velocities of a previous solve are dropped before the solver
// takes its memory, and made again once it has given it back.
SolveReport SolvePotential(CellGrid& g, const AnalysisOptions& options, ProgressPoints& progress) {
  const double dx = g.cellWidth, dy = g.cellHeight;
  std::vector<GridNode>().swap(g.nodes);
  g.scheme = options.scheme;
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
  for (int i = 0; i < g.cellCount; ++i) ComputeFaceVelocities(g, i);
  AverageNodeVelocities(g, progress);
  g.cellSpeedTenth = 0.1 * g.maxCellSpeed;
  return report;
}

void ComputeFaceVelocities(CellGrid& g, int index) {
  const CellType type = g.type[index];
  const double potential = g.potential[index];
  const double dx = g.cellWidth, dy = g.cellHeight;
  if (g.scheme == SolverScheme::Accurate) {
    // A prescribed face keeps its value; a face towards a solid cell is a
    // wall, with nothing flowing through it.
    if (!IsFluidType(type)) return;
    if (!PrescribesSide(type, LinkWest)) {
      WestU(g, index) =
          SharesOpenFace(g, index, LinkWest) ? (potential - g.potential[index - 1]) / dx : 0;
    }
    if (!PrescribesSide(type, LinkNorth)) {
      NorthQ(g, index) =
          SharesOpenFace(g, index, LinkNorth) ? (potential - g.potential[index + g.columns]) / dy : 0;
    }
    return;
  }
  bool west = false, north = false;
  switch (type) {
    case Interior: case BottomRightCorner: case BottomEdge: case RightEdge: west = north = true; break;
    case TopRightCorner: case TopEdge: west = true; break;
    case BottomLeftCorner: case LeftEdge: north = true; break;
    default: break;
  }
  if (west) WestU(g, index) = (potential - g.potential[index - 1]) / dx;
  if (north) NorthQ(g, index) = (potential - g.potential[index + g.columns]) / dy;
}

// A face is shared by the two cells it parts, so a cell's east face is its
// east neighbour's west face, and a face that a cell prescribes because
// the cell beyond it is solid holds 0 for both.
CentreVelocity ComputeCentreVelocity(const CellGrid& g, int index) {
  const CellType type = g.type[index];
  const double westU = WestU(g, index), eastU = EastU(g, index);
  const double northQ = NorthQ(g, index), southQ = SouthQ(g, index);
  // The accurate scheme's centre lies half a cell from each face, so its
  // velocity is the mean of the two opposite faces', a prescribed face
  // included.
  if (g.scheme == SolverScheme::Accurate && IsFluidType(type)) {
    return {(westU + eastU) * 0.5, (northQ + southQ) * 0.5};
  }
  const double eastAverage = (westU + eastU) * 0.5, southAverage = (northQ + southQ) * 0.5;
  switch (type) {
    case Interior: return {eastAverage, southAverage};
    case TopLeftCorner: return {westU, northQ};
    case TopRightCorner: return {eastU, northQ};
    case BottomLeftCorner: return {westU, southQ};
    case BottomRightCorner: return {eastU, southQ};
    case TopEdge: return {eastAverage, northQ};
    case LeftEdge: return {westU, southAverage};
    case BottomEdge: return {eastAverage, southQ};
    case RightEdge: return {eastU, southAverage};
    default: return {0, 0};
  }
}

double CentreSpeed(const CentreVelocity& v) { return std::sqrt(v.q * v.q + v.u * v.u); }

double CentreDirection(const CentreVelocity& v) {
  return CentreSpeed(v) < 0.001 ? 180.0 : std::atan2(v.q, v.u) * kDegreesPerRadian + 180.0;
}

// Row by row, keeping the centre velocities of the rows below and above
// the nodes: each node's sum takes its cells in index order, from 0.
void AverageNodeVelocities(CellGrid& g, ProgressPoints& progress) {
  const int nc = g.columns, nr = g.rows;
  g.nodes.resize(g.nodeCount);
  std::vector<CentreVelocity> below(nc), above(nc);
  for (int j = 0; j <= nr; ++j) {
    if (j < nr) CentreVelocitiesOfRow(g, j, above, progress);
    for (int i = 0; i <= nc; ++i) {
      double u = 0, v = 0;
      int count = 0;
      const auto add = [&](const CentreVelocity& c) {
        u += c.u;
        v += -c.q;
        ++count;
      };
      if (j > 0 && i > 0) add(below[i - 1]);
      if (j > 0 && i < nc) add(below[i]);
      if (j < nr && i > 0) add(above[i - 1]);
      if (j < nr && i < nc) add(above[i]);
      g.nodes[static_cast<size_t>(j) * (nc + 1) + i] = {u / count, v / count};
    }
    std::swap(below, above);
  }
}
