// The pick service: every mouse interaction on a canvas runs as a pick.
//
// A requester (a drawing mode, a view interaction) fills a PickRequest and
// calls PickStart.  The service then follows the cursor, draws the request's
// echo (cross, aperture box, rubber line, rubber fence) with exclusive-or
// straight onto the front buffer, so that drawing it again erases it and the
// scene is never redrawn to follow the mouse, lets the requester adjust every
// point (grid snapping, direction lock), and calls the requester back when
// the pick is accepted or ends.  At most one pick is active at a time.
//
// The canvas's button, motion and leave callbacks forward to PickButton,
// PickMotion and PickEchoOff.
//
// Life of a pick: PickStart -> the first motion shows the echo and hides the
// system cursor (for a non-zero style) -> each motion replaces the echo ->
// press and release -> PickEnd with 1, 0 or -1.  A callback may start a new
// pick (PickStart replaces the request in place, so a callback must not read
// the request's fields after starting another).  The aperture and the
// reference axis survive across picks.
#pragma once

#include <string>

#include "toolkit/toolkit.h"

// Echo bits of PickRequest::echoStyle, drawn in canvas pixels about the
// cursor c and from the anchor's pixel a.
constexpr int EchoCross = 1;   // a cross at c
constexpr int EchoBox = 4;     // the pick-aperture box about c
constexpr int EchoLine = 8;    // a rubber line from a to c
constexpr int EchoFence = 16;  // a rubber rectangle with corners a and c

// PickRequest::pickKind.
constexpr int PickKindDrag = 0;   // a point at the press and one at the release
constexpr int PickKindPoint = 1;  // one point, taken at the press, accepted at the release

// PickRequest::pickStatus as the callbacks see it.
constexpr int PickAccepted = 1;
constexpr int PickCancelled = 0;         // the right button
constexpr int PickEndedByCommand = -1;   // PickAbort

struct PickPoint {
  double x = 0, y = 0;
};
struct PickPixel {
  int x = 0, y = 0;  // canvas pixels counted from the lower left
};

struct PickRequest;
// Accept and release callbacks.
using PickCallback = void (*)(PickRequest* request);
// Called with the cursor's world point (after adjustment) each time the echo
// is drawn or erased.
using PickMotionCallback = void (*)(PickRequest* request, double x, double y);
// May move a point before it is used: the press point, the release point and
// every cursor position.  `tolerance` is the world size of the aperture.
using PickAdjustCallback = void (*)(PickRequest* request, double* x, double* y,
                                    double tolerance);

struct PickRequest {
  tk::Element* canvas = nullptr;  // the canvas whose events count
  int owner = 0;                  // the requester's word
  // Where the echo starts from; replaced at each press by the adjusted press
  // point.  In a point pick, the picked point.
  PickPoint anchor;
  // Drag pick: the adjusted release point.  Point pick: a copy of anchor.
  PickPoint releasePoint;
  PickPoint rawPress;    // press point before adjustment
  PickPoint rawRelease;  // release point before adjustment
  PickPixel pressPixel;    // before adjustment
  PickPixel releasePixel;  // before adjustment
  int pickKind = PickKindPoint;
  int echoStyle = 0;  // sum of Echo bits; 0 shows nothing
  // Policy set by the requester: 0 any button, 1 left only, 2 middle only.
  // After an accepted press, the button used: 1 left, 2 middle.
  int button = 0;
  // Status string of the last button or motion event: 'S' at 0 with Shift,
  // 'C' at 1 with Control.
  std::string keyStatus = "      ";
  double tolerance = 0;  // world size of the aperture; set by the service
  // Point pick: called when the pick ends, whatever the status.  Drag pick:
  // called at the press, with pickStatus 1.
  PickCallback acceptCallback = nullptr;
  // Drag pick: called when the pick ends, whatever the status.
  PickCallback releaseCallback = nullptr;
  PickMotionCallback motionCallback = nullptr;
  PickAdjustCallback adjustCallback = nullptr;
  void* userData = nullptr;
  int pickStatus = PickAccepted;
};

// Whether a drag pick's press and release lie less than five pixels apart
// both ways: a click rather than a drag.
bool PickWasClick(const PickRequest& request);

// Shift or Control held at the last event of the request.
bool PickShift(const PickRequest& request);
bool PickControl(const PickRequest& request);

// The service's state, one instance.
struct PickService {
  PickRequest request;      // copy of the request given to PickStart
  bool active = false;      // a pick is running
  int lastPressed = 0;      // press (1) or release (0) of the last button handled
  bool echoHidden = true;   // no echo is meant to be on the screen
  bool echoOnScreen = false;  // the echo's lines are in the front buffer now
  PickPixel anchorPixel, currentPixel;
  PickPoint currentPoint;   // the cursor's world point after adjustment
  int pickAperture = 8;     // aperture parameter in pixels
  int crossArm = 8;         // half-length of the plain cross in pixels
  char referenceAxis = 'x';  // axis along which pickAperture pixels are measured
  double pixelAspect = 1;   // world height of a pixel over its world width
};
extern PickService pickService;

// Copies the request and starts following the cursor.  A running pick is
// replaced without any callback: requesters that replace another's pick call
// PickAbort first.
void PickStart(const PickRequest& request);
// Ends the pick in progress, if any, with status -1.  Used by every command
// that starts another interaction or changes the drawing.
void PickAbort();
// Ends the pick in progress, if any, with `status`: erases the echo, restores
// the arrow cursor, then calls the point pick's acceptCallback or the drag
// pick's releaseCallback.
void PickEnd(int status);

// The canvas's button event: button '1', '2' or '3' (left, middle, right;
// any other button is ignored), pressed 1 or 0, x and y in toolkit pixels
// with y growing downwards, the toolkit's status string.
void PickButton(tk::Element* canvas, int button, int pressed, int x, int y,
                const std::string& status);
// The canvas's motion event, same conventions.
void PickMotion(tk::Element* canvas, int x, int y, const std::string& status);
// The pointer left the canvas: hide the echo and restore the arrow, without
// ending the pick.  The next motion shows the echo again.
void PickEchoOff();
// Hides the echo, then measures the aperture along 'x' or 'y' (other
// characters only hide the echo).
void SetReferenceAxis(char axis);

// World length of n pixels along the reference axis; also refreshes
// pixelAspect.  Needs the canvas's context current.
void ApertureTolerance(int n, double* tolerance);
// Draws (or, drawn again, erases) the current echo and tells the motion
// callback the current point.
void DrawEchoNow();
// Exclusive-or drawing of `style` onto the front buffer of the current
// context; nothing for style 0.
void DrawEcho(PickPixel a, PickPixel c, int style);

// Called by the canvas's redraw once a new frame is on screen: a frame
// replaces whatever echo the front buffer held, so an echo that should be
// showing is drawn again on top of it.
void PickSceneShown(tk::Element* canvas);
