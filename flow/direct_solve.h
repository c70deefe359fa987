// The accurate scheme's equations of a grid solved by a sparse
// direct factorization (Eigen's SimplicialLDLT): the reference that the
// benchmark times the solver against and the tests compare it with.  Not
// part of the program.
#pragma once

#include <vector>

#include "flow/cell_grid.h"

// The potential of every cell of the grid (0 outside the system),
// each connected region shifted to a zero mean; `seconds` is the time the
// factorization and the solve took.  The grid is left unchanged.
std::vector<double> SolveDirectly(const CellGrid& g, double& seconds);
