#include "flow/face_weighted.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/progress.h"
#include "flow/solver.h"

namespace {

bool IsFluid(const GridCell& c) { return c.type >= Interior && c.type <= RightEdge; }

}  // namespace

bool PrescribesSide(std::int16_t type, int slot) {
  switch (slot) {
    case LinkWest: return type == TopLeftCorner || type == BottomLeftCorner || type == LeftEdge;
    case LinkEast: return type == TopRightCorner || type == BottomRightCorner || type == RightEdge;
    case LinkNorth: return type == TopLeftCorner || type == TopRightCorner || type == TopEdge;
    case LinkSouth: return type == BottomLeftCorner || type == BottomRightCorner || type == BottomEdge;
    default: return false;
  }
}

namespace {

int Opposite(int slot) { return (slot + 2) % 4; }

// The face term of a prescribed side with the sign of the literal update:
// the ghost value beyond the side is φ + term.
double PrescribedTerm(const GridCell& c, int slot, double dx, double dy) {
  switch (slot) {
    case LinkWest: return -(c.westU * dx);
    case LinkEast: return c.eastU * dx;
    case LinkNorth: return -(c.northQ * dy);
    default: return c.southQ * dy;
  }
}

// The system in grid order with a margin of one row and one cell on both
// sides, so that every neighbour offset stays inside the arrays.  Couplings
// are stored once: east[p] joins p and p + 1, north[p] joins p and p + nc.
struct System {
  int nc = 0, n = 0, margin = 0;
  std::vector<double> diag, east, north, rhs;
  std::vector<int> region;         // 1 + the region of a fluid cell, or 0
  std::vector<double> regionSize;  // cells of each region, by that number

  System(int columns, int cells)
      : nc(columns), n(cells), margin(columns + 1), diag(Size()), east(Size()), north(Size()),
        rhs(Size()) {}
  size_t Size() const { return static_cast<size_t>(n) + 2 * margin; }
  int At(int cell) const { return cell + margin; }
  int Begin() const { return margin; }
  int End() const { return margin + n; }
};

System Assemble(const CellGrid& g, double dx, double dy) {
  System s(g.columns, g.cellCount);
  for (const GridCell& c : g.cells) {
    const CellEquation e = CellEquationOf(g, c, dx, dy);
    if (e.diagonal == 0) continue;
    const int p = s.At(c.index);
    s.diag[p] = e.diagonal;
    s.rhs[p] = e.prescribed;
    s.east[p] = e.weight[LinkEast];
    s.north[p] = e.weight[LinkNorth];
  }
  return s;
}

// The fluid cells connected to `seed` through open faces.  Nothing fixes a
// potential, so each such region's equations determine its potential only
// up to a constant.
std::vector<int> RegionOf(const System& s, int seed, std::vector<char>& seen) {
  std::vector<int> region{seed}, stack{seed};
  seen[seed] = 1;
  const auto visit = [&](int p, double coupling) {
    if (coupling != 0 && !seen[p]) {
      seen[p] = 1;
      region.push_back(p);
      stack.push_back(p);
    }
  };
  while (!stack.empty()) {
    const int p = stack.back();
    stack.pop_back();
    visit(p + 1, s.east[p]);
    visit(p - 1, s.east[p - 1]);
    visit(p + s.nc, s.north[p]);
    visit(p - s.nc, s.north[p - s.nc]);
  }
  return region;
}

std::vector<std::vector<int>> Regions(const System& s) {
  std::vector<std::vector<int>> regions;
  std::vector<char> seen(s.Size());
  for (int p = s.Begin(); p < s.End(); ++p) {
    if (s.diag[p] != 0 && !seen[p]) regions.push_back(RegionOf(s, p, seen));
  }
  return regions;
}

// Labels the cells of each region (1, 2, ...; 0 elsewhere) and spreads the
// rounding left in the sum of its right-hand side evenly over it: the
// region's equations sum to zero, so their right-hand sides must too.
void MarkRegions(System& s, const std::vector<std::vector<int>>& regions) {
  s.region.assign(s.Size(), 0);
  s.regionSize.assign(regions.size() + 1, 0.0);
  for (size_t k = 0; k < regions.size(); ++k) {
    double sum = 0;
    for (int p : regions[k]) sum += s.rhs[p];
    const double mean = sum / regions[k].size();
    for (int p : regions[k]) {
      s.rhs[p] -= mean;
      s.region[p] = static_cast<int>(k + 1);
    }
    s.regionSize[k + 1] = static_cast<double>(regions[k].size());
  }
}

// Modified incomplete Cholesky factor of the system: the inverse square
// root of each pivot.
std::vector<double> Factor(const System& s) {
  constexpr double kRelaxation = 0.97, kSafety = 0.25;
  const int nc = s.nc;
  std::vector<double> inverse(s.Size());
  for (int p = s.Begin(); p < s.End(); ++p) {
    if (s.diag[p] == 0) continue;
    const double w = inverse[p - 1], south = inverse[p - nc];
    const double fromWest = s.east[p - 1] * w, fromSouth = s.north[p - nc] * south;
    double pivot = s.diag[p] - fromWest * fromWest - fromSouth * fromSouth -
                   kRelaxation * (s.east[p - 1] * s.north[p - 1] * w * w +
                                  s.north[p - nc] * s.east[p - nc] * south * south);
    if (pivot < kSafety * s.diag[p]) pivot = s.diag[p];
    inverse[p] = 1 / std::sqrt(pivot);
  }
  return inverse;
}

// The conjugate gradient iteration with the incomplete factor as its
// preconditioner.  Loops that read the same vectors are fused, since on
// large grids the iteration is bound by memory traffic.
class ConjugateGradients {
 public:
  ConjugateGradients(const System& s, std::vector<double> start)
      : s_(s), inverse_(Factor(s)), x_(std::move(start)), r_(s.Size()), z_(s.Size()),
        p_(s.Size()), q_(s.Size()) {
    Restart();
  }

