#include "view/redraw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "flow/colour_map.h"
#include "flow/flow_draw.h"
#include "view/pick.h"
#include "view/speed_colours.h"
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

namespace {

// The drawing as the last frame showed it, kept as the pixels it left on the
// cleared background and the colour map under it.  Rasterising every wall of a large drawing is what a
// frame costs, and most frames (those of "Calcular", exposes, plain redraws)
// show the same drawing in the same window: they start from these pixels.
struct DrawingLayerKey {
  tk::Element* canvas = nullptr;
  GLint viewport[4] = {};
  double window[4] = {};
  unsigned long long drawing = 0;
  unsigned long long colours = 0;  // the colour map's field, 0 when none is shown

  bool operator==(const DrawingLayerKey& o) const {
    return canvas == o.canvas && std::equal(viewport, viewport + 4, o.viewport) &&
           std::equal(window, window + 4, o.window) && drawing == o.drawing && colours == o.colours;
  }
};

struct DrawingLayer {
  bool kept = false;
  DrawingLayerKey key;
  std::vector<unsigned char> pixels;  // RGBA rows of the viewport, bottom first
};

DrawingLayer drawingLayer;

// Writes the kept pixels over the whole viewport, one to one.  Called right
// after SetProjection, so the model-view matrix is the identity: with an
// identity projection too, (-1, -1) is the viewport's lower left corner.
void PutDrawingLayer(const GLint* viewport) {
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
  glDisable(GL_COLOR_LOGIC_OP);
  glDisable(GL_BLEND);
  glDisable(GL_DITHER);
  glPixelZoom(1.0f, 1.0f);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glRasterPos2f(-1.0f, -1.0f);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glDrawPixels(viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, drawingLayer.pixels.data());
  glPopAttrib();
}

void KeepDrawingLayer(const DrawingLayerKey& key) {
  GLint readBuffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &readBuffer);
  drawingLayer.pixels.resize(size_t(key.viewport[2]) * size_t(key.viewport[3]) * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(key.viewport[0], key.viewport[1], key.viewport[2], key.viewport[3], GL_RGBA,
               GL_UNSIGNED_BYTE, drawingLayer.pixels.data());
  glReadBuffer(GLenum(readBuffer));
  drawingLayer.key = key;
  drawingLayer.kept = true;
}

// The colour map when shown, then the walls and their selection marks over
// the cleared background: from the kept pixels when the drawing, the field,
// the window and the viewport are those they were taken from, else drawn
// and kept.
void DrawDrawingLayer(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax,
                      const Scene& scene) {
  const EntityList& entities = scene.entities;
  DrawingLayerKey key;
  key.canvas = canvas;
  glGetIntegerv(GL_VIEWPORT, key.viewport);
  key.window[0] = xmin;
  key.window[1] = xmax;
  key.window[2] = ymin;
  key.window[3] = ymax;
  key.colours = scene.ShowsColours() ? SpeedFieldSignature(scene.result) : 0;
  const bool summarised = entities.drawingSignature(key.drawing);
  if (summarised && drawingLayer.kept && drawingLayer.key == key) {
    PutDrawingLayer(key.viewport);
    return;
  }
  drawingLayer.kept = false;
  if (key.colours != 0) DrawSpeedColours(scene.result);
  entities.drawEntities();
  if (summarised && key.viewport[2] > 0 && key.viewport[3] > 0) KeepDrawingLayer(key);
}

}  // namespace

// Layers in order, without depth test, so each covers the one before: the
// colour map, the walls, the streamlines, the wind arrows, the grid points
// and the legend.
void RedrawScene(tk::Element* canvas, double xmin, double xmax, double ymin, double ymax,
                 const Scene& scene) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SetProjection(xmin, xmax, ymin, ymax);
  DrawDrawingLayer(canvas, xmin, xmax, ymin, ymax, scene);
  DrawFlowResult(scene.result, scene.ShowsStreamlines());
  if (scene.settings.gridShown) DrawGridPoints(canvas, scene.settings);
  if (scene.ShowsColours()) DrawSpeedLegend(canvas, scene.result);
  glFlush();
  tk::GLSwapBuffers(canvas);
  PickSceneShown(canvas);
}

bool ReadCanvasPicture(tk::Element* canvas, std::vector<Rgb>& topFirst, int& width, int& height) {
  ViewRedisplay(canvas);
  if (!tk::GLMakeCurrent(canvas)) return false;
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  width = viewport[2];
  height = viewport[3];
  if (width <= 0 || height <= 0) return false;
  std::vector<Rgb> bottomFirst(static_cast<size_t>(width) * height);
  GLint readBuffer = GL_BACK;
  glGetIntegerv(GL_READ_BUFFER, &readBuffer);
  glFinish();
  // The frame just shown is in the front buffer (the canvas copies it there).
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
  glReadBuffer(GLenum(readBuffer));
  topFirst.clear();
  topFirst.reserve(bottomFirst.size());
  for (int row = height - 1; row >= 0; --row) {
    const auto first = bottomFirst.begin() + static_cast<long>(row) * width;
    topFirst.insert(topFirst.end(), first, first + width);
  }
  return true;
}

namespace {

// A wide window with tiny steps could ask for more points than any screen
// shows; beyond this many the grid is not drawn.
constexpr double kMaxGridPoints = 4.0e6;

}  // namespace

void DrawGridPoints(tk::Element* canvas, const DrawingSettings& settings) {
  const double gridStepX = settings.gridStepX, gridStepY = settings.gridStepY;
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
