// The view of a canvas: its world window, fitted to the canvas's shape, and
// the scrollbars that show where that window lies in world units.
#include "view/view.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "view/redraw.h"

std::vector<std::unique_ptr<ViewRecord>> viewList;
bool viewResized = false;

namespace {

enum ScrollText { kXmin, kXmax, kYmin, kYmax, kDx, kDy, kPosx, kPosy };
const char* const kScrollNames[] = {"XMIN", "XMAX", "YMIN", "YMAX", "DX", "DY", "POSX", "POSY"};

// Scroll values go to the canvas with six decimals, as the toolkit's
// scrollbars read them back.
void SetScrollText(ViewRecord* view, ScrollText which, double value) {
  view->scrollTexts[which] = std::to_string(value);
  tk::SetAttribute(view->canvas, kScrollNames[which], view->scrollTexts[which]);
}

double GetScrollValue(ViewRecord* view, ScrollText which) {
  return tk::GetFloat(view->canvas, kScrollNames[which]);
}

// Beyond this the single-precision OpenGL matrices lose the window.
constexpr double kLargestCoordinate = 1e30;
// A side shorter than this fraction of the coordinates' size leaves too few
// distinct doubles across the canvas's pixels.
constexpr double kShortestRelativeSide = 1e-12;

bool SideIsUsable(double low, double high) {
  if (!std::isfinite(low) || !std::isfinite(high)) return false;
  const double size = std::max(std::fabs(low), std::fabs(high));
  return size <= kLargestCoordinate && high - low > size * kShortestRelativeSide;
}

}  // namespace

double RealSetting(tk::Element* canvas, const char* name, double fallback) {
  return tk::HasAttribute(canvas, name) ? tk::GetFloat(canvas, name) : fallback;
}

bool FlagSetting(tk::Element* canvas, const char* name) {
  return tk::GetAttribute(canvas, name) == "YES";
}

ViewWindow GrownAboutCentre(const ViewWindow& w, double fx, double fy) {
  const double cx = (w.xmin + w.xmax) * 0.5, cy = (w.ymin + w.ymax) * 0.5;
  const double hw = (w.xmax - w.xmin) * 0.5 * fx, hh = (w.ymax - w.ymin) * 0.5 * fy;
  return {cx - hw, cx + hw, cy - hh, cy + hh};
}

bool WindowIsUsable(const ViewWindow& w) {
  return SideIsUsable(w.xmin, w.xmax) && SideIsUsable(w.ymin, w.ymax);
}

// ---- Records -------------------------------------------------------------------

int ViewCreate(tk::Element* canvas, int clientWord) {
  tk::GLMakeCurrent(canvas);
  viewList.erase(std::remove_if(viewList.begin(), viewList.end(),
                                [canvas](const std::unique_ptr<ViewRecord>& v) {
                                  return v->canvas == canvas;
                                }),
                 viewList.end());
  std::unique_ptr<ViewRecord> view(new (std::nothrow) ViewRecord);
  if (!view) return 0;
  view->canvas = canvas;
  view->clientWord = clientWord;
  // Until the first resize reports the size, take the drawing area's size,
  // so that windows set at start-up already have the canvas's shape.
  ReadDrawSize(canvas, &view->viewportWidth, &view->viewportHeight);
  viewList.insert(viewList.begin(), std::move(view));
  return 1;
}

ViewRecord* ViewFind(tk::Element* canvas) {
  for (auto& view : viewList)
    if (view->canvas == canvas) return view.get();
  return nullptr;
}

void ViewSetCallbacks(tk::Element* canvas, RedrawCallback redraw, ExtentsCallback extents) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  view->redrawCallback = std::move(redraw);
  view->extentsCallback = std::move(extents);
}

void RedrawView(ViewRecord* view) {
  if (!view->redrawCallback || !tk::GLMakeCurrent(view->canvas)) return;
  const ViewWindow& w = view->window;
  view->redrawCallback(view->canvas, w.xmin, w.xmax, w.ymin, w.ymax);
  glFlush();
}

// ---- Window -------------------------------------------------------------------------

