// The analysis as one call: it follows the drawing's size, and two analyses
// of different drawings interleaved in one process give exactly what each
// gives alone.
#include <functional>

#include "flow/flow_report.h"
#include "tests/flow/flow_fixture.h"

namespace {

using AnalysisTest = FlowTest;

// Calls `redraw` at every redraw point of the analysis it is given to.
struct OnRedraw : AnalysisProgress {
  std::function<void(const AnalysisResult&)> redraw;
  void Redraw(const AnalysisResult& partial) override { redraw(partial); }
};

// The walls scaled about the origin, their width with them.
std::vector<Wall> Scaled(const std::vector<Wall>& walls, double k) {
  EntityList scaled;
  for (auto w = walls.rbegin(); w != walls.rend(); ++w)
    scaled.insertAtFront(new LineEntity(w->x0 * k, w->y0 * k, w->x1 * k, w->y1 * k, 0.15 * k));
  return scaled.walls();
}

// The analysis follows the drawing's size: the house drawn in kilometres,
// or scaled near either bound, gets the streamlines it gets in metres.  A
// drawing too small for the grid's arithmetic is refused, in both schemes,
// before anything is built or solved.
TEST_F(AnalysisTest, ScaledDrawingsGiveTheSameStreamlinesAndTinyOnesAreRefused) {
  const std::vector<Wall> house = SampleWalls("house.dat");
  const AnalysisResult metres = Analyse(house, options);
  ASSERT_EQ(metres.streamlines.size(), 54u);
  for (double k : {1e-3, 1e-90, 1e90}) {
    const AnalysisResult scaled = Analyse(Scaled(house, k), options);
    EXPECT_EQ(scaled.outcome, AnalysisOutcome::Done) << k;
    EXPECT_EQ(scaled.streamlines.size(), metres.streamlines.size()) << k;
    EXPECT_EQ(scaled.streamlines[20].points.size(), metres.streamlines[20].points.size()) << k;
  }

  struct CountingGauge : AnalysisProgress {
    int moves = 0;
    void GaugeMoved(double) override { ++moves; }
  };
  for (SolverScheme scheme : {SolverScheme::Accurate, SolverScheme::Literal}) {
    options.scheme = scheme;
    for (double k : {1e-102, 1e-160, 1e-200}) {
      CountingGauge gauge;
      const AnalysisResult tiny = Analyse(Scaled(house, k), options, gauge);
      EXPECT_EQ(tiny.outcome, AnalysisOutcome::TooSmall) << k;
      EXPECT_EQ(gauge.moves, 0) << k;
      EXPECT_TRUE(tiny.grid.type.empty() && tiny.streamlines.empty());
    }
  }
}

// The house on the accurate scheme pauses, half-way through its
// streamlines, inside its progress while the L block runs to the end on
// the literal scheme and a finer grid; then it goes on.  Each dump is the
// one its analysis gives alone, bit for bit.
TEST_F(AnalysisTest, InterleavedAnalysesGiveWhatEachGivesAlone) {
  const std::vector<Wall> house = SampleWalls("house.dat"), block = SampleWalls("l_block.dat");
  AnalysisOptions houseOptions, blockOptions;
  blockOptions.scheme = SolverScheme::Literal;
  blockOptions.cells = 45;
  const std::string houseAlone = FlowDumpText(Analyse(house, houseOptions));
  const std::string blockAlone = FlowDumpText(Analyse(block, blockOptions));
  ASSERT_NE(houseAlone, blockAlone);

  std::string blockInside;
  int redraws = 0;
  OnRedraw progress;
  progress.redraw = [&](const AnalysisResult& partial) {
    EXPECT_EQ(partial.grid.columns, 60);  // the house's own result, as far as it goes
    if (++redraws != 200) return;
    ASSERT_FALSE(partial.streamlines.empty());
    blockInside = FlowDumpText(Analyse(block, blockOptions));
  };
  const AnalysisResult houseAround = Analyse(house, houseOptions, progress);
  ASSERT_GT(redraws, 200);
  EXPECT_EQ(houseAround.outcome, AnalysisOutcome::Done);
  EXPECT_TRUE(FlowDumpText(houseAround) == houseAlone);
  EXPECT_TRUE(blockInside == blockAlone);
}

}  // namespace
