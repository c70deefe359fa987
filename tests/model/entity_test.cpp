#include <cmath>

#include "tests/model/model_fixture.h"

namespace {

using EntityTest = ModelTest;

void ExpectOutline(const LineEntity& line, const std::vector<double>& expected) {
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(line.outline[i], expected[i], 1e-12) << "field " << i;
}

TEST_F(EntityTest, ZeroLengthLineGetsASquareOfTheWallWidth) {
  LineEntity dot(2, 3, 2, 3, Settings().wallWidth);
  ExpectOutline(dot, {1.925, 3.075, 2.075, 3.075, 2.075, 2.925, 1.925, 2.925});
  for (double v : dot.outline) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(EntityTest, OutlineUsesTheWidthCurrentWhenTheEndpointsChange) {
  LineEntity line(0, 0, 4, 0, Settings().wallWidth);
  Settings().wallWidth = 1.0;
  EXPECT_DOUBLE_EQ(line.outline[1], 0.075);  // unchanged until an endpoint moves
  ASSERT_TRUE(line.setEndpoint(1, 2, 0, Settings().wallWidth));
  ExpectOutline(line, {0, 0.5, 2, 0.5, 2, -0.5, 0, -0.5});

  EXPECT_FALSE(line.setEndpoint(2, 9, 9, Settings().wallWidth));
  double x = -1, y = -1;
  EXPECT_FALSE(line.endpoint(2, x, y));
  EXPECT_FALSE(line.handlePoint(4, x, y));
  EXPECT_FALSE(line.handlePoint(-1, x, y));
  EXPECT_EQ(x, -1);
  ASSERT_TRUE(line.handlePoint(3, x, y));
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, -0.5);
}

TEST_F(EntityTest, HitTestClipsTheSegmentAgainstTheSquare) {
  LineEntity line(0, 0, 10, 0, Settings().wallWidth);
  EXPECT_TRUE(line.hitTest(5, 0.1, 0.1));     // border counts as inside
  EXPECT_FALSE(line.hitTest(5, 0.11, 0.1));
  EXPECT_TRUE(line.hitTest(10.1, 0, 0.1));    // only P1 inside the square
  EXPECT_FALSE(line.hitTest(10.2, 0, 0.1));   // beyond the end

  // A diagonal passing just by a corner of the square, and just missing it.
  LineEntity diagonal(0, 0, 4, 4, Settings().wallWidth);
  EXPECT_TRUE(diagonal.hitTest(2.2, 1.8, 0.2));
  EXPECT_FALSE(diagonal.hitTest(2.25, 1.75, 0.2));
  // Both ends outside on opposite sides, crossing through the middle.
  EXPECT_TRUE(diagonal.hitTest(2, 2, 0.01));
  LineEntity steep(0, -5, 0.5, 5, Settings().wallWidth);
  EXPECT_TRUE(steep.hitTest(0.25, 0, 0.01));
  EXPECT_FALSE(steep.hitTest(0.4, 0, 0.01));
}

}  // namespace
