#include "flow/grid_build.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/cell_grid.h"
#include "flow/progress.h"

namespace {

constexpr double kDegreesPerRadian = 57.295;

void MarkCellAt(CellGrid& g, double x, double y) {
  const int c = LocateCell(g, x, y);
  if (c != -1) g.cells[c].type = Solid;
}

bool IsSolid(const CellGrid& g, int cell) {
  return cell != NoNeighbour && g.cells[cell].type == Solid;
}

// The new type of an interior cell from which of its neighbours are solid;
// Interior when none, two opposite, or three or four are.
std::int16_t WallType(bool south, bool east, bool north, bool west) {
  const int count = south + east + north + west;
  if (count == 1) {
    if (south) return BottomEdge;
    if (east) return RightEdge;
    if (north) return TopEdge;
    return LeftEdge;
  }
  if (count == 2) {
    if (south && west) return BottomLeftCorner;
    if (south && east) return BottomRightCorner;
    if (north && west) return TopLeftCorner;
    if (north && east) return TopRightCorner;
  }
  return Interior;
}

void ClassifyWallCell(const CellGrid& g, GridCell& cell) {
  bool solid[4];
  for (int k = 0; k < 4; ++k) solid[k] = IsSolid(g, cell.neighbours[k]);
  const std::int16_t type =
      WallType(solid[LinkSouth], solid[LinkEast], solid[LinkNorth], solid[LinkWest]);
  if (type == Interior) return;
  cell.type = type;
  for (int k = 0; k < 4; ++k) {
    if (solid[k]) cell.neighbours[k] = NoNeighbour;
  }
}

bool OnWestSide(std::int16_t type) {
  return type == BottomLeftCorner || type == TopLeftCorner || type == LeftEdge;
}

bool OnEastSide(std::int16_t type) {
  return type == BottomRightCorner || type == TopRightCorner || type == RightEdge;
}

void PrescribeRingCell(CellGrid& g, GridCell& cell, std::int16_t type, double westU,
                       double eastU) {
  cell.type = type;
  cell.westU = westU;
  cell.eastU = eastU;
  ComputeBoundaryDirection(g, cell.index);
}

}  // namespace

namespace {

// Whether n steps of (end - start) / n, added one after another as the
// nodes are made, each move the coordinate.
bool StepsMove(double start, double end, int n) {
  const double step = (end - start) / n;
  double at = start;
  for (int i = 0; i < n; ++i) {
    const double next = at + step;
    if (!(next > at)) return false;
    at = next;
  }
  return true;
}

}  // namespace

ExtentCheck CheckGridExtent(double xmin, double xmax, double ymin, double ymax, int columns,
                            int rows) {
  const double width = xmax - xmin, height = ymax - ymin;
  const double larger = width > height ? width : height;
  if (!std::isfinite(width) || !std::isfinite(height) || !(larger <= kLargestExtent)) {
    return ExtentCheck::NotFinite;
  }
  if (!(width / columns > 0) || !(height / rows > 0)) return ExtentCheck::NoArea;
  if (!(width >= kSmallestExtent && height >= kSmallestExtent)) return ExtentCheck::TooSmall;
  if (!StepsMove(xmin, xmax, columns) || !StepsMove(ymin, ymax, rows)) return ExtentCheck::Collapsed;
  return ExtentCheck::Usable;
}

void UpdateMaximum(double& maximum, double value) {
  if (std::fabs(maximum) < std::fabs(value)) maximum = value;
}

void UpdateMinimum(double& minimum, double value) {
  if (std::fabs(minimum) > std::fabs(value)) minimum = value;
}

void BuildGrid(CellGrid& g, const std::vector<Wall>& walls, double xmin, double xmax, double ymin,
               double ymax, int columns, int rows, ProgressPoints& progress) {
  const double dx = (xmax - xmin) / columns;
  const double dy = (ymax - ymin) / rows;
  std::vector<double> xyz;
  xyz.reserve(3 * static_cast<size_t>(columns + 1) * (rows + 1));
  double y = ymin;
  for (int j = 0; j <= rows; ++j) {
    double x = xmin;
    for (int i = 0; i <= columns; ++i) {
      xyz.push_back(x);
      xyz.push_back(y);
      xyz.push_back(0.0);
      x += dx;
      progress.AdvanceGauge();
    }
    y += dy;
  }
  progress.AdvanceGauge();
  progress.AdvanceGauge();
  AllocateGrid(g, columns, rows);
  g.widestWall = WidestWall(walls);
  progress.AdvanceGauge();
  ConnectNodes(g, xyz);
  xyz = std::vector<double>();
  progress.AdvanceGauge();
  ComputeExtent(g);
  progress.AdvanceGauge();
  progress.AdvanceGauge();
  SetBoundaryValues(g);
  progress.AdvanceGauge();
  g.boundarySpeedTenth = 0.1 * g.maxBoundarySpeed;
  progress.AdvanceGauge();
  MarkDrawingSolid(g, walls, progress);
  progress.AdvanceGauge();
  ClassifyWallCells(g, progress);
}

