// The OpenGL state of the drawing canvas and the redraw of its scene.
#pragma once

#include <vector>

#include "flow/analysis.h"
#include "flow/colour_map.h"
#include "model/drawing.h"
#include "toolkit/toolkit.h"

// Run once with the canvas's context current, before the first window is set.
void SetupCanvasGL();
// The canvas's drawing area in pixels ("DRAWSIZE", "WxH"); outputs may be null
// and are left alone when the attribute cannot be read.
void ReadDrawSize(tk::Element* canvas, int* width, int* height);
// Which pictures of a flow result the canvas shows: the streamlines, the
// speed colour map with its legend, or both.  The wind arrows always show.
enum class FlowLayers { Streamlines, Colours, Both };

// What a redraw shows: the entities with their selection marks, the flow
// result and, when the settings show it, the grid.
struct Scene {
  const EntityList& entities;
  const DrawingSettings& settings;
  const AnalysisResult& result;
  FlowLayers layers = FlowLayers::Streamlines;

  bool ShowsColours() const { return layers != FlowLayers::Streamlines; }
  bool ShowsStreamlines() const { return layers != FlowLayers::Colours; }
};
// The view's redraw: clears, sets the projection of the window and draws the
// colour map, the walls, their selection marks, the flow result, the grid
// points and the colour map's legend, then shows the frame.
void RedrawScene(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax,
                 const Scene& scene);
// Redraws the canvas and reads the frame shown back: width × height
// pixels, top row first; false when the canvas is not shown.
bool ReadCanvasPicture(tk::Element* canvas, std::vector<Rgb>& topFirst, int& width, int& height);
// The grid nodes of the settings' steps in view, unless they would be
// closer than five pixels.
void DrawGridPoints(tk::Element* canvas, const DrawingSettings& settings);
