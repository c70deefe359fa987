// Shared set-up of the flow tests: every test starts from an empty drawing,
// no grid, no hooks and the default solver settings.
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
#include "model/entity.h"
#include "model/drawing_file.h"

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    deleteAll();
    ReleaseGrid();
    SetFlowHooks(FlowHooks{});
    solverSettings = SolverSettings{};
    UseReferenceAlgorithms(false);
    gaugeStep = 0;
    wallWidth = 0.15;
  }

  // A grid over the rectangle with no walls, as "Calcular" would build it.
  static void BuildOpenGrid(double xmin, double xmax, double ymin, double ymax, int n) {
    BuildGrid(xmin, xmax, ymin, ymax, n, n);
  }

  static void LoadSample(const std::string& name) {
    ReadReport report;
    std::string error;
    ASSERT_TRUE(LoadDrawingFile(std::string(BRISEL_EXAMPLES_DIR) + "/" + name, report, error))
        << error;
    ASSERT_NE(EntityList, nullptr);
  }

  static void SetUniformNodeVelocity(double u, double v) {
    for (GridNode& n : cellGrid.nodes) {
      n.velX = u;
      n.velY = v;
    }
  }
};
