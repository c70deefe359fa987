// The view commands, the size read-outs and the canvas's start-up.
#include <utility>

#include "shell/commands.h"
#include "shell/editing.h"
#include "shell/modes.h"
#include "shell/number_fields.h"
#include "shell/settings_dialogs.h"
#include "view/redraw.h"
#include "view/view.h"
#include "view/zoom.h"

namespace cmd {

namespace {

// The canvas a view command works on: the one its element names.
tk::Element* CanvasOf(const tk::Event& ev) {
  tk::Element* canvas = tk::GetHandle(tk::GetAttribute(ev.element, "PARENTCANVAS"));
  return canvas ? canvas : handles.datascreen;
}


// The shorter side of the canvas spans 10 world units about (5, 5) and the
// window keeps the canvas's shape.
ViewWindow InitialWindow(tk::Element* canvas) {
  int w = 0, h = 0;
  ReadDrawSize(canvas, &w, &h);
  if (w <= 0 || h <= 0) return {0, 10, 0, 10};
  const double r = double(h) / double(w);
  if (r < 1) return {5 - 5 / r, 5 + 5 / r, 0, 10};
  return {0, 10, 5 - 5 * r, 5 + 5 * r};
}

// The interactive commands replace whatever the mouse was doing; ViewDone
// re-arms the mode when they end.
int StartViewInteraction(const tk::Event& ev, const char* prompt,
                         void (*start)(tk::Element*, FinishCallback)) {
  EndPick();
  ShowPrompt(nullptr, prompt);
  start(CanvasOf(ev), ViewDone);
  return tk::kDefault;
}

}  // namespace

void ShowViewSize(tk::Element* canvas) {
  double width = 0, height = 0;
  ViewGetSize(canvas, &width, &height);
  tk::SetfAttribute(handles.htext, "VALUE", "%6.1f", width);
  tk::SetfAttribute(handles.vtext, "VALUE", "%6.1f", height);
}

// The canvas shows the workspace's drawing, with a wall being dragged where
// it is held, and the flow result being computed, or else the last one; the
// view is fitted to the drawing.
void InitCanvas(tk::Element* canvas, Workspace& ws) {
  ViewCreate(canvas, 0);
  const auto redraw = [&ws](tk::Element* c, double xmin, double xmax, double ymin, double ymax) {
    WithDragPreview(ws, [&] {
      RedrawScene(c, xmin, xmax, ymin, ymax,
                  Scene{ws.drawing.entities, ws.drawing.settings, ws.shownResult(), ws.layers});
    });
  };
  const auto extents = [&ws](tk::Element*, double& xmin, double& xmax, double& ymin,
                             double& ymax) {
    return ws.drawing.entities.drawingExtents(xmin, xmax, ymin, ymax) ? 1 : 0;
  };
  ViewSetCallbacks(canvas, redraw, extents);
  FitToDrawing(canvas);
  CreatePickers(canvas, ws);
  ModeActions actions;
  actions.createLine = [&ws](double x0, double y0, double x1, double y1) {
    return CreateLine(ws, x0, y0, x1, y1);
  };
  actions.snap = [&ws](double& x, double& y, bool control) {
    ws.drawing.settings.snapPoint(x, y, control);
  };
  actions.discardFlowResult = [&ws] { ReleaseGridWhenFree(ws); };
  SetStudyActions(actions, ws);
  SetModeActions(std::move(actions));
  tk::GLMakeCurrent(canvas);
  SetupCanvasGL();
  const ViewWindow first = InitialWindow(canvas);
  SetProjection(first);
  ViewSetWindow(canvas, first.xmin, first.xmax, first.ymin, first.ymax);
}

// The view takes the canvas's new shape in the redraw that follows a
// resize; the size read-outs are written after it, so that they show the
// window the canvas shows.
namespace {
bool resizeToShow = false;
}  // namespace

int VisResize(const tk::Event& ev) {
  ViewResize(handles.datascreen, ev.width, ev.height);
  resizeToShow = true;
  return tk::kDefault;
}

int VisRedraw(const tk::Event& ev) {
  ViewCanvasAction(ev.element, ev.posx, ev.posy);
  if (resizeToShow) {
    resizeToShow = false;
    ShowViewSize(ev.element);
  }
  return tk::kDefault;
}

int VisRedisplay(const tk::Event& ev) {
  ViewRedisplay(CanvasOf(ev));
  return tk::kDefault;
}

int VisFit(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  ViewFit(canvas);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int VisDistort(const tk::Event&) {
  shell::VerticalDistortionDialog();
  ShowViewSize(handles.datascreen);
  return tk::kDefault;
}

int VisLimits(const tk::Event&) {
  shell::WindowLimitsDialog();
  ShowViewSize(handles.datascreen);
  return tk::kDefault;
}

int ProjGridStep(const tk::Event&) {
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

int VisZoom(const tk::Event& ev) {
  return StartViewInteraction(ev, "Selecione uma área para ampliar.", ZoomWindowStart);
}

int VisZoomIn(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  ZoomStep(canvas, true);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int VisZoomOut(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  ZoomStep(canvas, false);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int VisPrevZoom(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  PreviousZoom(canvas);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int VisPan(const tk::Event& ev) {
  return StartViewInteraction(ev, "Move the current window drag the mouse.", PanStart);
}

int VisScale(const tk::Event& ev) {
  return StartViewInteraction(ev, "Drag a horizontal line for scaling view.", ScaleStart);
}

// The dial reports the angle turned since its press on every movement, and
// each report scales the window once more.
int ScaleDialChange(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  DialZoom(canvas, ev.angle * 0.2);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int HsizeSet(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  double width = 0;
  if (shell::ReadFinitePositive(ev.element, width)) SetHorizontalSize(canvas, width);
  ShowViewSize(canvas);
  return tk::kDefault;
}

int VsizeSet(const tk::Event& ev) {
  tk::Element* canvas = CanvasOf(ev);
  double height = 0;
  if (shell::ReadFinitePositive(ev.element, height)) SetVerticalSize(canvas, height);
  ShowViewSize(canvas);
  return tk::kDefault;
}

}  // namespace cmd
