// Arcs as straight walls, and entity planes seen from above.
#include "model/dxf_shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// An arc piece spans at most 15 degrees and is at most a tenth of the
// radius long; the second bound is the tighter (about 5.7 degrees).
const double kWidestPiece = std::min(15.0, 2 * std::asin(0.05) * 180 / kPi);

}  // namespace

void CosSinDegrees(double degrees, double& c, double& s) {
  double turn = std::fmod(degrees, 360.0);
  if (turn < 0) turn += 360;
  if (turn == 0)
    c = 1, s = 0;
  else if (turn == 90)
    c = 0, s = 1;
  else if (turn == 180)
    c = -1, s = 0;
  else if (turn == 270)
    c = 0, s = -1;
  else
    c = std::cos(turn * kPi / 180), s = std::sin(turn * kPi / 180);
}

DxfPoint OnCircle(DxfPoint centre, double radius, double degrees) {
  double c, s;
  CosSinDegrees(degrees, c, s);
  return {centre.x + radius * c, centre.y + radius * s};
}

void AddSegment(std::vector<WallSegment>& out, DxfPoint from, DxfPoint to) {
  if (from.x == to.x && from.y == to.y) return;
  out.push_back({from.x, from.y, to.x, to.y});
}

void AddArc(std::vector<WallSegment>& out, DxfPoint centre, double radius, double start,
            double sweep, DxfPoint from, DxfPoint to) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / kWidestPiece)));
  DxfPoint previous = from;
  for (int i = 1; i <= pieces; ++i) {
    const DxfPoint next = i == pieces ? to : OnCircle(centre, radius, start + sweep * i / pieces);
    AddSegment(out, previous, next);
    previous = next;
  }
}

void AddBulgeSegment(std::vector<WallSegment>& out, DxfPoint from, DxfPoint to, double bulge) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double chord = std::hypot(dx, dy);
  if (bulge == 0 || chord == 0 || !std::isfinite(bulge)) {
    AddSegment(out, from, to);
    return;
  }
  const double angle = 4 * std::atan(bulge);
  const double radius = chord / (2 * std::fabs(std::sin(angle / 2)));
  const double offset = chord / 2 / std::tan(angle / 2);  // from the chord's middle, to its left
  const DxfPoint centre = {(from.x + to.x) / 2 - dy / chord * offset,
                           (from.y + to.y) / 2 + dx / chord * offset};
  const double start = std::atan2(from.y - centre.y, from.x - centre.x) * 180 / kPi;
  AddArc(out, centre, radius, start, angle * 180 / kPi, from, to);
}

// The arbitrary-axis rule of DXF gives the entity's x and y axes in the
// world.  The usual (0, 0, 1) is the identity and (0, 0, -1) mirrors x.
bool PlaneToWorld(const double normal[3], Affine2D& m) {
  const double length =
      std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (!(length > 0) || !std::isfinite(length)) return false;
  const double n[3] = {normal[0] / length, normal[1] / length, normal[2] / length};
  double ax[3];
  if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64) {
    ax[0] = n[2], ax[1] = 0, ax[2] = -n[0];  // world y cross n
  } else {
    ax[0] = -n[1], ax[1] = n[0], ax[2] = 0;  // world z cross n
  }
  const double axLength = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
  for (double& v : ax) v /= axLength;
  const double ay[3] = {n[1] * ax[2] - n[2] * ax[1], n[2] * ax[0] - n[0] * ax[2],
                        n[0] * ax[1] - n[1] * ax[0]};
  m.set(ax[0], ay[0], 0, ax[1], ay[1], 0);
  return true;
}

bool IsIdentity(const Affine2D& m) {
  return m.a == 1 && m.b == 0 && m.c == 0 && m.d == 0 && m.e == 1 && m.f == 0;
}

WallSegment Mapped(const Affine2D& m, WallSegment s) {
  m.apply(s.x0, s.y0);
  m.apply(s.x1, s.y1);
  return s;
}
