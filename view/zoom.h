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
