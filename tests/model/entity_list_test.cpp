#include "tests/model/model_fixture.h"

namespace {

using ListTest = ModelTest;

// E1..E4 with E1 at the head: created from E4 to E1, since every new
// entity goes to the front.
std::vector<Entity*> FourLines() {
  Entity* e4 = ModelTest::NewLine(0, 3, 1, 3);
  Entity* e3 = ModelTest::NewLine(0, 2, 1, 2);
  Entity* e2 = ModelTest::NewLine(0, 1, 1, 1);
  Entity* e1 = ModelTest::NewLine(0, 0, 1, 0);
  return {e1, e2, e3, e4};
}

TEST_F(ListTest, MovingTheSelectionKeepsItsRelativeOrder) {
  auto e = FourLines();
  e[1]->selected = e[3]->selected = 1;
  List().moveSelectedToFront();
  EXPECT_EQ(Order(), (std::vector<Entity*>{e[1], e[3], e[0], e[2]}));

  List().unselectAll();
  // Back to E1..E4, then E1 and E3 to the back.
  List().deleteAll();
  e = FourLines();
  e[0]->selected = e[2]->selected = 1;
  List().moveSelectedToBack();
  EXPECT_EQ(Order(), (std::vector<Entity*>{e[1], e[3], e[0], e[2]}));
}

// A click takes the frontmost of walls on one another, a fence only what
// lies strictly inside it.  (Shift and the fence itself are checked with the
// mouse in the drawing modes' tests.)
TEST_F(ListTest, AClickTakesTheFrontmostAndAFenceWhatIsStrictlyInside) {
  Entity* older = NewLine(0, 0, 4, 0);
  Entity* newer = NewLine(0, 0, 4, 0);
  List().pickAtPoint(2, 0, 0.1, false);
  EXPECT_TRUE(newer->selected);
  EXPECT_FALSE(older->selected);

  Entity* inside = NewLine(1, 1, 3, 2);
  Entity* onEdge = NewLine(0, 1, 3, 2);
  List().pickInFence(0, 4, 0, 4, false);
  EXPECT_TRUE(inside->selected);
  EXPECT_FALSE(onEdge->selected);
}

TEST_F(ListTest, SnapGoesToTheNearestNodeWithHalvesTowardZero) {
  double x = 2.5, y = -2.5;
  Settings().snapPoint(x, y, false);  // grid hidden: nothing moves
  EXPECT_EQ(x, 2.5);

  Settings().gridShown = true;
  Settings().snapToGrid = true;
  Settings().snapPoint(x, y, false);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, -2);
  x = 2.51, y = -2.51;
  Settings().snapPoint(x, y, false);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, -3);

  x = 2.7, y = 1.2;
  Settings().snapPoint(x, y, true);  // Control frees the point while snapping is on
  EXPECT_EQ(x, 2.7);

  Settings().snapToGrid = false;
  Settings().gridStepX = 0.5;
  Settings().gridStepY = 2;
  Settings().snapPoint(x, y, true);  // and snaps it while snapping is off
  EXPECT_EQ(x, 2.5);
  EXPECT_EQ(y, 2);
}

}  // namespace
