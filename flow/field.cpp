#include "flow/field.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "flow/solver.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / M_PI;

int CellAt(const CellGrid& g, int row, int column) { return row * g.columns + column; }

// The velocity across the face on the west of `column` (0 to columns: the
// grid's west and east sides at the ends), positive towards +x.  Faces
// towards solid cells carry nothing; a side of the grid carries what its
// cell prescribes there.
double EastwardFaceVelocity(const CellGrid& g, int row, int column) {
  const double u = g.faceU[static_cast<size_t>(row) * (g.columns + 1) + column];
  const int west = column > 0 ? CellAt(g, row, column - 1) : -1;
  const int east = column < g.columns ? CellAt(g, row, column) : -1;
  if (west >= 0 && east >= 0) return IsFluidCell(g, west) && IsFluidCell(g, east) ? u : 0;
  if (east >= 0) return IsFluidCell(g, east) && PrescribesSide(g.type[east], LinkWest) ? u : 0;
  return IsFluidCell(g, west) && PrescribesSide(g.type[west], LinkEast) ? u : 0;
}

// The same across the face on the south of `row` (0 to rows), positive
// towards +y; faceQ counts towards -y.
double NorthwardFaceVelocity(const CellGrid& g, int row, int column) {
  const double q = g.faceQ[static_cast<size_t>(row) * g.columns + column];
  const int south = row > 0 ? CellAt(g, row - 1, column) : -1;
  const int north = row < g.rows ? CellAt(g, row, column) : -1;
  if (south >= 0 && north >= 0) return IsFluidCell(g, south) && IsFluidCell(g, north) ? -q : 0;
  if (north >= 0) return IsFluidCell(g, north) && PrescribesSide(g.type[north], LinkSouth) ? -q : 0;
  return IsFluidCell(g, south) && PrescribesSide(g.type[south], LinkNorth) ? -q : 0;
}

// A segment in grid coordinates, and on which side of it a point lies:
// strictly left, or not.
struct Segment {
  double x0, y0, dx, dy;
  bool Left(double x, double y) const { return dx * (y - y0) - dy * (x - x0) > 0; }
  // Whether the segment from a to b, whose ends lie on either side of the
  // line, meets it between the first point (included) and the second
  // (excluded), so that lines meeting end to end count a face once.
  bool Meets(double ax, double ay, double bx, double by) const {
    const double ex = bx - ax, ey = by - ay;
    const double t = ((ax - x0) * ey - (ay - y0) * ex) / (dx * ey - dy * ex);
    return t >= 0 && t < 1;
  }
};

int ClampIndex(double value, int low, int high) {
  if (!(value > low)) return low;
  if (!(value < high)) return high;
  return static_cast<int>(value);
}

// The velocity sum of the faces the segment cuts, times their lengths, in
// the grid's unit: the faces joining cell centres (ghosts beyond the sides)
// that lie on either side of it.
double FaceFlow(const CellGrid& g, const Segment& s) {
  const double dx = g.cellWidth, dy = g.cellHeight;
  const auto cx = [&](int column) { return g.xmin + (column + 0.5) * dx; };
  const auto cy = [&](int row) { return g.ymin + (row + 0.5) * dy; };
  // Index ranges that may hold a cut face, one cell wider for rounding.
  const double fx0 = (std::fmin(s.x0, s.x0 + s.dx) - g.xmin) / dx - 1.5;
  const double fx1 = (std::fmax(s.x0, s.x0 + s.dx) - g.xmin) / dx + 1.5;
  const double fy0 = (std::fmin(s.y0, s.y0 + s.dy) - g.ymin) / dy - 1.5;
  const double fy1 = (std::fmax(s.y0, s.y0 + s.dy) - g.ymin) / dy + 1.5;
  double flow = 0;
  const auto cut = [&](double ax, double ay, double bx, double by, double velocity, double length) {
    const bool left = s.Left(ax, ay);
    if (left == s.Left(bx, by) || !s.Meets(ax, ay, bx, by)) return;
    flow += (left ? velocity : -velocity) * length;
  };
  for (int row = ClampIndex(fy0, 0, g.rows - 1); row <= ClampIndex(fy1, 0, g.rows - 1); ++row) {
    for (int column = ClampIndex(fx0, 0, g.columns); column <= ClampIndex(fx1, 0, g.columns); ++column) {
      cut(cx(column - 1), cy(row), cx(column), cy(row), EastwardFaceVelocity(g, row, column), dy);
    }
  }
  for (int row = ClampIndex(fy0, 0, g.rows); row <= ClampIndex(fy1, 0, g.rows); ++row) {
    for (int column = ClampIndex(fx0, 0, g.columns - 1); column <= ClampIndex(fx1, 0, g.columns - 1);
         ++column) {
      cut(cx(column), cy(row - 1), cx(column), cy(row), NorthwardFaceVelocity(g, row, column), dx);
    }
  }
  return flow;
}