  // Starts over from the current solution with its true residual, formed
  // in extended precision: the residual the iteration updates drifts from
  // it over many steps, and a product in doubles loses more than the goal.
  void Restart() {
    std::fill(regionSum_.begin(), regionSum_.end(), 0.0);
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      r_[i] = static_cast<double>(s_.rhs[i] - ExactProduct(x_, i));
      regionSum_[s_.region[i]] += r_[i];
    }
    rr_ = Dot(r_, r_) - RemoveRegionMeans();
    rz_ = Precondition();
    p_ = z_;
  }

  double ResidualSquared() const { return rr_; }

  void ShiftToZeroMean(const std::vector<int>& region) {
    double sum = 0;
    for (int p : region) sum += x_[p];
    const double mean = sum / region.size();
    for (int p : region) x_[p] -= mean;
  }
  const std::vector<double>& Solution() const { return x_; }

  void Step() {
    const double alpha = rz_ / Multiply(p_, q_);
    std::fill(regionSum_.begin(), regionSum_.end(), 0.0);
    double rr = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      x_[i] += alpha * p_[i];
      r_[i] -= alpha * q_[i];
      rr += r_[i] * r_[i];
      regionSum_[s_.region[i]] += r_[i];
    }
    rr_ = rr - RemoveRegionMeans();
    const double rz = Precondition();
    const double beta = rz / rz_;
    rz_ = rz;
    for (int i = s_.Begin(); i < s_.End(); ++i) p_[i] = z_[i] + beta * p_[i];
  }

 private:
  // y = A v; answers v · y.
  double Multiply(const std::vector<double>& v, std::vector<double>& y) const {
    const int nc = s_.nc;
    const double *diag = s_.diag.data(), *east = s_.east.data(), *north = s_.north.data();
    double dot = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      y[i] = diag[i] * v[i] - east[i] * v[i + 1] - east[i - 1] * v[i - 1] - north[i] * v[i + nc] -
             north[i - nc] * v[i - nc];
      dot += v[i] * y[i];
    }
    return dot;
  }

  long double ExactProduct(const std::vector<double>& v, int i) const {
    const int nc = s_.nc;
    using L = long double;
    return L(s_.diag[i]) * v[i] - L(s_.east[i]) * v[i + 1] - L(s_.east[i - 1]) * v[i - 1] -
           L(s_.north[i]) * v[i + nc] - L(s_.north[i - nc]) * v[i - nc];
  }

  double Dot(const std::vector<double>& a, const std::vector<double>& b) const {
    double sum = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) sum += a[i] * b[i];
    return sum;
  }

  // A region's equations only reach residuals that sum to zero over it;
  // the rest is rounding, which the iteration must not chase.  Turns the
  // sums of regionSum_ into means, which Precondition subtracts from r as it
  // reads it, and answers by how much that lowers r · r.
  double RemoveRegionMeans() {
    regionSum_[0] = 0;
    double lowered = 0;
    for (size_t k = 1; k < regionSum_.size(); ++k) {
      lowered += regionSum_[k] * regionSum_[k] / s_.regionSize[k];
      regionSum_[k] /= s_.regionSize[k];
    }
    return lowered;
  }

  // z = M⁻¹ r by a forward and a backward triangular solve; answers r · z.
  double Precondition() {
    const int nc = s_.nc;
    const double *east = s_.east.data(), *north = s_.north.data(), *inv = inverse_.data();
    double* z = z_.data();
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      r_[i] -= regionSum_[s_.region[i]];
      z[i] = (r_[i] + east[i - 1] * inv[i - 1] * z[i - 1] + north[i - nc] * inv[i - nc] * z[i - nc]) *
             inv[i];
    }
    double rz = 0;
    for (int i = s_.End() - 1; i >= s_.Begin(); --i) {
      z[i] = (z[i] + east[i] * inv[i] * z[i + 1] + north[i] * inv[i] * z[i + nc]) * inv[i];
      rz += r_[i] * z[i];
    }
    return rz;
  }

  const System& s_;
  std::vector<double> inverse_, x_, r_, z_, p_, q_;
  std::vector<double> regionSum_ = std::vector<double>(s_.regionSize.size());
  double rr_ = 0, rz_ = 0;
};

