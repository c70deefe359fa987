#include "flow/streamlines.h"

#include <algorithm>
#include <cmath>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/progress.h"

namespace {

// Speeds below this fraction of the inflow speed are stepped as if they
// were that fast.  The floor scales with the drawing, as every speed does
// (the inflow speed is 25 × the grid's larger side), so a drawing and the
// same drawing scaled are traced alike; the sample plans never meet it.
constexpr double kSlowestStepFraction = 0.001;

// The step of one Runge-Kutta stage for the velocity (u, v): each stage
// moves the point by h0 along its dominant axis, slow flow by less; false
// when the trace must stop (|u| = |v|, including no flow at all).
bool StageStep(double u, double v, double h0, double slowest, double& h) {
  const double au = std::fabs(u), av = std::fabs(v);
  if (au == av) return false;
  const double m = au > av ? au : av;
  h = h0 / std::max(m, slowest);
  return true;
}

bool Stage(const CellGrid& g, double x, double y, double h0, double& u, double& w, double& h) {
  return InterpolateVelocity(g, x, y, u, w) != -1 &&
         StageStep(u, w, h0, kSlowestStepFraction * g.inflowSpeed, h);
}

// Refinement ends once the seeds' half offset changes by less than this: a
// third of the widest wall's width (0.05 for walls 0.15 thick), so that it
// follows the drawing's size, but never below a sixteenth of a cell height,
// which bounds the depth of refinement whatever the walls.
double SettledOffsetChange(const CellGrid& g) {
  return std::max(g.widestWall / 3, g.cellHeight / 16);
}

// The segment of a streamline used at X: the one from the point before the
// first point beyond X (or from the first point itself).  As X grows that
// first point beyond it can only move forward, so a cursor walks each line
// once over all the X positions of a gap measurement instead of from its
// start at each of them.
class SegmentCursor {
 public:
  explicit SegmentCursor(const Streamline& line) : p_(line.points) {}
  // False when no point before the last lies beyond X, or the line has a
  // single point.  X must not decrease from one call to the next.
  bool At(double X, size_t& at) {
    if (p_.size() < 2) return false;
    while (k_ < p_.size() - 1 && p_[k_].x <= X) ++k_;
    if (k_ == p_.size() - 1) return false;
    at = k_ == 0 ? 0 : k_ - 1;
    return true;
  }

 private:
  const std::vector<StreamPoint>& p_;
  size_t k_ = 0;
};

double HeightAt(const Streamline& line, size_t at, double X) {
  const StreamPoint& p = line.points[at];
  const StreamPoint& q = line.points[at + 1];
  return p.y + (X - p.x) * (q.y - p.y) / (q.x - p.x);
}

bool WallBetween(const CellGrid& g, int cellA, int cellB) {
  for (int c = cellA; c < cellB; c += g.columns) {
    if (g.type[c] == Solid) return true;
  }
  return false;
}

Streamline& NewStreamline(StreamlineList& streamlines, double x, double y) {
  streamlines.emplace_back();
  Streamline& line = streamlines.back();
  line.points.push_back({x, y});
  return line;
}

}  // namespace

size_t StreamlinePointLimit(const CellGrid& g) {
  return 20 * static_cast<size_t>(g.columns + g.rows);
}

void ClearStreamlines(StreamlineList& streamlines) { StreamlineList().swap(streamlines); }

void AppendStreamPoint(Streamline& line, double x, double y) { line.points.push_back({x, y}); }

// At the west ends of the bottom and the top row of cells, half-way up.
void SeedStreamlines(const CellGrid& g, StreamlineList& streamlines) {
  NewStreamline(streamlines, g.columnX[0], g.rowY[0] + g.cellHeight / 2);
  NewStreamline(streamlines, g.columnX[0], g.rowY[g.rows - 1] + g.cellHeight / 2);
}

// No velocity is known before a solve has made the node velocities.
int InterpolateVelocity(const CellGrid& g, double x, double y, double& u, double& v) {
  const int c = LocateCell(g, x, y);
  if (c == -1 || g.type[c] == Solid || g.nodes.empty()) return -1;
  const int row = CellRow(g, c), column = c - row * g.columns;
  const double s = (x - g.columnX[column]) / (g.columnX[column + 1] - g.columnX[column]);
  const double t = (y - g.rowY[row]) / (g.rowY[row + 1] - g.rowY[row]);
  const int bottomLeft = c + row, topLeft = bottomLeft + g.columns + 1;  // as CellCorner gives
  const GridNode& bl = g.nodes[bottomLeft];
  const GridNode& br = g.nodes[bottomLeft + 1];
  const GridNode& tl = g.nodes[topLeft];
  const GridNode& tr = g.nodes[topLeft + 1];
  u = bl.velX * (1 - s) * (1 - t) + br.velX * s * (1 - t) + tl.velX * (1 - s) * t + tr.velX * s * t;
  v = bl.velY * (1 - s) * (1 - t) + br.velY * s * (1 - t) + tl.velY * (1 - s) * t + tr.velY * s * t;
  return c;
}

