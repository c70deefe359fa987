#include "flow/flow_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

#include "flow/boundary_arrows.h"

namespace {

constexpr int kMaxPictureHeight = 10000;

void WriteCells(std::FILE* f, const CellGrid& g) {
  std::fprintf(f, "cells %d\n", g.cellCount);
  for (const GridCell& c : g.cells) {
    std::fprintf(f, "%d %d %.17g %.17g %.17g %.17g %.17g\n", c.index, c.type, c.potential,
                 c.centreVelX, c.centreVelY, c.centreSpeed, c.centreDirection);
  }
}

void WriteStreamlines(std::FILE* f, const StreamlineList& streamlines) {
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
Frame FitFrame(const std::vector<Wall>& walls) {
  double xmin = 0, xmax = 10, ymin = 0, ymax = 10;
  WallExtents(walls, xmin, xmax, ymin, ymax);
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

std::string ColourOf(const Wall& w) {
  const long c = w.selected ? 0xFF0000 : w.color;
  char text[16];
  std::snprintf(text, sizeof text, "#%02lx%02lx%02lx", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  return text;
}

// Back to front, as the canvas paints them.
void WriteWalls(std::FILE* f, const Frame& fr, const std::vector<Wall>& walls) {
  for (auto w = walls.rbegin(); w != walls.rend(); ++w) {
    std::fprintf(f, "<polygon fill=\"%s\" points=\"", ColourOf(*w).c_str());
    for (int i = 0; i < 4; ++i) {
      std::fprintf(f, "%s%.3f,%.3f", i ? " " : "", fr.px(w->outline[2 * i]),
                   fr.py(w->outline[2 * i + 1]));
    }
    std::fprintf(f, "\"/>\n");
  }
}

void WriteStreamlinePaths(std::FILE* f, const Frame& fr, const AnalysisResult& result) {
  if (result.grid.rows == 0) return;
  for (const Streamline& line : result.streamlines) {
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

void WriteArrows(std::FILE* f, const Frame& fr, const CellGrid& g) {
  if (g.cellCount == 0) return;
  const ArrowScales scales = BoundaryArrowScales(g);
  for (const GridCell& c : g.cells) {
    LineSegment lines[3];
    if (c.type == Interior ||
        !BoundaryArrowLines(g, c.index, c.type, kDegreesToRadians, scales.shaft, scales.head,
                            lines)) {
      continue;
    }
    for (const LineSegment& s : lines) {
      std::fprintf(f, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"red\"/>\n",
                   fr.px(s.x0), fr.py(s.y0), fr.px(s.x1), fr.py(s.y1));
    }
  }
}

}  // namespace

bool WriteFlowDump(std::FILE* f, const AnalysisResult& result) {
  const CellGrid& g = result.grid;
  std::fprintf(f, "grid %d %d %.17g %.17g\n", g.columns, g.rows, g.cellWidth, g.cellHeight);
  std::fprintf(f, "extent %.17g %.17g %.17g %.17g\n", g.xmin, g.xmax, g.ymin, g.ymax);
  std::fprintf(f, "inflow %.17g\n", g.inflowSpeed);
  std::fprintf(f, "sweeps %ld\n", result.solve.sweeps);
  std::fprintf(f, "speeds %.17g %.17g %.17g %.17g\n", g.maxCellSpeed, g.minCellSpeed,
               g.maxBoundarySpeed, g.minBoundarySpeed);
  WriteCells(f, g);
  WriteStreamlines(f, result.streamlines);
  return std::ferror(f) == 0;
}

std::string WrittenText(const std::function<bool(std::FILE*)>& write) {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* f = open_memstream(&buffer, &size);
  if (!f) throw std::bad_alloc();
  write(f);
  std::fclose(f);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

std::string FlowDumpText(const AnalysisResult& result) {
  return WrittenText([&](std::FILE* f) { return WriteFlowDump(f, result); });
}

bool NumbersAreFinite(const std::string& text) {
  // Words end at blanks and at the separators of the picture's attributes.
  const auto separates = [](char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == ',' || c == '"' || c == '=' ||
           c == '<' || c == '>' || c == '/';
  };
  for (size_t at = 0; at < text.size();) {
    size_t end = at;
    while (end < text.size() && !separates(text[end])) ++end;
    if (end > at) {
      // No separator can belong to a number, so the parse ends at the
      // word's end exactly when the whole word is one.
      char* stop = nullptr;
      const double value = std::strtod(text.c_str() + at, &stop);
      if (stop == text.c_str() + end && !std::isfinite(value)) return false;
    }
    at = end + 1;
  }
  return true;
}

bool WriteFlowPicture(std::FILE* f, const std::vector<Wall>& walls, const AnalysisResult& result) {
  const Frame fr = FitFrame(walls);
  std::fprintf(f,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "viewBox=\"0 0 %d %d\">\n",
               fr.width, fr.height, fr.width, fr.height);
  std::fprintf(f, "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n");
  WriteWalls(f, fr, walls);
  WriteStreamlinePaths(f, fr, result);
  WriteArrows(f, fr, result.grid);
  std::fprintf(f, "</svg>\n");
  return std::ferror(f) == 0;
}