void SetBoundaryValues(CellGrid& g) {
  const double w = g.xmax - g.xmin, h = g.ymax - g.ymin;
  g.inflowSpeed = 25.0 * (w > h ? w : h);
  for (GridCell& cell : g.cells) {
    cell.potential = cell.westU = cell.northQ = cell.eastU = cell.southQ = 0;
    const std::int16_t type = RingType(g, cell.index);
    if (type == Interior) {
      cell.type = Interior;
      for (int k = 0; k < 4; ++k) cell.neighbours[k] = GridNeighbour(g, cell.index, k);
    } else {
      // The wind comes in through the whole west side and leaves through
      // the whole east side; north and south are closed.
      PrescribeRingCell(g, cell, type, OnWestSide(type) ? g.inflowSpeed : 0,
                        OnEastSide(type) ? g.inflowSpeed : 0);
    }
  }
}

void ComputeBoundaryDirection(CellGrid& g, int index) {
  GridCell& cell = g.cells[index];
  double a = 0, b = 0;
  switch (cell.type) {
    case TopLeftCorner: case TopEdge: case LeftEdge: a = cell.westU; b = cell.northQ; break;
    case TopRightCorner: case RightEdge: a = cell.eastU; b = cell.northQ; break;
    case BottomLeftCorner: case BottomEdge: a = cell.westU; b = cell.southQ; break;
    case BottomRightCorner: a = cell.eastU; b = cell.southQ; break;
    default: break;
  }
  const double speed = std::sqrt(b * b + a * a);
  UpdateMaximum(g.maxBoundarySpeed, std::fabs(speed));
  UpdateMinimum(g.minBoundarySpeed, std::fabs(speed));
  const double direction = speed < 0.000001 ? 0 : std::atan2(b, a) * kDegreesPerRadian + 180.0;
  cell.boundarySpeed = speed;
  cell.boundaryDirection = direction;
}

// A drawing of many walls takes a while to walk, so pending events (Esc
// among them) get a pass every few thousand walls.
// The edge marked is the outline's first, from corner c0 to corner c1.
void MarkDrawingSolid(CellGrid& g, const std::vector<Wall>& walls, ProgressPoints& progress) {
  constexpr int kWallsBetweenEvents = 4096;
  int count = 0;
  for (const Wall& w : walls) {
    MarkSegmentSolid(g, w.outline[0], w.outline[1], w.outline[2], w.outline[3]);
    if (++count % kWallsBetweenEvents == 0) progress.ProcessEvents();
  }
}

// Cuts the segment to the part inside the grid's extent (parametric
// clipping), leaving a segment inside untouched.  False when no part of it
// is inside.
namespace {

bool ClipToGrid(const CellGrid& g, double& x0, double& y0, double& x1, double& y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  double enter = 0, leave = 1;
  // Each pair bounds t by one side: p t <= q.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - g.xmin, g.xmax - x0, y0 - g.ymin, g.ymax - y0};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (!(q[k] >= 0)) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0) enter = std::max(enter, t);
    else leave = std::min(leave, t);
  }
  if (!(enter <= leave)) return false;
  if (enter == 0 && leave == 1) return true;
  const double sx = x0, sy = y0;
  x0 = sx + enter * dx;
  y0 = sy + enter * dy;
  x1 = sx + leave * dx;
  y1 = sy + leave * dy;
  return true;
}

}  // namespace

// Walks the part of the segment inside the grid in steps of a tenth of a
// cell along its major axis and marks every cell a step lands in, then the
// cell of the far end.  Cells outside would mark nothing, and walking them
// could take billions of steps when a wall is far larger than the grid.  A
// step too small to move the coordinate ends the walk instead of looping
// forever.
void MarkSegmentSolid(CellGrid& g, double x0, double y0, double x1, double y1) {
  if (g.cellCount == 0 || !ClipToGrid(g, x0, y0, x1, y1)) return;
  const double ddx = x1 - x0, ddy = y1 - y0;
  const double slope = ddy / ddx, inverseSlope = ddx / ddy;
  const bool fromSecond = std::fabs(ddy) <= std::fabs(ddx) ? x0 >= x1 : y0 >= y1;
  double x = fromSecond ? x1 : x0, y = fromSecond ? y1 : y0;
  const double endX = fromSecond ? x0 : x1, endY = fromSecond ? y0 : y1;
  if (std::fabs(ddy) <= std::fabs(ddx)) {
    const double step = 0.1 * g.cellWidth;
    while (x < endX) {
      MarkCellAt(g, x, y);
      y += step * slope;
      const double next = x + step;
      if (next == x) break;
      x = next;
    }
  } else {
    const double step = 0.1 * g.cellHeight;
    while (y < endY) {
      MarkCellAt(g, x, y);
      x += step * inverseSlope;
      const double next = y + step;
      if (next == y) break;
      y = next;
    }
  }
  MarkCellAt(g, endX, endY);
}

void ClassifyWallCells(CellGrid& g, ProgressPoints& progress) {
  for (GridCell& cell : g.cells) {
    progress.AdvanceGauge();
    if (cell.type == Interior) ClassifyWallCell(g, cell);
  }
}
