// The accurate potential flow: every fluid cell's five-point equation with
// each face weighted by 1/dx² (east, west) or 1/dy² (north, south), so that
// cells wider than tall still solve the Laplace equation of the drawing, and
// the whole system solved to convergence by conjugate gradients.
#pragma once

#include "flow/cell_grid.h"
#include "flow/solver.h"

class ProgressPoints;

// A fluid cell's equation: diagonal × φ = Σ weight[k] × φ(neighbour k) +
// prescribed.  A side open to a fluid neighbour has its weight (and adds it
// to the diagonal); a side the cell's type prescribes has weight 0 and adds
// its face term, times its weight, to `prescribed`; a side towards a solid
// or missing cell is an impermeable wall and adds nothing.  Not a fluid
// cell: all 0.
struct CellEquation {
  double diagonal = 0;
  double weight[4] = {0, 0, 0, 0};  // by LinkSlot
  double prescribed = 0;
};
CellEquation CellEquationOf(const CellGrid& g, int cell, double dx, double dy);

// The relative residual the solve stops at: |b - Aφ| <= this × |b|.
constexpr double kResidualRatio = 1e-13;

// Whether a side of a fluid cell is open to a fluid neighbour: neither cell
// prescribes it.  Every other side is closed: a prescribed one carries its
// face value, one towards a solid or missing cell is an impermeable wall.
bool SharesOpenFace(const CellGrid& g, int cell, int slot);

// Solves the system of the grid from its current potentials and stores the
// result in the fluid cells, the other cells' potentials 0; reports the
// iterations.  A west or east
// side left unequal by solid ring cells gets its outflow scaled to the
// inflow first.  The potential of each connected fluid region is shifted
// to a zero mean, which is the one constant its equations leave free.
SolveReport SolveFaceWeighted(CellGrid& g, double dx, double dy, long maxIterations,
                              ProgressPoints& progress);

// |b - Aφ| / |b| of the current potentials, evaluated in extended
// precision; 0 when b is 0.
double FaceWeightedResidual(const CellGrid& g, double dx, double dy);
