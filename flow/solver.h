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

// The literal scheme's default tolerance: 0.3 × min(1, r) with
// r = inflowSpeed × cellWidth / (25 × 13² / 60).  The change of a sweep
// scales with the potential's step across one cell, so an absolute 0.3
// would stop small drawings, narrow ones and fine grids long before the
// potential has settled.  On the 60 × 60 grid of a drawing at least as
// wide as tall this is 0.3 × min(1, (L / 13)²), L the larger side.
double ScaledTolerance();

enum class SolverScheme { Accurate, Literal };

struct SolverSettings {
  SolverScheme scheme = SolverScheme::Accurate;
  double tolerance = 0;  // literal scheme: > 0 an absolute tolerance; otherwise ScaledTolerance()
  long maxSweeps = 0;    // > 0: give up after this many sweeps or iterations
};
extern SolverSettings solverSettings;

struct SolveReport {
  long sweeps = 0;  // sweeps of the literal scheme, iterations of the accurate one
  bool converged = true;
};
// What the last SolvePotential did.
extern SolveReport lastSolve;

void ResetFlowValues();
void SolvePotential();
void ComputeFaceVelocities(int cell);
void ComputeCentreVelocity(int cell);
void AccumulateNodeVelocity(int cell);
void AverageNodeVelocities();
