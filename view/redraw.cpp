#include "view/redraw.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "flow/flow_draw.h"
#include "model/entity.h"
#include "view/pick.h"
#include "view/view.h"

void SetupCanvasGL() {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  // The current colour is what gets drawn, lit or not.
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glClearColor(1, 1, 1, 1);
  glPointSize(5.0f);
  glLineWidth(1.0f);
  glDrawBuffer(GL_BACK);
}

void ReadDrawSize(tk::Element* canvas, int* width, int* height) {
  int w = 0, h = 0;
  if (std::sscanf(tk::GetAttribute(canvas, "DRAWSIZE").c_str(), "%dx%d", &w, &h) != 2) return;
  if (width) *width = w;
  if (height) *height = h;
}

// Layers in order, without depth test, so each covers the one before: the
// walls, the streamlines, the wind arrows, the grid points.
void RedrawScene(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetProjection(xmin, xmax, ymin, ymax);
  drawEntities();
  DrawStreamlines();
  DrawBoundaryArrows();
  if (gridShown) DrawGridPoints(canvas);
  glFlush();
  tk::GLSwapBuffers(canvas);
  PickSceneShown(canvas);
}

namespace {

// A wide window with tiny steps could ask for more points than any screen
// shows; beyond this many the grid is not drawn.
constexpr double kMaxGridPoints = 4.0e6;

}  // namespace

void DrawGridPoints(tk::Element* canvas) {
  int w = 0;
  ReadDrawSize(canvas, &w, nullptr);
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  ViewGetWindow(canvas, &xmin, &xmax, &ymin, &ymax);
  const double s = std::fmax(gridStepX, gridStepY);
  if (!(w / (xmax - xmin) * s >= 5.0)) return;  // closer than five pixels

  const double x0 = std::trunc(xmin / gridStepX) * gridStepX;
  const double x1 = (std::trunc(xmax / gridStepX) + 1) * gridStepX;
  const double y0 = std::trunc(ymin / gridStepY) * gridStepY;
  const double y1 = (std::trunc(ymax / gridStepY) + 1) * gridStepY;
  const double columns = (x1 - x0) / gridStepX + 1, rows = (y1 - y0) / gridStepY + 1;
  if (!(columns * rows <= kMaxGridPoints)) return;

  glColor3d(0, 0, 0);
  glPointSize(1.0f);
  glBegin(GL_POINTS);
  // Far from the origin a step may be lost in rounding; stop rather than spin.
  for (double x = x0; x <= x1 && x + gridStepX > x; x += gridStepX)
    for (double y = y0; y <= y1 && y + gridStepY > y; y += gridStepY) glVertex3d(x, y, 0.0);
  glEnd();
  glPointSize(5.0f);
}
