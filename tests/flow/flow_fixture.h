// Shared set-up of the flow tests: every test has a drawing, options and a
// result of its own, with the names of the analysis's steps bound to them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/grid_build.h"
#include "flow/progress.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/drawing_file.h"
#include "model/entity_list.h"

// The walls of a sample drawing, as the analysis takes them.
inline std::vector<Wall> SampleWalls(const std::string& name) {
  EntityList drawing;
  ReadReport report;
  std::string error;
  LoadDrawingFile(std::string(BRISEL_EXAMPLES_DIR) + "/" + name, 0.15, drawing, report, error);
  return drawing.walls();
}

class FlowTest : public ::testing::Test {
 public:
  EntityList drawing;
  AnalysisOptions options;
  AnalysisResult result;
  CellGrid& cellGrid = result.grid;
  StreamlineList& streamlines = result.streamlines;
  SolveReport& lastSolve = result.solve;
  AnalysisProgress silent;
  ProgressPoints points{silent};

  // A wall of the default width put in front, as a wall drawn is.
  LineEntity* NewLine(double x0, double y0, double x1, double y1, PackedColor color = 0) {
    auto* line = new LineEntity(x0, y0, x1, y1, 0.15, color);
    drawing.insertAtFront(line);
    return line;
  }

  void LoadSample(const std::string& name) {
    ReadReport report;
    std::string error;
    ASSERT_TRUE(LoadDrawingFile(std::string(BRISEL_EXAMPLES_DIR) + "/" + name, 0.15, drawing,
                                report, error))
        << error;
    ASSERT_FALSE(drawing.empty());
  }

  // The whole analysis of the drawing with the options, as "Calcular" runs it.
  AnalysisOutcome RunAnalysis() {
    result = Analyse(drawing.walls(), options);
    return result.outcome;
  }
  AnalysisOutcome BuildGridFromDrawing() {
    return BuildGridStage(result, drawing.walls(), options, silent);
  }

  // A grid over the rectangle with no walls, as "Calcular" would build it.
  void BuildGrid(double xmin, double xmax, double ymin, double ymax, int columns, int rows) {
    cellGrid.referenceAlgorithms = options.referenceAlgorithms;
    ::BuildGrid(cellGrid, {}, xmin, xmax, ymin, ymax, columns, rows, points);
  }
  void BuildOpenGrid(double xmin, double xmax, double ymin, double ymax, int n) {
    BuildGrid(xmin, xmax, ymin, ymax, n, n);
  }

  void UseReferenceAlgorithms(bool on) {
    options.referenceAlgorithms = on;
    cellGrid.referenceAlgorithms = on;
  }
  void MarkSegmentSolid(double x0, double y0, double x1, double y1) {
    ::MarkSegmentSolid(cellGrid, x0, y0, x1, y1);
  }
  void ClassifyWallCells() { ::ClassifyWallCells(cellGrid, points); }
  int LocateCell(double x, double y) const { return ::LocateCell(cellGrid, x, y); }
  void ResetFlowValues() { ::ResetFlowValues(cellGrid); }
  void SolvePotential() { lastSolve = ::SolvePotential(cellGrid, options, points); }
  void Solve() {
    ResetFlowValues();
    SolvePotential();
  }
  double ScaledTolerance() const { return ::ScaledTolerance(cellGrid); }
  void TraceStreamline(Streamline& line) { ::TraceStreamline(result, line, points); }
  std::size_t StreamlinePointLimit() const { return ::StreamlinePointLimit(cellGrid); }
  double StreamlineGap(const Streamline& a, const Streamline& b) const {
    return ::StreamlineGap(cellGrid, a, b);
  }

  void SetUniformNodeVelocity(double u, double v) { cellGrid.nodes.assign(cellGrid.nodeCount, {u, v}); }
};
