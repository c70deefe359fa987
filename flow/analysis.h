// The whole flow analysis of a drawing, as "Calcular" runs it: the grid
// over the walls, the potential flow, the streamlines.  One call takes the
// walls and the options and gives back a result value; it touches nothing
// but its arguments, so analyses may run side by side.  No window is
// involved: progress, redraws and a stop go through an AnalysisProgress.
#pragma once

#include <exception>
#include <vector>

#include "flow/cell_grid.h"
#include "flow/progress.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "flow/wind_frame.h"
#include "model/wall.h"

enum class AnalysisOutcome {
  Done,
  EmptyDrawing,  // nothing drawn: no grid is built, the later stages find none
  NoArea,        // the drawing has no width or no height: nothing is built
  NotFinite,     // the drawing has infinite or undefined coordinates, or is too large
  TooSmall,      // the drawing is too small for the grid's arithmetic
  Collapsed,     // so far from the origin for its size that grid nodes coincide
  NoResult,      // the solve gave values that are not finite: no result is kept
  NotConverged,  // the solver gave up at its sweep limit
  Stopped,       // the progress's cancel flag was set: no result is kept
  Failed,        // an error (memory, say) ended it: no result is kept
};

// Whether the outcome leaves no result: nothing of the analysis is kept.
bool Refused(AnalysisOutcome outcome);

constexpr int kGridCells = 60;

struct AnalysisOptions {
  SolverScheme scheme = SolverScheme::Accurate;
  int cells = kGridCells;  // the grid has cells × cells cells
  double tolerance = 0;    // literal scheme: > 0 an absolute tolerance; otherwise ScaledTolerance
  long maxSweeps = 0;      // > 0: give up after this many sweeps or iterations
  // Compass degrees the wind comes from; the grid is laid along it.
  double windDirection = kWestWind;
  // The wind's speed in m/s: the figures shown are given relative to it.
  double windSpeed = 1;
  // The scanning form of LocateCell and the literal sweep cell by cell
  // through the links: slow, kept so that the benchmark and the tests can
  // prove that the fast forms give identical results.
  bool referenceAlgorithms = false;
};

struct AnalysisResult {
  AnalysisOutcome outcome = AnalysisOutcome::Done;
  CellGrid grid;  // no cells when nothing was analysed
  SolveReport solve;
  StreamlineList streamlines;
  // The grid's frame: grid, velocities and streamlines are in grid
  // coordinates, with the wind along +x.
  WindFrame frame;
  // The wind's speed in m/s, which the grid's inflowSpeed stands for.
  double windSpeed = 1;
  // What ended a Failed analysis, to be rethrown where it can be reported.
  std::exception_ptr failure;
};

// Analyses the walls: a grid of options.cells × options.cells over their
// extents, the flow solved on it and the streamlines traced.  A refused,
// stopped or failed analysis gives only its outcome (and failure); no
// exception leaves it.
AnalysisResult Analyse(const std::vector<Wall>& walls, const AnalysisOptions& options,
                       AnalysisProgress& progress);
AnalysisResult Analyse(const std::vector<Wall>& walls, const AnalysisOptions& options);

// The three stages on their own, on a result the caller holds: the grid
// laid afresh over the walls (answering as Analyse does for walls it
// refuses, with the result emptied), the flow solved afresh on its grid,
// and the streamlines traced afresh.  Each answers Done (NotConverged for
// a solve that gave up), or Stopped or Failed with the result emptied.
AnalysisOutcome BuildGridStage(AnalysisResult& result, const std::vector<Wall>& walls,
                               const AnalysisOptions& options, AnalysisProgress& progress);
AnalysisOutcome ComputeFlowStage(AnalysisResult& result, const AnalysisOptions& options,
                                 AnalysisProgress& progress);
AnalysisOutcome ComputeStreamlineStage(AnalysisResult& result, AnalysisProgress& progress);

// Empties the grid and the streamline list.
void ReleaseGrid(AnalysisResult& result);
