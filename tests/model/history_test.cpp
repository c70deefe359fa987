#include "model/history.h"

#include "tests/model/model_fixture.h"

namespace {

// A wall that counts the live ones, so that entities held by forgotten
// steps can be seen to be destroyed exactly once.
int liveWalls = 0;
class CountedWall : public LineEntity {
 public:
  CountedWall(double x0, double y0, double x1, double y1, double width)
      : LineEntity(x0, y0, x1, y1, width) {
    ++liveWalls;
  }
  ~CountedWall() override { --liveWalls; }
};

// Everything undo must restore: the entities in order with their shapes and
// selection.
struct Seen {
  Entity* entity;
  std::vector<double> shape;
  int selected;
  bool operator==(const Seen& o) const {
    return entity == o.entity && shape == o.shape && selected == o.selected;
  }
};
using Snapshot = std::vector<Seen>;

Snapshot Take() {
  Snapshot s;
  ModelTest::List().forEachFrontToBack([&](Entity* e) { s.push_back({e, e->shape(), e->selected}); });
  return s;
}

class HistoryTest : public ModelTest {
 protected:
  void TearDown() override {
    ModelTest::TearDown();
    EXPECT_EQ(liveWalls, 0);
  }

  // A wall made as the line modes make one: alone in the selection.
  static Entity* DrawWall(double x0, double y0, double x1, double y1) {
    Entity* wall = nullptr;
    Hist().RecordChange({}, [&] {
      wall = new CountedWall(x0, y0, x1, y1, Settings().wallWidth);
      List().insertAtFront(wall);
      Hist().Created(wall);
      List().unselectAll();
      wall->selected = 1;
    });
    return wall;
  }

  static void Select(std::initializer_list<Entity*> entities) {
    List().unselectAll();
    for (Entity* e : entities) e->selected = 1;
  }

  static void RemoveSelection() { List().removeSelected(); }

  // A drag as the Drag mode makes it: the press picks the target, which
  // becomes the only selected entity, and the release moves it.
  static void DragBy(Entity* target, double dx, double dy) {
    Hist().Begin();
    Hist().Touch({target});
    Select({target});
    target->transform(1, 0, dx, 0, 1, dy, Settings().wallWidth);
    Hist().Commit();
  }
};

// One change of every kind, then all of them undone and redone again: each
// undo must give back the drawing just before its change and each redo the
// drawing just after, outlines included, although the wall width changed.
TEST_F(HistoryTest, UndoAndRedoRestoreEveryKindOfChangeExactly) {
  std::vector<std::pair<Snapshot, Snapshot>> changes;  // before, after
  auto change = [&](auto make) {
    const Snapshot before = Take();
    make();
    changes.push_back({before, Take()});
  };
  Entity *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
  change([&] { a = DrawWall(0, 0, 4, 0); });
  change([&] { b = DrawWall(4, 0, 4, 3); });
  change([&] { c = DrawWall(4, 3, 0, 3); });
  change([&] { d = DrawWall(0, 3, 0, 0); });
  Select({b, d});
  change([] { Hist().RecordChange(List().selectedEntities(), [] { List().moveSelectedToBack(); }); });
  Select({a, d});
  change([] { Hist().RecordChange(List().selectedEntities(), [] { List().moveSelectedToFront(); }); });
  Settings().wallWidth = 0.4;  // outlines made from now on differ from the stored ones
  Select({a, c});
  change([&] { DragBy(b, 1.5, -0.25); });
  Select({a, b, d});
  change([] { Hist().RecordChange(List().selectedEntities(), RemoveSelection); });
  ASSERT_EQ(Take().size(), 1u);
  change([] { DrawWall(9, 9, 12, 9); });

  ASSERT_EQ(Hist().UndoSteps(), changes.size());
  for (size_t i = changes.size(); i-- > 0;) {
    ASSERT_TRUE(Hist().Undo());
    EXPECT_EQ(Take(), changes[i].first) << "undo of change " << i;
  }
  EXPECT_FALSE(Hist().Undo());
  for (size_t i = 0; i < changes.size(); ++i) {
    ASSERT_TRUE(Hist().Redo());
    EXPECT_EQ(Take(), changes[i].second) << "redo of change " << i;
  }
  EXPECT_FALSE(Hist().Redo());
}

// Selecting, or an operation that finds nothing to do, is no step; a new
// change after undo drops the redo steps and the walls only they held.
TEST_F(HistoryTest, OnlyRealChangesAreStepsAndANewChangeDropsTheRedoSteps) {
  Entity* a = DrawWall(0, 0, 4, 0);
  DrawWall(0, 1, 4, 1);
  ASSERT_EQ(Hist().UndoSteps(), 2u);
  Select({a});
  EXPECT_FALSE(Hist().RecordChange(List().selectedEntities(), [] { List().fillSelected(); }));
  List().unselectAll();
  EXPECT_FALSE(Hist().RecordChange(List().selectedEntities(), RemoveSelection));
  EXPECT_EQ(Hist().UndoSteps(), 2u);

  ASSERT_TRUE(Hist().Undo());
  EXPECT_EQ(liveWalls, 2);  // the undone wall waits for a redo
  DrawWall(0, 2, 4, 2);
  EXPECT_EQ(Hist().RedoSteps(), 0u);
  EXPECT_EQ(liveWalls, 2);  // the dropped step took its wall with it
  EXPECT_FALSE(Hist().Redo());
}

TEST_F(HistoryTest, KeepsTheLastHundredStepsAndReleasesWhatOlderOnesHeld) {
  std::vector<Entity*> walls;
  for (int i = 0; i < 150; ++i) walls.push_back(DrawWall(0, i, 1, i));
  for (int i = 0; i < 150; i += 2) {  // a delete of every other wall
    Select({walls[i]});
    Hist().RecordChange(List().selectedEntities(), RemoveSelection);
  }
  int undone = 0;
  while (Hist().Undo()) ++undone;
  EXPECT_EQ(undone, 100);
  // Back before the 75 deletes and the last 25 walls.
  EXPECT_EQ(Take().size(), 125u);
  EXPECT_EQ(List().head(), walls[124]);
  EXPECT_EQ(liveWalls, 150);
  Hist().Clear();  // the 25 walls only the redo steps held go
  EXPECT_EQ(liveWalls, 125);
}

TEST_F(HistoryTest, ChangedFollowsSavesUndoAndRedo) {
  EXPECT_FALSE(Hist().Changed());
  DrawWall(0, 0, 1, 0);
  EXPECT_TRUE(Hist().Changed());
  Hist().MarkUnchanged();  // saved
  DrawWall(0, 1, 1, 1);
  EXPECT_TRUE(Hist().Changed());
  Hist().Undo();
  EXPECT_FALSE(Hist().Changed());  // back to what was saved
  Hist().Undo();
  EXPECT_TRUE(Hist().Changed());
  Hist().Redo();
  EXPECT_FALSE(Hist().Changed());
  // The saved state cannot be reached again once its redo step is gone.
  Hist().Undo();
  DrawWall(5, 5, 6, 5);
  Hist().Undo();
  EXPECT_TRUE(Hist().Changed());
  Hist().Clear();  // a drawing opened
  Hist().MarkUnchanged();
  EXPECT_FALSE(Hist().Changed());
  EXPECT_FALSE(Hist().Undo());
}

}  // namespace
