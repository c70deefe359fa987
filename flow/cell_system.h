// The linear system of the accurate scheme in grid order.  Every open face
// between two fluid cells has the same weight along one axis (1/dx² across
// east and west faces, 1/dy² across north and south ones), and a cell's
// diagonal is the sum of its open faces' weights, so one byte of face flags
// per cell holds the whole matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct CellSystem {
  // Face flags: which of a cell's faces are open to a fluid neighbour.
  enum : std::uint8_t { kEast = 1, kWest = 2, kNorth = 4, kSouth = 8 };

  // Places are cells shifted by a margin of one row and one cell on both
  // sides, so that every neighbour offset stays inside the arrays.
  int nc = 0, n = 0, margin = 0;
  double ax = 0, ay = 0;           // weight of an east-west and a north-south face
  std::vector<std::uint8_t> open;  // face flags by place; 0 outside the system
  std::vector<double> rhs;
  std::vector<int> region;         // 1 + the region of a cell in the system, or 0
  std::vector<double> regionSize;  // cells of each region, by that number

  CellSystem(int columns, int cells, double eastWest, double northSouth)
      : nc(columns), n(cells), margin(columns + 1), ax(eastWest), ay(northSouth), open(Size()),
        rhs(Size()) {
    // Summed in the order of the cell equations, so that the diagonal is
    // the same double to the last bit.
    for (int f = 0; f < 16; ++f) {
      double d = 0;
      if (f & kEast) d += ax;
      if (f & kWest) d += ax;
      if (f & kSouth) d += ay;
      if (f & kNorth) d += ay;
      diagonal_[f] = d;
      inverse_[f] = f == 0 ? 0 : 1 / d;
    }
  }
  size_t Size() const { return static_cast<size_t>(n) + 2 * margin; }
  int At(int cell) const { return cell + margin; }
  int Begin() const { return margin; }
  int End() const { return margin + n; }

  bool InSystem(int p) const { return open[p] != 0; }
  double East(int p) const { return open[p] & kEast ? ax : 0; }
  double North(int p) const { return open[p] & kNorth ? ay : 0; }
  double Diagonal(int p) const { return diagonal_[open[p]]; }
  // 1 / Diagonal(p), and 0 outside the system.
  double InverseDiagonal(int p) const { return inverse_[open[p]]; }

 private:
  double diagonal_[16], inverse_[16];
};
