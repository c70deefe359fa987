// The entity base and the wall segment.
#include "model/entity.h"

#include <GL/gl.h>

#include <cmath>

#include "model/affine.h"
#include "model/drawing_file.h"
#include "model/entity_list.h"

void setGLColor(PackedColor color) {
  glColor3d(((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0);
}

// ---- Entity -------------------------------------------------------------------

Entity::~Entity() {
  if (list) list->unlink(this);
}

bool Entity::handlePoint(int, double&, double&) const { return false; }
bool Entity::endpoint(int, double&, double&) const { return false; }
bool Entity::setEndpoint(int, double, double, double) { return false; }
bool Entity::describeGeometry(std::string&) const { return false; }

// ---- LineEntity ---------------------------------------------------------------

LineEntity::LineEntity(double ax0, double ay0, double ax1, double ay1, double wallWidth,
                       PackedColor c)
    : x0(ax0), y0(ay0), x1(ax1), y1(ay1), outline{} {
  kind = 0;
  color = c;
  WallOutline(x0, y0, x1, y1, wallWidth, outline);
}

// Each coordinate is written with as many digits as it needs to read back
// unchanged, so a save and an open never move a wall.
void LineEntity::writeRecord(std::FILE* file) const {
  std::fprintf(file, "%ld %s %s %s %s\n", color, RealText(x0).c_str(), RealText(y0).c_str(),
               RealText(x1).c_str(), RealText(y1).c_str());
}

void LineEntity::boundingBox(double& xmin, double& xmax, double& ymin, double& ymax) const {
  xmin = std::fmin(x0, x1);
  xmax = std::fmax(x0, x1);
  ymin = std::fmin(y0, y1);
  ymax = std::fmax(y0, y1);
}

void LineEntity::transform(double a, double b, double c, double d, double e, double f,
                           double wallWidth) {
  Affine2D m;
  m.set(a, b, c, d, e, f);
  m.apply(x0, y0);
  m.apply(x1, y1);
  WallOutline(x0, y0, x1, y1, wallWidth, outline);
}

PackedColor LineEntity::shownColor() const { return selected ? 0xFF0000 : color & 0xFFFFFF; }

PixelScale currentPixelScale() {
  GLdouble projection[16];
  GLint viewport[4];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  return {std::fabs(projection[0]) * viewport[2] / 2, std::fabs(projection[5]) * viewport[3] / 2};
}

// A quadrilateral narrower than a pixel covers no pixel centre in places, and
// the wall would show dashed or not at all; such a wall is drawn one pixel
// wide about its centre line.  Wider walls are drawn exactly as outlined.
void LineEntity::emitOutline(const PixelScale& scale) const {
  const double* c = outline;
  // The centre line's ends, and the offset from it to the c0-c1 side.
  const double m0x = (c[0] + c[6]) / 2, m0y = (c[1] + c[7]) / 2;
  const double m1x = (c[2] + c[4]) / 2, m1y = (c[3] + c[5]) / 2;
  const double ox = (c[0] - c[6]) / 2, oy = (c[1] - c[7]) / 2;
  // On the screen: the centre line's direction and the wall's width across it.
  const double dx = (m1x - m0x) * scale.x, dy = (m1y - m0y) * scale.y;
  const double width = 2 * std::fabs(dx * oy * scale.y - dy * ox * scale.x) / std::hypot(dx, dy);
  if (!(width > 0 && width < 1)) {
    for (int i = 0; i < 4; ++i) glVertex3d(c[2 * i], c[2 * i + 1], 0.0);
    return;
  }
  const double wx = ox / width, wy = oy / width;
  glVertex3d(m0x + wx, m0y + wy, 0.0);
  glVertex3d(m1x + wx, m1y + wy, 0.0);
  glVertex3d(m1x - wx, m1y - wy, 0.0);
  glVertex3d(m0x - wx, m0y - wy, 0.0);
}

void LineEntity::draw() const {
  const PixelScale scale = currentPixelScale();  // no state can be read between begin and end
  setGLColor(shownColor());
  glBegin(GL_QUADS);
  emitOutline(scale);
  glEnd();
}

// Clips the end P0 against the tolerance square until it is inside (a hit)
// or the rest of the segment lies wholly on one outer side (a miss).
bool LineEntity::hitTest(double px, double py, double tol) const {
  const double xmin = px - tol, xmax = px + tol;
  const double ymin = py - tol, ymax = py + tol;
  enum { kLeft = 1, kRight = 2, kBelow = 4, kAbove = 8 };
  auto outcode = [&](double x, double y) {
    return (x < xmin ? kLeft : 0) | (x > xmax ? kRight : 0) | (y < ymin ? kBelow : 0) |
           (y > ymax ? kAbove : 0);
  };
  const int code1 = outcode(x1, y1);
  double qx = x0, qy = y0;
  // Each step puts Q on a border, so a handful of steps always decide;
  // the bound only guards against rounding bouncing Q between two borders.
  for (int step = 0; step < 16; ++step) {
    const int code = outcode(qx, qy);
    if (code & code1) return false;
    if (code == 0) return true;
    if (code & (kLeft | kRight)) {
      const double X = (code & kLeft) ? xmin : xmax;
      qy += (X - qx) * (y1 - qy) / (x1 - qx);
      qx = X;
    } else {
      const double Y = (code & kBelow) ? ymin : ymax;
      qx += (Y - qy) * (x1 - qx) / (y1 - qy);
      qy = Y;
    }
  }
  return false;
}

bool LineEntity::handlePoint(int i, double& x, double& y) const {
  if (i < 0 || i > 3) return false;
  x = outline[2 * i];
  y = outline[2 * i + 1];
  return true;
}

bool LineEntity::endpoint(int i, double& x, double& y) const {
  if (i == 0) {
    x = x0;
    y = y0;
  } else if (i == 1) {
    x = x1;
    y = y1;
  } else {
    return false;
  }
  return true;
}

bool LineEntity::setEndpoint(int i, double x, double y, double wallWidth) {
  if (i == 0) {
    x0 = x;
    y0 = y;
  } else if (i == 1) {
    x1 = x;
    y1 = y;
  } else {
    return false;
  }
  WallOutline(x0, y0, x1, y1, wallWidth, outline);
  return true;
}

std::vector<double> LineEntity::shape() const {
  std::vector<double> numbers = {x0, y0, x1, y1};
  numbers.insert(numbers.end(), outline, outline + 8);
  return numbers;
}

void LineEntity::setShape(const std::vector<double>& numbers) {
  if (numbers.size() != 12) return;
  x0 = numbers[0];
  y0 = numbers[1];
  x1 = numbers[2];
  y1 = numbers[3];
  for (int i = 0; i < 8; ++i) outline[i] = numbers[4 + i];
}

void WallOutline(double x0, double y0, double x1, double y1, double width, double outline[8]) {
  const double h = width / 2;
  if (x0 == x1 && y0 == y1) {
    const double square[8] = {x0 - h, y0 + h, x0 + h, y0 + h, x0 + h, y0 - h, x0 - h, y0 - h};
    for (int i = 0; i < 8; ++i) outline[i] = square[i];
    return;
  }
  const double theta = std::atan((y1 - y0) / (x1 - x0));
  const double nx = -std::sin(theta), ny = std::cos(theta);
  const double corners[8] = {x0 + h * nx, y0 + h * ny, x1 + h * nx, y1 + h * ny,
                             x1 - h * nx, y1 - h * ny, x0 - h * nx, y0 - h * ny};
  for (int i = 0; i < 8; ++i) outline[i] = corners[i];
}
