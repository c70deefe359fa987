// The solved field as files for other programs: a table of the cells (CSV)
// and a structured grid with cell data (VTK legacy format, for ParaView and
// other readers).  Positions are in drawing coordinates, velocities along
// the drawing's axes, speeds in m/s.
#pragma once

#include <cstdio>

#include "flow/analysis.h"

// One line per cell in index order (row by row from the grid's bottom
// left, in its frame) after a header line "x,y,u,v,speed,solid": the
// cell's centre, its velocity and speed, and 1 for a solid cell (whose
// velocity is 0), else 0.  False on a write error.
bool WriteFieldCsv(std::FILE* file, const AnalysisResult& result);

// A STRUCTURED_GRID of the grid's nodes (z = 0) with the cell data
// `velocity` (vectors, z = 0), `speed` and `solid` (1 or 0).  False on a
// write error.
bool WriteFieldVtk(std::FILE* file, const AnalysisResult& result);
