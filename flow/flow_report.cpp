#include "flow/flow_report.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "flow/boundary_arrows.h"
#include "flow/cell_grid.h"
#include "flow/grid_build.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/entity.h"

namespace {

constexpr int kMaxPictureHeight = 10000;

void WriteCells(std::FILE* f) {
  std::fprintf(f, "cells %d\n", cellGrid.cellCount);
  for (const GridCell& c : cellGrid.cells) {
    std::fprintf(f, "%d %d %.17g %.17g %.17g %.17g %.17g\n", c.index, c.type, c.potential,
                 c.centreVelX, c.centreVelY, c.centreSpeed, c.centreDirection);
  }
}

void WriteStreamlines(std::FILE* f) {
  std::fprintf(f, "streamlines %zu\n", streamlines.size());
  size_t k = 0;
  for (const Streamline& line : streamlines) {
    std::fprintf(f, "streamline %zu %zu\n", k++, line.points.size());
    for (const StreamPoint& p : line.points) std::fprintf(f, "%.17g %.17g\n", p.x, p.y);
  }
}

// World window to picture pixels, y growing downwards.
struct Frame {
  double xmin, xmax, ymin, ymax;
  int width, height;
  double px(double x) const { return (x - xmin) / (xmax - xmin) * width; }
  double py(double y) const { return (ymax - y) / (ymax - ymin) * height; }
};

// The drawing's extents grown about their centre by the fit factor, then
// grown on one axis to the picture's shape.
Frame FitFrame() {
  double xmin = 0, xmax = 10, ymin = 0, ymax = 10;
  drawingExtents(xmin, xmax, ymin, ymax);
  const double cx = (xmin + xmax) * 0.5, cy = (ymin + ymax) * 0.5;
  double w = (xmax - xmin) * kPictureFitFactor, h = (ymax - ymin) * kPictureFitFactor;
  if (!(w > 0)) w = h > 0 ? h : 1;
  if (!(h > 0)) h = w;
  Frame f;
  f.width = kPictureWidth;
  const double aspect = std::round(kPictureWidth * h / w);
  f.height = static_cast<int>(std::min<double>(std::max(aspect, 1.0), kMaxPictureHeight));
  const double r = static_cast<double>(f.height) / f.width;
  if (h > w * r) w = h / r;
  else h = w * r;
  f.xmin = cx - w * 0.5;
  f.xmax = cx + w * 0.5;
  f.ymin = cy - h * 0.5;
  f.ymax = cy + h * 0.5;
  return f;
}

std::string ColourOf(const Entity& e) {
  const long c = e.selected ? 0xFF0000 : e.color;
  char text[16];
  std::snprintf(text, sizeof text, "#%02lx%02lx%02lx", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  return text;
}

// Back to front, as the canvas paints them.
void WriteWalls(std::FILE* f, const Frame& fr) {
  forEachBackToFront([&](const Entity* e) {
    double x, y;
    std::fprintf(f, "<polygon fill=\"%s\" points=\"", ColourOf(*e).c_str());
    for (int i = 0; i < 4 && e->handlePoint(i, x, y); ++i) {
      std::fprintf(f, "%s%.3f,%.3f", i ? " " : "", fr.px(x), fr.py(y));
    }
    std::fprintf(f, "\"/>\n");
  });
}

void WriteStreamlinePaths(std::FILE* f, const Frame& fr) {
  if (cellGrid.rows == 0) return;
  for (const Streamline& line : streamlines) {
    const StreamPoint& seed = line.points.front();
    std::fprintf(f, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"2.5\" fill=\"red\"/>\n", fr.px(seed.x),
                 fr.py(seed.y));
    if (line.points.size() < 2) continue;
    std::fprintf(f, "<polyline fill=\"none\" stroke=\"red\" stroke-width=\"1\" points=\"");
    for (size_t k = 0; k < line.points.size(); ++k) {
      std::fprintf(f, "%s%.3f,%.3f", k ? " " : "", fr.px(line.points[k].x), fr.py(line.points[k].y));
    }
    std::fprintf(f, "\"/>\n");
  }
}

void WriteArrows(std::FILE* f, const Frame& fr) {
  if (cellGrid.cellCount == 0) return;
  const ArrowScales scales = BoundaryArrowScales();
  for (const GridCell& c : cellGrid.cells) {
    LineSegment lines[3];
    if (c.type == Interior ||
        !BoundaryArrowLines(c.index, c.type, kDegreesToRadians, scales.shaft, scales.head, lines)) {
      continue;
    }
    for (const LineSegment& s : lines) {
      std::fprintf(f, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"red\"/>\n",
                   fr.px(s.x0), fr.py(s.y0), fr.px(s.x1), fr.py(s.y1));
    }
  }
}

}  // namespace

bool WriteFlowDump(std::FILE* f) {
  const CellGrid& g = cellGrid;
  std::fprintf(f, "grid %d %d %.17g %.17g\n", g.columns, g.rows, g.cellWidth, g.cellHeight);
  std::fprintf(f, "extent %.17g %.17g %.17g %.17g\n", g.xmin, g.xmax, g.ymin, g.ymax);
  std::fprintf(f, "inflow %.17g\n", inflowSpeed);
  std::fprintf(f, "sweeps %ld\n", lastSolve.sweeps);
  std::fprintf(f, "speeds %.17g %.17g %.17g %.17g\n", g.maxCellSpeed, g.minCellSpeed,
               g.maxBoundarySpeed, g.minBoundarySpeed);
  WriteCells(f);
  WriteStreamlines(f);
  return std::ferror(f) == 0;
}

bool WriteFlowPicture(std::FILE* f) {
  const Frame fr = FitFrame();
  std::fprintf(f,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "viewBox=\"0 0 %d %d\">\n",
               fr.width, fr.height, fr.width, fr.height);
  std::fprintf(f, "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n");
  WriteWalls(f, fr);
  WriteStreamlinePaths(f, fr);
  WriteArrows(f, fr);
  std::fprintf(f, "</svg>\n");
  return std::ferror(f) == 0;
}
