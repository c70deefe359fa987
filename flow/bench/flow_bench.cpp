// Times the flow analysis of every sample drawing: the literal scheme with
// the fast algorithms and with the reference ones (scanning LocateCell, the
// sweep cell by cell through the links), checking that both give
// the same dump; then the accurate scheme on the 60 x 60 grid and on finer
// ones, with its iterations and the residual it reached, beside a sparse
// direct solve (Eigen's SimplicialLDLT, factor and solve) of the same
// system, and the memory of a whole analysis at each grid: the grid's own
// bytes per cell, the solver's, and the peak resident memory of the
// process while it runs.  Last, the batch tool on 20 drawings with -j 1
// and -j 2.
#include <dirent.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/direct_solve.h"
#include "flow/face_weighted.h"
#include "flow/flow_report.h"
#include "flow/progress.h"
#include "flow/solver.h"
#include "flow/streamlines.h"
#include "model/drawing_file.h"
#include "model/entity_list.h"

namespace {

using Clock = std::chrono::steady_clock;

struct StageTimes {
  double grid = 0, flow = 0, streamlines = 0;
  double total() const { return grid + flow + streamlines; }
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The walls of the drawing being timed and the result of its last run.
struct Bench {
  std::vector<Wall> walls;
  AnalysisOptions options;
  AnalysisResult result;
};

StageTimes TimeAnalysis(Bench& b) {
  AnalysisProgress silent;
  StageTimes t;
  auto start = Clock::now();
  BuildGridStage(b.result, b.walls, b.options, silent);
  t.grid = Seconds(start);
  start = Clock::now();
  ComputeFlowStage(b.result, b.options, silent);
  t.flow = Seconds(start);
  start = Clock::now();
  ComputeStreamlineStage(b.result, silent);
  t.streamlines = Seconds(start);
  return t;
}


// The fastest of a few runs, so that a busy machine disturbs less.
StageTimes BestOf(Bench& b, int runs) {
  StageTimes best;
  for (int r = 0; r < runs; ++r) {
    const StageTimes t = TimeAnalysis(b);
    if (r == 0 || t.total() < best.total()) best = t;
  }
  return best;
}

StageTimes LiteralBestOf(Bench& b, int runs, bool reference, std::string& dump) {
  b.options = AnalysisOptions{};
  b.options.scheme = SolverScheme::Literal;
  b.options.referenceAlgorithms = reference;
  const StageTimes best = BestOf(b, runs);
  dump = FlowDumpText(b.result);
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

size_t StreamPoints(const AnalysisResult& result) {
  size_t points = 0;
  for (const Streamline& line : result.streamlines) points += line.points.size();
  return points;
}

bool BenchLiteral(Bench& b, int runs) {
  std::string fastDump, referenceDump;
  const StageTimes reference = LiteralBestOf(b, 1, true, referenceDump);
  const StageTimes fast = LiteralBestOf(b, runs, false, fastDump);
  const AnalysisResult& r = b.result;
  const double updates = static_cast<double>(r.solve.sweeps) * r.grid.cellCount;
  std::printf("  literal scheme: sweeps %ld, streamlines %zu, points %zu\n", r.solve.sweeps,
              r.streamlines.size(), StreamPoints(r));
  PrintStages("reference", reference);
  PrintStages("fast", fast);
  std::printf("  ns per cell update %.2f (reference %.2f)\n", fast.flow * 1e9 / updates,
              reference.flow * 1e9 / updates);
  std::printf("  reference / fast: %.1fx   results identical: %s\n",
              reference.total() / fast.total(), fastDump == referenceDump ? "yes" : "NO");
  return fastDump == referenceDump;
}

// The process's resident memory in bytes from /proc/self/status: "VmRSS"
// now, "VmHWM" at its peak; 0 when it cannot be read.
double ResidentBytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, key.size() + 1, key + ":") == 0) return std::atof(line.c_str() + key.size() + 1) * 1024;
  }
  return 0;
}

// Gives the free heap back to the system and starts the peak resident
// memory again from what the process holds now.
void ResetResidentPeak() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

// A whole analysis with the bench's options, as brisel-flow runs it, after
// the last result is let go: its peak resident memory per cell, and how
// much of it the process held before.
void BenchMemory(Bench& b) {
  ReleaseGrid(b.result);
  ResetResidentPeak();
  const double before = ResidentBytes("VmRSS");
  const AnalysisResult r = Analyse(b.walls, b.options);
  const double peak = ResidentBytes("VmHWM"), cells = r.grid.cellCount;
  std::printf("  memory: grid %.1f B/cell, solver %.1f B/cell; whole run peak %.1f MB resident, "
              "%.1f B/cell (%.1f B/cell above the %.1f MB held before)\n",
              GridBytes(r.grid) / cells, r.solve.workingBytes / cells, peak / 1e6, peak / cells,
              (peak - before) / cells, before / 1e6);
}

