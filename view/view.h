// The world window shown on an OpenGL canvas: per canvas the window the user
// asked for, the window displayed (grown to the canvas's shape), a stack of
// earlier windows and the scrollbars in world units, plus the conversions
// between world coordinates and canvas pixels.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

// A world window, always xmin, xmax, ymin, ymax.
struct ViewWindow {
  double xmin, xmax, ymin, ymax;
};

// Draws the scene in the given window; its owner decides what it shows.
using RedrawCallback =
    std::function<void(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax)>;
// Nonzero when the drawing has extents.
using ExtentsCallback = std::function<int(tk::Element* canvas, double& xmin, double& xmax,
                                          double& ymin, double& ymax)>;
// Told how an interactive view command ended: 1 applied, 0 cancelled by the
// user, -1 ended by another command.
using FinishCallback = void (*)(tk::Element* canvas, int status);

struct ViewRecord {
  tk::Element* canvas = nullptr;
  int clientWord = 0;
  int viewportWidth = 0;   // pixels; 0 until known
  int viewportHeight = 0;
  double distortion = 1.0;
  bool resizeAdjust = false;
  bool fenceAdjust = false;
  bool fenceDrag = false;
  bool panLineDrag = false;
  struct {
    double x = 0, y = 0;
  } firstCorner;  // world point of a zoom fence's first corner or a pan's start
  struct {
    int x = 0, y = 0;
  } firstCornerPixel;  // the same in canvas pixels, bottom-up
  std::vector<ViewWindow> previousWindows;  // newest last
  ViewWindow window{-1, 11, -1, 11};
  ViewWindow requestedWindow{-1, 11, -1, 11};
  ViewWindow savedProjection{-1, 11, -1, 11};
  // Last values written to XMIN, XMAX, YMIN, YMAX, DX, DY, POSX, POSY.
  std::string scrollTexts[8];
  RedrawCallback redrawCallback;
  ExtentsCallback extentsCallback;
  FinishCallback finishCallback = nullptr;
};

// Newest first.
extern std::vector<std::unique_ptr<ViewRecord>> viewList;
// Set by ViewResize, cleared by the next ViewCanvasAction.
extern bool viewResized;

// ---- Operations on a canvas; each does nothing when the canvas has no view --
int ViewCreate(tk::Element* canvas, int clientWord);
ViewRecord* ViewFind(tk::Element* canvas);
void ViewSetCallbacks(tk::Element* canvas, RedrawCallback redraw, ExtentsCallback extents = {});
void FitToDrawing(tk::Element* canvas);
void ViewFit(tk::Element* canvas);
void ViewSetWindow(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax);
// Any output may be null.
void ViewGetWindow(tk::Element* canvas, double* xmin, double* xmax, double* ymin, double* ymax);
void ViewGetSize(tk::Element* canvas, double* width, double* height);
void ViewSetDistortion(tk::Element* canvas, double distortion);
void ViewGetDistortion(tk::Element* canvas, double* distortion);
void ViewResize(tk::Element* canvas, int width, int height);
void ViewCanvasAction(tk::Element* canvas, double posx, double posy);
void ViewRedisplay(tk::Element* canvas);

// ---- Steps shared with the zoom and pan commands ---------------------------
// A canvas setting: a real read through the toolkit, or `fallback` when the
// canvas does not hold it; a flag is on only when it is exactly "YES".
double RealSetting(tk::Element* canvas, const char* name, double fallback);
bool FlagSetting(tk::Element* canvas, const char* name);
// The window with its half-width times fx and its half-height times fy,
// about its centre.
ViewWindow GrownAboutCentre(const ViewWindow& window, double fx, double fy);
// A window the view can show: finite, not empty and not inverted, with
// sides long enough that its pixels still map to distinct world points and
// coordinates small enough for OpenGL's single-precision matrices.
bool WindowIsUsable(const ViewWindow& window);
void FitToAspect(ViewRecord* view, ViewWindow& window);
void SetScrollRange(ViewRecord* view, const ViewWindow& window);
void SetScrollThumb(ViewRecord* view, const ViewWindow& window);
void WidenScrollRange(ViewRecord* view, const ViewWindow& window);
void PushWindow(ViewRecord* view);
void ClearWindowStack(ViewRecord* view);
// Calls the view's redraw callback with its window, then flushes OpenGL.
void RedrawView(ViewRecord* view);

// ---- OpenGL projection and pixel conversions --------------------------------
void SetProjection(const ViewWindow& window);
void SetProjection(double xmin, double xmax, double ymin, double ymax);
ViewWindow ReadProjectionWindow();
// Drawing in the viewport's pixels, from its lower left corner, between a
// push and its pop: both matrices are kept and set for pixels in between.
void PushPixelProjection(const int viewport[4]);
void PopPixelProjection();
// Pixels count from the lower left corner.
void WorldToPixel(double x, double y, int& px, int& py);
void PixelToWorld(int px, int py, double& x, double& y);
// The toolkit's y (down from the top) as OpenGL's y (up from the bottom).
int FlipY(int y);
