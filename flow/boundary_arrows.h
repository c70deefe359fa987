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

// As many arrows as a 60-row grid has at most: on a finer grid an arrow
// on every row would merge into a solid band.
constexpr int kMostArrowRows = 60;

// Calls f(cell) for each cell that can carry a wind arrow, in index order:
// those of the west and the east column, on every row of a grid of up to
// kMostArrowRows rows and on evenly spaced rows of a finer one.
template <class F>
void ForEachSideCell(const CellGrid& g, F f) {
  const int step = (g.rows + kMostArrowRows - 1) / kMostArrowRows;
  for (int r = step / 2; r < g.rows; r += step) {
    f(r * g.columns);
    if (g.columns > 1) f(r * g.columns + g.columns - 1);
  }
}

// The shaft and the two head lines of the arrow of one cell, each starting
// at the arrow's tip; false when the cell carries no boundary speed.
bool BoundaryArrowLines(const CellGrid& g, int cell, int type, double degreesToRadians,
                        double shaftScale, double headLength, LineSegment lines[3]);
