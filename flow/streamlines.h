// Streamlines: traced from the west edge of the grid by fourth-order
// Runge-Kutta integration of the node velocities, interpolated bilinearly
// inside each cell, then refined by inserting streamlines half-way between
// neighbours that lie too far apart.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "flow/cell_grid.h"

struct AnalysisResult;
class ProgressPoints;

struct StreamPoint {
  double x, y;
};

struct Streamline {
  std::vector<StreamPoint> points;  // never empty: the seed comes first
};

// Appending keeps references to the streamlines already in the list valid,
// which refinement relies on while it adds streamlines.
using StreamlineList = std::deque<Streamline>;

void ClearStreamlines(StreamlineList& streamlines);
// The two first streamlines, at the middle of the bottom and the top cell
// of the west side.
void SeedStreamlines(const CellGrid& g, StreamlineList& streamlines);
// Traces a streamline of the result's list from its seed through the
// result's grid, asking for a redraw after every point.
void TraceStreamline(AnalysisResult& result, Streamline& line, ProgressPoints& progress);
// The velocity at (x, y) and the cell holding it, or -1 (u and v unchanged)
// outside the grid or in a solid cell.
int InterpolateVelocity(const CellGrid& g, double x, double y, double& u, double& v);
// How far B lies above A at most, over x positions half a cell apart where
// no wall separates them; -1.0 when there is no such position.
double StreamlineGap(const CellGrid& g, const Streamline& a, const Streamline& b);

// What the refinement remembers from one streamline it adds to the next:
// whether none was added yet and the half offset of the last.
struct Refinement {
  bool firstRefinement = true;
  double lastHalfOffset = 0;
};
// Adds streamlines half-way between A and B (of the result's list), and
// between each new one and its neighbours, while they lie too far apart.
void RefineStreamlines(AnalysisResult& result, Refinement& refinement, double gap, Streamline& a,
                       Streamline& b, ProgressPoints& progress);
void AppendStreamPoint(Streamline& line, double x, double y);
// A streamline ends once it holds this many points: 20 × (columns + rows).
// Near a stagnation point the steps shrink without ending the trace.
std::size_t StreamlinePointLimit(const CellGrid& g);

// Clears the result's streamlines, and on a grid seeds, traces and refines
// them.
void ComputeStreamlines(AnalysisResult& result, ProgressPoints& progress);
