// The solved flow as a field a user reads: the velocity anywhere in the
// drawing, the flow through a line, the speeds over a zone.  Points are in
// drawing coordinates; speeds are in m/s (the grid's inflow speed stands
// for the result's wind speed) and in percent of the wind.
#pragma once

#include <string>

#include "flow/analysis.h"

// Whether the result holds a solved flow to read.
bool HasSolvedField(const AnalysisResult& result);

// The velocity at a point, bilinear between the centres of the fluid cells
// about it (a solid one among the four is left out and the others' weights
// scaled up); nothing outside the grid or in a solid cell.  At a cell's
// centre it is that cell's velocity.
struct FieldSample {
  bool fluid = false;
  double u = 0, v = 0;       // m/s along the drawing's x and y
  double speed = 0;          // m/s
  double percent = 0;        // of the wind speed
  double fromDegrees = 0;    // compass direction the air comes from, in [0, 360)
};
FieldSample SampleField(const AnalysisResult& result, double x, double y);
// The same in the grid's frame and unit: false outside the grid or in a
// solid cell.
bool GridVelocityAt(const CellGrid& g, double gx, double gy, double& u, double& v);

// The grid's speed (in its own unit) as m/s and as percent of the wind.
double MetresPerSecond(const AnalysisResult& result, double gridSpeed);
double PercentOfWind(const AnalysisResult& result, double gridSpeed);

// The largest cell-centre speed of the fluid cells, in the grid's unit.
double LargestFluidSpeed(const CellGrid& g);

// The flow through the line from (x0, y0) to (x1, y1), per metre of height
// (m³/s per m): the sum, over the faces between two cells whose centres
// lie on either side of the line (a ghost centre half a cell outside the
// grid standing for the outside), of the solver's face velocity times the
// face's length.  Positive when the air crosses from the left of the line
// to its right, as seen going from the first point to the second.  Built
// from the face velocities the solve balanced, it is conservative: the
// flows through the lines across the openings of a closed room sum to zero.
struct FluxMeasure {
  double flow = 0;       // m³/s per metre of height
  double meanSpeed = 0;  // m/s: the mean of the field's speed along the line's fluid part
  double fluidShare = 0;  // share of the line's length in fluid cells, 0 to 1
};
FluxMeasure MeasureFlux(const AnalysisResult& result, double x0, double y0, double x1, double y1);

// The wind's flow into the grid per metre of height: its speed times the
// width of the grid's inflow side that is open.
double GridInflow(const AnalysisResult& result);

// Speeds over a rectangle, on a lattice of points a quarter cell apart (at
// most 1000 along a side), interpolated as SampleField does; points in
// solid cells or outside the grid do not count.
constexpr double kStillAirShare = 0.2;  // "ar parado": below 20 % of the wind
struct ZoneMeasure {
  int fluidPoints = 0;    // no speeds when 0
  double meanSpeed = 0;   // m/s
  double largestSpeed = 0;  // m/s
  double stillShare = 0;  // share of the fluid points below kStillAirShare of the wind, 0 to 1
};
ZoneMeasure MeasureZone(const AnalysisResult& result, double xmin, double xmax, double ymin,
                        double ymax);

// The read-outs of the three measures, in Portuguese, as the window and the
// batch tool show them.
std::string ProbeText(const FieldSample& sample);
std::string FluxText(const AnalysisResult& result, const FluxMeasure& flux);
std::string ZoneText(const AnalysisResult& result, const ZoneMeasure& zone);

// The cell values the readers above and the exports use; the one place that
// reads a cell's solved velocity.
bool IsFluidCell(const CellGrid& g, int cell);
// The centre velocity of a cell in the grid's frame and unit.
void CellVelocity(const CellGrid& g, int cell, double& u, double& v);
