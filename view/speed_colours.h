// The speed colour map on the canvas: the field under the walls and its
// legend in the lower right corner of the canvas.
#pragma once

#include "flow/analysis.h"
#include "toolkit/toolkit.h"

// The colour map of a solved result over its grid, in the world window's
// projection; nothing without a solved field.  The picture of the field is
// kept as a texture until the field changes.
void DrawSpeedColours(const AnalysisResult& result);
// The colour bar with its marks in m/s and percent of the wind, in the
// lower right corner of the canvas's pixels.
void DrawSpeedLegend(tk::Element* canvas, const AnalysisResult& result);
