#include "model/affine.h"

void Affine2D::reset() { set(1, 0, 0, 0, 1, 0); }

void Affine2D::translate(double tx, double ty) {
  c += tx;
  f += ty;
}

void Affine2D::scale(double sx, double sy) {
  a *= sx;
  b *= sx;
  c *= sx;
  d *= sy;
  e *= sy;
  f *= sy;
}

void Affine2D::scaleAbout(double sx, double sy, double px, double py) {
  translate(-px, -py);
  scale(sx, sy);
  translate(px, py);
}

bool Affine2D::invert() {
  const double det = a * e - d * b;
  if (det == 0) return false;
  const double ia = e / det, ib = -b / det;
  const double id = -d / det, ie = a / det;
  const double ic = -(ia * c + ib * f);
  const double iff = -(id * c + ie * f);
  set(ia, ib, ic, id, ie, iff);
  return true;
}

void Affine2D::get(double out[6]) const {
  out[0] = a;
  out[1] = b;
  out[2] = c;
  out[3] = d;
  out[4] = e;
  out[5] = f;
}

void Affine2D::set(double na, double nb, double nc, double nd, double ne, double nf) {
  a = na;
  b = nb;
  c = nc;
  d = nd;
  e = ne;
  f = nf;
}

void Affine2D::apply(double& x, double& y) const {
  const double nx = a * x + b * y + c;
  const double ny = d * x + e * y + f;
  x = nx;
  y = ny;
}

Affine2D Compose(const Affine2D& outer, const Affine2D& inner) {
  Affine2D m;
  m.set(outer.a * inner.a + outer.b * inner.d, outer.a * inner.b + outer.b * inner.e,
        outer.a * inner.c + outer.b * inner.f + outer.c, outer.d * inner.a + outer.e * inner.d,
        outer.d * inner.b + outer.e * inner.e, outer.d * inner.c + outer.e * inner.f + outer.f);
  return m;
}
