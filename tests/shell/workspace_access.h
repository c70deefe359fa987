// The workspace the window tests start the program's window with, and
// shorthands for its parts.
#pragma once

#include <GL/gl.h>

#include <chrono>
#include <ostream>
#include <string>

#include "flow/analysis.h"
#include "model/drawing.h"
#include "shell/workspace.h"
#include "view/redraw.h"
#include "view/view.h"

namespace shelltest {

inline shell::Workspace& Ws() {
  static shell::Workspace workspace;
  return workspace;
}
inline EntityList& Entities() { return Ws().drawing.entities; }
inline DrawingSettings& Settings() { return Ws().drawing.settings; }
inline History& Hist() { return Ws().drawing.history; }
inline CellGrid& Grid() { return Ws().result.grid; }
inline StreamlineList& Streamlines() { return Ws().result.streamlines; }

// A wall of the current width put in front, as a wall drawn is.
inline LineEntity* NewLine(double x0, double y0, double x1, double y1, PackedColor color = 0) {
  auto* line = new LineEntity(x0, y0, x1, y1, Settings().wallWidth, color);
  Entities().insertAtFront(line);
  return line;
}

// Processes events until the window waits for no analysis; false when a
// minute passed first (a 400-cell run under the sanitizers takes seconds).
inline bool WaitForAnalysis() {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (Ws().awaited.run != 0 && std::chrono::steady_clock::now() < giveUp) tk::LoopWait(0.05);
  return Ws().awaited.run == 0;
}

// The redraw the program gives its canvas: the workspace's scene.
inline RedrawCallback SceneRedraw() {
  return [](tk::Element* canvas, double xmin, double xmax, double ymin, double ymax) {
    RedrawScene(canvas, xmin, xmax, ymin, ymax,
                Scene{Entities(), Settings(), Ws().shownResult()});
  };
}

// The colour the canvas shows at a world point of its view's window, read
// from the front buffer, which holds the frame on the screen.
inline Rgb ShownAt(tk::Element* canvas, double x, double y) {
  tk::GLMakeCurrent(canvas);
  double xmin, xmax, ymin, ymax;
  ViewGetWindow(canvas, &xmin, &xmax, &ymin, &ymax);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int px = int((x - xmin) / (xmax - xmin) * viewport[2]);
  const int py = int((y - ymin) / (ymax - ymin) * viewport[3]);
  unsigned char rgb[3] = {0, 0, 0};
  glReadBuffer(GL_FRONT);
  glReadPixels(px, py, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return {rgb[0], rgb[1], rgb[2]};
}

// Fires the mouse callback `callback` (BUTTON_CB, MOTION_CB, ...) on the
// canvas at a world point, `dx` and `dy` pixels away, in the toolkit's
// pixels (y down), as the mouse would.
inline void Mouse(tk::Element* canvas, const char* callback, double x, double y, int button = 0,
                  int pressed = 0, const std::string& status = "     ", int dx = 0, int dy = 0) {
  tk::GLMakeCurrent(canvas);
  int px = 0, py = 0, h = 0;
  WorldToPixel(x, y, px, py);
  ReadDrawSize(canvas, nullptr, &h);
  tk::Event ev;
  ev.button = button;
  ev.state = pressed;
  ev.status = status;
  ev.x = px + dx;
  ev.y = h - py - dy;
  tk::test::Fire(canvas, callback, ev);
}

}  // namespace shelltest

inline bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}