// Grows the window about its centre until it has the canvas's shape, taking
// the vertical distortion into account; it never shrinks.
void FitToAspect(ViewRecord* view, ViewWindow& window) {
  view->requestedWindow = window;
  if (view->viewportWidth <= 0 || view->viewportHeight <= 0) return;  // shape not known yet
  const double r = double(view->viewportHeight) / double(view->viewportWidth);
  double w = window.xmax - window.xmin;
  double h = window.ymax - window.ymin;
  const double d = view->distortion;
  const double cx = (window.xmin + window.xmax) * 0.5;
  const double cy = (window.ymin + window.ymax) * 0.5;
  if (d * h > w * r) {
    w = d * h / r;
  } else {
    h = w * r / d;
  }
  window = {cx - w * 0.5, cx + w * 0.5, cy - h * 0.5, cy + h * 0.5};
}

void SetScrollRange(ViewRecord* view, const ViewWindow& window) {
  const double hf = RealSetting(view->canvas, "HLIMITFACTOR", 3.0);
  const double vf = RealSetting(view->canvas, "VLIMITFACTOR", 3.0);
  const ViewWindow range = GrownAboutCentre(window, hf, vf);
  SetScrollText(view, kXmin, range.xmin);
  SetScrollText(view, kXmax, range.xmax);
  SetScrollText(view, kYmin, range.ymin);
  SetScrollText(view, kYmax, range.ymax);
}

// The vertical position counts down from the top of the range.
void SetScrollThumb(ViewRecord* view, const ViewWindow& window) {
  const double ymin = GetScrollValue(view, kYmin), ymax = GetScrollValue(view, kYmax);
  SetScrollText(view, kDx, window.xmax - window.xmin);
  SetScrollText(view, kDy, window.ymax - window.ymin);
  SetScrollText(view, kPosx, window.xmin);
  SetScrollText(view, kPosy, ymin + ymax - window.ymax);
}

void WidenScrollRange(ViewRecord* view, const ViewWindow& window) {
  const double xmin = GetScrollValue(view, kXmin), xmax = GetScrollValue(view, kXmax);
  const double ymin = GetScrollValue(view, kYmin), ymax = GetScrollValue(view, kYmax);
  SetScrollText(view, kXmin, std::min(xmin, window.xmin));
  SetScrollText(view, kXmax, std::max(xmax, window.xmax));
  SetScrollText(view, kYmin, std::min(ymin, window.ymin));
  SetScrollText(view, kYmax, std::max(ymax, window.ymax));
}

void PushWindow(ViewRecord* view) { view->previousWindows.push_back(view->window); }

void ClearWindowStack(ViewRecord* view) { view->previousWindows.clear(); }

// The drawing's extents (or 0..10 when it is empty) with a margin of
// FITFACTOR, grown to the canvas's shape.  No redraw.
void FitToDrawing(tk::Element* canvas) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  tk::GLMakeCurrent(canvas);
  ViewWindow extents{0, 10, 0, 10};
  ViewWindow found{};
  if (view->extentsCallback &&
      view->extentsCallback(canvas, found.xmin, found.xmax, found.ymin, found.ymax))
    extents = found;
  const double f = RealSetting(canvas, "FITFACTOR", 1.15);
  view->window = GrownAboutCentre(extents, f, f);
  FitToAspect(view, view->window);
  SetScrollRange(view, view->window);
  SetScrollThumb(view, view->window);
  ClearWindowStack(view);
}

void ViewFit(tk::Element* canvas) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  FitToDrawing(canvas);
  RedrawView(view);
}

// An empty, inverted or non-finite window is ignored.
void ViewSetWindow(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax) {
  ViewRecord* view = ViewFind(canvas);
  if (!view || !WindowIsUsable({xmin, xmax, ymin, ymax})) return;
  tk::GLMakeCurrent(canvas);
  view->window = {xmin, xmax, ymin, ymax};
  FitToAspect(view, view->window);
  SetScrollThumb(view, view->window);
  WidenScrollRange(view, view->window);
  ClearWindowStack(view);
  RedrawView(view);
}

void ViewGetWindow(tk::Element* canvas, double* xmin, double* xmax, double* ymin, double* ymax) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  if (xmin) *xmin = view->window.xmin;
  if (xmax) *xmax = view->window.xmax;
  if (ymin) *ymin = view->window.ymin;
  if (ymax) *ymax = view->window.ymax;
}

void ViewGetSize(tk::Element* canvas, double* width, double* height) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  if (width) *width = view->window.xmax - view->window.xmin;
  if (height) *height = view->window.ymax - view->window.ymin;
}

void ViewSetDistortion(tk::Element* canvas, double distortion) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  view->distortion = distortion;
  ViewFit(canvas);
}