void TraceStreamline(AnalysisResult& result, Streamline& line, ProgressPoints& progress) {
  const CellGrid& g = result.grid;
  const double dx = g.cellWidth, dy = g.cellHeight;
  const GridRect r = GridCorners(g);
  const double h0 = 0.6 * std::min(dx, dy);
  const size_t limit = StreamlinePointLimit(g);
  double x = line.points.front().x, y = line.points.front().y;
  if (x > r.xmax) return;
  bool ok = true;
  while (!(y > r.ymax || x < r.xmin || y < r.ymin || !ok)) {
    double u1, w1, h1, u2, w2, h2, u3, w3, h3, u4, w4, h4;
    ok = Stage(g, x, y, h0, u1, w1, h1) &&
         Stage(g, x + u1 * h1 * 0.5, y + w1 * h1 * 0.5, h0, u2, w2, h2) &&
         Stage(g, x + u2 * h2 * 0.5, y + w2 * h2 * 0.5, h0, u3, w3, h3) &&
         Stage(g, x + u3 * h3, y + w3 * h3, h0, u4, w4, h4);
    if (!ok) break;
    const double nx = x + (u1 + 2 * u2 + 2 * u3 + u4) * h4 * 0.1666;
    const double ny = y + (w1 + 2 * w2 + 2 * w3 + w4) * h4 * 0.1666;
    if (std::fabs(x - nx) >= 1.1 * dy || std::fabs(y - ny) >= 1.1 * dy) ok = false;
    x = nx;
    y = ny;
    if (x > r.xmax) return;
    if (y <= r.ymax && x >= r.xmin && y >= r.ymin && ok) {
      AppendStreamPoint(line, x, y);
      progress.RequestRedraw(result);
      progress.ProcessEvents();
      if (line.points.size() >= limit) return;
    }
  }
}

// The gap at one x position, or false when it is not measured there.
static bool GapAt(const CellGrid& g, const Streamline& a, const Streamline& b, SegmentCursor& onA,
                  SegmentCursor& onB, double X, double& gap) {
  size_t atA, atB;
  if (!onA.At(X, atA)) return false;
  const int cellA = LocateCell(g, a.points[atA].x, a.points[atA].y);
  if (cellA == -1) return false;
  if (!onB.At(X, atB)) return false;
  const int cellB = LocateCell(g, b.points[atB].x, b.points[atB].y);
  if (cellB == -1) return false;
  if (cellA < cellB && WallBetween(g, cellA, cellB)) return false;
  gap = HeightAt(b, atB, X) - HeightAt(a, atA, X);
  return true;
}

double StreamlineGap(const CellGrid& g, const Streamline& a, const Streamline& b) {
  double best = -1.0;
  const double step = 0.5 * g.cellWidth;
  SegmentCursor onA(a), onB(b);
  for (double X = g.xmin; X <= g.xmax; X += step) {
    double gap;
    if (GapAt(g, a, b, onA, onB, X, gap) && best <= gap) best = gap;
    if (X + step == X) break;  // a step too small to move X would never end
  }
  return best;
}

void RefineStreamlines(AnalysisResult& result, Refinement& refinement, double gap, Streamline& a,
                       Streamline& b, ProgressPoints& progress) {
  const CellGrid& g = result.grid;
  Streamline* lower = &a;
  for (;;) {
    const double offset = (b.points.front().y - lower->points.front().y) * 0.5;
    if (refinement.firstRefinement) {
      refinement.firstRefinement = false;
      refinement.lastHalfOffset = offset;
    } else {
      const bool settled = std::fabs(refinement.lastHalfOffset - offset) < SettledOffsetChange(g);
      refinement.lastHalfOffset = offset;
      if (settled) return;
    }
    if (!(gap > 2.5 * g.cellHeight)) return;
    progress.AdvanceGauge();
    Streamline& middle = NewStreamline(result.streamlines, lower->points.front().x,
                                       lower->points.front().y + offset);
    TraceStreamline(result, middle, progress);
    progress.RequestRedraw(result);
    progress.ProcessEvents();
    progress.AdvanceGauge();
    RefineStreamlines(result, refinement, StreamlineGap(g, *lower, middle), *lower, middle,
                      progress);
    progress.AdvanceGauge();
    gap = StreamlineGap(g, middle, b);
    progress.AdvanceGauge();
    lower = &middle;
  }
}

void ComputeStreamlines(AnalysisResult& result, ProgressPoints& progress) {
  StreamlineList& streamlines = result.streamlines;
  progress.AdvanceGauge();
  ClearStreamlines(streamlines);
  progress.AdvanceGauge();
  if (result.grid.cellCount == 0) return;
  SeedStreamlines(result.grid, streamlines);
  for (Streamline& line : streamlines) {
    progress.AdvanceGauge();
    TraceStreamline(result, line, progress);
  }
  progress.RequestRedraw(result);
  progress.ProcessEvents();
  Streamline& a = streamlines[0];
  Streamline& b = streamlines[1];
  progress.AdvanceGauge();
  const double gap = StreamlineGap(result.grid, a, b);
  progress.AdvanceGauge();
  Refinement refinement;
  RefineStreamlines(result, refinement, gap, a, b, progress);
}
