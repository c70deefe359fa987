#include "flow/analysis.h"

#include <cmath>
#include <utility>

#include "flow/grid_build.h"

bool Refused(AnalysisOutcome outcome) {
  return outcome != AnalysisOutcome::Done && outcome != AnalysisOutcome::NotConverged;
}

void ReleaseGrid(AnalysisResult& result) {
  result.grid = CellGrid();
  ClearStreamlines(result.streamlines);
  result.solve = SolveReport{};
}

namespace {

AnalysisOutcome BuildGridFromWalls(AnalysisResult& result, const std::vector<Wall>& walls,
                                   const AnalysisOptions& options, ProgressPoints& progress) {
  double xmin, xmax, ymin, ymax;
  if (!WallExtents(walls, xmin, xmax, ymin, ymax)) return AnalysisOutcome::EmptyDrawing;
  const int cells = options.cells;
  switch (CheckGridExtent(xmin, xmax, ymin, ymax, cells, cells)) {
    case ExtentCheck::NoArea: return AnalysisOutcome::NoArea;
    case ExtentCheck::NotFinite: return AnalysisOutcome::NotFinite;
    case ExtentCheck::TooSmall: return AnalysisOutcome::TooSmall;
    case ExtentCheck::Collapsed: return AnalysisOutcome::Collapsed;
    case ExtentCheck::Usable: break;
  }
  result.grid.referenceAlgorithms = options.referenceAlgorithms;
  BuildGrid(result.grid, walls, xmin, xmax, ymin, ymax, cells, cells, progress);
  progress.RequestRedraw(result);
  return AnalysisOutcome::Done;
}

void SolveFlow(AnalysisResult& result, const AnalysisOptions& options, ProgressPoints& progress) {
  progress.AdvanceGauge();
  ResetFlowValues(result.grid);
  result.solve = SolvePotential(result.grid, options, progress);
  progress.RequestRedraw(result);
}

void TraceStreamlines(AnalysisResult& result, ProgressPoints& progress) {
  ComputeStreamlines(result, progress);
  progress.RequestRedraw(result);
}

bool SolvedFieldIsFinite(const CellGrid& g) {
  for (int i = 0; i < g.cellCount; ++i) {
    const CentreVelocity v = ComputeCentreVelocity(g, i);
    if (!std::isfinite(g.potential[i]) || !std::isfinite(v.u) || !std::isfinite(v.q)) return false;
  }
  return true;
}

AnalysisOutcome RunStages(AnalysisResult& result, const std::vector<Wall>& walls,
                          const AnalysisOptions& options, ProgressPoints& progress) {
  progress.gaugeStep = 0.0001;
  const AnalysisOutcome grid = BuildGridFromWalls(result, walls, options, progress);
  if (grid != AnalysisOutcome::Done) return grid;
  SolveFlow(result, options, progress);
  if (!SolvedFieldIsFinite(result.grid)) return AnalysisOutcome::NoResult;
  progress.gaugeStep = 0.01;
  TraceStreamlines(result, progress);
  return result.solve.converged ? AnalysisOutcome::Done : AnalysisOutcome::NotConverged;
}

void SetFrame(AnalysisResult& result, const AnalysisOptions& options) {
  result.frame = FrameForWind(options.windDirection);
  result.windSpeed = options.windSpeed;
}

// The walls as the grid's frame has them; a west wind takes them as they are.
struct InGridFrame {
  InGridFrame(const std::vector<Wall>& walls, const WindFrame& frame)
      : turned(frame.identity ? std::vector<Wall>() : WallsInGridFrame(walls, frame)),
        walls(frame.identity ? walls : turned) {}
  operator const std::vector<Wall>&() const { return walls; }
  std::vector<Wall> turned;
  const std::vector<Wall>& walls;
};

// Runs `stages` on the result; a stop or an error empties the result and
// is told by the outcome, so nothing is thrown past here.
template <typename Stages>
AnalysisOutcome Guarded(AnalysisResult& result, Stages stages) {
  AnalysisOutcome outcome = AnalysisOutcome::Failed;
  try {
    outcome = stages();
  } catch (const AnalysisStopped&) {
    outcome = AnalysisOutcome::Stopped;
  } catch (...) {
    result.failure = std::current_exception();
  }
  if (Refused(outcome)) ReleaseGrid(result);
  result.outcome = outcome;
  return outcome;
}

}  // namespace

AnalysisResult Analyse(const std::vector<Wall>& walls, const AnalysisOptions& options,
                       AnalysisProgress& progress) {
  AnalysisResult result;
  ProgressPoints points(progress);
  Guarded(result, [&] {
    SetFrame(result, options);
    return RunStages(result, InGridFrame(walls, result.frame), options, points);
  });
  return result;
}

AnalysisResult Analyse(const std::vector<Wall>& walls, const AnalysisOptions& options) {
  AnalysisProgress silent;
  return Analyse(walls, options, silent);
}

AnalysisOutcome BuildGridStage(AnalysisResult& result, const std::vector<Wall>& walls,
                               const AnalysisOptions& options, AnalysisProgress& progress) {
  ProgressPoints points(progress);
  points.gaugeStep = 0.0001;
  return Guarded(result, [&] {
    ReleaseGrid(result);
    SetFrame(result, options);
    return BuildGridFromWalls(result, InGridFrame(walls, result.frame), options, points);
  });
}

AnalysisOutcome ComputeFlowStage(AnalysisResult& result, const AnalysisOptions& options,
                                 AnalysisProgress& progress) {
  ProgressPoints points(progress);
  points.gaugeStep = 0.0001;
  return Guarded(result, [&] {
    SolveFlow(result, options, points);
    return result.solve.converged ? AnalysisOutcome::Done : AnalysisOutcome::NotConverged;
  });
}

AnalysisOutcome ComputeStreamlineStage(AnalysisResult& result, AnalysisProgress& progress) {
  ProgressPoints points(progress);
  points.gaugeStep = 0.01;
  return Guarded(result, [&] {
    TraceStreamlines(result, points);
    return AnalysisOutcome::Done;
  });
}
