// Zoom, pan and scale of the world window.
#include "view/zoom.h"

#include <algorithm>
#include <cmath>

namespace {

// The view of a canvas whose context could be made current, else null.
ViewRecord* CurrentView(tk::Element* canvas) {
  ViewRecord* view = ViewFind(canvas);
  if (!view || !tk::GLMakeCurrent(canvas)) return nullptr;
  return view;
}

// Makes `candidate`, grown to the canvas's shape, the view's window.  When
// the request or its fitted form is not usable the view keeps the window and
// the request it had, and false is returned.
bool ApplyWindow(ViewRecord* view, ViewWindow candidate) {
  const ViewWindow requested = view->requestedWindow;
  FitToAspect(view, candidate);
  if (!WindowIsUsable(view->requestedWindow) || !WindowIsUsable(candidate)) {
    view->requestedWindow = requested;
    return false;
  }
  view->window = candidate;
  return true;
}

// The window scaled about its centre by 1 / s.
bool ScaleWindow(ViewRecord* view, double s) {
  return ApplyWindow(view, GrownAboutCentre(view->window, 1 / s, 1 / s));
}

// After a scale that starts a new history: new scroll range, no way back.
void ShowRescaledWindow(ViewRecord* view) {
  SetScrollRange(view, view->window);
  SetScrollThumb(view, view->window);
  ClearWindowStack(view);
  RedrawView(view);
}

// The canvas's height over its width, or 0 while its size is unknown.
double CanvasShape(const ViewRecord* view) {
  if (view->viewportWidth <= 0 || view->viewportHeight <= 0) return 0;
  return double(view->viewportHeight) / double(view->viewportWidth);
}

ViewWindow CentredWindow(const ViewWindow& about, double width, double height) {
  const double cx = (about.xmin + about.xmax) * 0.5, cy = (about.ymin + about.ymax) * 0.5;
  return {cx - width * 0.5, cx + width * 0.5, cy - height * 0.5, cy + height * 0.5};
}

void SetSize(tk::Element* canvas, double width, double height) {
  ViewRecord* view = CurrentView(canvas);
  if (!view || !ApplyWindow(view, CentredWindow(view->window, width, height))) return;
  ShowRescaledWindow(view);
}

// Whether the window already shows more than 50 times the drawing's larger
// half-extent, so that the dial must not zoom out any further.
bool BeyondZoomOutLimit(ViewRecord* view) {
  ViewWindow d{};
  if (!view->extentsCallback ||
      !view->extentsCallback(view->canvas, d.xmin, d.xmax, d.ymin, d.ymax))
    return false;
  const double m = 50 * std::max((d.xmax - d.xmin) * 0.5, (d.ymax - d.ymin) * 0.5);
  const ViewWindow& w = view->window;
  return (w.xmax - w.xmin) * 0.5 > m || (w.ymax - w.ymin) * 0.5 > m;
}

}  // namespace

void ZoomStep(tk::Element* canvas, bool in) {
  ViewRecord* view = CurrentView(canvas);
  if (!view) return;
  const double f = RealSetting(canvas, "ZOOMFACTOR", 1.2);
  const ViewWindow before = view->window;
  if (!ScaleWindow(view, in ? f : 1 / f)) return;
  view->previousWindows.push_back(before);
  SetScrollThumb(view, view->window);
  if (!in) WidenScrollRange(view, view->window);
  RedrawView(view);
}

void PreviousZoom(tk::Element* canvas) {
  ViewRecord* view = CurrentView(canvas);
  if (!view || view->previousWindows.empty()) return;
  view->window = view->previousWindows.back();
  view->previousWindows.pop_back();
  FitToAspect(view, view->window);
  SetScrollThumb(view, view->window);
  RedrawView(view);
}

void PanStep(tk::Element* canvas, PanAxis axis, double f) {
  ViewRecord* view = CurrentView(canvas);
  if (!view) return;
  ViewWindow window = view->window, requested = view->requestedWindow;
  if (axis == PanAxis::Horizontal) {
    const double d = (window.xmax - window.xmin) * f;
    window.xmin -= d;
    window.xmax -= d;
    requested.xmin -= d;
    requested.xmax -= d;
  } else {
    const double d = (window.ymax - window.ymin) * f;
    window.ymin -= d;
    window.ymax -= d;
    requested.ymin -= d;
    requested.ymax -= d;
  }
  if (!WindowIsUsable(window) || !WindowIsUsable(requested)) return;
  view->window = window;
  view->requestedWindow = requested;
  SetScrollThumb(view, window);
  WidenScrollRange(view, window);
  ClearWindowStack(view);
  RedrawView(view);
}

void DialZoom(tk::Element* canvas, double a) {
  ViewRecord* view = CurrentView(canvas);
  const double s = a + 1;
  if (!view || !(s > 0) || !std::isfinite(s)) return;
  if (a < 0 && BeyondZoomOutLimit(view)) return;
  if (!ScaleWindow(view, s)) return;
  ShowRescaledWindow(view);
}

void SetHorizontalSize(tk::Element* canvas, double width) {
  ViewRecord* view = ViewFind(canvas);
  const double w = std::fabs(width);
  if (!view || w == 0 || CanvasShape(view) == 0) return;
  SetSize(canvas, w, CanvasShape(view) * w / view->distortion);
}

void SetVerticalSize(tk::Element* canvas, double height) {
  ViewRecord* view = ViewFind(canvas);
  const double h = std::fabs(height);
  if (!view || h == 0 || CanvasShape(view) == 0) return;
  SetSize(canvas, h * view->distortion / CanvasShape(view), h);
}
