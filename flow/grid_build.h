// Building the cell grid over the drawing: the wind prescribed on the outer
// ring, the cells crossed by walls made solid and the fluid cells beside
// them re-typed so that their wall faces are closed.
#pragma once

// 25 × the larger side of the grid extent: the x velocity prescribed on the
// west and east sides.
extern double inflowSpeed;

// The largest side of a grid extent the analysis takes.  The potential
// grows like 25 × L² and the solver's sums like L² × cells²; far below
// this they stay well inside the range of doubles.
constexpr double kLargestExtent = 1e100;

// Whether a grid of columns × rows cells can be laid over an extent.
enum class ExtentCheck {
  Usable,
  NoArea,     // zero width or zero height: cells would have no size
  NotFinite,  // infinite or undefined coordinates, or larger than kLargestExtent
  Collapsed,  // so far from the origin that adding a cell size leaves a node in place
};
ExtentCheck CheckGridExtent(double xmin, double xmax, double ymin, double ymax, int columns,
                            int rows);

void BuildGrid(double xmin, double xmax, double ymin, double ymax, int columns, int rows);
void SetBoundaryValues();
void ComputeBoundaryDirection(int cell);
// Marks every cell crossed by the drawn long edge of each wall as solid.
void MarkDrawingSolid();
void MarkSegmentSolid(double x0, double y0, double x1, double y1);
void ClassifyWallCells();

// Keeps the larger magnitude / the smaller magnitude of a running statistic.
void UpdateMaximum(double& maximum, double value);
void UpdateMinimum(double& minimum, double value);
