#include "flow/analysis.h"

#include "flow/cell_grid.h"
#include "flow/grid_build.h"
#include "flow/progress.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/entity.h"

AnalysisOutcome BuildGridFromDrawing(int cells) {
  double xmin, xmax, ymin, ymax;
  if (!drawingExtents(xmin, xmax, ymin, ymax)) return AnalysisOutcome::EmptyDrawing;
  switch (CheckGridExtent(xmin, xmax, ymin, ymax, cells, cells)) {
    case ExtentCheck::NoArea: return AnalysisOutcome::NoArea;
    case ExtentCheck::NotFinite: return AnalysisOutcome::NotFinite;
    case ExtentCheck::Usable: break;
  }
  BuildGrid(xmin, xmax, ymin, ymax, cells, cells);
  RequestRedraw();
  return AnalysisOutcome::Done;
}

void ComputeFlowStage() {
  AdvanceGauge();
  ResetFlowValues();
  SolvePotential();
  RequestRedraw();
}

void ComputeStreamlineStage() {
  ComputeStreamlines();
  RequestRedraw();
}

AnalysisOutcome RunAnalysis(int cells) {
  gaugeStep = 0.0001;
  const AnalysisOutcome grid = BuildGridFromDrawing(cells);
  if (grid == AnalysisOutcome::NoArea || grid == AnalysisOutcome::NotFinite) return grid;
  ComputeFlowStage();
  gaugeStep = 0.01;
  ComputeStreamlineStage();
  if (!lastSolve.converged) return AnalysisOutcome::NotConverged;
  return grid;
}
