#include "model/history.h"

#include "tests/model/model_fixture.h"

namespace {

// A wall that counts the live ones, so that entities held by forgotten
// steps can be seen to be destroyed exactly once.
int liveWalls = 0;
class CountedWall : public LineEntity {
 public:
  CountedWall(double x0, double y0, double x1, double y1) : LineEntity(x0, y0, x1, y1) {
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
  forEachFrontToBack([&](Entity* e) { s.push_back({e, e->shape(), e->selected}); });
  return s;
}

class HistoryTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    history::Clear();
    history::MarkUnchanged();
  }
  void TearDown() override {
    history::Clear();
    ModelTest::TearDown();
    EXPECT_EQ(liveWalls, 0);
  }

  // A wall made as the line modes make one: alone in the selection.
  static Entity* DrawWall(double x0, double y0, double x1, double y1) {
    Entity* wall = nullptr;
    history::RecordChange({}, [&] {
      wall = new CountedWall(x0, y0, x1, y1);
      history::Created(wall);
      unselectAll();
      wall->selected = 1;
    });
    return wall;
  }

  static void Select(std::initializer_list<Entity*> entities) {
    unselectAll();
    for (Entity* e : entities) e->selected = 1;
  }

  static void RemoveSelection() { removeSelected(); }

  // A drag as the Drag mode makes it: the press picks the target, which
  // becomes the only selected entity, and the release moves it.
  static void DragBy(Entity* target, double dx, double dy) {
    history::Begin();
    history::Touch({target});
    Select({target});
    target->transform(1, 0, dx, 0, 1, dy);
    history::Commit();
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
  change([] { history::RecordChange(selectedEntities(), moveSelectedToBack); });
  Select({a, d});
  change([] { history::RecordChange(selectedEntities(), moveSelectedToFront); });
  wallWidth = 0.4;  // outlines made from now on differ from the stored ones
  Select({a, c});
  change([&] { DragBy(b, 1.5, -0.25); });
  Select({a, b, d});
  change([] { history::RecordChange(selectedEntities(), RemoveSelection); });
  ASSERT_EQ(Take().size(), 1u);
  change([] { DrawWall(9, 9, 12, 9); });

  ASSERT_EQ(history::UndoSteps(), changes.size());
  for (size_t i = changes.size(); i-- > 0;) {
    ASSERT_TRUE(history::Undo());
    EXPECT_EQ(Take(), changes[i].first) << "undo of change " << i;
  }
  EXPECT_FALSE(history::Undo());
  for (size_t i = 0; i < changes.size(); ++i) {
    ASSERT_TRUE(history::Redo());
    EXPECT_EQ(Take(), changes[i].second) << "redo of change " << i;
  }
  EXPECT_FALSE(history::Redo());
}

// Selecting, or an operation that finds nothing to do, is no step; a new
// change after undo drops the redo steps and the walls only they held.
TEST_F(HistoryTest, OnlyRealChangesAreStepsAndANewChangeDropsTheRedoSteps) {
  Entity* a = DrawWall(0, 0, 4, 0);
  DrawWall(0, 1, 4, 1);
  ASSERT_EQ(history::UndoSteps(), 2u);
  Select({a});
  EXPECT_FALSE(history::RecordChange(selectedEntities(), fillSelected));
  unselectAll();
  EXPECT_FALSE(history::RecordChange(selectedEntities(), RemoveSelection));
  EXPECT_EQ(history::UndoSteps(), 2u);

  ASSERT_TRUE(history::Undo());
  EXPECT_EQ(liveWalls, 2);  // the undone wall waits for a redo
  DrawWall(0, 2, 4, 2);
  EXPECT_EQ(history::RedoSteps(), 0u);
  EXPECT_EQ(liveWalls, 2);  // the dropped step took its wall with it
  EXPECT_FALSE(history::Redo());
}

TEST_F(HistoryTest, KeepsTheLastHundredStepsAndReleasesWhatOlderOnesHeld) {
  std::vector<Entity*> walls;
  for (int i = 0; i < 150; ++i) walls.push_back(DrawWall(0, i, 1, i));
  for (int i = 0; i < 150; i += 2) {  // a delete of every other wall
    Select({walls[i]});
    history::RecordChange(selectedEntities(), RemoveSelection);
  }
  EXPECT_EQ(history::UndoSteps(), history::kMaxSteps);
  int undone = 0;
  while (history::Undo()) ++undone;
  EXPECT_EQ(undone, 100);
  // Back before the 75 deletes and the last 25 walls.
  EXPECT_EQ(Take().size(), 125u);
  EXPECT_EQ(EntityList, walls[124]);
  EXPECT_EQ(liveWalls, 150);
  history::Clear();  // the 25 walls only the redo steps held go
  EXPECT_EQ(liveWalls, 125);
}

TEST_F(HistoryTest, ChangedFollowsSavesUndoAndRedo) {
  EXPECT_FALSE(history::Changed());
  DrawWall(0, 0, 1, 0);
  EXPECT_TRUE(history::Changed());
  history::MarkUnchanged();  // saved
  DrawWall(0, 1, 1, 1);
  EXPECT_TRUE(history::Changed());
  history::Undo();
  EXPECT_FALSE(history::Changed());  // back to what was saved
  history::Undo();
  EXPECT_TRUE(history::Changed());
  history::Redo();
  EXPECT_FALSE(history::Changed());
  // The saved state cannot be reached again once its redo step is gone.
  history::Undo();
  DrawWall(5, 5, 6, 5);
  history::Undo();
  EXPECT_TRUE(history::Changed());
  history::Clear();  // a drawing opened
  history::MarkUnchanged();
  EXPECT_FALSE(history::Changed());
  EXPECT_FALSE(history::Undo());
}

}  // namespace
