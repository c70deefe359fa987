// The wind arrows drawn on the inflow and outflow sides of the grid: their
// geometry, shared by the canvas and the batch tool's picture.
#pragma once

#include "flow/cell_grid.h"

struct LineSegment {
  double x0, y0, x1, y1;
};

struct ArrowScales {
  double shaft;  // world length per unit of boundary speed
  double head;   // length of each head line
};
ArrowScales BoundaryArrowScales(const CellGrid& g);

constexpr double kDegreesToRadians = 0.0174533;

// Calls f(cell) for each cell that can carry a wind arrow, in index order:
// those of the west and the east column.
template <class F>
void ForEachSideCell(const CellGrid& g, F f) {
  for (int r = 0; r < g.rows; ++r) {
    f(r * g.columns);
    if (g.columns > 1) f(r * g.columns + g.columns - 1);
  }
}

// The shaft and the two head lines of the arrow of one cell, each starting
// at the arrow's tip; false when the cell carries no boundary speed.
bool BoundaryArrowLines(const CellGrid& g, int cell, int type, double degreesToRadians,
                        double shaftScale, double headLength, LineSegment lines[3]);
