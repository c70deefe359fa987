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

void CreateNodes(CellGrid& g, const std::vector<double>& xyz) {
  g.nodeCount = static_cast<int>(xyz.size() / 3);
  g.nodes.assign(g.nodeCount, GridNode{});
  for (int n = 0; n < g.nodeCount; ++n) {
    g.nodes[n].x = xyz[3 * n];
    g.nodes[n].y = xyz[3 * n + 1];
    g.nodes[n].z = xyz[3 * n + 2];
  }
}

void NumberCells(CellGrid& g) {
  const int nc = g.columns;
  int b = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    GridCell& cell = g.cells[i];
    cell.index = i;
    cell.corners[CornerBottomLeft] = b;
    cell.corners[CornerBottomRight] = b + 1;
    cell.corners[CornerTopLeft] = b + nc + 1;
    cell.corners[CornerTopRight] = b + nc + 2;
    const GridNode& bl = g.nodes[b];
    const GridNode& br = g.nodes[b + 1];
    const GridNode& tr = g.nodes[b + nc + 2];
    cell.centreX = bl.x + 0.5 * (br.x - bl.x);
    cell.centreY = bl.y + 0.5 * (tr.y - bl.y);
    ++b;
    if ((i + 1) % nc == 0) ++b;  // the last node of a row belongs to no cell on its right
  }
}

void AppendIncident(GridNode& node, int cell) { node.incidentCells[node.incidentCount++] = cell; }

// Node (i, j) is a corner of the up to four cells around it; listing them
// south-west, south-east, north-west, north-east gives ascending indices.
void RecordIncidentCellsDirectly(CellGrid& g) {
  const int nc = g.columns, nr = g.rows;
  for (int j = 0; j <= nr; ++j) {
    for (int i = 0; i <= nc; ++i) {
      GridNode& node = g.nodes[j * (nc + 1) + i];
      if (j > 0 && i > 0) AppendIncident(node, (j - 1) * nc + i - 1);
      if (j > 0 && i < nc) AppendIncident(node, (j - 1) * nc + i);
      if (j < nr && i > 0) AppendIncident(node, j * nc + i - 1);
      if (j < nr && i < nc) AppendIncident(node, j * nc + i);
    }
  }
}

void RecordIncidentCellsByScan(CellGrid& g) {
  for (int n = 0; n < g.nodeCount; ++n) {
    GridNode& node = g.nodes[n];
    for (int c = 0; c < g.cellCount; ++c) {
      for (int k = 0; k < 4; ++k) {
        if (g.cells[c].corners[k] == n && node.incidentCount < 4) AppendIncident(node, c);
      }
    }
  }
}

// Every cell starts linked to the cells beside it, none past the edges.
void AssignFirstTypes(CellGrid& g) {
  for (GridCell& cell : g.cells) {
    cell.type = RingType(g, cell.index);
    for (int k = 0; k < 4; ++k) cell.neighbours[k] = GridNeighbour(g, cell.index, k);
  }
}

// The fast LocateCell needs every node column to share one x and every node
// row one y, in non-decreasing order; grids built from the drawing always
// are, and any other grid falls back to the scan.
void BuildLocationTables(CellGrid& g) {
  const int nc = g.columns, nr = g.rows;
  g.columnX.assign(nc + 1, 0.0);
  g.rowY.assign(nr + 1, 0.0);
  for (int i = 0; i <= nc; ++i) g.columnX[i] = g.nodes[i].x;
  for (int j = 0; j <= nr; ++j) g.rowY[j] = g.nodes[j * (nc + 1)].y;
  bool ok = std::is_sorted(g.columnX.begin(), g.columnX.end()) &&
            std::is_sorted(g.rowY.begin(), g.rowY.end());
  for (int j = 0; ok && j <= nr; ++j) {
    for (int i = 0; ok && i <= nc; ++i) {
      const GridNode& node = g.nodes[j * (nc + 1) + i];
      ok = node.x == g.columnX[i] && node.y == g.rowY[j];
    }
  }
  g.rectilinear = ok;
}

