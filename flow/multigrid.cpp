#include "flow/multigrid.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "flow/run_sum.h"

namespace {

// Levels of at most this many unknowns are solved directly.
constexpr int kDirectSize = 32;
// A K-cycle skips its second step once the first has cut the residual to
// this fraction.
constexpr double kEnoughReduction = 0.25;

struct Blocks {
  int across, up;  // places per block along x and along y
};

// Blocks of four places, stretched along the axis of the stronger
// couplings when one axis is more than twice as strong: the coarse
// couplings then come closer to equal, which point smoothing needs.
// `ratio` is the x coupling over the y coupling.
Blocks ChooseBlocks(double ratio) {
  if (ratio > 2) return {4, 1};
  if (ratio < 0.5) return {1, 4};
  return {2, 2};
}

// Union-find over the members of one block.
struct Groups {
  std::vector<int> parent;
  int Add() {
    parent.push_back(static_cast<int>(parent.size()));
    return parent.back();
  }
  int Root(int a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  }
  void Join(int a, int b) {
    a = Root(a), b = Root(b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
};

// The next level made from a level whose unknowns lie in blocks: which
// unknown of it each unknown joins, its couplings by rows, and the block
// (row and column of blocks) of each of its unknowns.
struct Coarsening {
  std::vector<int> coarseOf;  // by unknown: the next level's unknown, or the sink
  std::vector<int> row, column;
  std::vector<int> start{0}, coupled;
  std::vector<float> weight;
  int count = 0;
};

}  // namespace

// A coarse level: couplings by rows (both directions kept, for the sweeps),
// where each unknown goes on the next level, and work vectors.  Every
// vector has one place more than the level has unknowns: the sink, where
// the unknowns of the finer level that drop out send their residual and
// whose correction stays 0.
struct Multigrid::Level {
  int n = 0;
  std::vector<int> start{0}, column;  // each row's couplings by column
  std::vector<float> weight, inverseDiagonal;
  std::vector<int> after;  // by row: the first coupling to a later unknown
  std::vector<int> next;
  Vector b, c, v, d;
  // The coarsest level: a Cholesky factor, row by row, of its matrix plus
  // a constant block on each region, which makes it regular without
  // changing the solution for a right-hand side of zero sum per region.
  std::vector<double> factor;
  std::vector<int> component;
  std::vector<double> componentSize;