// Scales the prescribed outflow to the inflow when solid cells on the west
// or east side have left them unequal; the system has no solution otherwise.
void BalanceOutflow(CellGrid& g, double dy) {
  double in = 0, out = 0;
  for (const GridCell& c : g.cells) {
    if (!IsFluid(c)) continue;
    if (PrescribesSide(c.type, LinkWest)) in += c.westU * dy;
    if (PrescribesSide(c.type, LinkEast)) out += c.eastU * dy;
  }
  if (out == 0 || std::fabs(in - out) <= 1e-12 * std::fabs(in)) return;
  const double scale = in / out;
  for (GridCell& c : g.cells) {
    if (IsFluid(c) && PrescribesSide(c.type, LinkEast)) c.eastU *= scale;
  }
}

}  // namespace

// Two fluid cells share an open face when neither prescribes it and each
// links to the other across it.  Every other side is closed: a prescribed
// one carries its face value, one towards a solid or missing cell is an
// impermeable wall.
bool SharesOpenFace(const CellGrid& g, const GridCell& c, int slot) {
  const int j = c.neighbours[slot];
  if (j == NoNeighbour || j != GridNeighbour(g, c.index, slot)) return false;
  const GridCell& other = g.cells[j];
  return IsFluid(other) && !PrescribesSide(c.type, slot) && !PrescribesSide(other.type, Opposite(slot)) &&
         other.neighbours[Opposite(slot)] == c.index;
}

CellEquation CellEquationOf(const CellGrid& g, const GridCell& c, double dx, double dy) {
  CellEquation e;
  if (!IsFluid(c)) return e;
  const double ax = 1 / (dx * dx), ay = 1 / (dy * dy);
  for (int k : {LinkEast, LinkWest, LinkSouth, LinkNorth}) {
    const double w = k == LinkEast || k == LinkWest ? ax : ay;
    if (PrescribesSide(c.type, k)) {
      e.prescribed += PrescribedTerm(c, k, dx, dy) * w;
    } else if (SharesOpenFace(g, c, k)) {
      e.weight[k] = w;
      e.diagonal += w;
    }
  }
  return e;
}

SolveReport SolveFaceWeighted(CellGrid& g, double dx, double dy, long maxIterations,
                              ProgressPoints& progress) {
  SolveReport lastSolve;
  if (g.cellCount == 0) return lastSolve;
  BalanceOutflow(g, dy);
  System s = Assemble(g, dx, dy);
  const std::vector<std::vector<int>> regions = Regions(s);
  MarkRegions(s, regions);
  std::vector<double> start(s.Size());
  for (const GridCell& c : g.cells) {
    if (IsFluid(c)) start[s.At(c.index)] = c.potential;
  }
  double rhs = 0;
  for (double b : s.rhs) rhs += b * b;
  const double goal = kResidualRatio * kResidualRatio * rhs;
  if (goal == 0) start.assign(start.size(), 0.0);  // no wind: the potential is constant
  ConjugateGradients cg(s, std::move(start));
  // Iterates until the updated residual meets the goal, shifts each region
  // to a zero mean and checks the true residual.  On large grids rounding
  // in the stored potentials can keep the true residual a little above the
  // goal; once a further round no longer halves it, the field is as
  // converged as doubles allow.
  for (double previous = HUGE_VAL;;) {
    while (!(cg.ResidualSquared() <= goal)) {
      if (!std::isfinite(cg.ResidualSquared()) || lastSolve.sweeps >= maxIterations) {
        lastSolve.converged = false;
        break;
      }
      cg.Step();
      ++lastSolve.sweeps;
      progress.AdvanceGauge();
    }
    if (!lastSolve.converged) break;
    for (const std::vector<int>& region : regions) cg.ShiftToZeroMean(region);
    cg.Restart();
    const double now = cg.ResidualSquared();
    if (!std::isfinite(now)) lastSolve.converged = false;
    if (!(now > goal && now <= 0.25 * previous)) break;
    previous = now;
  }
  for (GridCell& c : g.cells) {
    if (IsFluid(c)) c.potential = cg.Solution()[s.At(c.index)];
  }
  return lastSolve;
}

double FaceWeightedResidual(const CellGrid& g, double dx, double dy) {
  long double residual = 0, rhs = 0;
  for (const GridCell& c : g.cells) {
    const CellEquation e = CellEquationOf(g, c, dx, dy);
    if (!IsFluid(c)) continue;
    long double r = static_cast<long double>(e.prescribed) - static_cast<long double>(e.diagonal) * c.potential;
    for (int k = 0; k < 4; ++k) {
      if (e.weight[k] != 0) {
        r += static_cast<long double>(e.weight[k]) * g.cells[c.neighbours[k]].potential;
      }
    }
    residual += r * r;
    rhs += static_cast<long double>(e.prescribed) * e.prescribed;
  }
  return rhs == 0 ? 0.0 : static_cast<double>(std::sqrt(residual / rhs));
}
