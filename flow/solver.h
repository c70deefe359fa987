// The flow solver: Laplace's equation for the velocity potential on the
// cell grid by five-point differences, then face, centre and node
// velocities from the potential.
//
// Two schemes solve for the potential.  The accurate one (the default)
// weights every face by the cell's shape and solves the equations to
// convergence.  The literal one weighs the four neighbours equally, as if
// the cells were square, and stops its in-place Gauss-Seidel sweeps once
// the largest change of a sweep is within a tolerance; it is kept because
// earlier results were made with it.
#pragma once

#include <cstddef>

#include "flow/cell_grid.h"

struct AnalysisOptions;
class ProgressPoints;

// The literal scheme's default tolerance: 0.3 × min(1, r) with
// r = inflowSpeed × cellWidth / (25 × 13² / 60).  The change of a sweep
// scales with the potential's step across one cell, so an absolute 0.3
// would stop small drawings, narrow ones and fine grids long before the
// potential has settled.  On the 60 × 60 grid of a drawing at least as
// wide as tall this is 0.3 × min(1, (L / 13)²), L the larger side.
double ScaledTolerance(const CellGrid& g);

enum class SolverScheme { Accurate, Literal };

// What a SolvePotential did.
struct SolveReport {
  long sweeps = 0;  // sweeps of the literal scheme, iterations of the accurate one
  bool converged = true;
  size_t workingBytes = 0;  // the accurate solve's arrays at their largest
};

void ResetFlowValues(CellGrid& g);
// Solves the potential with the options' scheme, tolerance and sweep limit,
// then the face, centre and node velocities.
SolveReport SolvePotential(CellGrid& g, const AnalysisOptions& options, ProgressPoints& progress);
void ComputeFaceVelocities(CellGrid& g, SolverScheme scheme, int cell);
void ComputeCentreVelocity(CellGrid& g, SolverScheme scheme, int cell);
void AccumulateNodeVelocity(CellGrid& g, int cell);
void AverageNodeVelocities(CellGrid& g);
