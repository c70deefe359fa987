#include "flow/field_export.h"

#include <cmath>

#include "flow/field.h"

namespace {

// A cell's velocity along the drawing's axes in m/s, 0 for a solid cell.
void DrawingVelocity(const AnalysisResult& result, int c, double& u, double& v) {
  u = v = 0;
  if (!IsFluidCell(result.grid, c)) return;
  double gu, gv;
  CellVelocity(result.grid, c, gu, gv);
  result.frame.ToDrawing(gu, gv, u, v);
  u = MetresPerSecond(result, u);
  v = MetresPerSecond(result, v);
}

}  // namespace

bool WriteFieldCsv(std::FILE* f, const AnalysisResult& result) {
  std::fprintf(f, "x,y,u,v,speed,solid\n");
  const CellGrid& g = result.grid;
  for (int c = 0; c < g.cellCount; ++c) {
    double cx, cy, x, y, u, v;
    CellCentre(g, c, cx, cy);
    result.frame.ToDrawing(cx, cy, x, y);
    DrawingVelocity(result, c, u, v);
    std::fprintf(f, "%.17g,%.17g,%.17g,%.17g,%.17g,%d\n", x, y, u, v, std::sqrt(v * v + u * u),
                 IsFluidCell(g, c) ? 0 : 1);
  }
  return std::ferror(f) == 0;
}

bool WriteFieldVtk(std::FILE* f, const AnalysisResult& result) {
  const CellGrid& g = result.grid;
  std::fprintf(f, "# vtk DataFile Version 3.0\n");
  std::fprintf(f, "Brisel: escoamento com vento de %.17g graus, velocidades em m/s\n",
               result.frame.direction);
  std::fprintf(f, "ASCII\nDATASET STRUCTURED_GRID\n");
  std::fprintf(f, "DIMENSIONS %d %d 1\n", g.columns + 1, g.rows + 1);
  std::fprintf(f, "POINTS %d double\n", g.nodeCount);
  for (double gy : g.rowY) {
    for (double gx : g.columnX) {
      double x, y;
      result.frame.ToDrawing(gx, gy, x, y);
      std::fprintf(f, "%.17g %.17g 0\n", x, y);
    }
  }
  std::fprintf(f, "CELL_DATA %d\nVECTORS velocity double\n", g.cellCount);
  for (int c = 0; c < g.cellCount; ++c) {
    double u, v;
    DrawingVelocity(result, c, u, v);
    std::fprintf(f, "%.17g %.17g 0\n", u, v);
  }
  std::fprintf(f, "SCALARS speed double 1\nLOOKUP_TABLE default\n");
  for (int c = 0; c < g.cellCount; ++c) {
    double u, v;
    DrawingVelocity(result, c, u, v);
    std::fprintf(f, "%.17g\n", std::sqrt(v * v + u * u));
  }
  std::fprintf(f, "SCALARS solid int 1\nLOOKUP_TABLE default\n");
  for (int c = 0; c < g.cellCount; ++c) std::fprintf(f, "%d\n", IsFluidCell(g, c) ? 0 : 1);
  return std::ferror(f) == 0;
}
