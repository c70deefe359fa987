#include "flow/face_weighted.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/cell_system.h"
#include "flow/multigrid.h"
#include "flow/progress.h"
#include "flow/run_sum.h"
#include "flow/solver.h"

namespace {

int Opposite(int slot) { return (slot + 2) % 4; }

// The face term of a prescribed side with the sign of the literal update:
// the ghost value beyond the side is φ + term.
double PrescribedTerm(const CellGrid& g, int i, int slot, double dx, double dy) {
  switch (slot) {
    case LinkWest: return -(WestU(g, i) * dx);
    case LinkEast: return EastU(g, i) * dx;
    case LinkNorth: return -(NorthQ(g, i) * dy);
    default: return SouthQ(g, i) * dy;
  }
}

using System = CellSystem;

System Assemble(const CellGrid& g, double dx, double dy) {
  System s(g.columns, g.cellCount, 1 / (dx * dx), 1 / (dy * dy));
  for (int i = 0; i < g.cellCount; ++i) {
    const CellEquation e = CellEquationOf(g, i, dx, dy);
    if (e.diagonal == 0) continue;
    const int p = s.At(i);
    s.rhs[p] = e.prescribed;
    s.open[p] = (e.weight[LinkEast] != 0 ? System::kEast : 0) | (e.weight[LinkWest] != 0 ? System::kWest : 0) |
                (e.weight[LinkNorth] != 0 ? System::kNorth : 0) |
                (e.weight[LinkSouth] != 0 ? System::kSouth : 0);
  }
  return s;
}

// Labels the regions of fluid cells connected through open faces (1, 2,
// ...; 0 elsewhere) and counts their cells.  Nothing fixes a potential, so
// each region's equations determine its potential only up to a constant.
void LabelRegions(System& s) {
  s.region.assign(s.Size(), 0);
  s.regionSize.assign(1, 0.0);
  std::vector<int> stack;
  for (int seed = s.Begin(); seed < s.End(); ++seed) {
    if (!s.InSystem(seed) || s.region[seed] != 0) continue;
    const int label = static_cast<int>(s.regionSize.size());
    s.regionSize.push_back(0);
    const auto visit = [&](int p, bool coupled) {
      if (coupled && s.region[p] == 0) {
        s.region[p] = label;
        stack.push_back(p);
      }
    };
    visit(seed, true);
    while (!stack.empty()) {
      const int p = stack.back();
      stack.pop_back();
      ++s.regionSize[label];
      const std::uint8_t open = s.open[p];
      visit(p + 1, open & System::kEast);
      visit(p - 1, open & System::kWest);
      visit(p + s.nc, open & System::kNorth);
      visit(p - s.nc, open & System::kSouth);
    }
  }
}

// The mean of v over each region, by label (0 for label 0).
std::vector<double> RegionMeans(const System& s, const std::vector<double>& v) {
  std::vector<double> mean(s.regionSize.size());
  RunSum<double> sums(mean);
  for (int p = s.Begin(); p < s.End(); ++p) sums.Add(s.region[p], v[p]);
  sums.Flush();
  mean[0] = 0;
  for (size_t k = 1; k < mean.size(); ++k) mean[k] /= s.regionSize[k];
  return mean;
}

// Spreads the rounding left in the sum of each region's right-hand side
// evenly over it: the region's equations sum to zero, so their right-hand
// sides must too.
void BalanceRegions(System& s) {
  const std::vector<double> mean = RegionMeans(s, s.rhs);
  for (int p = s.Begin(); p < s.End(); ++p) s.rhs[p] -= mean[s.region[p]];
}

// The conjugate gradient iteration with the multigrid cycle as its
// preconditioner.  The cycle is not quite a fixed linear operator (its
// coarse corrections are themselves short iterations), yet it keeps the
// steps conjugate enough for the plain form to converge at the same rate
// as the flexible one, which would need one more vector.
class ConjugateGradients {
 public:
  ConjugateGradients(const System& s, std::vector<double> start)
      : s_(s), multigrid_(s), x_(std::move(start)), r_(s.Size()), p_(s.Size()), w_(s.Size()) {
    Restart();
  }

