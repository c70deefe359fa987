#include "flow/flow_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "flow/boundary_arrows.h"
#include "flow/colour_map.h"
#include "flow/png_image.h"
#include "flow/solver.h"

namespace {

constexpr int kMaxPictureHeight = 10000;

// Each cell's type, potential, centre velocity, speed and direction.
void WriteCells(std::FILE* f, const CellGrid& g) {
  std::fprintf(f, "cells %d\n", g.cellCount);
  for (int i = 0; i < g.cellCount; ++i) {
    const CentreVelocity v = ComputeCentreVelocity(g, i);
    std::fprintf(f, "%d %d %.17g %.17g %.17g %.17g %.17g\n", i, static_cast<int>(g.type[i]),
                 g.potential[i], v.u, -v.q, CentreSpeed(v), CentreDirection(v));
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

// A point of the result's grid frame on the picture.
struct GridToPicture {
  const Frame& fr;
  const WindFrame& frame;
  void operator()(double gx, double gy, double& px, double& py) const {
    double x, y;
    frame.ToDrawing(gx, gy, x, y);
    px = fr.px(x);
    py = fr.py(y);
  }
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
  const GridToPicture at{fr, result.frame};
  double px, py;
  for (const Streamline& line : result.streamlines) {
    const StreamPoint& seed = line.points.front();
    at(seed.x, seed.y, px, py);
    std::fprintf(f, "<circle cx=\"%.3f\" cy=\"%.3f\" r=\"2.5\" fill=\"red\"/>\n", px, py);
    if (line.points.size() < 2) continue;
    std::fprintf(f, "<polyline fill=\"none\" stroke=\"red\" stroke-width=\"1\" points=\"");
    for (size_t k = 0; k < line.points.size(); ++k) {
      at(line.points[k].x, line.points[k].y, px, py);
      std::fprintf(f, "%s%.3f,%.3f", k ? " " : "", px, py);
    }
    std::fprintf(f, "\"/>\n");
  }
}

void WriteArrows(std::FILE* f, const Frame& fr, const AnalysisResult& result) {
  const CellGrid& g = result.grid;
  if (g.cellCount == 0) return;
  const GridToPicture at{fr, result.frame};
  const ArrowScales scales = BoundaryArrowScales(g);
  ForEachSideCell(g, [&](int c) {
    LineSegment lines[3];
    if (g.type[c] == Interior ||
        !BoundaryArrowLines(g, c, g.type[c], kDegreesToRadians, scales.shaft, scales.head, lines)) {
      return;
    }
    for (const LineSegment& s : lines) {
      double x0, y0, x1, y1;
      at(s.x0, s.y0, x0, y0);
      at(s.x1, s.y1, x1, y1);
      std::fprintf(f, "<line x1=\"%.3f\" y1=\"%.3f\" x2=\"%.3f\" y2=\"%.3f\" stroke=\"red\"/>\n",
                   x0, y0, x1, y1);
    }
  });
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    unsigned v = 0;
    for (size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
    for (size_t k = 0; k < 4; ++k) text += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

// The colour map as a PNG image laid over the grid's rectangle: the matrix
// takes the image's coordinates (grid x, and grid y downwards) to the
// picture, through the grid's frame.
void WriteSpeedColours(std::FILE* f, const Frame& fr, const AnalysisResult& result) {
  const SpeedRaster raster = MakeSpeedRaster(result, RasterSamplesPerCell(result.grid));
  std::vector<Rgb> topFirst;
  topFirst.reserve(raster.pixels.size());
  for (int row = raster.height - 1; row >= 0; --row) {
    const auto first = raster.pixels.begin() + static_cast<long>(row) * raster.width;
    topFirst.insert(topFirst.end(), first, first + raster.width);
  }
  std::string png;
  if (!EncodePng(topFirst, raster.width, raster.height, png)) return;
  const CellGrid& g = result.grid;
  const double a = fr.width / (fr.xmax - fr.xmin), b = fr.height / (fr.ymax - fr.ymin);
  const double c = result.frame.identity ? 1 : result.frame.c;
  const double s = result.frame.identity ? 0 : result.frame.s;
  std::fprintf(f, "<g transform=\"matrix(%.9g %.9g %.9g %.9g %.9g %.9g)\">\n", a * c, -b * s, a * s,
               b * c, -fr.xmin * a, fr.ymax * b);
  std::fprintf(f,
               "<image x=\"%.9g\" y=\"%.9g\" width=\"%.9g\" height=\"%.9g\" "
               "preserveAspectRatio=\"none\" href=\"data:image/png;base64,%s\"/>\n</g>\n",
               g.xmin, -g.ymax, g.xmax - g.xmin, g.ymax - g.ymin, Base64(png).c_str());
}

// The colour bar with its marks in the lower right corner.
void WriteSpeedLegend(std::FILE* f, const Frame& fr, const AnalysisResult& result) {
  const std::vector<LegendMark> marks = SpeedLegend(result);
  if (marks.empty()) return;
  constexpr double kBarWidth = 16, kBarHeight = 200, kMargin = 12, kTextWidth = 150;
  constexpr double kTitle = 32, kBelow = 14, kPad = 8;
  const double x = fr.width - kMargin - kPad - kTextWidth - kBarWidth;
  const double y = fr.height - kMargin - kBelow - kBarHeight;
  std::fprintf(f, "<linearGradient id=\"viridis\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">\n");
  for (int k = 0; k <= 10; ++k) {
    const Rgb c = ViridisColour(k / 10.0);
    std::fprintf(f, "<stop offset=\"%.1f\" stop-color=\"#%02x%02x%02x\"/>\n", k / 10.0, c.r, c.g, c.b);
  }
  std::fprintf(f, "</linearGradient>\n");
  std::fprintf(f,
               "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.0f\" height=\"%.0f\" fill=\"white\" "
               "fill-opacity=\"0.85\"/>\n",
               x - kPad, y - kTitle, kBarWidth + kTextWidth + 2 * kPad, kBarHeight + kTitle + kBelow);
  std::fprintf(f, "<text x=\"%.1f\" y=\"%.1f\" font-family=\"DejaVu Sans, sans-serif\" "
               "font-size=\"12\">%s</text>\n", x, y - 14, kLegendTitle);
  std::fprintf(f,
               "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.0f\" height=\"%.0f\" fill=\"url(#viridis)\" "
               "stroke=\"black\"/>\n",
               x, y, kBarWidth, kBarHeight);
  for (const LegendMark& m : marks) {
    const double my = y + kBarHeight * (1 - m.fraction);
    std::fprintf(f, "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"black\"/>\n",
                 x + kBarWidth, my, x + kBarWidth + 4, my);
    std::fprintf(f, "<text x=\"%.1f\" y=\"%.1f\" font-family=\"DejaVu Sans, sans-serif\" "
                 "font-size=\"12\">%s</text>\n", x + kBarWidth + 7, my + 4, m.text.c_str());
  }
}

}  // namespace

bool WriteFlowDump(std::FILE* f, const AnalysisResult& result) {
  const CellGrid& g = result.grid;
  std::fprintf(f, "grid %d %d %.17g %.17g\n", g.columns, g.rows, g.cellWidth, g.cellHeight);
  std::fprintf(f, "extent %.17g %.17g %.17g %.17g\n", g.xmin, g.xmax, g.ymin, g.ymax);
  std::fprintf(f, "inflow %.17g\n", g.inflowSpeed);
  // The grid, its cells' velocities and the streamlines are in the grid's
  // frame; the matrix takes a grid point (gx, gy) to the drawing's
  // (m00 gx + m01 gy, m10 gx + m11 gy).
  const WindFrame& w = result.frame;
  const double c = w.identity ? 1 : w.c, s = w.identity ? 0 : w.s;
  std::fprintf(f, "wind %.17g grid-to-drawing %.17g %.17g %.17g %.17g\n", w.direction, c, 0.0 - s, s, c);
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

bool WriteFlowPicture(std::FILE* f, const std::vector<Wall>& walls, const AnalysisResult& result,
                      bool colours) {
  const Frame fr = FitFrame(walls);
  std::fprintf(f,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "viewBox=\"0 0 %d %d\">\n",
               fr.width, fr.height, fr.width, fr.height);
  std::fprintf(f, "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n");
  if (colours) WriteSpeedColours(f, fr, result);
  WriteWalls(f, fr, walls);
  WriteStreamlinePaths(f, fr, result);
  WriteArrows(f, fr, result);
  if (colours) WriteSpeedLegend(f, fr, result);
  std::fprintf(f, "</svg>\n");
  return std::ferror(f) == 0;
}