int ConnectNodesWith(CellGrid& g, const std::vector<double>& xyz,
                     void (*recordIncidentCells)(CellGrid&)) {
  const long long expected = static_cast<long long>(g.columns + 1) * (g.rows + 1);
  if (g.cellCount == 0 || static_cast<long long>(xyz.size()) != 3 * expected) return 0;
  CreateNodes(g, xyz);
  NumberCells(g);
  recordIncidentCells(g);
  AssignFirstTypes(g);
  BuildLocationTables(g);
  return 1;
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
  g.cells.assign(static_cast<size_t>(columns) * rows, GridCell{});
  g.cellCount = columns * rows;
  g.columns = columns;
  g.rows = rows;
  g.cellWidth = 0;
  g.cellHeight = 0;
  g.nodes.clear();
  g.nodeCount = 0;
  g.rectilinear = false;
  g.widestWall = 0;
  ResetStatistics(g);
}

int ConnectNodes(CellGrid& g, const std::vector<double>& xyz) {
  return ConnectNodesWith(g, xyz, g.referenceAlgorithms ? RecordIncidentCellsByScan
                                                        : RecordIncidentCellsDirectly);
}

int ConnectNodesByScan(CellGrid& g, const std::vector<double>& xyz) {
  return ConnectNodesWith(g, xyz, RecordIncidentCellsByScan);
}

int ComputeExtent(CellGrid& g) {
  if (g.cellCount == 0 || g.nodes.empty()) return 0;
  const GridNode& start = CornerNode(g, g.cells[0], CornerBottomLeft);
  g.xmin = g.xmax = start.x;
  g.ymin = g.ymax = start.y;
  g.zmin = g.zmax = start.z;
  for (const GridCell& cell : g.cells) {
    for (int k = 0; k < 4; ++k) {
      const GridNode& n = CornerNode(g, cell, k);
      if (n.x < g.xmin) g.xmin = n.x;
      if (n.x > g.xmax) g.xmax = n.x;
      if (n.y < g.ymin) g.ymin = n.y;
      if (n.y > g.ymax) g.ymax = n.y;
      if (n.z < g.zmin) g.zmin = n.z;
      if (n.z > g.zmax) g.zmax = n.z;
    }
  }
  g.cellWidth = (g.xmax - g.xmin) / g.columns;
  g.cellHeight = (g.ymax - g.ymin) / g.rows;
  return 1;
}

int LocateCellByScan(const CellGrid& g, double x, double y) {
  if (g.cellCount == 0 || g.nodes.empty()) return -1;
  for (const GridCell& cell : g.cells) {
    const GridNode& bl = CornerNode(g, cell, CornerBottomLeft);
    const GridNode& br = CornerNode(g, cell, CornerBottomRight);
    const GridNode& tl = CornerNode(g, cell, CornerTopLeft);
    if (bl.x <= x && x <= br.x && bl.y <= y && y <= tl.y) return cell.index;
  }
  return -1;
}

// The scan's answer is the cell of the lowest row, then the lowest column,
// whose closed node intervals hold the point; on a rectilinear grid both
// are found by binary search over the node lines.
int LocateCell(const CellGrid& g, double x, double y) {
  if (g.cellCount == 0 || g.nodes.empty()) return -1;
  if (g.referenceAlgorithms || !g.rectilinear) return LocateCellByScan(g, x, y);
  const int column = FirstInterval(g.columnX, x);
  if (column < 0) return -1;
  const int row = FirstInterval(g.rowY, y);
  if (row < 0) return -1;
  return row * g.columns + column;
}

int GridNeighbour(const CellGrid& g, int index, int slot) {
  const int nc = g.columns, nr = g.rows;
  const int r = index / nc, c = index % nc;
  switch (slot) {
    case LinkSouth: return r > 0 ? index - nc : NoNeighbour;
    case LinkEast: return c < nc - 1 ? index + 1 : NoNeighbour;
    case LinkNorth: return r < nr - 1 ? index + nc : NoNeighbour;
    case LinkWest: return c > 0 ? index - 1 : NoNeighbour;
    default: return NoNeighbour;
  }
}

std::int16_t RingType(const CellGrid& g, int index) {
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
  if (g.nodes.empty()) return {0, 0, 0, 0};
  const GridNode& bl = g.nodes[0];
  const GridNode& tr = g.nodes[(g.columns + 1) * g.rows + g.columns];
  return {bl.x, tr.x, bl.y, tr.y};
}