  // Starts over from the current solution with its true residual, formed
  // in extended precision: the residual the iteration updates drifts from
  // it over many steps, and a product in doubles loses more than the goal.
  void Restart() {
    std::fill(regionSum_.begin(), regionSum_.end(), 0.0);
    RunSum<double> sums(regionSum_);
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      r_[i] = static_cast<double>(s_.rhs[i] - ExactProduct(x_, i));
      sums.Add(s_.region[i], r_[i]);
    }
    sums.Flush();
    rr_ = Dot(r_, r_) - RemoveRegionMeans();
    rz_ = Precondition();
    p_ = w_;
  }

  double ResidualSquared() const { return rr_; }

  void ShiftRegionsToZeroMean() {
    const std::vector<double> mean = RegionMeans(s_, x_);
    for (int p = s_.Begin(); p < s_.End(); ++p) x_[p] -= mean[s_.region[p]];
  }
  // The solution, taken out of the iteration, which is then spent.
  std::vector<double> TakeSolution() { return std::move(x_); }

  // The system's arrays, the iteration's vectors and the multigrid.
  size_t Bytes() const {
    return s_.open.size() + sizeof(double) * (s_.rhs.size() + 4 * x_.size()) +
           sizeof(int) * s_.region.size() + multigrid_.Bytes();
  }

  void Step() {
    const double alpha = rz_ / Multiply(p_, w_);
    std::fill(regionSum_.begin(), regionSum_.end(), 0.0);
    RunSum<double> sums(regionSum_);
    double rr = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      x_[i] += alpha * p_[i];
      r_[i] -= alpha * w_[i];
      rr += r_[i] * r_[i];
      sums.Add(s_.region[i], r_[i]);
    }
    sums.Flush();
    rr_ = rr - RemoveRegionMeans();
    const double rz = Precondition();
    const double beta = rz / rz_;
    rz_ = rz;
    for (int i = s_.Begin(); i < s_.End(); ++i) p_[i] = w_[i] + beta * p_[i];
  }

 private:
  // y = A v; answers v · y.
  double Multiply(const std::vector<double>& v, std::vector<double>& y) const {
    const int nc = s_.nc;
    double dot = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) {
      y[i] = s_.Diagonal(i) * v[i] - s_.East(i) * v[i + 1] - s_.East(i - 1) * v[i - 1] -
             s_.North(i) * v[i + nc] - s_.North(i - nc) * v[i - nc];
      dot += v[i] * y[i];
    }
    return dot;
  }

  long double ExactProduct(const std::vector<double>& v, int i) const {
    const int nc = s_.nc;
    using L = long double;
    return L(s_.Diagonal(i)) * v[i] - L(s_.East(i)) * v[i + 1] - L(s_.East(i - 1)) * v[i - 1] -
           L(s_.North(i)) * v[i + nc] - L(s_.North(i - nc)) * v[i - nc];
  }

  double Dot(const std::vector<double>& a, const std::vector<double>& b) const {
    double sum = 0;
    for (int i = s_.Begin(); i < s_.End(); ++i) sum += a[i] * b[i];
    return sum;
  }

  // A region's equations only reach residuals that sum to zero over it;
  // the rest is rounding, which the iteration must not chase.  Turns the
  // sums of regionSum_ into means, which Precondition subtracts from r
  // before it reads it, and answers by how much that lowers r · r.
  double RemoveRegionMeans() {
    regionSum_[0] = 0;
    double lowered = 0;
    for (size_t k = 1; k < regionSum_.size(); ++k) {
      lowered += regionSum_[k] * regionSum_[k] / s_.regionSize[k];
      regionSum_[k] /= s_.regionSize[k];
    }
    return lowered;
  }

  // w = M⁻¹ r by one multigrid cycle; answers r · w.
  double Precondition() {
    for (int i = s_.Begin(); i < s_.End(); ++i) r_[i] -= regionSum_[s_.region[i]];
    return multigrid_.Apply(r_, w_, std::sqrt(rr_ / s_.n));
  }

  const System& s_;
  Multigrid multigrid_;
  // w holds A p while a step updates x and r, then the preconditioned r.
  std::vector<double> x_, r_, p_, w_;
  std::vector<double> regionSum_ = std::vector<double>(s_.regionSize.size());
  double rr_ = 0, rz_ = 0;
};

