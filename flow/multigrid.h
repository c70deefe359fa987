// An aggregation multigrid for the cell system, the preconditioner of its
// conjugate gradients: the iterations it needs do not grow with the grid,
// so a solve costs about as much as a few passes over the cells.
//
// Each coarser level joins the unknowns of a block of 2 × 2 places (4 × 1
// or 1 × 4 where the couplings along one axis are much the stronger) into
// one unknown for every group of them that is connected through open faces
// inside the block, so that no unknown reaches across a wall.  The coarse
// equations are the sums of the fine ones (piecewise constant transfer), a
// group that makes up a whole region drops out (its potential is the free
// constant), and the coarsest few unknowns are solved directly.  The fine
// level works on the face flags and keeps only each place's coarse unknown.
//
// A cycle smooths by one Gauss-Seidel sweep forward, corrects from the next
// level and smooths by one sweep backward.  The corrections below the
// finest level are each found by two steps of flexible conjugate gradients
// preconditioned by the cycle of that level (a K-cycle), which makes up for
// the weakness of piecewise constant transfer without smoothing the
// aggregates.  The coarse levels are kept in single precision: a
// preconditioner needs no more, and it halves their memory and traffic.
#pragma once

#include <cstddef>
#include <vector>

#include "flow/cell_system.h"

class Multigrid {
 public:
  explicit Multigrid(const CellSystem& s);
  ~Multigrid();

  // z ≈ A⁺ r for a residual whose sum over each region is zero; z is 0
  // outside the system.  z need not be cleared.  Answers r · z.  `size`
  // is about the size of r's entries: the coarse levels, in single
  // precision, work on r / size and on the couplings over the larger face
  // weight, so that drawings of any scale stay within their range.
  double Apply(const std::vector<double>& r, std::vector<double>& z, double size);

  // The memory the hierarchy holds, in bytes.
  size_t Bytes() const;

 private:
  struct Level;
  using Vector = std::vector<float>;

  void Solve(size_t l);
  void KCycle(size_t l);
  void Cycle(size_t l, Vector& rhs, Vector& out);
  void FineForward(const std::vector<double>& r, std::vector<double>& z, double toCoarse);
  double FineBackward(const std::vector<double>& r, std::vector<double>& z, double fromCoarse);

  const CellSystem& s_;
  double weightScale_;         // the coarse couplings are the fine ones over this
  std::vector<int> coarseOf_;  // each place's unknown on the first coarse level
  std::vector<Level> levels_;  // the coarse levels, the last solved directly
};