  Level(Coarsening& k);
  double Multiply(const Vector& x, Vector& y) const;
  void Forward(const Vector& rhs, Vector& x, Vector& coarse) const;
  void Backward(const Vector& rhs, Vector& x) const;
  void FactorDirect();
  void SolveDirect();
  size_t Bytes() const;
};

namespace {

// Groups the unknowns of each block that are joined through couplings
// inside it and sums their couplings.  `members(block, f)` calls f(u) for
// the unknowns of a block in a fixed order; `neighbours(u, f)` calls
// f(v, w) for each coupling of u.  Unknowns in no block, and groups that
// couple to no other (whole regions), go to the sink.
template <class Members, class Neighbours>
Coarsening Coarsen(int unknowns, int blockColumns, int blockRows, Members members,
                   Neighbours neighbours) {
  Coarsening k;
  std::vector<int> provisional(unknowns, -1), blockOf;
  std::vector<int> local(unknowns, -1);
  int count = 0;
  // Groups: the members of each block joined through couplings inside it.
  Groups groups;
  std::vector<int> list;
  for (int block = 0; block < blockColumns * blockRows; ++block) {
    groups.parent.clear();
    list.clear();
    members(block, [&](int u) {
      local[u] = groups.Add();
      list.push_back(u);
    });
    const int size = static_cast<int>(list.size());
    for (int i = 0; i < size; ++i) {
      neighbours(list[i], [&](int v, double) {
        if (local[v] >= 0) groups.Join(local[list[i]], local[v]);
      });
    }
    for (int i = 0; i < size; ++i) {
      const int root = groups.Root(local[list[i]]);
      if (root == local[list[i]]) {
        provisional[list[i]] = count++;
        blockOf.push_back(block);
      } else {
        provisional[list[i]] = provisional[list[root]];
      }
    }
    for (int i = 0; i < size; ++i) local[list[i]] = -1;
  }
  // Couplings between groups, row by row; a group with none is a whole
  // region and drops out.
  std::vector<int> renumber(count, -1), position(count, -1);
  std::vector<double> sum;
  for (int g = 0; g < count;) {
    const int block = blockOf[g];
    int end = g;
    while (end < count && blockOf[end] == block) ++end;
    for (int h = g; h < end; ++h) {
      const size_t rowStart = k.coupled.size();
      members(block, [&](int u) {
        if (provisional[u] != h) return;
        neighbours(u, [&](int v, double w) {
          const int other = provisional[v];
          if (other == h || other < 0) return;
          if (position[other] < 0) {
            position[other] = static_cast<int>(k.coupled.size() - rowStart);
            k.coupled.push_back(other);
            sum.push_back(w);
          } else {
            sum[position[other]] += w;
          }
        });
      });
      for (size_t e = rowStart; e < k.coupled.size(); ++e) position[k.coupled[e]] = -1;
      k.weight.insert(k.weight.end(), sum.begin(), sum.end());
      sum.clear();
      if (k.coupled.size() > rowStart) {
        renumber[h] = k.count++;
        k.start.push_back(static_cast<int>(k.coupled.size()));
      }
    }
    g = end;
  }
  for (int& c : k.coupled) c = renumber[c];
  k.coarseOf.reserve(unknowns + 1);  // room for the sink of a coarse level
  k.coarseOf.assign(unknowns, k.count);
  for (int u = 0; u < unknowns; ++u) {
    if (provisional[u] >= 0 && renumber[provisional[u]] >= 0) k.coarseOf[u] = renumber[provisional[u]];
  }
  k.row.resize(k.count);
  k.column.resize(k.count);
  for (int g = 0; g < count; ++g) {
    if (renumber[g] < 0) continue;
    k.row[renumber[g]] = blockOf[g] / blockColumns;
    k.column[renumber[g]] = blockOf[g] % blockColumns;
  }
  return k;
}

}  // namespace

Multigrid::Level::Level(Coarsening& k)
    : n(k.count), start(std::move(k.start)), column(std::move(k.coupled)), weight(std::move(k.weight)),
      inverseDiagonal(n), after(n) {
  std::vector<std::pair<int, float>> row;
  for (int u = 0; u < n; ++u) {
    row.clear();
    double sum = 0;
    for (int e = start[u]; e < start[u + 1]; ++e) {
      row.emplace_back(column[e], weight[e]);
      sum += weight[e];
    }
    std::sort(row.begin(), row.end());
    after[u] = start[u];
    for (size_t i = 0; i < row.size(); ++i) {
      column[start[u] + i] = row[i].first;
      weight[start[u] + i] = row[i].second;
      if (row[i].first < u) after[u] = static_cast<int>(start[u] + i + 1);
    }
    inverseDiagonal[u] = static_cast<float>(1 / sum);
  }
  for (Vector* x : {&b, &c, &v, &d}) x->assign(n + 1, 0.0f);
}

Multigrid::Multigrid(const CellSystem& s) : s_(s), weightScale_(std::max(s.ax, s.ay)) {
  const int rows = s.n / s.nc;
  double ratio = s.ax / s.ay;
  const double ax = s.ax / weightScale_, ay = s.ay / weightScale_;
  Blocks b = ChooseBlocks(ratio);
  int blockColumns = (s.nc + b.across - 1) / b.across, blockRows = (rows + b.up - 1) / b.up;
  Coarsening k = Coarsen(
      static_cast<int>(s.Size()), blockColumns, blockRows,
      [&](int block, auto f) {
        const int r0 = block / blockColumns * b.up, c0 = block % blockColumns * b.across;
        for (int r = r0; r < std::min(rows, r0 + b.up); ++r) {
          for (int c = c0; c < std::min(s.nc, c0 + b.across); ++c) {
            const int p = s.At(r * s.nc + c);
            if (s.InSystem(p)) f(p);
          }
        }
      },
      [&](int p, auto f) {
        const std::uint8_t o = s.open[p];
        if (o & CellSystem::kEast) f(p + 1, ax);
        if (o & CellSystem::kWest) f(p - 1, ax);
        if (o & CellSystem::kNorth) f(p + s.nc, ay);
        if (o & CellSystem::kSouth) f(p - s.nc, ay);
      });
  coarseOf_ = std::move(k.coarseOf);
  for (;;) {
    ratio *= static_cast<double>(b.up) / b.across;
    levels_.emplace_back(k);
    Level& l = levels_.back();
    if (l.n <= kDirectSize) {
      l.FactorDirect();
      return;
    }
    b = ChooseBlocks(ratio);
    blockColumns = (blockColumns + b.across - 1) / b.across;
    blockRows = (blockRows + b.up - 1) / b.up;
    // The level's unknowns sorted by the block they fall in.
    std::vector<int> blockStart(static_cast<size_t>(blockColumns) * blockRows + 1, 0), order(l.n),
        blockOf(l.n);
    for (int u = 0; u < l.n; ++u) {
      blockOf[u] = k.row[u] / b.up * blockColumns + k.column[u] / b.across;
      ++blockStart[blockOf[u] + 1];
    }
    std::partial_sum(blockStart.begin(), blockStart.end(), blockStart.begin());
    std::vector<int> fill(blockStart.begin(), blockStart.end() - 1);
    for (int u = 0; u < l.n; ++u) order[fill[blockOf[u]]++] = u;
    k = Coarsen(
        l.n, blockColumns, blockRows,
        [&](int block, auto f) {
          for (int i = blockStart[block]; i < blockStart[block + 1]; ++i) f(order[i]);
        },
        [&](int u, auto f) {
          for (int e = l.start[u]; e < l.start[u + 1]; ++e) f(l.column[e], l.weight[e]);
        });
    l.next = std::move(k.coarseOf);
    l.next.push_back(k.count);  // the sink sends to the next sink
  }
}

Multigrid::~Multigrid() = default;

size_t Multigrid::Level::Bytes() const {
  return sizeof(int) * (start.size() + column.size() + after.size() + next.size() + component.size()) +
         sizeof(float) * (weight.size() + inverseDiagonal.size() + b.size() + c.size() + v.size() +
                          d.size()) +
         sizeof(double) * (factor.size() + componentSize.size());
}

size_t Multigrid::Bytes() const {
  size_t bytes = sizeof(int) * coarseOf_.size();
  for (const Level& l : levels_) bytes += l.Bytes();
  return bytes;
}

// y = A x, each row being the sum of its couplings times the differences
// (the diagonal is the sum of the couplings); answers x · y.
double Multigrid::Level::Multiply(const Vector& x, Vector& y) const {
  double dot = 0;
  for (int u = 0; u < n; ++u) {
    double sum = 0;
    for (int e = start[u]; e < start[u + 1]; ++e) sum += weight[e] * (x[u] - x[column[e]]);
    y[u] = static_cast<float>(sum);
    dot += x[u] * sum;
  }
  return dot;
}

// One Gauss-Seidel sweep in increasing order from x = 0.  The residual it
// leaves at an unknown comes only from the unknowns after it, so each one's
// share is summed onto the next level as soon as it is known.
void Multigrid::Level::Forward(const Vector& rhs, Vector& x, Vector& coarse) const {
  std::fill(x.begin(), x.end(), 0.0f);
  std::fill(coarse.begin(), coarse.end(), 0.0f);
  double previous = 0;
  for (int u = 0; u < n; ++u) {
    // The unknown just before, mostly a neighbour, is taken from a register
    // and added last: the sweep waits on it.
    int end = after[u];
    const bool chained = end > start[u] && column[end - 1] == u - 1;
    if (chained) --end;
    double sum = rhs[u];
    for (int e = start[u]; e < end; ++e) sum += weight[e] * x[column[e]];
    double value = sum * inverseDiagonal[u];
    if (chained) value += weight[end] * inverseDiagonal[u] * previous;
    x[u] = static_cast<float>(value);
    previous = x[u];
    for (int e = start[u]; e < after[u]; ++e) coarse[next[column[e]]] += weight[e] * x[u];
  }
}

void Multigrid::Level::Backward(const Vector& rhs, Vector& x) const {
  double previous = 0;
  for (int u = n - 1; u >= 0; --u) {
    // As in Forward, with the unknown just after.
    int begin = after[u];
    const bool chained = begin < start[u + 1] && column[begin] == u + 1;
    double sum = rhs[u];
    for (int e = start[u]; e < after[u]; ++e) sum += weight[e] * x[column[e]];
    for (int e = begin + chained; e < start[u + 1]; ++e) sum += weight[e] * x[column[e]];
    double value = sum * inverseDiagonal[u];
    if (chained) value += weight[begin] * inverseDiagonal[u] * previous;
    x[u] = static_cast<float>(value);
    previous = x[u];
  }
}

void Multigrid::Level::FactorDirect() {
  // The regions of the level, found through its couplings.
  component.assign(n, -1);
  componentSize.clear();
  std::vector<int> stack;
  for (int seed = 0; seed < n; ++seed) {
    if (component[seed] >= 0) continue;
    const int id = static_cast<int>(componentSize.size());
    componentSize.push_back(0);
    component[seed] = id;
    stack.push_back(seed);
    while (!stack.empty()) {
      const int u = stack.back();
      stack.pop_back();
      ++componentSize[id];
      for (int e = start[u]; e < start[u + 1]; ++e) {
        if (component[column[e]] < 0) {
          component[column[e]] = id;
          stack.push_back(column[e]);
        }
      }
    }
  }
  std::vector<double> diagonal(n, 0.0);
  for (int u = 0; u < n; ++u) {
    for (int e = start[u]; e < start[u + 1]; ++e) diagonal[u] += weight[e];
  }
  const double scale = std::accumulate(diagonal.begin(), diagonal.end(), 0.0) / std::max(n, 1);
  factor.assign(static_cast<size_t>(n) * n, 0.0);
  for (int u = 0; u < n; ++u) {
    double* row = &factor[static_cast<size_t>(u) * n];
    for (int v = 0; v < n; ++v) {
      if (component[v] == component[u]) row[v] = scale / componentSize[component[u]];
    }
    row[u] += diagonal[u];
    for (int e = start[u]; e < start[u + 1]; ++e) row[column[e]] -= weight[e];
  }
  for (int j = 0; j < n; ++j) {
    double* rj = &factor[static_cast<size_t>(j) * n];
    double pivot = rj[j];
    for (int k = 0; k < j; ++k) pivot -= rj[k] * rj[k];
    rj[j] = std::sqrt(pivot);
    for (int i = j + 1; i < n; ++i) {
      double* ri = &factor[static_cast<size_t>(i) * n];
      double sum = ri[j];
      for (int k = 0; k < j; ++k) sum -= ri[k] * rj[k];
      ri[j] = sum / rj[j];
    }
  }
}

// c = the solution for b, after b's mean over each region is removed.
void Multigrid::Level::SolveDirect() {
  std::vector<double> mean(componentSize.size(), 0.0), y(n);
  for (int u = 0; u < n; ++u) mean[component[u]] += b[u];
  for (size_t k = 0; k < mean.size(); ++k) mean[k] /= componentSize[k];
  for (int u = 0; u < n; ++u) {
    const double* row = &factor[static_cast<size_t>(u) * n];
    double sum = b[u] - mean[component[u]];
    for (int k = 0; k < u; ++k) sum -= row[k] * y[k];
    y[u] = sum / row[u];
  }
  for (int u = n - 1; u >= 0; --u) {
    double sum = y[u];
    for (int k = u + 1; k < n; ++k) sum -= factor[static_cast<size_t>(k) * n + u] * y[k];
    y[u] = sum / factor[static_cast<size_t>(u) * n + u];
  }
  for (int u = 0; u < n; ++u) c[u] = static_cast<float>(y[u]);
  c[n] = 0;
}

void Multigrid::Solve(size_t l) {
  if (l + 1 == levels_.size()) levels_[l].SolveDirect();
  else KCycle(l);
}

// Two steps of flexible conjugate gradients on level l's equations for b,
// from 0, preconditioned by the level's cycle; the result goes to c.  The
// second step is left out when the first has done enough.
void Multigrid::KCycle(size_t l) {
  Level& L = levels_[l];
  Cycle(l, L.b, L.c);
  const double rho1 = L.Multiply(L.c, L.v);
  double alpha1 = 0;
  for (int u = 0; u < L.n; ++u) alpha1 += static_cast<double>(L.c[u]) * L.b[u];
  if (!(rho1 > 0)) return;
  const double t1 = alpha1 / rho1;
  double before = 0, after = 0;
  for (int u = 0; u < L.n; ++u) {
    before += static_cast<double>(L.b[u]) * L.b[u];
    L.b[u] = static_cast<float>(L.b[u] - t1 * L.v[u]);
    after += static_cast<double>(L.b[u]) * L.b[u];
  }
  double cc = t1, dd = 0;
  if (after > kEnoughReduction * kEnoughReduction * before) {
    Cycle(l, L.b, L.d);
    double gamma = 0, alpha2 = 0;
    for (int u = 0; u < L.n; ++u) {
      gamma += static_cast<double>(L.d[u]) * L.v[u];
      alpha2 += static_cast<double>(L.d[u]) * L.b[u];
    }
    const double rho2 = L.Multiply(L.d, L.v) - gamma * gamma / rho1;
    if (rho2 > 0) {
      cc = t1 - gamma * alpha2 / (rho1 * rho2);
      dd = alpha2 / rho2;
    }
  }
  for (int u = 0; u < L.n; ++u) L.c[u] = static_cast<float>(cc * L.c[u] + dd * L.d[u]);
}

void Multigrid::Cycle(size_t l, Vector& rhs, Vector& out) {
  Level& L = levels_[l];
  const Vector& correction = levels_[l + 1].c;
  L.Forward(rhs, out, levels_[l + 1].b);
  Solve(l + 1);
  for (int u = 0; u < L.n; ++u) out[u] += correction[L.next[u]];
  L.Backward(rhs, out);
}

namespace {

// Weights of a place's faces by its flags, the inverse of its diagonal,
// and the weights of the faces whose neighbour a sweep has just updated
// over the diagonal.
struct FaceWeights {
  double east[16], west[16], north[16], south[16], inverse[16];
  double eastOverDiagonal[16], westOverDiagonal[16];
  explicit FaceWeights(const CellSystem& s) {
    for (int f = 0; f < 16; ++f) {
      east[f] = f & CellSystem::kEast ? s.ax : 0;
      west[f] = f & CellSystem::kWest ? s.ax : 0;
      north[f] = f & CellSystem::kNorth ? s.ay : 0;
      south[f] = f & CellSystem::kSouth ? s.ay : 0;
      const double d = east[f] + west[f] + north[f] + south[f];
      inverse[f] = d == 0 ? 0 : 1 / d;
      eastOverDiagonal[f] = east[f] * inverse[f];
      westOverDiagonal[f] = west[f] * inverse[f];
    }
  }
};

}  // namespace

// A forward sweep from z = 0.  The residual it leaves at a place comes only
// from its east and north neighbours, so it is summed onto the first
// coarse level as the sweep goes.
void Multigrid::FineForward(const std::vector<double>& r, std::vector<double>& z, double toCoarse) {
  const FaceWeights w(s_);
  const int nc = s_.nc;
  std::fill(z.begin(), z.begin() + s_.Begin(), 0.0);
  std::fill(z.begin() + s_.End(), z.end(), 0.0);
  Vector& coarse = levels_[0].b;
  std::fill(coarse.begin(), coarse.end(), 0.0f);
  RunSum<float> west(coarse), south(coarse);
  double previous = 0;
  for (int p = s_.Begin(); p < s_.End(); ++p) {
    const std::uint8_t f = s_.open[p];
    // The west neighbour, just swept, comes last: the sweep waits on it.
    const double value = (r[p] + w.south[f] * z[p - nc]) * w.inverse[f] + w.westOverDiagonal[f] * previous;
    z[p] = previous = value;
    west.Add(coarseOf_[p - 1], w.west[f] * value * toCoarse);
    south.Add(coarseOf_[p - nc], w.south[f] * value * toCoarse);
  }
  west.Flush();
  south.Flush();
}

// A backward sweep.  The correction from the first coarse level is added
// to each place just before the first place that reads it is swept: the
// place above it, or, on the top row, before the sweep starts.
double Multigrid::FineBackward(const std::vector<double>& r, std::vector<double>& z, double fromCoarse) {
  const FaceWeights w(s_);
  const int nc = s_.nc;
  const Vector& correction = levels_[0].c;
  for (int p = s_.End() - nc; p < s_.End(); ++p) z[p] += correction[coarseOf_[p]] * fromCoarse;
  double previous = 0, rz = 0;
  for (int p = s_.End() - 1; p >= s_.Begin(); --p) {
    const std::uint8_t f = s_.open[p];
    z[p - nc] += correction[coarseOf_[p - nc]] * fromCoarse;
    previous = (r[p] + w.west[f] * z[p - 1] + w.north[f] * z[p + nc] + w.south[f] * z[p - nc]) * w.inverse[f] +
               w.eastOverDiagonal[f] * previous;
    z[p] = previous;
    rz += r[p] * previous;
  }
  return rz;
}

double Multigrid::Apply(const std::vector<double>& r, std::vector<double>& z, double size) {
  if (!(size > 0 && size < HUGE_VAL)) size = 1;
  FineForward(r, z, 1 / size);
  Solve(0);
  return FineBackward(r, z, size / weightScale_);
}
