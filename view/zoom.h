// Zoom, pan and scale of a canvas's world window: the steps of the tool
// buttons and keys, the previous-window stack, the dial and the size fields.
// Every operation looks the canvas's view up and does nothing when it has
// none or its OpenGL context cannot be made current; a change that would
// leave an unusable window (WindowIsUsable) is not made.
#pragma once

#include "toolkit/toolkit.h"
#include "view/view.h"

enum class PanAxis { Horizontal, Vertical };

// Divides (in) or multiplies (out) the window's half sides by ZOOMFACTOR,
// about its centre, after pushing the window for PreviousZoom.
void ZoomStep(tk::Element* canvas, bool in);
// Shows the window on top of the previous-window stack again; nothing when
// the stack is empty.
void PreviousZoom(tk::Element* canvas);
// Moves the window by f times its extent on that axis; a positive f moves
// the drawing right or up on the screen.
void PanStep(tk::Element* canvas, PanAxis axis, double f);
// Scales the window by 1 + a about its centre: a > 0 zooms in, a < 0 out.
// A zoom-out stops once the window is more than 50 times the drawing's
// larger half-extent; a ≤ -1 does nothing.
void DialZoom(tk::Element* canvas, double a);
// A window `width` wide (or `height` high) about the same centre, with the
// canvas's shape.  Nothing for a size of 0.
void SetHorizontalSize(tk::Element* canvas, double width);
void SetVerticalSize(tk::Element* canvas, double height);

// ---- Interactive view commands ----------------------------------------------
// Each runs as a pick of the left button on the canvas, with the view's
// window as the projection while it lasts, and ends by restoring the
// projection in force when it started and calling `finish` with 1 when it
// ran to its end, 0 when the user cancelled with the right button and -1
// when another command ended the pick.  A cancelled or ended one leaves the
// window as it was.
//
// Zoom window: two clicks give the corners of the new window (with
// ZOOMFENCE_DRAG, one drag); the rubber fence is kept to the canvas's shape
// when ZOOMFENCE_ADJUST is on.  Corners less than 8 pixels apart in both
// directions count as a click: zoom in by ZOOMFACTOR about the first one.
// The window before is pushed for PreviousZoom.
void ZoomWindowStart(tk::Element* canvas, FinishCallback finish);
// Pan: a click on a point of the drawing, then a click where it should go
// (with PANLINE_DRAG, one drag), with a rubber line between them.
void PanStart(tk::Element* canvas, FinishCallback finish);
// Scale: a horizontal drag; to the right by the window's width doubles the
// scale, to the left by that width halves it.
void ScaleStart(tk::Element* canvas, FinishCallback finish);

// Moves the corner (x, y) of a fence from (x0, y0) outwards until the fence
// has the shape the canvas shows.  Nothing when the fence has no width or no
// height.
void AdjustFenceAspect(const ViewRecord* view, double x0, double y0, double& x, double& y);