void ViewGetDistortion(tk::Element* canvas, double* distortion) {
  ViewRecord* view = ViewFind(canvas);
  if (view && distortion) *distortion = view->distortion;
}

// Records the new size; the canvas action that follows every resize shows
// the requested window again in the new shape.
void ViewResize(tk::Element* canvas, int width, int height) {
  ViewRecord* view = ViewFind(canvas);
  if (!view) return;
  view->resizeAdjust = FlagSetting(canvas, "WINDOWRESIZE_ADJUST");
  if (view->resizeAdjust && view->viewportWidth > 0 && view->viewportHeight > 0) {
    // Keep the world scale and the lower left corner.
    ViewWindow& w = view->window;
    w.xmax = w.xmin + (w.xmax - w.xmin) * width / view->viewportWidth;
    w.ymax = w.ymin + (w.ymax - w.ymin) * height / view->viewportHeight;
    view->requestedWindow = w;
  }
  view->viewportWidth = width;
  view->viewportHeight = height;
  viewResized = true;
  if (tk::GLMakeCurrent(canvas)) glViewport(0, 0, width, height);
}

// Expose, scroll and the end of a resize.  A scroll takes the window from
// the scrollbars; after a resize the requested window comes back.
void ViewCanvasAction(tk::Element* canvas, double posx, double posy) {
  const bool scrollbar = FlagSetting(canvas, "SCROLLBAR");
  const bool horizontal = scrollbar || FlagSetting(canvas, "HORIZONTAL") ||
                          FlagSetting(canvas, "SBH");
  const bool vertical = scrollbar || FlagSetting(canvas, "VERTICAL") ||
                        FlagSetting(canvas, "SBV");
  ViewRecord* view = ViewFind(canvas);
  if (!view || !tk::GLMakeCurrent(canvas)) return;

  ViewWindow& w = view->window;
  const ViewWindow requested = view->requestedWindow;
  if (viewResized || !horizontal) {
    w.xmin = requested.xmin;
    w.xmax = requested.xmax;
  } else {
    w.xmin = posx;
    w.xmax = posx + GetScrollValue(view, kDx);
  }
  if (viewResized || !vertical) {
    w.ymin = requested.ymin;
    w.ymax = requested.ymax;
  } else {
    w.ymax = GetScrollValue(view, kYmin) + GetScrollValue(view, kYmax) - posy;
    w.ymin = w.ymax - GetScrollValue(view, kDy);
  }
  if (viewResized) {
    SetScrollThumb(view, w);
    WidenScrollRange(view, w);
    if (!view->resizeAdjust) FitToAspect(view, w);
    viewResized = false;
  } else {
    FitToAspect(view, w);
  }
  RedrawView(view);
}

void ViewRedisplay(tk::Element* canvas) {
  if (ViewRecord* view = ViewFind(canvas)) RedrawView(view);
}

// ---- OpenGL ------------------------------------------------------------------------

void SetProjection(const ViewWindow& window) {
  SetProjection(window.xmin, window.xmax, window.ymin, window.ymax);
}

void SetProjection(double xmin, double xmax, double ymin, double ymax) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(xmin, xmax, ymin, ymax);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

ViewWindow ReadProjectionWindow() {
  GLdouble m[16];
  glGetDoublev(GL_PROJECTION_MATRIX, m);
  return {-(m[12] + 1) / m[0], (1 - m[12]) / m[0], -(m[13] + 1) / m[5], (1 - m[13]) / m[5]};
}

namespace {

struct Matrices {
  GLdouble model[16];
  GLdouble projection[16];
  GLint viewport[4];
  Matrices() {
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
  }
};

}  // namespace

void WorldToPixel(double x, double y, int& px, int& py) {
  const Matrices m;
  GLdouble wx = 0, wy = 0, wz = 0;
  gluProject(x, y, 0.0, m.model, m.projection, m.viewport, &wx, &wy, &wz);
  px = static_cast<int>(wx);
  py = static_cast<int>(wy);
}

void PixelToWorld(int px, int py, double& x, double& y) {
  const Matrices m;
  GLdouble wx = 0, wy = 0, wz = 0;
  gluUnProject(px, py, 1.0, m.model, m.projection, m.viewport, &wx, &wy, &wz);
  x = wx;
  y = wy;
}

void PushPixelProjection(const int viewport[4]) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void PopPixelProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

int FlipY(int y) {
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  return viewport[3] - y;
}
