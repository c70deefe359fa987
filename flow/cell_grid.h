// The cell grid of the flow analysis: a rectangular grid of
// columns × rows cells and (columns + 1) × (rows + 1) corner nodes, numbered
// row by row from the bottom left.  Grid construction fills it, the solver
// stores the potential and velocities in it, tracing reads them back.
#pragma once

#include <cstdint>
#include <vector>

// Cell classification.  Codes 1-8 name the faces whose normal velocity is
// prescribed (the outer ring, or the faces that touch a wall).
enum CellType : std::int16_t {
  Interior = 0,
  TopLeftCorner = 1,
  TopRightCorner = 2,
  BottomLeftCorner = 3,
  BottomRightCorner = 4,
  TopEdge = 5,
  LeftEdge = 6,
  BottomEdge = 7,
  RightEdge = 8,
  Solid = 9,
  Unassigned = 10,
};

constexpr int NoNeighbour = -1;

// Slots of GridCell::neighbours (north = +y, east = +x).
enum LinkSlot { LinkSouth = 0, LinkEast = 1, LinkNorth = 2, LinkWest = 3 };
// Slots of GridCell::corners.
enum CornerSlot { CornerBottomLeft = 0, CornerBottomRight = 1, CornerTopLeft = 2, CornerTopRight = 3 };

struct GridCell {
  int corners[4] = {-1, -1, -1, -1};
  int neighbours[4] = {-1, -1, -1, -1};
  int index = 0;
  std::int16_t type = Unassigned;
  double centreX = 0, centreY = 0;
  double potential = 0;
  double centreVelX = 0, centreVelY = 0;
  double westU = 0;   // x velocity on the west face, positive eastwards
  double northQ = 0;  // (φ - φ north) / dy, positive southwards
  double eastU = 0;   // prescribed x velocity on the east face
  double southQ = 0;  // prescribed value on the south face, positive southwards
  double centreDirection = 0;  // degrees
  double centreSpeed = 0;
  double boundarySpeed = 0;
  double boundaryDirection = 0;  // degrees
};

struct GridNode {
  double x = 0, y = 0, z = 0;
  double velX = 0, velY = 0;
  double speed = 0;
  int incidentCells[4] = {-1, -1, -1, -1};  // ascending
  int incidentCount = 0;
};

struct CellGrid {
  std::vector<GridCell> cells;
  int cellCount = 0;
  double cellWidth = 0;
  double cellHeight = 0;
  int columns = 0;
  int rows = 0;
  int nodeCount = 0;
  std::vector<GridNode> nodes;
  double maxCellSpeed = 0;
  double maxBoundarySpeed = 0;
  double minBoundarySpeed = 1000000;
  double minCellSpeed = 1000000;
  double cellSpeedTenth = -1.0;
  double boundarySpeedTenth = -1.0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0, zmin = 0, zmax = 0;
  // 25 × the larger side of the extent: the x velocity prescribed on the
  // west and east sides.
  double inflowSpeed = 0;
  // The width of the widest wall the grid was built over, 0 for none: a
  // length that scales with the drawing, as the streamline refinement's
  // stopping distance must.
  double widestWall = 0;
  // LocateCell scans every cell and ConnectNodes compares every node with
  // every corner: the reference the fast forms must match.
  bool referenceAlgorithms = false;

  // Point location tables, valid when every node column shares one x and
  // every node row one y, both non-decreasing: the node x's of row 0 and
  // the node y's of column 0.
  bool rectilinear = false;
  std::vector<double> columnX;
  std::vector<double> rowY;
};

// Creates columns × rows cells in their construction state, replacing any
// previous grid, and resets the speed statistics.
void AllocateGrid(CellGrid& g, int columns, int rows);
// Creates the nodes from x, y, z triples in node-index order, numbers the
// cells, computes their centres, records each node's incident cells, links
// the neighbours and gives every cell its first type.  Answers 0 (and
// changes nothing) when the triples do not match the allocated grid.
int ConnectNodes(CellGrid& g, const std::vector<double>& xyz);
// The same with the incident cells found by comparing every node with every
// corner of every cell; kept as the reference the direct form must match.
int ConnectNodesByScan(CellGrid& g, const std::vector<double>& xyz);
// Recomputes the extent and the cell size; 1 when the grid has cells.
int ComputeExtent(CellGrid& g);
// The first cell in index order whose closed rectangle holds (x, y), or -1.
int LocateCell(const CellGrid& g, double x, double y);
// The same by scanning every cell; the reference LocateCell must match.
int LocateCellByScan(const CellGrid& g, double x, double y);

struct GridRect {
  double xmin, xmax, ymin, ymax;
};
// The rectangle spanned by the bottom-left and top-right nodes of the grid.
GridRect GridCorners(const CellGrid& g);

inline int CellRow(const CellGrid& g, int index) { return index / g.columns; }
inline int CellColumn(const CellGrid& g, int index) { return index % g.columns; }
inline const GridNode& CornerNode(const CellGrid& g, const GridCell& cell, int slot) {
  return g.nodes[cell.corners[slot]];
}

// The cell beside `index` on the grid in the direction of `slot` (a
// LinkSlot), or NoNeighbour past the grid's edge.
int GridNeighbour(const CellGrid& g, int index, int slot);
// The type a cell first gets from its place: a corner or edge of the outer
// ring, tested corners first, else Interior.
std::int16_t RingType(const CellGrid& g, int index);
