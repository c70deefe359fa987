// Building the cell grid over the drawing: the wind prescribed on the outer
// ring, the cells crossed by walls made solid and the fluid cells beside
// them re-typed so that their wall faces are closed.
#pragma once

#include <vector>

#include "flow/cell_grid.h"
#include "model/wall.h"

class ProgressPoints;

// The largest side of a grid extent the analysis takes.  The potential
// grows like 25 × L² and the solver's sums like L² × cells²; far below
// this they stay well inside the range of doubles.
constexpr double kLargestExtent = 1e100;
// The smallest side of a grid extent the analysis takes.  Going down, the
// same quantities shrink: the potential like 25 × L² (and its steps across
// a cell, which the literal scheme's boundary terms 25 L × dx make, like
// 25 × L² / cells), the squared speeds like (25 L)², the literal scheme's
// tolerance like L², while the accurate scheme's face weights 1/dx² grow
// like cells² / L².  Near 1e-152 the weights overflow and the potential's
// steps fall below the smallest normal double (at 1e-200 the potential is
// zero throughout); from 1e-100 up every one of them stays within 1e±210,
// far inside the range of doubles, as kLargestExtent keeps them going up.
constexpr double kSmallestExtent = 1e-100;

// Whether a grid of columns × rows cells can be laid over an extent.
enum class ExtentCheck {
  Usable,
  NoArea,     // zero width or zero height: cells would have no size
  NotFinite,  // infinite or undefined coordinates, or larger than kLargestExtent
  TooSmall,   // a side smaller than kSmallestExtent
  Collapsed,  // so far from the origin that adding a cell size leaves a node in place
};
ExtentCheck CheckGridExtent(double xmin, double xmax, double ymin, double ymax, int columns,
                            int rows);

// Lays columns × rows cells over the extent with the wind on its outer ring,
// the cells the walls cross made solid and the cells beside them re-typed.
void BuildGrid(CellGrid& g, const std::vector<Wall>& walls, double xmin, double xmax, double ymin,
               double ymax, int columns, int rows, ProgressPoints& progress);
// Every cell its type by its place, the wind prescribed on the west and
// east sides, the potentials and every other face 0, and the statistics of
// the boundary speeds.
void SetBoundaryValues(CellGrid& g);
// The wind a cell carries on the outer ring, as its arrow shows it: the
// speed prescribed there and the direction it blows towards in degrees
// (atan2 × 57.295 + 180, so 180 along +x; 0 without wind).  Only the fluid
// cells of the west and east columns carry one.
struct BoundaryWind {
  double speed = 0, direction = 0;
};
BoundaryWind ComputeBoundaryDirection(const CellGrid& g, int cell);
// Marks every cell crossed by the drawn long edge of each wall as solid.
void MarkDrawingSolid(CellGrid& g, const std::vector<Wall>& walls, ProgressPoints& progress);
void MarkSegmentSolid(CellGrid& g, double x0, double y0, double x1, double y1);
void ClassifyWallCells(CellGrid& g, ProgressPoints& progress);

// Keeps the larger magnitude / the smaller magnitude of a running statistic.
void UpdateMaximum(double& maximum, double value);
void UpdateMinimum(double& minimum, double value);