// The largest difference between the solved potentials and those of the
// direct solve, in units of the inflow speed times the grid's larger side;
// `seconds` is the direct solve's time.
double CompareWithDirectSolve(const CellGrid& g, double& seconds) {
  const std::vector<double> direct = SolveDirectly(g, seconds);
  double largest = 0;
  for (int i = 0; i < g.cellCount; ++i) largest = std::max(largest, std::fabs(g.potential[i] - direct[i]));
  return largest / (g.inflowSpeed * std::max(g.xmax - g.xmin, g.ymax - g.ymin));
}

void BenchAccurate(Bench& b, int runs, int cells) {
  b.options = AnalysisOptions{};
  b.options.cells = cells;
  const StageTimes t = BestOf(b, runs);
  const AnalysisResult& r = b.result;
  const double bytes = static_cast<double>(r.solve.workingBytes) / r.grid.cellCount;
  std::printf("  accurate scheme, %d x %d: iterations %ld%s, residual %.1e, solver memory %.0f B/cell, "
              "streamlines %zu, points %zu\n",
              cells, cells, r.solve.sweeps, r.solve.converged ? "" : " (NOT CONVERGED)",
              FaceWeightedResidual(r.grid, r.grid.cellWidth, r.grid.cellHeight), bytes,
              r.streamlines.size(), StreamPoints(r));
  PrintStages("accurate", t);
  if (cells == kGridCells) return BenchMemory(b);
  double direct = HUGE_VAL, difference = 0;
  for (int k = 0; k < (cells >= 1600 ? 1 : runs); ++k) {
    double seconds;
    difference = CompareWithDirectSolve(r.grid, seconds);
    direct = std::min(direct, seconds);
  }
  std::printf("  LDLT factor + solve %8.2f ms   whole run / LDLT %.2f   solve / LDLT %.2f   "
              "largest difference %.1e\n",
              direct * 1e3, t.total() / direct, t.flow / direct, difference);
  BenchMemory(b);
}

int largestGrid = 1600;

bool BenchDrawing(const std::string& path, int runs) {
  EntityList drawing;
  ReadReport report;
  std::string error;
  if (!LoadDrawingFile(path, 0.15, drawing, report, error) || drawing.empty()) {
    std::printf("%s: cannot analyse (%s)\n", path.c_str(), error.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  Bench b;
  b.walls = drawing.walls();
  const bool identical = BenchLiteral(b, runs);
  for (int cells : {kGridCells, 240, 400, 800, 1600}) {
    if (cells <= largestGrid) BenchAccurate(b, cells >= 1600 ? std::min(runs, 2) : runs, cells);
  }
  return identical;
}

double SecondsOf(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::printf("  failed: %s\n", command.c_str());
  return Seconds(start);
}

// The batch tool on 20 drawings (the samples, four times each under other
// names) on the 120-cell grid, one at a time and two at a time, the best of
// three runs each.
void BenchBatch(const std::vector<std::string>& samples) {
  char pattern[] = "/tmp/brisel-bench-XXXXXX";
  if (!mkdtemp(pattern)) return;
  const std::string folder = pattern;
  std::string drawings;
  for (int copy = 0; copy < 4; ++copy) {
    for (const std::string& sample : samples) {
      const std::string name = folder + "/" + std::to_string(copy) + "_" +
                               sample.substr(sample.find_last_of('/') + 1);
      std::system(("cp '" + sample + "' '" + name + "'").c_str());
      drawings += " '" + name + "'";
    }
  }
  const std::string command = std::string(BRISEL_FLOW_TOOL) + " --cells 120 --dump-dir " + folder +
                              drawings + " -j ";
  double one = 1e9, two = 1e9;
  for (int run = 0; run < 3; ++run) {
    one = std::min(one, SecondsOf(command + "1"));
    two = std::min(two, SecondsOf(command + "2"));
  }
  std::printf("batch tool, %d drawings on 120 x 120 cells: -j 1 %.2f s, -j 2 %.2f s, %.2f x as "
              "fast (goal 1.7 x)\n",
              4 * static_cast<int>(samples.size()), one, two, one / two);
  std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace

// bench [FOLDER [RUNS [LARGEST]]]: every figure on the drawings of FOLDER
// (the samples by default), the best of RUNS runs, grids up to LARGEST;
// bench --batch: only the batch tool's.
int main(int argc, char** argv) {
  const bool batchOnly = argc > 1 && std::string(argv[1]) == "--batch";
  const std::string folder = argc > 1 && !batchOnly ? argv[1] : BRISEL_EXAMPLES_DIR;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  if (argc > 3) largestGrid = std::atoi(argv[3]);
  const std::vector<std::string> drawings = SampleDrawings(folder);
  if (drawings.empty()) {
    std::fprintf(stderr, "bench: no drawings in %s\n", folder.c_str());
    return 1;
  }
  if (batchOnly) {
    BenchBatch(drawings);
    return 0;
  }
  bool identical = true;
  for (const std::string& path : drawings) identical = BenchDrawing(path, runs) && identical;
  BenchBatch(drawings);
  return identical ? 0 : 1;
}
