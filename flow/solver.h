// The flow solver: Laplace's equation for the velocity potential on the
// cell grid, five-point differences iterated by in-place Gauss-Seidel
// sweeps, then face, centre and node velocities from the potential.
#pragma once

// 0.3 × min(1, (L / 13)²), L the larger side of the grid extent.  An
// absolute 0.3 would stop small drawings after one sweep, long before the
// potential has settled.
double ScaledTolerance();

struct SolverSettings {
  double tolerance = 0;  // > 0: absolute tolerance; otherwise ScaledTolerance()
  long maxSweeps = 0;    // > 0: give up after this many sweeps
};
extern SolverSettings solverSettings;

struct SolveReport {
  long sweeps = 0;
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
