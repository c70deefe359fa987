#include "flow/boundary_arrows.h"

#include <cmath>

#include "flow/cell_grid.h"
#include "flow/grid_build.h"

namespace {

constexpr double kHeadAngle = 0.174533;  // 10 degrees

// Arrows of boundary faces touch the face; corner cells put theirs at the
// centre unless the wind is (nearly) vertical.
void ArrowBase(const CellGrid& g, int cell, int type, double theta, double& bx, double& by) {
  const double dx = g.cellWidth, dy = g.cellHeight;
  double cx, cy;
  CellCentre(g, cell, cx, cy);
  bx = cx;
  by = cy;
  switch (type) {
    case TopLeftCorner: if (theta - 90 < 0.01) by = cy + dy / 2; break;
    case TopRightCorner: if (theta - 90 <= 0.1) by = cy + dy / 2; break;
    case BottomLeftCorner: if (theta - 90 < 0.01) by = cy - dy / 2; break;
    case BottomRightCorner: if (theta - 90 <= 0.1) by = cy - dy / 2; break;
    case TopEdge: by = cy + dy / 2; break;
    case LeftEdge: bx = cx - dx / 2; break;
    case BottomEdge: by = cy - dy / 2; break;
    case RightEdge: bx = cx + dx / 2; break;
    default: break;
  }
}

LineSegment FromBase(double bx, double by, double angle, double length) {
  return {bx, by, bx - std::cos(angle) * length, by + std::sin(angle) * length};
}

}  // namespace

ArrowScales BoundaryArrowScales(const CellGrid& g) {
  return {g.boundarySpeedTenth / (g.maxBoundarySpeed * 50.0), g.boundarySpeedTenth * 0.01};
}

bool BoundaryArrowLines(const CellGrid& g, int cell, int type, double degreesToRadians,
                        double shaftScale, double headLength, LineSegment lines[3]) {
  const BoundaryWind wind = ComputeBoundaryDirection(g, cell);
  if (!(std::fabs(wind.speed) > 0.0001)) return false;
  double bx, by;
  ArrowBase(g, cell, type, wind.direction, bx, by);
  const double phi = (wind.direction + 180.0) * degreesToRadians;
  lines[0] = FromBase(bx, by, phi, wind.speed * shaftScale);
  lines[1] = FromBase(bx, by, phi - kHeadAngle, headLength);
  lines[2] = FromBase(bx, by, phi + kHeadAngle, headLength);
  return true;
}
