#include "flow/direct_solve.h"

#include <Eigen/SparseCholesky>
#include <chrono>

#include "flow/face_weighted.h"

namespace {

// The region of every cell in the system (-1 elsewhere), through open faces.
std::vector<int> Regions(const CellGrid& g, const std::vector<CellEquation>& equations, int& count) {
  std::vector<int> region(g.cellCount, -1);
  count = 0;
  for (int seed = 0; seed < g.cellCount; ++seed) {
    if (equations[seed].diagonal == 0 || region[seed] >= 0) continue;
    std::vector<int> stack{seed};
    region[seed] = count;
    while (!stack.empty()) {
      const int i = stack.back();
      stack.pop_back();
      for (int k = 0; k < 4; ++k) {
        const int j = GridNeighbour(g, i, k);
        if (equations[i].weight[k] != 0 && region[j] < 0) {
          region[j] = count;
          stack.push_back(j);
        }
      }
    }
    ++count;
  }
  return region;
}

}  // namespace

std::vector<double> SolveDirectly(const CellGrid& g, double& seconds) {
  std::vector<CellEquation> equations;
  for (int i = 0; i < g.cellCount; ++i) equations.push_back(CellEquationOf(g, i, g.cellWidth, g.cellHeight));
  int regions = 0;
  const std::vector<int> region = Regions(g, equations, regions);
  // Each region's equations are singular: its first cell is held at 0.
  std::vector<int> unknown(g.cellCount, -1);
  std::vector<char> held(regions, 0);
  int n = 0;
  for (int i = 0; i < g.cellCount; ++i) {
    if (region[i] < 0) continue;
    if (held[region[i]]) unknown[i] = n++;
    held[region[i]] = 1;
  }
  std::vector<Eigen::Triplet<double>> entries;
  Eigen::VectorXd rhs = Eigen::VectorXd::Zero(n);
  for (int i = 0; i < g.cellCount; ++i) {
    if (unknown[i] < 0) continue;
    const CellEquation& e = equations[i];
    entries.emplace_back(unknown[i], unknown[i], e.diagonal);
    rhs[unknown[i]] = e.prescribed;
    for (int k = 0; k < 4; ++k) {
      const int j = e.weight[k] != 0 ? unknown[GridNeighbour(g, i, k)] : -1;
      if (j >= 0) entries.emplace_back(unknown[i], j, -e.weight[k]);
    }
  }
  Eigen::SparseMatrix<double> matrix(n, n);
  matrix.setFromTriplets(entries.begin(), entries.end());
  const auto start = std::chrono::steady_clock::now();
  Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>> ldlt(matrix);
  const Eigen::VectorXd solved = ldlt.solve(rhs);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::vector<double> potential(g.cellCount, 0.0), sum(regions, 0.0), size(regions, 0.0);
  for (int i = 0; i < g.cellCount; ++i) {
    if (unknown[i] >= 0) potential[i] = solved[unknown[i]];
    if (region[i] >= 0) {
      sum[region[i]] += potential[i];
      size[region[i]] += 1;
    }
  }
  for (int i = 0; i < g.cellCount; ++i) {
    if (region[i] >= 0) potential[i] -= sum[region[i]] / size[region[i]];
  }
  return potential;
}
