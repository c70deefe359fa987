// OpenGL drawing of a flow result, called by the scene redraw after the
// drawing's entities: the streamlines, then the wind arrows.  Both draw
// nothing when the result has no grid.
#pragma once

#include "flow/analysis.h"

// Red polylines, each starting with a red dot at its seed.
void DrawStreamlines(const AnalysisResult& result);
// A red arrow for the prescribed wind of every boundary cell that has one.
void DrawBoundaryArrows(const CellGrid& g);
void DrawBoundaryArrow(const CellGrid& g, int cell, int type, double degreesToRadians,
                       double shaftScale, double headLength);
// The streamlines (unless `streamlines` is false) and the arrows of the
// result, in that order, turned from the grid's frame into the drawing's.
void DrawFlowResult(const AnalysisResult& result, bool streamlines = true);

// Makes the model-view matrix take the frame's grid coordinates to the
// drawing's, until PopGridFrame; a west wind changes nothing.
void PushGridFrame(const WindFrame& frame);
void PopGridFrame(const WindFrame& frame);
