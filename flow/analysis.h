// The whole flow analysis of a drawing, as "Calcular" runs it: the grid
// over the drawing, the potential flow, the streamlines.  No window is
// involved; progress and redraws go through the hooks of flow/progress.h.
#pragma once

enum class AnalysisOutcome {
  Done,
  EmptyDrawing,  // nothing drawn: no grid is built, the later stages find none
  NoArea,        // the drawing has no width or no height: nothing is built
  NotFinite,     // the drawing has infinite or undefined coordinates, or is too large
  Collapsed,     // so far from the origin for its size that grid nodes coincide
  NoResult,      // the solve gave values that are not finite: no result is kept
  NotConverged,  // the solver gave up at its sweep limit
};

// Whether the outcome refuses the drawing: nothing of the analysis is kept.
bool Refused(AnalysisOutcome outcome);

constexpr int kGridCells = 60;

// Builds a cells × cells grid over the drawing's extents and asks for a
// redraw.  With an empty drawing or an unusable extent nothing changes.
AnalysisOutcome BuildGridFromDrawing(int cells);
// Resets and solves the flow on the current grid, then asks for a redraw.
void ComputeFlowStage();
// Traces the streamlines of the current grid, then asks for a redraw.
void ComputeStreamlineStage();
// All three with the gauge steps of "Calcular".  A refused drawing leaves
// no grid, so no earlier picture stays over it.
AnalysisOutcome RunAnalysis(int cells = kGridCells);
