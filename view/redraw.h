// The OpenGL state of the drawing canvas and the redraw of its scene.
#pragma once

#include "toolkit/toolkit.h"

// Run once with the canvas's context current, before the first window is set.
void SetupCanvasGL();
// The canvas's drawing area in pixels ("DRAWSIZE", "WxH"); outputs may be null
// and are left alone when the attribute cannot be read.
void ReadDrawSize(tk::Element* canvas, int* width, int* height);
// The view's redraw: clears, sets the projection of the window and draws the
// walls, their selection marks, the flow result and the grid points, then
// shows the frame.
void RedrawScene(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax);
// The grid nodes in view, unless they would be closer than five pixels.
void DrawGridPoints(tk::Element* canvas);
