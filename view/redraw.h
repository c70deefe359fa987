// The OpenGL state of the drawing canvas and the redraw of its scene.
#pragma once

#include "flow/analysis.h"
#include "model/drawing.h"
#include "toolkit/toolkit.h"

// Run once with the canvas's context current, before the first window is set.
void SetupCanvasGL();
// The canvas's drawing area in pixels ("DRAWSIZE", "WxH"); outputs may be null
// and are left alone when the attribute cannot be read.
void ReadDrawSize(tk::Element* canvas, int* width, int* height);
// What a redraw shows: the entities with their selection marks, the flow
// result and, when the settings show it, the grid.
struct Scene {
  const EntityList& entities;
  const DrawingSettings& settings;
  const AnalysisResult& result;
};
// The view's redraw: clears, sets the projection of the window and draws the
// walls, their selection marks, the flow result and the grid points, then
// shows the frame.
void RedrawScene(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax,
                 const Scene& scene);
// The grid nodes of the settings' steps in view, unless they would be
// closer than five pixels.
void DrawGridPoints(tk::Element* canvas, const DrawingSettings& settings);