// Scales the prescribed outflow to the inflow when solid cells on the west
// or east side have left them unequal; the system has no solution otherwise.
void BalanceOutflow(CellGrid& g, double dy) {
  double in = 0, out = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    if (PrescribesSide(g.type[i], LinkWest)) in += WestU(g, i) * dy;
    if (PrescribesSide(g.type[i], LinkEast)) out += EastU(g, i) * dy;
  }
  if (out == 0 || std::fabs(in - out) <= 1e-12 * std::fabs(in)) return;
  const double scale = in / out;
  for (int i = 0; i < g.cellCount; ++i) {
    if (PrescribesSide(g.type[i], LinkEast)) EastU(g, i) *= scale;
  }
}

// Iterates until the updated residual meets the goal, shifts each region
// to a zero mean and checks the true residual.  On large grids rounding
// in the stored potentials can keep the true residual a little above the
// goal; once a further round no longer halves it, the field is as
// converged as doubles allow.
void Converge(ConjugateGradients& cg, double goal, long maxIterations, ProgressPoints& progress,
              SolveReport& report) {
  for (double previous = HUGE_VAL;;) {
    while (!(cg.ResidualSquared() <= goal)) {
      if (!std::isfinite(cg.ResidualSquared()) || report.sweeps >= maxIterations) {
        report.converged = false;
        break;
      }
      cg.Step();
      ++report.sweeps;
      progress.AdvanceGauge();
    }
    if (!report.converged) break;
    cg.ShiftRegionsToZeroMean();
    cg.Restart();
    const double now = cg.ResidualSquared();
    if (!std::isfinite(now)) report.converged = false;
    if (!(now > goal && now <= 0.25 * previous)) break;
    previous = now;
  }
}

}  // namespace

bool SharesOpenFace(const CellGrid& g, int i, int slot) {
  const int j = CellLink(g, i, slot);
  return j != NoNeighbour && IsFluidType(g.type[j]) && !PrescribesSide(g.type[j], Opposite(slot));
}

CellEquation CellEquationOf(const CellGrid& g, int i, double dx, double dy) {
  CellEquation e;
  const CellType type = g.type[i];
  if (!IsFluidType(type)) return e;
  const double ax = 1 / (dx * dx), ay = 1 / (dy * dy);
  for (int k : {LinkEast, LinkWest, LinkSouth, LinkNorth}) {
    const double w = k == LinkEast || k == LinkWest ? ax : ay;
    if (PrescribesSide(type, k)) {
      e.prescribed += PrescribedTerm(g, i, k, dx, dy) * w;
    } else if (SharesOpenFace(g, i, k)) {
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
  LabelRegions(s);
  BalanceRegions(s);
  std::vector<double> start(s.Size());
  for (int i = 0; i < g.cellCount; ++i) {
    if (IsFluidType(g.type[i])) start[s.At(i)] = g.potential[i];
  }
  double rhs = 0;
  for (double b : s.rhs) rhs += b * b;
  const double goal = kResidualRatio * kResidualRatio * rhs;
  if (goal == 0) start.assign(start.size(), 0.0);  // no wind: the potential is constant
  // The solver holds the potential while it works, so the grid's copy is
  // let go and made again from the solution; only fluid cells have one.
  std::vector<double>().swap(g.potential);
  std::vector<double> solution;
  {
    ConjugateGradients cg(s, std::move(start));
    lastSolve.workingBytes = cg.Bytes();
    Converge(cg, goal, maxIterations, progress, lastSolve);
    solution = cg.TakeSolution();
  }
  g.potential.assign(g.cellCount, 0.0);
  for (int i = 0; i < g.cellCount; ++i) {
    if (IsFluidType(g.type[i])) g.potential[i] = solution[s.At(i)];
  }
  return lastSolve;
}

double FaceWeightedResidual(const CellGrid& g, double dx, double dy) {
  long double residual = 0, rhs = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    if (!IsFluidType(g.type[i])) continue;
    const CellEquation e = CellEquationOf(g, i, dx, dy);
    long double r = static_cast<long double>(e.prescribed) - static_cast<long double>(e.diagonal) * g.potential[i];
    for (int k = 0; k < 4; ++k) {
      if (e.weight[k] != 0) {
        r += static_cast<long double>(e.weight[k]) * g.potential[GridNeighbour(g, i, k)];
      }
    }
    residual += r * r;
    rhs += static_cast<long double>(e.prescribed) * e.prescribed;
  }
  return rhs == 0 ? 0.0 : static_cast<double>(std::sqrt(residual / rhs));
}
