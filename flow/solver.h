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

// What a SolvePotential did.
struct SolveReport {
  long sweeps = 0;  // sweeps of the literal scheme, iterations of the accurate one
  bool converged = true;
  size_t workingBytes = 0;  // the accurate solve's arrays at their largest
};

// The potential 0 everywhere and every face that is not prescribed 0.
void ResetFlowValues(CellGrid& g);
// Solves the potential with the options' scheme, tolerance and sweep limit,
// then the face and node velocities and the statistics of the cell speeds.
SolveReport SolvePotential(CellGrid& g, const AnalysisOptions& options, ProgressPoints& progress);
// The solved faces of a cell, its west and north ones, from the potential
// by the grid's scheme; prescribed faces keep their values.
void ComputeFaceVelocities(CellGrid& g, int cell);

// A cell's centre velocity from its faces by the grid's scheme: u along x
// and q along -y, as northQ and southQ count.  The velocity along y is -q.
struct CentreVelocity {
  double u, q;
};
CentreVelocity ComputeCentreVelocity(const CellGrid& g, int cell);
// Its speed, √(q² + u²), and its direction in degrees: atan2(q, u) ×
// 57.295 + 180 (180 along +x), or exactly 180 below a speed of 0.001.
double CentreSpeed(const CentreVelocity& v);
double CentreDirection(const CentreVelocity& v);

// Each node's velocity the mean of the centre velocities of the one, two
// or four cells around it; on the way, the cell speed statistics, with a
// gauge step per cell.
void AverageNodeVelocities(CellGrid& g, ProgressPoints& progress);
