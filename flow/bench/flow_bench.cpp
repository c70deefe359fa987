// Times the flow analysis of every sample drawing: the literal scheme with
// the fast algorithms and with the reference ones (scanning LocateCell and
// ConnectNodes, the sweep over the cell records), checking that both give
// the same dump; then the accurate scheme on the 60 x 60 grid and on finer
// ones, with its iterations and the residual it reached.
#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/face_weighted.h"
#include "flow/flow_report.h"
#include "flow/progress.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/entity.h"
#include "model/drawing_file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StageTimes {
  double grid = 0, flow = 0, streamlines = 0;
  double total() const { return grid + flow + streamlines; }
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

StageTimes TimeAnalysis(int cells = kGridCells) {
  StageTimes t;
  auto start = Clock::now();
  gaugeStep = 0.0001;
  BuildGridFromDrawing(cells);
  t.grid = Seconds(start);
  start = Clock::now();
  ComputeFlowStage();
  t.flow = Seconds(start);
  gaugeStep = 0.01;
  start = Clock::now();
  ComputeStreamlineStage();
  t.streamlines = Seconds(start);
  return t;
}

std::string DumpText() {
  char* buffer = nullptr;
  size_t size = 0;
  std::FILE* f = open_memstream(&buffer, &size);
  WriteFlowDump(f);
  std::fclose(f);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// The fastest of a few runs, so that a busy machine disturbs less.
StageTimes BestOf(int runs, int cells = kGridCells) {
  StageTimes best;
  for (int r = 0; r < runs; ++r) {
    const StageTimes t = TimeAnalysis(cells);
    if (r == 0 || t.total() < best.total()) best = t;
  }
  return best;
}

StageTimes LiteralBestOf(int runs, bool reference, std::string& dump) {
  solverSettings.scheme = SolverScheme::Literal;
  UseReferenceAlgorithms(reference);
  const StageTimes best = BestOf(runs);
  dump = DumpText();
  UseReferenceAlgorithms(false);
  solverSettings.scheme = SolverScheme::Accurate;
  return best;
}

std::vector<std::string> SampleDrawings(const std::string& folder) {
  std::vector<std::string> paths;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dat") == 0) {
        paths.push_back(folder + "/" + name);
      }
    }
    closedir(dir);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

void PrintStages(const char* label, const StageTimes& t) {
  std::printf("  %-9s grid %8.2f ms  flow %8.2f ms  streamlines %8.2f ms  total %8.2f ms\n", label,
              t.grid * 1e3, t.flow * 1e3, t.streamlines * 1e3, t.total() * 1e3);
}

size_t StreamPoints() {
  size_t points = 0;
  for (const Streamline& line : streamlines) points += line.points.size();
  return points;
}

bool BenchLiteral(int runs) {
  std::string fastDump, referenceDump;
  const StageTimes reference = LiteralBestOf(1, true, referenceDump);
  const StageTimes fast = LiteralBestOf(runs, false, fastDump);
  const double updates = static_cast<double>(lastSolve.sweeps) * cellGrid.cellCount;
  std::printf("  literal scheme: sweeps %ld, streamlines %zu, points %zu\n", lastSolve.sweeps,
              streamlines.size(), StreamPoints());
  PrintStages("reference", reference);
  PrintStages("fast", fast);
  std::printf("  ns per cell update %.2f (reference %.2f)\n", fast.flow * 1e9 / updates,
              reference.flow * 1e9 / updates);
  std::printf("  reference / fast: %.1fx   results identical: %s\n",
              reference.total() / fast.total(), fastDump == referenceDump ? "yes" : "NO");
  return fastDump == referenceDump;
}

void BenchAccurate(int runs, int cells) {
  const StageTimes t = BestOf(runs, cells);
  std::printf("  accurate scheme, %d x %d: iterations %ld%s, residual %.1e, streamlines %zu, "
              "points %zu\n",
              cells, cells, lastSolve.sweeps, lastSolve.converged ? "" : " (NOT CONVERGED)",
              FaceWeightedResidual(cellGrid.cellWidth, cellGrid.cellHeight), streamlines.size(),
              StreamPoints());
  PrintStages("accurate", t);
}

bool BenchDrawing(const std::string& path, int runs) {
  ReadReport report;
  std::string error;
  if (!LoadDrawingFile(path, report, error) || !EntityList) {
    std::printf("%s: cannot analyse (%s)\n", path.c_str(), error.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  const bool identical = BenchLiteral(runs);
  for (int cells : {kGridCells, 240, 400}) BenchAccurate(cells == kGridCells ? runs : 1, cells);
  return identical;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : BRISEL_EXAMPLES_DIR;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::vector<std::string> drawings = SampleDrawings(folder);
  if (drawings.empty()) {
    std::fprintf(stderr, "bench: no drawings in %s\n", folder.c_str());
    return 1;
  }
  bool identical = true;
  for (const std::string& path : drawings) identical = BenchDrawing(path, runs) && identical;
  deleteAll();
  ReleaseGrid();
  return identical ? 0 : 1;
}
