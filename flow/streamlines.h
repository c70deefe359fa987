// Streamlines: traced from the west edge of the grid by fourth-order
// Runge-Kutta integration of the node velocities, interpolated bilinearly
// inside each cell, then refined by inserting streamlines half-way between
// neighbours that lie too far apart.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

struct StreamPoint {
  double x, y;
};

struct Streamline {
  std::vector<StreamPoint> points;  // never empty: the seed comes first
};

// Appending keeps references to the streamlines already in the list valid,
// which refinement relies on while it adds streamlines.
using StreamlineList = std::deque<Streamline>;
extern StreamlineList streamlines;

void ClearStreamlines();
void SeedStreamlines();
void TraceStreamline(Streamline& line);
// The velocity at (x, y) and the cell holding it, or -1 (u and v unchanged)
// outside the grid or in a solid cell.
int InterpolateVelocity(double x, double y, double& u, double& v);
// How far B lies above A at most, over x positions half a cell apart where
// no wall separates them; -1.0 when there is no such position.
double StreamlineGap(const Streamline& a, const Streamline& b);
void RefineStreamlines(double gap, Streamline& a, Streamline& b);
void AppendStreamPoint(Streamline& line, double x, double y);
// A streamline ends once it holds this many points: 20 × (columns + rows).
// Near a stagnation point the steps shrink without ending the trace.
std::size_t StreamlinePointLimit();

// Clears the list, and on a grid seeds, traces and refines the streamlines.
void ComputeStreamlines();
