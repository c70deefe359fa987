// Zoom, pan and scale of the world window.
#include "view/zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "view/pick.h"

namespace {

// The view of a canvas whose context could be made current, else null.
ViewRecord* CurrentView(tk::Element* canvas) {
  ViewRecord* view = ViewFind(canvas);
  if (!view || !tk::GLMakeCurrent(canvas)) return nullptr;
  return view;
}

// Makes `candidate`, grown to the canvas's shape, the view's window.  The
// request may be flat (a fence drawn along a line): the fit gives it height.
// When the fitted window is not usable the view keeps the window and the
// request it had, and false is returned.
bool ApplyWindow(ViewRecord* view, ViewWindow candidate) {
  const ViewWindow requested = view->requestedWindow;
  FitToAspect(view, candidate);
  if (!WindowIsUsable(candidate)) {
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

// Moves the window, and the request with it, by (-dx, -dy): the drawing
// moves by (dx, dy) on the screen.  The way back is forgotten.
bool PanWindow(ViewRecord* view, double dx, double dy) {
  const auto moved = [dx, dy](ViewWindow w) {
    return ViewWindow{w.xmin - dx, w.xmax - dx, w.ymin - dy, w.ymax - dy};
  };
  // The request lies inside the window, so it is usable when the window is.
  const ViewWindow window = moved(view->window), requested = moved(view->requestedWindow);
  if (!WindowIsUsable(window)) return false;
  view->window = window;
  view->requestedWindow = requested;
  SetScrollThumb(view, window);
  WidenScrollRange(view, window);
  ClearWindowStack(view);
  return true;
}

void ShowPannedWindow(ViewRecord* view, double dx, double dy) {
  if (PanWindow(view, dx, dy)) RedrawView(view);
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
  const ViewWindow& w = view->window;
  if (axis == PanAxis::Horizontal)
    ShowPannedWindow(view, (w.xmax - w.xmin) * f, 0);
  else
    ShowPannedWindow(view, 0, (w.ymax - w.ymin) * f);
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

// ---- Interactive view commands ----------------------------------------------

namespace {

constexpr int kClickPixels = 8;  // corners closer than this in x and y are a click

ViewRecord* ViewOf(const PickRequest* request) {
  return static_cast<ViewRecord*>(request->userData);
}

// The projection goes back to the one in force when the command started,
// the view is shown when the command ran to its end (status 1), and the
// command's owner is told how it ended.
void Finish(ViewRecord* view, int status) {
  SetProjection(view->savedProjection);
  if (status == 1) RedrawView(view);
  if (view->finishCallback) view->finishCallback(view->canvas, status);
}

// A pick that did not end with an accepted point: nothing changes.
bool Cancelled(PickRequest* request) {
  if (request->pickStatus == PickAccepted) return false;
  Finish(ViewOf(request), request->pickStatus == PickEndedByCommand ? -1 : 0);
  return true;
}

// The projection becomes the view's window so that the pick converts pixels
// to the world points the user sees; the pick takes the left button only.
PickRequest BeginInteraction(ViewRecord* view, FinishCallback finish, int kind) {
  view->savedProjection = ReadProjectionWindow();
  SetProjection(view->window);
  view->finishCallback = finish;
  PickRequest request;
  request.canvas = view->canvas;
  request.owner = view->clientWord;
  request.pickKind = kind;
  request.echoStyle = 0;
  request.button = 1;
  request.tolerance = 0;
  request.userData = view;
  request.pickStatus = PickAccepted;
  return request;
}

void AdjustFenceCorner(PickRequest* request, double* x, double* y, double) {
  ViewRecord* view = ViewOf(request);
  if (view->fenceAdjust) AdjustFenceAspect(view, view->firstCorner.x, view->firstCorner.y, *x, *y);
}

// The first corner is known: from now on the fence is drawn from it.
void TakeFirstCorner(PickRequest* request) {
  ViewRecord* view = ViewOf(request);
  view->firstCorner = {request->anchor.x, request->anchor.y};
  view->firstCornerPixel = {request->pressPixel.x, request->pressPixel.y};
  if (view->fenceAdjust) request->adjustCallback = AdjustFenceCorner;
  request->echoStyle = EchoFence;
}

void ZoomApply(PickRequest* request) {
  if (Cancelled(request)) return;
  ViewRecord* view = ViewOf(request);
  PickPoint second = view->fenceDrag ? request->releasePoint : request->anchor;
  const PickPixel pixel = view->fenceDrag ? request->releasePixel : request->pressPixel;
  if (view->fenceAdjust)
    AdjustFenceAspect(view, view->firstCorner.x, view->firstCorner.y, second.x, second.y);
  const double x1 = view->firstCorner.x, y1 = view->firstCorner.y;
  ViewWindow fence{std::min(x1, second.x), std::max(x1, second.x), std::min(y1, second.y),
                   std::max(y1, second.y)};
  if (std::abs(pixel.x - view->firstCornerPixel.x) < kClickPixels &&
      std::abs(pixel.y - view->firstCornerPixel.y) < kClickPixels) {
    const double f = RealSetting(view->canvas, "ZOOMFACTOR", 1.2);
    const ViewWindow& w = view->window;
    const double hw = (w.xmax - w.xmin) / 2 / f, hh = (w.ymax - w.ymin) / 2 / f;
    fence = {x1 - hw, x1 + hw, y1 - hh, y1 + hh};
  }
  const ViewWindow before = view->window;
  if (ApplyWindow(view, fence)) {
    view->previousWindows.push_back(before);
    SetScrollThumb(view, view->window);
  }
  Finish(view, 1);
}

void ZoomFirstCorner(PickRequest* request) {
  if (Cancelled(request)) return;
  TakeFirstCorner(request);
  request->acceptCallback = ZoomApply;
  PickStart(*request);
}

void ZoomFenceAnchor(PickRequest* request) { TakeFirstCorner(request); }

void PanApply(PickRequest* request) {
  if (Cancelled(request)) return;
  ViewRecord* view = ViewOf(request);
  const PickPoint second = view->panLineDrag ? request->releasePoint : request->anchor;
  PanWindow(view, second.x - view->firstCorner.x, second.y - view->firstCorner.y);
  Finish(view, 1);
}

void PanAnchor(PickRequest* request) {
  ViewOf(request)->firstCorner = {request->anchor.x, request->anchor.y};
  request->echoStyle = EchoLine;
}

void PanFirstPoint(PickRequest* request) {
  if (Cancelled(request)) return;
  PanAnchor(request);
  request->acceptCallback = PanApply;
  PickStart(*request);
}

// A drag to the right by the window's width doubles the scale; to the left
// the same distance halves it.  A drag that ends further left than that
// would turn the window inside out and changes nothing.
void ScaleApply(PickRequest* request) {
  if (Cancelled(request)) return;
  ViewRecord* view = ViewOf(request);
  const double dx = request->releasePoint.x - request->anchor.x;
  double s = dx / (view->window.xmax - view->window.xmin);
  if (dx < 0) s /= 2;
  s += 1;
  if (s > 0 && ScaleWindow(view, s)) {
    SetScrollRange(view, view->window);
    SetScrollThumb(view, view->window);
    ClearWindowStack(view);
  }
  Finish(view, 1);
}

// Two points by two clicks: `firstPoint` ends the first pick and starts the
// second.  Or, with `drag`, one drag: `anchor` at the press, `apply` at the
// release.
void StartTwoPointPick(ViewRecord* view, FinishCallback finish, bool drag,
                       PickCallback firstPoint, PickCallback anchor, PickCallback apply) {
  PickRequest request = BeginInteraction(view, finish, drag ? PickKindDrag : PickKindPoint);
  request.acceptCallback = drag ? anchor : firstPoint;
  if (drag) request.releaseCallback = apply;
  PickStart(request);
}

}  // namespace

void AdjustFenceAspect(const ViewRecord* view, double x0, double y0, double& x, double& y) {
  const double dx = std::fabs(x - x0), dy = std::fabs(y - y0);
  if (dx == 0 || dy == 0 || view->viewportWidth <= 0 || view->viewportHeight <= 0) return;
  const double r = double(view->viewportHeight) / double(view->viewportWidth);
  const double d = view->distortion;
  if (d * dy > r * dx)
    x = x > x0 ? x0 + d * dy / r : x0 - d * dy / r;
  else
    y = y > y0 ? y0 + r * dx / d : y0 - r * dx / d;
}

void ZoomWindowStart(tk::Element* canvas, FinishCallback finish) {
  ViewRecord* view = CurrentView(canvas);
  if (!view) return;
  view->fenceAdjust = FlagSetting(canvas, "ZOOMFENCE_ADJUST");
  view->fenceDrag = FlagSetting(canvas, "ZOOMFENCE_DRAG");
  StartTwoPointPick(view, finish, view->fenceDrag, ZoomFirstCorner, ZoomFenceAnchor, ZoomApply);
}

void PanStart(tk::Element* canvas, FinishCallback finish) {
  ViewRecord* view = CurrentView(canvas);
  if (!view) return;
  view->panLineDrag = FlagSetting(canvas, "PANLINE_DRAG");
  StartTwoPointPick(view, finish, view->panLineDrag, PanFirstPoint, PanAnchor, PanApply);
}

void ScaleStart(tk::Element* canvas, FinishCallback finish) {
  ViewRecord* view = CurrentView(canvas);
  if (!view) return;
  PickRequest request = BeginInteraction(view, finish, PickKindDrag);
  request.releaseCallback = ScaleApply;
  PickStart(request);
}
