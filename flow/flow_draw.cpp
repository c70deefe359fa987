#include "flow/flow_draw.h"

#include <GL/gl.h>

#include "flow/boundary_arrows.h"

void DrawStreamlines(const AnalysisResult& result) {
  const StreamlineList& streamlines = result.streamlines;
  if (result.grid.rows == 0 || streamlines.empty()) return;
  glLineWidth(1.0f);
  glColor3d(1.0, 0.0, 0.0);
  for (const Streamline& line : streamlines) {
    const std::vector<StreamPoint>& p = line.points;
    glBegin(GL_POINTS);
    glVertex3d(p[0].x, p[0].y, 0.0);
    glEnd();
    if (p.size() < 2) continue;
    glBegin(GL_LINES);
    for (size_t k = 1; k < p.size(); ++k) {
      glVertex3d(p[k - 1].x, p[k - 1].y, 0.0);
      glVertex3d(p[k].x, p[k].y, 0.0);
    }
    glEnd();
  }
}

void DrawBoundaryArrows(const CellGrid& g) {
  if (g.cellCount == 0) return;
  const ArrowScales scales = BoundaryArrowScales(g);
  ForEachSideCell(g, [&](int c) {
    if (g.type[c] != Interior) DrawBoundaryArrow(g, c, g.type[c], kDegreesToRadians, scales.shaft, scales.head);
  });
}

void DrawBoundaryArrow(const CellGrid& g, int cell, int type, double degreesToRadians,
                       double shaftScale, double headLength) {
  LineSegment lines[3];
  if (!BoundaryArrowLines(g, cell, type, degreesToRadians, shaftScale, headLength, lines)) return;
  glColor3d(1.0, 0.0, 0.0);
  glBegin(GL_LINES);
  for (const LineSegment& s : lines) {
    glVertex3d(s.x0, s.y0, 0.0);
    glVertex3d(s.x1, s.y1, 0.0);
  }
  glEnd();
}

void PushGridFrame(const WindFrame& frame) {
  if (frame.identity) return;
  // Column by column: x = c gx - s gy, y = s gx + c gy.
  const GLdouble m[16] = {frame.c, frame.s, 0, 0, -frame.s, frame.c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixd(m);
}

void PopGridFrame(const WindFrame& frame) {
  if (frame.identity) return;
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void DrawFlowResult(const AnalysisResult& result, bool streamlines) {
  PushGridFrame(result.frame);
  if (streamlines) DrawStreamlines(result);
  DrawBoundaryArrows(result.grid);
  PopGridFrame(result.frame);
}