// Points a quarter of the smaller cell side apart, at most `limit`, over a length.
int SampleCount(const CellGrid& g, double length, int limit) {
  const double step = 0.25 * std::fmin(g.cellWidth, g.cellHeight);
  const double n = std::ceil(length / step);
  return n >= limit ? limit : n >= 1 ? static_cast<int>(n) : 1;
}

}  // namespace

bool IsFluidCell(const CellGrid& g, int cell) { return IsFluidType(g.type[cell]); }

void CellVelocity(const CellGrid& g, int cell, double& u, double& v) {
  const CentreVelocity c = ComputeCentreVelocity(g, cell);
  u = c.u;
  v = -c.q;
}

bool HasSolvedField(const AnalysisResult& result) {
  return result.grid.cellCount > 0 && result.grid.inflowSpeed > 0 && result.grid.maxCellSpeed > 0;
}

double MetresPerSecond(const AnalysisResult& result, double gridSpeed) {
  return gridSpeed / result.grid.inflowSpeed * result.windSpeed;
}

double PercentOfWind(const AnalysisResult& result, double gridSpeed) {
  return gridSpeed / result.grid.inflowSpeed * 100.0;
}

double LargestFluidSpeed(const CellGrid& g) {
  double largest = 0;
  for (int c = 0; c < g.cellCount; ++c) {
    if (!IsFluidCell(g, c)) continue;
    double u, v;
    CellVelocity(g, c, u, v);
    largest = std::fmax(largest, std::sqrt(v * v + u * u));
  }
  return largest;
}

bool GridVelocityAt(const CellGrid& g, double gx, double gy, double& u, double& v) {
  const int cell = LocateCell(g, gx, gy);
  if (cell == -1 || !IsFluidCell(g, cell)) return false;
  const double fx = (gx - g.xmin) / g.cellWidth - 0.5, fy = (gy - g.ymin) / g.cellHeight - 0.5;
  const double i0 = std::floor(fx), j0 = std::floor(fy);
  const double tx = fx - i0, ty = fy - j0;
  double weights = 0, su = 0, sv = 0;
  for (int dj = 0; dj < 2; ++dj) {
    for (int di = 0; di < 2; ++di) {
      const double w = (di ? tx : 1 - tx) * (dj ? ty : 1 - ty);
      const int c = CellAt(g, ClampIndex(j0 + dj, 0, g.rows - 1), ClampIndex(i0 + di, 0, g.columns - 1));
      if (w == 0 || !IsFluidCell(g, c)) continue;
      double cu, cv;
      CellVelocity(g, c, cu, cv);
      su += w * cu;
      sv += w * cv;
      weights += w;
    }
  }
  // The point's own cell is one of the four, with a weight of a quarter at least.
  u = su / weights;
  v = sv / weights;
  return true;
}

FieldSample SampleField(const AnalysisResult& result, double x, double y) {
  FieldSample sample;
  if (!HasSolvedField(result)) return sample;
  double gx, gy, u, v;
  result.frame.ToGrid(x, y, gx, gy);
  if (!GridVelocityAt(result.grid, gx, gy, u, v)) return sample;
  sample.fluid = true;
  const double speed = std::sqrt(v * v + u * u);
  sample.speed = MetresPerSecond(result, speed);
  sample.percent = PercentOfWind(result, speed);
  result.frame.ToDrawing(u, v, sample.u, sample.v);
  sample.u = MetresPerSecond(result, sample.u);
  sample.v = MetresPerSecond(result, sample.v);
  // The bearing of a vector (x, y) is atan2(x, y); the air comes from the
  // bearing opposite to where it goes.
  double from = std::atan2(-sample.u, -sample.v) * kDegreesPerRadian;
  if (from < 0) from += 360;
  sample.fromDegrees = from >= 360 ? 0 : from;
  return sample;
}

