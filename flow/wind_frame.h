// The frame the flow grid is laid in.  The analysis always blows its wind
// along the grid's +x axis; for a wind from another compass direction the
// drawing is turned so that the wind blows along +x, the grid is laid over
// the turned drawing, and everything shown or measured is turned back.
#pragma once

#include <vector>

#include "model/wall.h"

// Compass degrees the wind comes from (0 north, 90 east, 180 south, 270
// west) at start: the wind from the west, blowing along +x of the drawing.
constexpr double kWestWind = 270;

struct WindFrame {
  double direction = kWestWind;  // compass degrees the wind comes from, in [0, 360)
  // The wind blows along (c, s) in the drawing.
  double c = 1, s = 0;
  // A west wind: grid and drawing coordinates are the same, and nothing is
  // turned at all, so its results are those of a grid that knows no frame.
  bool identity = true;

  // A drawing point or vector in the grid's frame, and back.
  void ToGrid(double x, double y, double& gx, double& gy) const {
    if (identity) {
      gx = x, gy = y;
      return;
    }
    const double tx = c * x + s * y, ty = -s * x + c * y;  // x, y may be gx, gy
    gx = tx, gy = ty;
  }
  void ToDrawing(double gx, double gy, double& x, double& y) const {
    if (identity) {
      x = gx, y = gy;
      return;
    }
    const double tx = c * gx - s * gy, ty = s * gx + c * gy;
    x = tx, y = ty;
  }
};

// The frame of a wind from `compassDegrees` (any finite value, taken modulo
// 360).  Multiples of 90° get exact matrices (cosines and sines 0 and ±1),
// so that a drawing turned by a right angle with its wind gives the same
// grid.
WindFrame FrameForWind(double compassDegrees);

// The walls turned into the frame's grid coordinates, outlines included.
std::vector<Wall> WallsInGridFrame(const std::vector<Wall>& walls, const WindFrame& frame);
