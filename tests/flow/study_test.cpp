// The ventilation study of a solved flow: winds from any direction, the
// field read at points, the flow through lines and zones.
#include <cmath>
#include <string>
#include <vector>

#include "flow/boundary_arrows.h"
#include "flow/colour_map.h"
#include "flow/field.h"
#include "flow/flow_report.h"
#include "tests/flow/flow_fixture.h"

namespace {

using StudyTest = FlowTest;

// The walls turned a quarter turn counter-clockwise `quarters` times, exactly.
std::vector<Wall> Turned(std::vector<Wall> walls, int quarters) {
  const auto turn = [quarters](double& x, double& y) {
    for (int k = 0; k < quarters; ++k) {
      const double t = x;
      x = -y;
      y = t;
    }
  };
  for (Wall& w : walls) {
    turn(w.x0, w.y0);
    turn(w.x1, w.y1);
    for (int k = 0; k < 4; ++k) turn(w.outline[2 * k], w.outline[2 * k + 1]);
  }
  return walls;
}

AnalysisResult AnalyseWithWind(const std::vector<Wall>& walls, double direction, double speed = 1) {
  AnalysisOptions options;
  options.windDirection = direction;
  options.windSpeed = speed;
  return Analyse(walls, options);
}

// The west wind is the analysis that knows no frame, bit for bit, however
// its angle is written; the kept dumps check the literal scheme the same way.
TEST_F(StudyTest, TheWestWindIsTheAnalysisWithoutAFrame) {
  const std::vector<Wall> house = SampleWalls("house.dat");
  const std::string west = FlowDumpText(Analyse(house, AnalysisOptions{}));
  EXPECT_EQ(FlowDumpText(AnalyseWithWind(house, -90)), west);
  EXPECT_EQ(FlowDumpText(AnalyseWithWind(house, 630)), west);
  EXPECT_NE(west.find("\nwind 270 grid-to-drawing 1 0 0 1\n"), std::string::npos);
  EXPECT_TRUE(AnalyseWithWind(house, 269.9).frame.identity == false);
}

// A drawing turned by right angles with its wind gives the same flow at
// the same places of the drawing: speeds, turned velocities, the flow
// through a line and the read-outs of a zone.
TEST_F(StudyTest, ADrawingTurnedWithItsWindGivesTheSameFlow) {
  const std::vector<Wall> house = SampleWalls("house.dat");
  const AnalysisResult west = AnalyseWithWind(house, 270, 3);
  ASSERT_TRUE(HasSolvedField(west));
  const double tolerance = 1e-9 * 3;
  for (int quarters = 1; quarters <= 3; ++quarters) {
    SCOPED_TRACE(quarters);
    const AnalysisResult turned = AnalyseWithWind(Turned(house, quarters), 270 - 90 * quarters, 3);
    ASSERT_TRUE(HasSolvedField(turned));
    for (double x = -1.5; x < 13.5; x += 0.37) {
      for (double y = -1.2; y < 10.4; y += 0.41) {
        Wall point;
        point.x0 = x, point.y0 = y;
        const Wall there = Turned({point}, quarters)[0];
        const FieldSample a = SampleField(west, x, y), b = SampleField(turned, there.x0, there.y0);
        ASSERT_EQ(a.fluid, b.fluid) << x << " " << y;
        EXPECT_NEAR(a.speed, b.speed, tolerance);
        Wall velocity;
        velocity.x0 = a.u, velocity.y0 = a.v;
        const Wall expected = Turned({velocity}, quarters)[0];
        EXPECT_NEAR(b.u, expected.x0, tolerance);
        EXPECT_NEAR(b.v, expected.y0, tolerance);
      }
    }
    Wall line;
    line.x0 = 3, line.y0 = -2, line.x1 = 4, line.y1 = 11;
    const Wall tl = Turned({line}, quarters)[0];
    EXPECT_NEAR(MeasureFlux(west, 3, -2, 4, 11).flow, MeasureFlux(turned, tl.x0, tl.y0, tl.x1, tl.y1).flow,
                tolerance * 10);
  }
}

// The lines across the openings of a closed room carry flows that sum to
// zero, and a line across the whole grid carries the whole inflow, to
// solver precision, for winds along and across the grid's cells.
TEST_F(StudyTest, FlowsThroughLinesAreConservative) {
  const std::vector<Wall> room = SampleWalls("single_room.dat");  // 6 × 4, openings at y 1.5 to 2.5
  for (double direction : {270.0, 30.0, 135.0, 200.0}) {
    SCOPED_TRACE(direction);
    const AnalysisResult r = AnalyseWithWind(room, direction, 2.5);
    ASSERT_TRUE(HasSolvedField(r));
    const double inflow = GridInflow(r);
    ASSERT_GT(inflow, 0);
    // Both lines drawn northwards: what comes in through one leaves by the other.
    const FluxMeasure west = MeasureFlux(r, 0, 1.3, 0, 2.7), east = MeasureFlux(r, 6, 1.3, 6, 2.7);
    EXPECT_GT(std::fabs(west.flow), 0.01 * inflow);
    EXPECT_NEAR(west.flow - east.flow, 0, 1e-9 * inflow);
    // Reversing a line reverses its flow.
    EXPECT_EQ(MeasureFlux(r, 0, 2.7, 0, 1.3).flow, -west.flow);
    // Across the whole grid, perpendicular to the wind, in the grid's frame.
    const CellGrid& g = r.grid;
    double x0, y0, x1, y1;
    const double gx = g.xmin + 0.37 * (g.xmax - g.xmin);
    r.frame.ToDrawing(gx, g.ymin - 1, x0, y0);
    r.frame.ToDrawing(gx, g.ymax + 1, x1, y1);
    EXPECT_NEAR(MeasureFlux(r, x0, y0, x1, y1).flow, inflow, 1e-9 * inflow);
  }
  // The inflow is the wind times the grid's height across the wind.
  const AnalysisResult r = AnalyseWithWind(room, 270, 2.5);
  EXPECT_NEAR(GridInflow(r), 2.5 * (r.grid.ymax - r.grid.ymin), 1e-12 * GridInflow(r));
}

// Over an open drawing (two short walls far apart) the air comes from the
// wind's direction at its speed.
TEST_F(StudyTest, TheOpenWindComesFromItsDirection) {
  NewLine(0, 0, 0.1, 0);
  NewLine(10, 10, 10.1, 10);
  for (double direction : {0.0, 30.0, 90.0, 200.0, 270.0}) {
    const AnalysisResult r = AnalyseWithWind(drawing.walls(), direction, 4);
    const FieldSample p = SampleField(r, 5, 5);
    ASSERT_TRUE(p.fluid);
    EXPECT_NEAR(std::fmod(p.fromDegrees - direction + 540, 360) - 180, 0, 0.5) << direction;
    EXPECT_NEAR(p.speed, 4, 0.05) << direction;
    EXPECT_NEAR(p.percent, 100, 1.25) << direction;
  }
}

TEST_F(StudyTest, ZonesFindStillAirBehindWallsAndNoneInTheFreeWind) {
  const AnalysisResult r = AnalyseWithWind(SampleWalls("single_room.dat"), 270, 2);
  const ZoneMeasure free = MeasureZone(r, -0.8, -0.3, -0.6, 4.6);  // upstream of the room
  EXPECT_GT(free.fluidPoints, 100);
  EXPECT_EQ(free.stillShare, 0);
  EXPECT_NEAR(free.meanSpeed, 2, 0.5);
  EXPECT_GE(free.largestSpeed, free.meanSpeed);
  const ZoneMeasure corner = MeasureZone(r, 0.12, 0.4, 0.1, 0.35);  // the room's south-west corner
  EXPECT_GT(corner.stillShare, 0.3);
  EXPECT_LT(corner.meanSpeed, 0.25 * free.meanSpeed);
  const ZoneMeasure nothing = MeasureZone(r, 40, 41, 40, 41);
  EXPECT_EQ(nothing.fluidPoints, 0);
}

// A finer grid keeps the picture readable: the speed beside a wall's end
// grows with refinement, but the colour scale stays where most of the flow
// is (the legend's top mark says faster cells exist), and the wind arrows
// stay as many as on the 60-row grid instead of merging into a band.
TEST_F(StudyTest, AFineGridKeepsTheColourScaleAndTheArrowsOfACoarseOne) {
  AnalysisOptions coarse, fine;
  fine.cells = 400;
  const AnalysisResult a = Analyse(SampleWalls("house.dat"), coarse);
  const AnalysisResult b = Analyse(SampleWalls("house.dat"), fine);
  const double topA = ColourScaleTop(a.grid) / a.grid.inflowSpeed;
  const double topB = ColourScaleTop(b.grid) / b.grid.inflowSpeed;
  EXPECT_GT(topA, 1.0);
  EXPECT_GT(topB, topA / 1.5);
  EXPECT_LT(topB, topA * 1.5);
  EXPECT_GT(LargestFluidSpeed(b.grid) / b.grid.inflowSpeed, 2 * topB);
  EXPECT_EQ(SpeedLegend(b).back().text.rfind("> ", 0), 0u);

  int arrowsA = 0, arrowsB = 0;
  ForEachSideCell(a.grid, [&](int) { ++arrowsA; });
  ForEachSideCell(b.grid, [&](int) { ++arrowsB; });
  EXPECT_EQ(arrowsA, 2 * a.grid.rows);
  EXPECT_LE(arrowsB, arrowsA);
  EXPECT_GE(arrowsB, arrowsA * 3 / 4);
}

}  // namespace
