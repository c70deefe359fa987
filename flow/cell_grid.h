// The cell grid of the flow analysis: a rectangular grid of
// columns × rows cells and (columns + 1) × (rows + 1) corner nodes, numbered
// row by row from the bottom left.  Grid construction fills it, the solver
// stores the potential and velocities in it, tracing reads them back.
//
// The grid holds only what cannot be derived cheaply, as one array of each
// thing: a byte of type and the potential of every cell, the velocity
// across every face, the velocity of every node.  A cell's corners,
// neighbours and centre, and a node's position, follow from its index and
// the node lines; its centre velocity, speed and direction from its faces,
// wherever they are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Cell classification.  Codes 1-8 name the faces whose normal velocity is
// prescribed (the outer ring, or the faces that touch a wall).
enum CellType : std::uint8_t {
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

inline bool IsFluidType(CellType type) { return type <= RightEdge; }

constexpr int NoNeighbour = -1;

// Sides of a cell, in the order of its neighbour links (north = +y, east = +x).
enum LinkSlot { LinkSouth = 0, LinkEast = 1, LinkNorth = 2, LinkWest = 3 };
// Corners of a cell, in their order.
enum CornerSlot { CornerBottomLeft = 0, CornerBottomRight = 1, CornerTopLeft = 2, CornerTopRight = 3 };

// How the potential is solved.  The accurate scheme (the default) weights
// every face by the cell's shape and solves to convergence; the literal one
// weighs the four neighbours equally and stops its sweeps early, and is
// kept because earlier results were made with it.  Each takes a cell's
// centre velocity from its faces in its own way.
enum class SolverScheme { Accurate, Literal };

// The velocity at a node: the mean of the centre velocities of the cells
// around it, which tracing interpolates.
struct GridNode {
  double velX = 0, velY = 0;
};

struct CellGrid {
  int columns = 0;
  int rows = 0;
  int cellCount = 0;
  int nodeCount = 0;
  double cellWidth = 0;
  double cellHeight = 0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  double maxCellSpeed = 0;
  double maxBoundarySpeed = 0;
  double minBoundarySpeed = 1000000;
  double minCellSpeed = 1000000;
  double cellSpeedTenth = -1.0;
  double boundarySpeedTenth = -1.0;
  // 25 × the larger side of the extent: the x velocity prescribed on the
  // west and east sides.
  double inflowSpeed = 0;
  // The width of the widest wall the grid was built over, 0 for none: a
  // length that scales with the drawing, as the streamline refinement's
  // stopping distance must.
  double widestWall = 0;
  // LocateCell scans every cell: the reference the fast form must match.
  bool referenceAlgorithms = false;
  // The scheme whose face velocities the grid holds.
  SolverScheme scheme = SolverScheme::Accurate;