FluxMeasure MeasureFlux(const AnalysisResult& result, double x0, double y0, double x1, double y1) {
  FluxMeasure m;
  if (!HasSolvedField(result)) return m;
  const CellGrid& g = result.grid;
  Segment s;
  double gx1, gy1;
  result.frame.ToGrid(x0, y0, s.x0, s.y0);
  result.frame.ToGrid(x1, y1, gx1, gy1);
  s.dx = gx1 - s.x0;
  s.dy = gy1 - s.y0;
  m.flow = MetresPerSecond(result, FaceFlow(g, s));
  const int n = SampleCount(g, std::hypot(x1 - x0, y1 - y0), 20000);
  int fluid = 0;
  double sum = 0;
  for (int k = 0; k < n; ++k) {
    const double t = (k + 0.5) / n;
    const FieldSample p = SampleField(result, x0 + t * (x1 - x0), y0 + t * (y1 - y0));
    if (!p.fluid) continue;
    ++fluid;
    sum += p.speed;
  }
  m.fluidShare = static_cast<double>(fluid) / n;
  m.meanSpeed = fluid ? sum / fluid : 0;
  return m;
}

double GridInflow(const AnalysisResult& result) {
  if (!HasSolvedField(result)) return 0;
  const CellGrid& g = result.grid;
  double flow = 0;
  for (int row = 0; row < g.rows; ++row) flow += EastwardFaceVelocity(g, row, 0) * g.cellHeight;
  return MetresPerSecond(result, flow);
}

ZoneMeasure MeasureZone(const AnalysisResult& result, double xmin, double xmax, double ymin,
                        double ymax) {
  ZoneMeasure m;
  if (!HasSolvedField(result)) return m;
  constexpr int kLimit = 1000;
  const int nx = SampleCount(result.grid, xmax - xmin, kLimit);
  const int ny = SampleCount(result.grid, ymax - ymin, kLimit);
  const double still = kStillAirShare * result.windSpeed;
  double sum = 0;
  int below = 0;
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const FieldSample p = SampleField(result, xmin + (i + 0.5) / nx * (xmax - xmin),
                                        ymin + (j + 0.5) / ny * (ymax - ymin));
      if (!p.fluid) continue;
      ++m.fluidPoints;
      sum += p.speed;
      m.largestSpeed = std::fmax(m.largestSpeed, p.speed);
      if (p.speed < still) ++below;
    }
  }
  if (m.fluidPoints > 0) {
    m.meanSpeed = sum / m.fluidPoints;
    m.stillShare = static_cast<double>(below) / m.fluidPoints;
  }
  return m;
}

namespace {

std::string Printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

double PercentOf(const AnalysisResult& result, double metresPerSecond) {
  return metresPerSecond / result.windSpeed * 100.0;
}

}  // namespace

std::string ProbeText(const FieldSample& p) {
  if (!p.fluid) return "Sem escoamento aqui (parede ou fora da grade)";
  return Printed("Velocidade %.3f m/s (%.1f %% do vento), vindo de %.0f°", p.speed, p.percent,
                 p.fromDegrees);
}

std::string FluxText(const AnalysisResult& result, const FluxMeasure& m) {
  std::string text = Printed("Vazão %+.4f m³/s por metro de altura", m.flow);
  if (m.fluidShare > 0) {
    text += Printed("; velocidade média %.3f m/s (%.1f %% do vento)", m.meanSpeed,
                    PercentOf(result, m.meanSpeed));
  }
  return text;
}

std::string ZoneText(const AnalysisResult& result, const ZoneMeasure& m) {
  if (m.fluidPoints == 0) return "Zona sem escoamento (só paredes ou fora da grade)";
  return Printed(
      "Zona: velocidade média %.3f m/s (%.1f %%), máxima %.3f m/s (%.1f %%); ar parado em %.0f %% "
      "da área",
      m.meanSpeed, PercentOf(result, m.meanSpeed), m.largestSpeed, PercentOf(result, m.largestSpeed),
      m.stillShare * 100.0);
}
