#include "model/drawing.h"

#include <cmath>

namespace {

// The nearest multiple of `step`; an exact half goes toward zero.
double SnapToStep(double value, double step) {
  const double q = value / step;
  const double i = std::trunc(q);
  const double r = q - i;
  double n = i;
  if (r > 0.5) {
    n = i + 1;
  } else if (r < -0.5) {
    n = i - 1;
  }
  return n * step;
}

}  // namespace

void DrawingSettings::snapPoint(double& x, double& y, bool ctrl) const {
  if (!gridShown) return;
  if (snapToGrid == ctrl) return;
  x = SnapToStep(x, gridStepX);
  y = SnapToStep(y, gridStepY);
}