  // The node lines: node (i, j) lies at (columnX[i], rowY[j]).
  std::vector<double> columnX;  // columns + 1, non-decreasing
  std::vector<double> rowY;     // rows + 1, non-decreasing
  std::vector<CellType> type;   // by cell
  std::vector<double> potential;  // by cell
  // The normal velocity on every face, prescribed or solved, shared by the
  // two cells it parts.  faceU: the x velocity (positive eastwards) across
  // the faces between columns, columns + 1 of them per row.  faceQ: the
  // value (φ below − φ above) / dy on the faces between rows, positive
  // southwards, columns per row of faces, rows + 1 rows.
  std::vector<double> faceU;
  std::vector<double> faceQ;
  // The node velocities of the last solve, by node; empty before it.
  std::vector<GridNode> nodes;
};

// Creates columns × rows cells in their construction state (Unassigned,
// potential and faces 0), replacing any previous grid, and resets the
// speed statistics; the node lines are all 0 until laid.
void AllocateGrid(CellGrid& g, int columns, int rows);
// Lays the node lines from (xmin, ymin) by repeated addition of dx and dy.
void LayNodeLines(CellGrid& g, double xmin, double dx, double ymin, double dy);
// Recomputes the extent and the cell size; 1 when the grid has cells.
int ComputeExtent(CellGrid& g);
// The first cell in index order whose closed rectangle holds (x, y), or -1.
int LocateCell(const CellGrid& g, double x, double y);
// The same by scanning every cell; the reference LocateCell must match.
int LocateCellByScan(const CellGrid& g, double x, double y);
// The bytes the grid's arrays hold.
size_t GridBytes(const CellGrid& g);

struct GridRect {
  double xmin, xmax, ymin, ymax;
};
// The rectangle spanned by the bottom-left and top-right nodes of the grid.
GridRect GridCorners(const CellGrid& g);

inline int CellRow(const CellGrid& g, int index) { return index / g.columns; }
inline int CellColumn(const CellGrid& g, int index) { return index % g.columns; }
// The node at a corner (a CornerSlot) of a cell.
inline int CellCorner(const CellGrid& g, int index, int slot) {
  const int bottomLeft = index + CellRow(g, index);
  return bottomLeft + (slot & 1) + (slot & 2 ? g.columns + 1 : 0);
}
// The centre of a cell: half-way from its bottom-left node to the next
// node lines.
void CellCentre(const CellGrid& g, int index, double& x, double& y);

// The face values of a cell's sides: westU and eastU positive eastwards,
// northQ and southQ positive southwards.  A face is shared: a cell's eastU
// is the westU of the cell east of it.
inline double& WestU(CellGrid& g, int i) { return g.faceU[i + CellRow(g, i)]; }
inline double& EastU(CellGrid& g, int i) { return g.faceU[i + CellRow(g, i) + 1]; }
inline double& SouthQ(CellGrid& g, int i) { return g.faceQ[i]; }
inline double& NorthQ(CellGrid& g, int i) { return g.faceQ[i + g.columns]; }
inline double WestU(const CellGrid& g, int i) { return g.faceU[i + CellRow(g, i)]; }
inline double EastU(const CellGrid& g, int i) { return g.faceU[i + CellRow(g, i) + 1]; }
inline double SouthQ(const CellGrid& g, int i) { return g.faceQ[i]; }
inline double NorthQ(const CellGrid& g, int i) { return g.faceQ[i + g.columns]; }

// The cell beside `index` on the grid in the direction of `slot` (a
// LinkSlot), or NoNeighbour past the grid's edge.
inline int GridNeighbour(const CellGrid& g, int index, int slot) {
  const int r = CellRow(g, index), c = index - r * g.columns;
  switch (slot) {
    case LinkSouth: return r > 0 ? index - g.columns : NoNeighbour;
    case LinkEast: return c < g.columns - 1 ? index + 1 : NoNeighbour;
    case LinkNorth: return r < g.rows - 1 ? index + g.columns : NoNeighbour;
    case LinkWest: return c > 0 ? index - 1 : NoNeighbour;
    default: return NoNeighbour;
  }
}
// Whether a cell's type prescribes the face value of one of its sides (a
// LinkSlot): the outer ring's sides and the wall sides found next to solid
// cells.
inline bool PrescribesSide(CellType type, int slot) {
  switch (slot) {
    case LinkWest: return type == TopLeftCorner || type == BottomLeftCorner || type == LeftEdge;
    case LinkEast: return type == TopRightCorner || type == BottomRightCorner || type == RightEdge;
    case LinkNorth: return type == TopLeftCorner || type == TopRightCorner || type == TopEdge;
    case LinkSouth: return type == BottomLeftCorner || type == BottomRightCorner || type == BottomEdge;
    default: return false;
  }
}
// The neighbour link of a cell: the cell beside it, but none across a
// side its type prescribes.  Grid construction cuts exactly those links,
// past the grid's edge and towards the solid cells a wall cell was typed by.
inline int CellLink(const CellGrid& g, int index, int slot) {
  return PrescribesSide(g.type[index], slot) ? NoNeighbour : GridNeighbour(g, index, slot);
}
// The type a cell first gets from its place: a corner or edge of the outer
// ring, tested corners first, else Interior.
CellType RingType(const CellGrid& g, int index);
