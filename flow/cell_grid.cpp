#include "flow/cell_grid.h"

#include <algorithm>
#include <cmath>

namespace {

void ResetStatistics(CellGrid& g) {
  g.maxCellSpeed = 0;
  g.maxBoundarySpeed = 0;
  g.minBoundarySpeed = 1000000;
  g.minCellSpeed = 1000000;
  g.cellSpeedTenth = -1.0;
  g.boundarySpeedTenth = -1.0;
}

// Replaces the vector's contents and memory by n copies of value, so that
// a grid built again holds no more than it needs.
template <class T>
void Fresh(std::vector<T>& v, size_t n, T value) {
  std::vector<T>(n, value).swap(v);
}

// The smallest k with v[k + 1] >= a among 0 .. v.size() - 2, given v is
// non-decreasing: the first interval [v[k], v[k + 1]] whose upper end
// reaches a.  Answers -1 when none does or a lies below v[0].  The node
// lines are evenly spaced but for rounding, so the search starts at the
// interval the spacing gives and steps to the answer from there.
int FirstInterval(const std::vector<double>& v, double a) {
  const int last = static_cast<int>(v.size()) - 2;
  if (last < 0 || !(a >= v[0]) || !(a <= v[last + 1])) return -1;
  const double guess = (a - v[0]) / (v[last + 1] - v[0]) * (last + 1);
  int k = guess < last ? static_cast<int>(guess) : last;  // also when the guess is undefined
  while (k > 0 && v[k] >= a) --k;
  while (v[k + 1] < a) ++k;
  return k;
}

}  // namespace

void AllocateGrid(CellGrid& g, int columns, int rows) {
  g.columns = columns;
  g.rows = rows;
  g.cellCount = columns * rows;
  g.nodeCount = (columns + 1) * (rows + 1);
  g.cellWidth = 0;
  g.cellHeight = 0;
  g.widestWall = 0;
  const size_t cells = static_cast<size_t>(g.cellCount);
  Fresh(g.columnX, static_cast<size_t>(columns) + 1, 0.0);
  Fresh(g.rowY, static_cast<size_t>(rows) + 1, 0.0);
  Fresh(g.type, cells, Unassigned);
  Fresh(g.potential, cells, 0.0);
  Fresh(g.faceU, cells + rows, 0.0);
  Fresh(g.faceQ, cells + columns, 0.0);
  Fresh(g.nodes, 0, GridNode{});
  ResetStatistics(g);
}

void LayNodeLines(CellGrid& g, double xmin, double dx, double ymin, double dy) {
  double x = xmin;
  for (double& at : g.columnX) {
    at = x;
    x += dx;
  }
  double y = ymin;
  for (double& at : g.rowY) {
    at = y;
    y += dy;
  }
}

// Every node belongs to a cell, so the extent is that of the node lines.
int ComputeExtent(CellGrid& g) {
  if (g.cellCount == 0) return 0;
  const auto x = std::minmax_element(g.columnX.begin(), g.columnX.end());
  const auto y = std::minmax_element(g.rowY.begin(), g.rowY.end());
  g.xmin = *x.first;
  g.xmax = *x.second;
  g.ymin = *y.first;
  g.ymax = *y.second;
  g.cellWidth = (g.xmax - g.xmin) / g.columns;
  g.cellHeight = (g.ymax - g.ymin) / g.rows;
  return 1;
}

int LocateCellByScan(const CellGrid& g, double x, double y) {
  for (int i = 0; i < g.cellCount; ++i) {
    const int r = CellRow(g, i), c = CellColumn(g, i);
    if (g.columnX[c] <= x && x <= g.columnX[c + 1] && g.rowY[r] <= y && y <= g.rowY[r + 1]) return i;
  }
  return -1;
}

// The scan's answer is the cell of the lowest row, then the lowest column,
// whose closed node intervals hold the point; both are found by a search
// over the node lines.
int LocateCell(const CellGrid& g, double x, double y) {
  if (g.cellCount == 0) return -1;
  if (g.referenceAlgorithms) return LocateCellByScan(g, x, y);
  const int column = FirstInterval(g.columnX, x);
  if (column < 0) return -1;
  const int row = FirstInterval(g.rowY, y);
  if (row < 0) return -1;
  return row * g.columns + column;
}

size_t GridBytes(const CellGrid& g) {
  return sizeof(double) * (g.columnX.capacity() + g.rowY.capacity() + g.potential.capacity() +
                           g.faceU.capacity() + g.faceQ.capacity()) +
         sizeof(CellType) * g.type.capacity() + sizeof(GridNode) * g.nodes.capacity();
}

void CellCentre(const CellGrid& g, int index, double& x, double& y) {
  const int r = CellRow(g, index), c = CellColumn(g, index);
  x = g.columnX[c] + 0.5 * (g.columnX[c + 1] - g.columnX[c]);
  y = g.rowY[r] + 0.5 * (g.rowY[r + 1] - g.rowY[r]);
}

CellType RingType(const CellGrid& g, int index) {
  const int nc = g.columns, nr = g.rows;
  const int r = index / nc, c = index % nc;
  if (r == 0 && c == 0) return BottomLeftCorner;
  if (r == nr - 1 && c == 0) return TopLeftCorner;
  if (r == nr - 1 && c == nc - 1) return TopRightCorner;
  if (r == 0 && c == nc - 1) return BottomRightCorner;
  if (r == 0) return BottomEdge;
  if (c == 0) return LeftEdge;
  if (r == nr - 1) return TopEdge;
  if (c == nc - 1) return RightEdge;
  return Interior;
}

GridRect GridCorners(const CellGrid& g) {
  if (g.cellCount == 0) return {0, 0, 0, 0};
  return {g.columnX.front(), g.columnX.back(), g.rowY.front(), g.rowY.back()};
}
