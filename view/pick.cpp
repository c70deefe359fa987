#include "view/pick.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "view/view.h"

PickService pickService;

namespace {

PickService& S() { return pickService; }
PickRequest& R() { return pickService.request; }

const char* const kArrowCursor = "ARROW";

bool ControlIn(const std::string& status) { return status.size() > 1 && status[1] == 'C'; }

void SetCursor(bool echoShows) {
  tk::SetAttribute(R().canvas, "CURSOR", echoShows ? "NONE" : kArrowCursor);
}

PickPixel PixelOf(const PickPoint& p) {
  PickPixel pixel;
  WorldToPixel(p.x, p.y, pixel.x, pixel.y);
  return pixel;
}

// Toolkit pixels (y down) to world and to bottom-up pixels; the point is then
// adjusted and the echo pixel follows the adjusted point.
void TakePoint(int x, int y, PickPoint& raw, PickPoint& adjusted, PickPixel& rawPixel,
               PickPixel& echoPixel) {
  const int up = FlipY(y);
  PixelToWorld(x, up, raw.x, raw.y);
  adjusted = raw;
  rawPixel = {x, up};
  if (R().adjustCallback) {
    R().adjustCallback(&R(), &adjusted.x, &adjusted.y, R().tolerance);
    echoPixel = PixelOf(adjusted);
  } else {
    echoPixel = rawPixel;
  }
}

void HandlePress(int x, int y) {
  TakePoint(x, y, R().rawPress, R().anchor, R().pressPixel, S().anchorPixel);
  S().currentPixel = S().anchorPixel;
  if (R().pickKind == PickKindPoint) {
    R().releasePoint = R().anchor;
  } else {
    R().pickStatus = PickAccepted;
    if (R().acceptCallback) R().acceptCallback(&R());
  }
}

void HandleRelease(int x, int y) {
  TakePoint(x, y, R().rawRelease, R().releasePoint, R().releasePixel, S().currentPixel);
}

// Whether a button goes on under the request's policy; with policy 0 the
// request learns which button it was.
bool PassesPolicy(int button) {
  switch (R().button) {
    case 1:
      return button == '1';
    case 2:
      return button == '2';
    default:
      R().button = button == '1' ? 1 : 2;
      return true;
  }
}

// 8, 4, 20, 16, 12, 8, ...
void CycleAperture() {
  DrawEchoNow();
  glFlush();
  S().pickAperture = S().pickAperture == 4 ? 20 : S().pickAperture - 4;
  DrawEchoNow();
  glFlush();
}

// A box half size is kept at the aperture when the distortion would change
// it by less than two pixels.
int HalfSize(double computed, int s) {
  const int h = static_cast<int>(std::trunc(computed));
  return std::abs(h - s) < 2 ? s : h;
}

void Segment(int x0, int y0, int x1, int y1) {
  // Pixel centres, so that the same line always covers the same pixels.
  glVertex3d(x0 + 0.5, y0 + 0.5, 1.0);
  glVertex3d(x1 + 0.5, y1 + 0.5, 1.0);
}

}  // namespace

bool PickWasClick(const PickRequest& r) {
  return std::abs(r.pressPixel.x - r.releasePixel.x) < 5 && std::abs(r.pressPixel.y - r.releasePixel.y) < 5;
}

bool PickShift(const PickRequest& request) {
  return !request.keyStatus.empty() && request.keyStatus[0] == 'S';
}

bool PickControl(const PickRequest& request) { return ControlIn(request.keyStatus); }

void PickStart(const PickRequest& request) {
  // A replaced pick's echo must not stay behind on the screen.
  if (S().active && S().echoOnScreen && tk::GLMakeCurrent(R().canvas)) {
    DrawEcho(S().anchorPixel, S().currentPixel, R().echoStyle);
    S().echoOnScreen = false;
    glFlush();
  }
  S().request = request;
  tk::GLMakeCurrent(R().canvas);
  S().anchorPixel = PixelOf(R().anchor);
  S().currentPoint = R().anchor;
  S().active = true;
  S().echoHidden = true;
  S().echoOnScreen = false;
  S().lastPressed = 0;
  SetCursor(R().echoStyle != 0);
  ApertureTolerance(S().pickAperture, &R().tolerance);
}

void PickAbort() { PickEnd(PickEndedByCommand); }

void PickEnd(int status) {
  if (!S().active) return;
  if (!S().echoHidden) {
    tk::GLMakeCurrent(R().canvas);
    DrawEchoNow();
    S().echoHidden = true;
  }
  tk::SetAttribute(R().canvas, "CURSOR", kArrowCursor);
  S().active = false;
  R().pickStatus = status;
  // The callback may start a new pick, which overwrites the request.
  PickCallback callback =
      R().pickKind == PickKindPoint ? R().acceptCallback : R().releaseCallback;
  if (callback) callback(&R());
}

void PickButton(tk::Element* canvas, int button, int pressed, int x, int y,
                const std::string& status) {
  if (!S().active || canvas != R().canvas) return;
  // Side buttons and wheel clicks mean nothing to a pick.
  if (button != '1' && button != '2' && button != '3') return;
  tk::GLMakeCurrent(canvas);
  pressed = pressed ? 1 : 0;
  // A release whose press this pick did not see.
  if (pressed == S().lastPressed) return;
  const bool control = ControlIn(status);
  const bool boxShown = (R().echoStyle & EchoBox) != 0;
  // The releases of an aperture change and of a cancel are swallowed.
  if (!pressed && ((button == '2' && control && boxShown) || button == '3')) {
    S().lastPressed = 0;
    return;
  }
  S().lastPressed = pressed;
  if (button == '3' && pressed) return PickEnd(PickCancelled);
  if (R().pickKind == PickKindPoint && !pressed) return PickEnd(PickAccepted);
  if (button == '2' && pressed && control && !S().echoHidden && boxShown) return CycleAperture();
  if (!PassesPolicy(button)) {
    // A button the request does not take is forgotten, so that its release
    // cannot accept a point the press never gave.
    S().lastPressed = !pressed;
    return;
  }
  ApertureTolerance(S().pickAperture, &R().tolerance);
  R().keyStatus = status;
  PickEchoOff();
  if (pressed) {
    HandlePress(x, y);
  } else {
    HandleRelease(x, y);
    if (R().pickKind == PickKindDrag) PickEnd(PickAccepted);
  }
}

