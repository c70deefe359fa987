#include "model/wall.h"

#include <cmath>

double WallWidth(const Wall& wall) {
  // Corners c0 and c3 lie half the width to either side of the first end.
  return std::hypot(wall.outline[0] - wall.outline[6], wall.outline[1] - wall.outline[7]);
}

double WidestWall(const std::vector<Wall>& walls) {
  double widest = 0;
  for (const Wall& w : walls) widest = std::fmax(widest, WallWidth(w));
  return widest;
}

void GrowForFlowGrid(double& xmin, double& xmax, double& ymin, double& ymax) {
  const double cx = (xmin + xmax) * 0.5;
  const double hw = (xmax - xmin) * 0.5 * 1.3;
  xmin = cx - hw;
  xmax = cx + hw;
  const double cy = (ymin + ymax) * 0.5;
  const double hh = (ymax - ymin) * 0.5 * 1.35;
  ymin = cy - hh;
  ymax = cy + hh;
}

void BoxUnion::add(double bxmin, double bxmax, double bymin, double bymax) {
  if (empty) {
    xmin = bxmin, xmax = bxmax, ymin = bymin, ymax = bymax;
    empty = false;
    return;
  }
  if (bxmin < xmin) xmin = bxmin;
  if (bxmax > xmax) xmax = bxmax;
  if (bymin < ymin) ymin = bymin;
  if (bymax > ymax) ymax = bymax;
}

// The box of each wall is that of its segment, as a wall entity gives it.
bool WallExtents(const std::vector<Wall>& walls, double& xmin, double& xmax, double& ymin,
                 double& ymax) {
  if (walls.empty()) return false;
  BoxUnion box;
  for (const Wall& w : walls)
    box.add(std::fmin(w.x0, w.x1), std::fmax(w.x0, w.x1), std::fmin(w.y0, w.y1),
            std::fmax(w.y0, w.y1));
  xmin = box.xmin, xmax = box.xmax, ymin = box.ymin, ymax = box.ymax;
  GrowForFlowGrid(xmin, xmax, ymin, ymax);
  return true;
}
