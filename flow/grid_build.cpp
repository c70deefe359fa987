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
  if (c != -1) g.type[c] = Solid;
}

bool IsSolid(const CellGrid& g, int cell) { return g.type[cell] == Solid; }

// The new type of an interior cell from which of its neighbours are solid;
// Interior when none, two opposite, or three or four are.
CellType WallType(bool south, bool east, bool north, bool west) {
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

// The new type prescribes exactly the sides towards the solid neighbours,
// which cuts the cell's links to them (CellLink).
void ClassifyWallCell(CellGrid& g, int cell) {
  const int nc = g.columns, r = CellRow(g, cell), c = cell - r * nc;
  g.type[cell] = WallType(r > 0 && IsSolid(g, cell - nc), c < nc - 1 && IsSolid(g, cell + 1),
                          r < g.rows - 1 && IsSolid(g, cell + nc), c > 0 && IsSolid(g, cell - 1));
}

bool OnWestSide(CellType type) {
  return type == BottomLeftCorner || type == TopLeftCorner || type == LeftEdge;
}

bool OnEastSide(CellType type) {
  return type == BottomRightCorner || type == TopRightCorner || type == RightEdge;
}

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

// The gauge moves once per node and once per cell classified, so that it
// shows progress from the very start on any grid.
void BuildGrid(CellGrid& g, const std::vector<Wall>& walls, double xmin, double xmax, double ymin,
               double ymax, int columns, int rows, ProgressPoints& progress) {
  const double dx = (xmax - xmin) / columns;
  const double dy = (ymax - ymin) / rows;
  AllocateGrid(g, columns, rows);
  g.widestWall = WidestWall(walls);
  LayNodeLines(g, xmin, dx, ymin, dy);
  for (int n = 0; n < g.nodeCount; ++n) progress.AdvanceGauge();
  progress.AdvanceGauge();
  progress.AdvanceGauge();
  progress.AdvanceGauge();
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

// The wind comes in through the whole west side and leaves through the
// whole east side; north and south are closed.
void SetBoundaryValues(CellGrid& g) {
  const double w = g.xmax - g.xmin, h = g.ymax - g.ymin;
  g.inflowSpeed = 25.0 * (w > h ? w : h);
  std::fill(g.potential.begin(), g.potential.end(), 0.0);
  std::fill(g.faceU.begin(), g.faceU.end(), 0.0);
  std::fill(g.faceQ.begin(), g.faceQ.end(), 0.0);
  for (int i = 0; i < g.cellCount; ++i) {
    const CellType type = RingType(g, i);
    g.type[i] = type;
    if (type == Interior) continue;
    if (OnWestSide(type)) WestU(g, i) = g.inflowSpeed;
    if (OnEastSide(type)) EastU(g, i) = g.inflowSpeed;
    const BoundaryWind wind = ComputeBoundaryDirection(g, i);
    UpdateMaximum(g.maxBoundarySpeed, std::fabs(wind.speed));
    UpdateMinimum(g.minBoundarySpeed, std::fabs(wind.speed));
  }
}

// The pair (a, b) of a ring cell is its prescribed x velocity and its
// north or south value as construction sets them: the inflow speed on the
// west and east sides, 0 elsewhere (the outflow scaled to balance a solve
// does not change the arrows).
BoundaryWind ComputeBoundaryDirection(const CellGrid& g, int cell) {
  BoundaryWind wind;
  const CellType ring = RingType(g, cell);
  if (ring == Interior || g.type[cell] == Solid) return wind;
  const double a = OnWestSide(ring) || OnEastSide(ring) ? g.inflowSpeed : 0, b = 0;
  wind.speed = std::sqrt(b * b + a * a);
  wind.direction = wind.speed < 0.000001 ? 0 : std::atan2(b, a) * kDegreesPerRadian + 180.0;
  return wind;
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
  for (int i = 0; i < g.cellCount; ++i) {
    progress.AdvanceGauge();
    if (g.type[i] == Interior) ClassifyWallCell(g, i);
  }
}
