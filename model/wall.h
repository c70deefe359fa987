// A wall as the flow analysis and the batch tool's outputs take it: a value,
// copied out of the drawing, that no later edit of the drawing can change.
#pragma once

#include <vector>

#include "model/entity.h"

struct Wall {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  // As the wall was outlined, with the width of its making or its last edit.
  double outline[8] = {};
  PackedColor color = 0;
  bool selected = false;
};

// The width the wall was outlined with: the distance between the corners
// at its first end.
double WallWidth(const Wall& wall);
// The width of the widest of the walls; 0 when there are none.
double WidestWall(const std::vector<Wall>& walls);

// The union of the boxes of the walls, enlarged about its centre by 1.3
// across and 1.35 up, so that the flow grid built over it has room around
// the building.  False (outputs untouched) when there are no walls.
bool WallExtents(const std::vector<Wall>& walls, double& xmin, double& xmax, double& ymin,
                 double& ymax);

// The union of boxes given one by one.
struct BoxUnion {
  bool empty = true;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  void add(double bxmin, double bxmax, double bymin, double bymax);
};

// Grows a box about its centre as WallExtents does.
void GrowForFlowGrid(double& xmin, double& xmax, double& ymin, double& ymax);
