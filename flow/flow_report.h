// Text and picture output of an analysis, for the batch tool: the dump of
// the grid, the solved cells and the streamlines, and an SVG of what the
// canvas shows after "Calcular".
#pragma once

#include <cstdio>

// Writes the dump; false on a write error.
bool WriteFlowDump(std::FILE* file);

constexpr int kPictureWidth = 1000;
constexpr double kPictureFitFactor = 1.10;
// Writes the picture framed as fitting the view frames the drawing, on a
// canvas kPictureWidth pixels wide; false on a write error.
bool WriteFlowPicture(std::FILE* file);