void PickMotion(tk::Element* canvas, int x, int y, const std::string& status) {
  if (!S().active || canvas != R().canvas) return;
  // A point pick takes its point at the press; the cursor is followed again
  // after the release.
  if (R().pickKind == PickKindPoint && S().lastPressed) return;
  tk::GLMakeCurrent(canvas);
  R().keyStatus = status;
  S().anchorPixel = PixelOf(R().anchor);  // the echo follows window changes
  if (S().echoHidden) {
    S().echoHidden = false;
    SetCursor(R().echoStyle != 0);
  } else {
    DrawEchoNow();
  }
  PickPoint raw;
  PickPixel rawPixel;
  TakePoint(x, y, raw, S().currentPoint, rawPixel, S().currentPixel);
  DrawEchoNow();
}

void PickEchoOff() {
  if (!S().active) return;
  if (!S().echoHidden) {
    tk::GLMakeCurrent(R().canvas);
    DrawEchoNow();
  }
  S().echoHidden = true;
  tk::SetAttribute(R().canvas, "CURSOR", kArrowCursor);
}

void SetReferenceAxis(char axis) {
  PickEchoOff();
  if (axis == 'x' || axis == 'y') S().referenceAxis = axis;
}

void ApertureTolerance(int n, double* tolerance) {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  PixelToWorld(0, 0, x0, y0);
  PixelToWorld(n, n, x1, y1);
  *tolerance = S().referenceAxis == 'y' ? y1 - y0 : x1 - x0;
  const double aspect = (y1 - y0) / (x1 - x0);
  // Without a usable projection the box stays square in pixels.
  S().pixelAspect = std::isfinite(aspect) && aspect > 0 ? aspect : 1.0;
}

void DrawEchoNow() {
  ApertureTolerance(S().pickAperture, &R().tolerance);
  DrawEcho(S().anchorPixel, S().currentPixel, R().echoStyle);
  S().echoOnScreen = !S().echoOnScreen;
  if (R().motionCallback) R().motionCallback(&R(), S().currentPoint.x, S().currentPoint.y);
  glFlush();
}

void DrawEcho(PickPixel a, PickPixel c, int style) {
  if (style == 0) return;
  const int s = S().pickAperture;
  int hx = s, hy = s;
  if (S().referenceAxis == 'y') {
    hx = HalfSize(s * S().pixelAspect, s);
  } else {
    hy = HalfSize(s / S().pixelAspect, s);
  }

  // Exclusive-or with cyan: white turns red, and drawing again restores it.
  const GLboolean lighting = glIsEnabled(GL_LIGHTING);
  GLboolean depthMask = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
  GLfloat lineWidth = 1;
  glGetFloatv(GL_LINE_WIDTH, &lineWidth);
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLint drawBuffer = GL_BACK;
  glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);

  glDepthMask(GL_FALSE);
  glDisable(GL_LIGHTING);
  glLogicOp(GL_XOR);
  glEnable(GL_COLOR_LOGIC_OP);
  glColor3d(0, 1, 1);
  glLineWidth(1.0f);
  glDrawBuffer(GL_FRONT);
  PushPixelProjection(viewport);

  glBegin(GL_LINES);
  if (style & EchoCross) {
    const int h = (style & EchoBox) ? hx : S().crossArm;
    const int v = (style & EchoBox) ? hy : S().crossArm;
    Segment(c.x - h, c.y, c.x + h, c.y);
    Segment(c.x, c.y - v, c.x, c.y + v);
  }
  if (style & EchoLine) Segment(a.x, a.y, c.x, c.y);
  if (style & EchoBox) {
    Segment(c.x - hx, c.y - hy, c.x + hx, c.y - hy);
    Segment(c.x + hx, c.y - hy, c.x + hx, c.y + hy);
    Segment(c.x + hx, c.y + hy, c.x - hx, c.y + hy);
    Segment(c.x - hx, c.y + hy, c.x - hx, c.y - hy);
  }
  if (style & EchoFence) {
    Segment(a.x, a.y, c.x, a.y);
    Segment(c.x, a.y, c.x, c.y);
    Segment(c.x, c.y, a.x, c.y);
    Segment(a.x, c.y, a.x, a.y);
  }
  glEnd();

  glDrawBuffer(static_cast<GLenum>(drawBuffer));
  PopPixelProjection();
  glDepthMask(depthMask);
  if (lighting) glEnable(GL_LIGHTING);
  glDisable(GL_COLOR_LOGIC_OP);
  glLineWidth(lineWidth);
}

void PickSceneShown(tk::Element* canvas) {
  if (!S().active || canvas != R().canvas || !S().echoOnScreen) return;
  // The new frame may have a new window: place the echo by its points again.
  S().anchorPixel = PixelOf(R().anchor);
  S().currentPixel = PixelOf(S().currentPoint);
  DrawEcho(S().anchorPixel, S().currentPixel, R().echoStyle);
  glFlush();
}
