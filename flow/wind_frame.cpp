#include "flow/wind_frame.h"

#include <cmath>

WindFrame FrameForWind(double compassDegrees) {
  WindFrame f;
  double d = std::fmod(compassDegrees, 360.0);
  if (d < 0) d += 360.0;
  f.direction = d;
  if (d == kWestWind) return f;
  f.identity = false;
  // The wind comes from the bearing d, whose unit vector is (sin d, cos d),
  // so it blows along the opposite vector.
  if (d == 0) {
    f.c = 0, f.s = -1;
  } else if (d == 90) {
    f.c = -1, f.s = 0;
  } else if (d == 180) {
    f.c = 0, f.s = 1;
  } else {
    const double radians = d * (M_PI / 180.0);
    f.c = -std::sin(radians);
    f.s = -std::cos(radians);
  }
  return f;
}

std::vector<Wall> WallsInGridFrame(const std::vector<Wall>& walls, const WindFrame& frame) {
  std::vector<Wall> turned = walls;
  for (Wall& w : turned) {
    frame.ToGrid(w.x0, w.y0, w.x0, w.y0);
    frame.ToGrid(w.x1, w.y1, w.x1, w.y1);
    for (int k = 0; k < 4; ++k) {
      double& x = w.outline[2 * k];
      double& y = w.outline[2 * k + 1];
      frame.ToGrid(x, y, x, y);
    }
  }
  return turned;
}
