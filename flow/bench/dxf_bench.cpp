// Times opening a large DXF plan: a file of a million LINEs (or as many as
// the first argument says), short random walls in a 100 x 60 m area, is
// written through the DXF save, then read (the file's groups and entities)
// and turned into walls (layers chosen, units converted), three times; the
// best time of each stage is printed.  The file is removed at the end.
//
//     build/dxf-bench [LINES]
#include <unistd.h>

#include <sys/stat.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "model/dxf_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<WallSegment> RandomWalls(long count) {
  std::mt19937_64 random(20240601);
  std::uniform_real_distribution<double> x(0, 100), y(0, 60), step(-0.5, 0.5);
  std::vector<WallSegment> walls(static_cast<size_t>(count));
  for (WallSegment& w : walls) {
    w.x0 = x(random);
    w.y0 = y(random);
    w.x1 = w.x0 + step(random);
    w.y1 = w.y0 + step(random);
  }
  return walls;
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  if (count <= 0) {
    std::fprintf(stderr, "uso: dxf-bench [LINHAS]\n");
    return 2;
  }
  const std::string path = "/tmp/brisel-dxf-bench-" + std::to_string(::getpid()) + ".dxf";
  const std::vector<WallSegment> walls = RandomWalls(count);
  std::string error;
  auto start = Clock::now();
  if (!WriteDxfFile(path, walls, error)) {
    std::fprintf(stderr, "dxf-bench: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  const double write = Seconds(start);
  struct stat st {};
  ::stat(path.c_str(), &st);

  double read = 1e30, expand = 1e30, open = 1e30;
  bool same = true;
  for (int run = 0; run < 3; ++run) {
    start = Clock::now();
    DxfPlan plan;
    DxfWalls got;
    if (!plan.Read(path, error)) break;
    const double r = Seconds(start);
    const auto middle = Clock::now();
    if (!plan.Walls({}, got, error)) break;
    const double w = Seconds(middle);
    read = std::min(read, r);
    expand = std::min(expand, w);
    open = std::min(open, r + w);
    same = same && got.walls.size() == walls.size() &&
           std::equal(walls.begin(), walls.end(), got.walls.begin());
  }
  ::unlink(path.c_str());
  if (!error.empty()) {
    std::fprintf(stderr, "dxf-bench: %s\n", error.c_str());
    return 1;
  }
  std::printf("DXF of %ld LINEs, %.1f MB\n", count, st.st_size / 1e6);
  std::printf("  save            %7.3f s\n", write);
  std::printf("  read the file   %7.3f s  (best of 3)\n", read);
  std::printf("  make the walls  %7.3f s\n", expand);
  std::printf("  open in all     %7.3f s  (%.1f million LINEs a second)\n", open,
              count / open / 1e6);
  std::printf("  walls read back %s\n", same ? "identical" : "DIFFERENT");
  return same ? 0 : 1;
}
