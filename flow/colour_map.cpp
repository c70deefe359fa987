#include "flow/colour_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "flow/field.h"

namespace {

// Viridis at every tenth of the scale; straight lines between these keep
// the map's even steps of lightness to well within what the eye tells.
constexpr double kViridis[11][3] = {
    {0.267004, 0.004874, 0.329415}, {0.282623, 0.140926, 0.457517},
    {0.253935, 0.265254, 0.529983}, {0.206756, 0.371758, 0.553117},
    {0.163625, 0.471133, 0.558148}, {0.127568, 0.566949, 0.550556},
    {0.134692, 0.658636, 0.517649}, {0.266941, 0.748751, 0.440573},
    {0.477504, 0.821444, 0.318195}, {0.741388, 0.873449, 0.149561},
    {0.993248, 0.906157, 0.143936},
};

unsigned char Channel(double value) {
  return static_cast<unsigned char>(std::lround(value * 255.0));
}

constexpr Rgb kWhite = {255, 255, 255};
constexpr int kLegendMarks = 5;

}  // namespace

Rgb ViridisColour(double fraction) {
  const double f = fraction > 0 ? (fraction < 1 ? fraction : 1) : 0;  // NaN goes to 0
  const double at = f * 10;
  const int k = at >= 10 ? 9 : static_cast<int>(at);
  const double t = at - k;
  const double* a = kViridis[k];
  const double* b = kViridis[k + 1];
  return {Channel(a[0] + (b[0] - a[0]) * t), Channel(a[1] + (b[1] - a[1]) * t),
          Channel(a[2] + (b[2] - a[2]) * t)};
}

int RasterSamplesPerCell(const CellGrid& g) {
  const int larger = g.columns > g.rows ? g.columns : g.rows;
  if (larger <= 0) return 1;
  const int n = 1024 / larger;
  return n < 1 ? 1 : n > 8 ? 8 : n;
}

double ColourScaleTop(const CellGrid& g) {
  std::vector<double> speeds;
  double largest = 0;
  for (int c = 0; c < g.cellCount; ++c) {
    if (!IsFluidCell(g, c)) continue;
    double u, v;
    CellVelocity(g, c, u, v);
    speeds.push_back(std::sqrt(v * v + u * u));
    largest = std::fmax(largest, speeds.back());
  }
  if (speeds.empty()) return 0;
  const auto at = speeds.begin() + static_cast<std::ptrdiff_t>(0.99 * (speeds.size() - 1));
  std::nth_element(speeds.begin(), at, speeds.end());
  return *at > 0 ? *at : largest;  // a field nearly all at rest still spans the scale
}

SpeedRaster MakeSpeedRaster(const AnalysisResult& result, int samplesPerCell) {
  SpeedRaster raster;
  if (!HasSolvedField(result) || samplesPerCell < 1) return raster;
  const CellGrid& g = result.grid;
  const double top = ColourScaleTop(g);
  raster.width = g.columns * samplesPerCell;
  raster.height = g.rows * samplesPerCell;
  raster.pixels.resize(static_cast<size_t>(raster.width) * raster.height);
  const double stepX = g.cellWidth / samplesPerCell, stepY = g.cellHeight / samplesPerCell;
  for (int j = 0; j < raster.height; ++j) {
    const double y = g.ymin + (j + 0.5) * stepY;
    for (int i = 0; i < raster.width; ++i) {
      double u, v;
      const bool fluid = GridVelocityAt(g, g.xmin + (i + 0.5) * stepX, y, u, v);
      raster.pixels[static_cast<size_t>(j) * raster.width + i] =
          fluid ? ViridisColour(std::sqrt(v * v + u * u) / top) : kWhite;
    }
  }
  return raster;
}

std::vector<LegendMark> SpeedLegend(const AnalysisResult& result) {
  std::vector<LegendMark> marks;
  if (!HasSolvedField(result)) return marks;
  const double top = ColourScaleTop(result.grid);
  const bool clipped = LargestFluidSpeed(result.grid) > top;
  for (int k = 0; k < kLegendMarks; ++k) {
    const double fraction = static_cast<double>(k) / (kLegendMarks - 1);
    char text[64];
    std::snprintf(text, sizeof text, "%s%.2f m/s  %.0f %%", clipped && k == kLegendMarks - 1 ? "> " : "",
                  MetresPerSecond(result, top * fraction), PercentOfWind(result, top * fraction));
    marks.push_back({fraction, text});
  }
  return marks;
}

unsigned long long SpeedFieldSignature(const AnalysisResult& result) {
  if (!HasSolvedField(result)) return 0;
  unsigned long long hash = 1469598103934665603ULL;  // FNV-1a
  const auto mix = [&hash](const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t k = 0; k < size; ++k) hash = (hash ^ p[k]) * 1099511628211ULL;
  };
  const CellGrid& g = result.grid;
  const double frame[4] = {result.frame.c, result.frame.s, g.xmin, g.ymin};
  const double size[2] = {g.xmax, g.ymax};
  mix(frame, sizeof frame);
  mix(size, sizeof size);
  mix(&g.columns, sizeof g.columns);
  mix(&g.rows, sizeof g.rows);
  for (int c = 0; c < g.cellCount; ++c) {
    double uv[2];
    CellVelocity(g, c, uv[0], uv[1]);
    mix(uv, sizeof uv);
    mix(&g.type[c], sizeof g.type[c]);
  }
  return hash ? hash : 1;
}
