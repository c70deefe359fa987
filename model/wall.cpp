#include "model/wall.h"

#include <cmath>

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

// The box of each wall is that of its segment, as a wall entity gives it.
bool WallExtents(const std::vector<Wall>& walls, double& xmin, double& xmax, double& ymin,
                 double& ymax) {
  if (walls.empty()) return false;
  bool first = true;
  for (const Wall& w : walls) {
    const double exmin = std::fmin(w.x0, w.x1), exmax = std::fmax(w.x0, w.x1);
    const double eymin = std::fmin(w.y0, w.y1), eymax = std::fmax(w.y0, w.y1);
    if (first) {
      xmin = exmin, xmax = exmax, ymin = eymin, ymax = eymax;
      first = false;
      continue;
    }
    if (exmin < xmin) xmin = exmin;
    if (exmax > xmax) xmax = exmax;
    if (eymin < ymin) ymin = eymin;
    if (eymax > ymax) ymax = eymax;
  }
  GrowForFlowGrid(xmin, xmax, ymin, ymax);
  return true;
}
