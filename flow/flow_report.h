// Text and picture output of an analysis, for the batch tool: the dump of
// the grid, the solved cells and the streamlines, and an SVG of what the
// canvas shows after "Calcular".
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "flow/analysis.h"
#include "model/wall.h"

// Writes the dump of the result; false on a write error.
bool WriteFlowDump(std::FILE* file, const AnalysisResult& result);
// The dump as text.
std::string FlowDumpText(const AnalysisResult& result);

constexpr int kPictureWidth = 1000;
constexpr double kPictureFitFactor = 1.10;
// Writes the picture of the walls and the result, framed as fitting the view
// frames the drawing, on a canvas kPictureWidth pixels wide; false on a
// write error.  With `colours`, the speed colour map lies under the walls
// and its legend in the lower right corner.
bool WriteFlowPicture(std::FILE* file, const std::vector<Wall>& walls,
                      const AnalysisResult& result, bool colours = false);
// What `write` writes, as text.
std::string WrittenText(const std::function<bool(std::FILE*)>& write);
// Whether every word of the text that reads as a number reads as a finite
// one.  A value that is not finite is written "inf" or "nan" (signed, at
// times), which no reader takes for a coordinate.
bool NumbersAreFinite(const std::string& text);
