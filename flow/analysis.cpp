#include "flow/analysis.h"

#include <cmath>

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
    case ExtentCheck::Collapsed: return AnalysisOutcome::Collapsed;
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

bool Refused(AnalysisOutcome outcome) {
  return outcome != AnalysisOutcome::Done && outcome != AnalysisOutcome::NotConverged;
}

namespace {

bool SolvedFieldIsFinite() {
  for (const GridCell& c : cellGrid.cells) {
    if (!std::isfinite(c.potential) || !std::isfinite(c.centreVelX) || !std::isfinite(c.centreVelY)) {
      return false;
    }
  }
  return true;
}

AnalysisOutcome Analyse(int cells) {
  gaugeStep = 0.0001;
  const AnalysisOutcome grid = BuildGridFromDrawing(cells);
  if (grid != AnalysisOutcome::Done) return grid;
  ComputeFlowStage();
  if (!SolvedFieldIsFinite()) return AnalysisOutcome::NoResult;
  gaugeStep = 0.01;
  ComputeStreamlineStage();
  return lastSolve.converged ? AnalysisOutcome::Done : AnalysisOutcome::NotConverged;
}

}  // namespace

AnalysisOutcome RunAnalysis(int cells) {
  const AnalysisOutcome outcome = Analyse(cells);
  if (Refused(outcome)) ReleaseGrid();
  return outcome;
}
