#include <cmath>

#include "tests/flow/flow_fixture.h"

namespace {

using StreamlineTest = FlowTest;

Streamline Seeded(double x, double y) {
  Streamline line;
  line.points.push_back({x, y});
  return line;
}

Streamline Horizontal(double x0, double x1, double y, int points) {
  Streamline line;
  for (int k = 0; k < points; ++k) line.points.push_back({x0 + (x1 - x0) * k / (points - 1), y});
  return line;
}

// A streamline in a uniform field stays on its row and ends on its way out
// through the east side, within a step of it and never beyond it.
TEST_F(StreamlineTest, UniformFlowEndsAtTheEastSide) {
  BuildOpenGrid(0, 6, 0, 3, 30);  // cells 0.2 × 0.1
  SetUniformNodeVelocity(2.0, 0.0);
  Streamline line = Seeded(0.01, 1.55);
  TraceStreamline(line);
  ASSERT_GT(line.points.size(), 10u);
  for (const StreamPoint& p : line.points) EXPECT_EQ(p.y, 1.55);
  const double step = line.points[1].x - line.points[0].x;
  EXPECT_LE(line.points.back().x, cellGrid.xmax);
  EXPECT_GT(line.points.back().x + step, cellGrid.xmax);
}

TEST_F(StreamlineTest, StalledStreamlineEndsAtItsPointLimit) {
  BuildOpenGrid(0, 6, 0, 6, 30);
  SetUniformNodeVelocity(0.0001, 0.00002);
  Streamline line = Seeded(1, 1);
  TraceStreamline(line);
  EXPECT_EQ(line.points.size(), StreamlinePointLimit());
}

TEST_F(StreamlineTest, GapIsMeasuredOnlyWhereNoWallSeparates) {
  BuildOpenGrid(0, 10, 0, 10, 10);
  const Streamline a = Horizontal(0, 10, 1.5, 21), b = Horizontal(0, 10, 4.5, 21);
  EXPECT_DOUBLE_EQ(StreamlineGap(a, b), 3.0);
  for (int c = 0; c < 10; ++c) cellGrid.type[3 * 10 + c] = Solid;
  EXPECT_EQ(StreamlineGap(a, b), -1.0);
  EXPECT_EQ(StreamlineGap(a, Seeded(0, 5)), -1.0);  // a single point has no segment
}

}  // namespace
