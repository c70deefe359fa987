// The speed colour map: each fluid point coloured by its speed on a
// perceptually uniform scale (viridis) from 0 to nearly the largest speed,
// solid cells white; and the legend that reads it back in m/s and in
// percent of the wind.  Shared by the canvas and the batch tool's pictures.
#pragma once

#include <string>
#include <vector>

#include "flow/analysis.h"

struct Rgb {
  unsigned char r, g, b;
};

// The colour of a fraction of the scale, 0 to 1 (clamped).
Rgb ViridisColour(double fraction);

// The field over the grid's rectangle in its own frame: `samplesPerCell`
// pixels along each side of a cell, rows from the bottom (ymin) up, each
// pixel the colour of the speed interpolated at its centre, white in
// solid cells.  Empty without a solved field.
struct SpeedRaster {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // width × height, bottom row first
};
// Enough pixels per cell for a smooth picture, the larger side at most
// about 1024 pixels.
int RasterSamplesPerCell(const CellGrid& g);
SpeedRaster MakeSpeedRaster(const AnalysisResult& result, int samplesPerCell);

// The speed at the top of the scale: the 99th percentile of the fluid
// cells' speeds.  Beside the end of a thin wall the speed of a potential
// flow grows without bound as the grid is refined; scaled to the largest
// speed, a fine grid's map would be one dark colour but for a few cells.
// Faster cells take the top colour.
double ColourScaleTop(const CellGrid& g);

// The legend's marks, bottom (0 m/s) to top (ColourScaleTop): where each
// sits on the bar, 0 to 1, and its text, "1.23 m/s  85 %"; the top one
// reads "> 1.23 m/s  85 %" when faster cells exist (the canvas font has
// no sign for at least).
struct LegendMark {
  double fraction;
  std::string text;
};
constexpr const char* kLegendTitle = "Velocidade";
std::vector<LegendMark> SpeedLegend(const AnalysisResult& result);

// A value that changes with any change of the coloured field (the grid, its
// frame, cell types and velocities), to tell whether a picture of it is
// still current.
unsigned long long SpeedFieldSignature(const AnalysisResult& result);
