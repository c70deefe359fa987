// OpenGL drawing of the flow results, called by the scene redraw after the
// drawing's entities: the streamlines, then the wind arrows.  Both draw
// nothing when there is no grid.
#pragma once

// Red polylines, each starting with a red dot at its seed.
void DrawStreamlines();
// A red arrow for the prescribed wind of every boundary cell that has one.
void DrawBoundaryArrows();
void DrawBoundaryArrow(int cell, int type, double degreesToRadians, double shaftScale,
                       double headLength);
