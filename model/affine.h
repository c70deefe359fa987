// A 2 x 3 affine map of the plane: x' = a*x + b*y + c, y' = d*x + e*y + f.
#pragma once

class Affine2D {
 public:
  double a = 1, b = 0, c = 0;  // first row
  double d = 0, e = 1, f = 0;  // second row

  void reset();
  void translate(double tx, double ty);
  void scale(double sx, double sy);
  void scaleAbout(double sx, double sy, double px, double py);
  // Replaces the map by its inverse; false (and unchanged) when it is singular.
  bool invert();
  void get(double out[6]) const;
  void set(double a, double b, double c, double d, double e, double f);
  void apply(double& x, double& y) const;
};

// The map that applies `inner` first, then `outer`.
Affine2D Compose(const Affine2D& outer, const Affine2D& inner);
